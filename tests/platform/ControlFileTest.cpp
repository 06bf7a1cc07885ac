// The control interface's file and the announcement of a running device.
#include "platform/ControlFile.h"

#include <QFile>
#include <QTemporaryDir>
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

TEST(ControlFile, TheLastDeviceToAnnounceItselfIsFoundUntilItWithdraws) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // Listening on every address: the page is offered at the network address.
    const RunningDevice d{QStringLiteral("/x/LED-84.control.json"), QStringLiteral("127.0.0.1"), 50900, 4242,
                          QStringLiteral("192.168.1.20")};
    ASSERT_TRUE(announce(d));
    EXPECT_EQ(announcedDevice(), d);
    withdraw(99); // another process's leaving takes nothing back
    EXPECT_EQ(announcedDevice(), d);
    withdraw(4242);
    EXPECT_FALSE(announcedDevice().has_value());
    qunsetenv("XDG_RUNTIME_DIR");
}
