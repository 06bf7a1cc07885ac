// The real program ended from outside its windows: Ctrl+C (SIGINT), `kill`
// (SIGTERM) and a closed terminal (SIGHUP) quit it as a confirmed quit would,
// settings saved, rather than killing it or being ignored; one that comes
// while it starts waits until it has started.
#include "settings/SettingsCodec.h"
#include "tests/e2e/XSession.h"
#include "tests/support/FileBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>

namespace {

// True once the process catches `signal` (Linux reports the caught signals
// of a process in /proc).
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

} // namespace

TEST(Signals, EachEndsTheProgramWithItsSettingsSaved) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QTemporaryDir folder;
        ASSERT_TRUE(QFile::link(QStringLiteral(FERROTAB_PROGRAM), folder.filePath(QStringLiteral("LED-84"))));
        QProcess program;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(folder.filePath(QStringLiteral("LED-84")), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        QElapsedTimer t;
        t.start();
        while (!catches(program.processId(), signal) && t.elapsed() < 15000) QThread::msleep(20);
        ASSERT_TRUE(catches(program.processId(), signal)) << "the program never took the signal over";

        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(15000)) << program.readAll().toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAll().toStdString();
        EXPECT_EQ(program.exitCode(), 0);
        QFile saved(folder.filePath(QStringLiteral("LED-84.in4")));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << "no settings were written";
        EXPECT_GE(saved.size(), settings::kEmptyRecordSize);
    }
}

TEST(Signals, OneThatComesWhileTheProgramStartsWaitsUntilItHasStarted) {
    xsession::XSession x;
    if (auto why = x.startServer()) GTEST_SKIP() << "no X server for this test: " << why->toStdString();
    const auto wmFailure = x.startWindowManager();
    ASSERT_FALSE(wmFailure) << *wmFailure;
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::link(QStringLiteral(FERROTAB_PROGRAM), folder.filePath(QStringLiteral("LED-84"))));
    // The user picture for backlight OFF is no picture: its error box waits
    // in the middle of reading the settings, before the panel's place.
    testing_files::writeFile(folder.filePath(QStringLiteral("off.bmp")), "no picture");
    auto record = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    record.PanelAutoBuiltIn = 0;
    record.PanelIndividual = -1;
    record.PanelOffBuiltIn = 0;
    record.PanelOffUser = -1;
    record.PanelOffUserFile = folder.filePath(QStringLiteral("off.bmp"));
    record.CtlLeft = 333 * 15;
    record.CtlTop = 227 * 15;
    const QByteArray stored = settings::encodeSettings(record);
    const QString settingsFile = folder.filePath(QStringLiteral("LED-84.in4"));
    testing_files::writeFile(settingsFile, stored);

    xsession::Ferrotab program(x, folder.path());
    const QString box = program.waitForWindow(QStringLiteral("エラー"));
    ASSERT_FALSE(box.isEmpty()) << program.output();
    ::kill(pid_t(program.processId()), SIGTERM);
    EXPECT_FALSE(program.endsWithin(1000)) << "the signal ended the start: " << program.output();
    EXPECT_EQ(testing_files::readFile(settingsFile), stored);

    // Answered (the picture is tried once more as the settings are applied
    // to the display), the start goes on to its end; then the signal quits.
    for (QString next = box; !next.isEmpty(); next = program.waitForWindow(QStringLiteral("エラー")))
        program.answer(next);
    EXPECT_TRUE(program.endedWell()) << program.output();
    EXPECT_EQ(testing_files::readFile(settingsFile), stored) << "the settings were saved as they were read";
}
