// The control interface's file and the announcement of a running device.
#include "platform/ControlFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

using namespace platform::control;

TEST(ControlFile, ReadsOnlyWhatIsOurs) {
    for (const char* bad :
         {"not json", "[]", "{\"enabled\": \"yes\"}", "{\"port\": 0}", "{\"port\": 70000}",
          "{\"port\": 80.5}", "{\"listen\": \"\"}", "{\"listen\": 1}", "{\"token\": \"short\"}",
          "{\"token\": \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa+\"}"})
        EXPECT_TRUE(std::holds_alternative<QString>(parseControlFile(bad))) << bad;
    const ControlSettings s{true, 50900, QStringLiteral("192.168.1.5"), makeToken()};
    EXPECT_EQ(std::get<ControlSettings>(parseControlFile(serializeControlFile(s))), s);
    EXPECT_EQ(std::get<ControlSettings>(parseControlFile("{}")), ControlSettings{});
    EXPECT_TRUE(isTokenForm(s.token));
    EXPECT_EQ(s.token.size(), 43);
    EXPECT_NE(makeToken(), s.token);
}

TEST(ControlFile, KeptForItsOwnerAndSetAsideWhenDamaged) {
    QTemporaryDir dir;
    const QString path = controlFilePath(dir.path(), QStringLiteral("LED-84"));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/LED-84.control.json")));
    const ControlSettings s{false, kDefaultPort, kLoopbackListen, makeToken()};
    ASSERT_FALSE(saveControlFile(path, s).has_value());
    ASSERT_FALSE(saveControlFile(path, s).has_value()); // over the old one
    EXPECT_FALSE(QFile(path).permissions() &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));
    EXPECT_EQ(loadControlFile(path).settings, s);
    // Widened by hand (chmod 644): made the owner's again, and said once.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_TRUE(keepOwnerOnly(path).has_value());
    EXPECT_EQ(QFile(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    EXPECT_FALSE(keepOwnerOnly(path).has_value());

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(kMaxFileBytes + 1, ' '));
    f.close();
    const LoadedControlFile damaged = loadControlFile(path);
    EXPECT_TRUE(damaged.exists && damaged.damage);
    EXPECT_EQ(damaged.settings, ControlSettings{});
    keepDamagedFile(path);
    EXPECT_TRUE(QFile::exists(path + QStringLiteral(".bad")));
    EXPECT_FALSE(loadControlFile(path).exists);
}

// Every running device of the user is found, the latest first; one whose
// process has ended (a crash) is dropped and its file removed, so a stale
// port is never offered.
TEST(ControlFile, RunningDevicesAreFoundAndStaleOnesForgotten) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const qint64 self = QCoreApplication::applicationPid();
    // Listening on every address: the page is offered at the network address.
    const RunningDevice d{QStringLiteral("/x/LED-84.control.json"), QStringLiteral("127.0.0.1"), 50900, self,
                          QStringLiteral("192.168.1.20"), QStringLiteral("LED-84")};
    RunningDevice gone = d;
    gone.pid = 0x7FFFFFF0; // no such process
    gone.model = QStringLiteral("LED-90");
    ASSERT_TRUE(announce(gone));
    ASSERT_TRUE(announce(d));
    EXPECT_EQ(runningDevices(), std::vector<RunningDevice>{d});
    EXPECT_EQ(QDir(announcementFolder()).entryList(QDir::Files).size(), 1) << "the stale one is removed";
    withdraw(self);
    EXPECT_TRUE(runningDevices().empty());
    qunsetenv("XDG_RUNTIME_DIR");
}
