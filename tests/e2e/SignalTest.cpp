// The real program ended from outside its windows: Ctrl+C (SIGINT), `kill`
// (SIGTERM) and a closed terminal (SIGHUP) quit it as a confirmed quit would,
// settings saved, rather than killing it or being ignored.
#include "settings/SettingsCodec.h"

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
