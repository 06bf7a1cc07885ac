// The real program, started with its control interface as a newcomer would
// start it, driven by ferrotab-ctl: found through the runtime folder, a
// route set and ridden, the events watched, refusals and their exit codes.
#include "platform/ControlFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <memory>
#include <gtest/gtest.h>

namespace {

struct CtlRun {
    int exit = -1;
    QString out;
    QString err;
};

class Ctl : public ::testing::Test {
protected:
    Ctl() {
        const QString sample = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample/");
        for (const char* name : {"1.hy3", "1tp.csv"})
            EXPECT_TRUE(QFile::copy(sample + QLatin1String(name), device.filePath(QLatin1String(name))));
        // The device LED-84 lives in the temporary folder, its fare data
        // there too (the factory settings read the current folder).
        EXPECT_TRUE(QFile::link(QStringLiteral(FERROTAB_PROGRAM), device.filePath(QStringLiteral("LED-84"))));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.remove(QStringLiteral("FERROTAB_CONTROL"));
    }
    ~Ctl() override {
        program.kill();
        program.waitForFinished(5000);
    }
    Ctl(const Ctl&) = delete;
    Ctl& operator=(const Ctl&) = delete;

    CtlRun ctl(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(FERROTAB_CTL), args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir device;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess program;
};

} // namespace

TEST_F(Ctl, DrivesTheRealProgram) {
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(device.path());
    program.start(device.filePath(QStringLiteral("LED-84")),
                  {QStringLiteral("--control"), QStringLiteral("--control-port"), QStringLiteral("0")});
    // The device announces itself once its interface listens.
    const QString announcement =
        runtime.filePath(QStringLiteral("ferrotab/%1.json").arg(program.processId()));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(announcement) && t.elapsed() < 30000)
        QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(announcement)) << program.readAllStandardError().constData();
    // The token's file is its owner's alone.
    const QFile::Permissions rights =
        QFile(device.filePath(QStringLiteral("LED-84.control.json"))).permissions();
    EXPECT_TRUE(rights & QFile::ReadOwner);
    EXPECT_FALSE(rights & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));

    const CtlRun set = ctl({QStringLiteral("--device"), QStringLiteral("LED-84"), QStringLiteral("route"),
                            QStringLiteral("1"), QStringLiteral("1")});
    EXPECT_EQ(set.exit, 0) << set.err.toStdString();
    EXPECT_EQ(set.out, QStringLiteral("1/20 桜川駅（北口）\n"));

    QProcess watch;
    watch.setProcessEnvironment(env);
    watch.start(QStringLiteral(FERROTAB_CTL), {QStringLiteral("watch")});
    ASSERT_TRUE(watch.waitForStarted());
    QThread::msleep(500); // connected
    EXPECT_EQ(ctl({QStringLiteral("next")}).out, QStringLiteral("2/20 本町\n"));
    QByteArray events;
    while (!events.contains('\n') && watch.waitForReadyRead(10000))
        events += watch.readAllStandardOutput();
    const QJsonObject event = QJsonDocument::fromJson(events.left(events.indexOf('\n'))).object();
    EXPECT_EQ(event.value(QStringLiteral("event")).toString(), QStringLiteral("stopChanged"));
    watch.kill();
    watch.waitForFinished();

    const CtlRun past = ctl({QStringLiteral("goto"), QStringLiteral("99")});
    EXPECT_EQ(past.exit, 1);
    EXPECT_TRUE(past.err.contains(QStringLiteral("no_such_stop"))) << past.err.toStdString();
    EXPECT_EQ(ctl({QStringLiteral("goto"), QStringLiteral("7x")}).exit, 2);
    EXPECT_EQ(ctl({QStringLiteral("fly")}).exit, 2);
    const CtlRun state = ctl({QStringLiteral("state")});
    EXPECT_EQ(QJsonDocument::fromJson(state.out.toUtf8()).object().value(QStringLiteral("route")).toString(),
              QStringLiteral("1"));
    // A ride that cannot start says why, and the tool fails.
    const CtlRun noRide = ctl({QStringLiteral("ride"), QStringLiteral("start"), QStringLiteral("77")});
    EXPECT_EQ(noRide.exit, 1);
    EXPECT_TRUE(noRide.err.contains(QStringLiteral("route_not_set"))) << noRide.err.toStdString();

    const CtlRun token = ctl({QStringLiteral("token")});
    const CtlRun renewed = ctl({QStringLiteral("token"), QStringLiteral("--renew")});
    EXPECT_EQ(renewed.exit, 0) << renewed.err.toStdString();
    EXPECT_NE(renewed.out, token.out);
    EXPECT_EQ(ctl({QStringLiteral("token")}).out, renewed.out);
    EXPECT_EQ(ctl({QStringLiteral("next")}).exit, 0) << "the tool reads the new token";

    // The device ends on SIGTERM as on a confirmed quit: watchers hear it,
    // and it is no longer announced.
    QProcess last;
    last.setProcessEnvironment(env);
    last.start(QStringLiteral(FERROTAB_CTL), {QStringLiteral("watch")});
    ASSERT_TRUE(last.waitForStarted());
    QThread::msleep(500);
    program.terminate();
    ASSERT_TRUE(last.waitForFinished(15000));
    EXPECT_EQ(last.exitCode(), 0);
    EXPECT_TRUE(last.readAllStandardOutput().trimmed().endsWith("}")) << "one JSON line per event";
    EXPECT_FALSE(QFile::exists(announcement));
    ASSERT_TRUE(program.waitForFinished(15000));

    // A stale announcement (a device that crashed) names a port another
    // program has since taken: the token never goes there.
    QTcpServer trap;
    ASSERT_TRUE(trap.listen(QHostAddress::LocalHost));
    QDir().mkpath(runtime.filePath(QStringLiteral("ferrotab")));
    const auto fake = [&](qint64 pid, quint16 at) {
        QFile f(runtime.filePath(QStringLiteral("ferrotab/%1.json").arg(pid)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(QJsonObject{{QStringLiteral("controlFile"), device.filePath(QStringLiteral("LED-84.control.json"))},
                                          {QStringLiteral("host"), QStringLiteral("127.0.0.1")},
                                          {QStringLiteral("port"), int(at)},
                                          {QStringLiteral("model"), QStringLiteral("LED-84")},
                                          {QStringLiteral("pid"), double(pid)}})
                    .toJson());
    };
    fake(program.processId(), trap.serverPort()); // the ended program's own number
    EXPECT_EQ(ctl({QStringLiteral("next")}).exit, 3);
    EXPECT_FALSE(trap.waitForNewConnection(300)) << "the token went to a stale port";
    EXPECT_TRUE(QDir(runtime.filePath(QStringLiteral("ferrotab"))).isEmpty()) << "the stale announcement stays";

    // A live process answering what is not JSON is said so plainly.
    std::atomic<quint16> otherPort{0};
    std::unique_ptr<QThread> answering(QThread::create([&otherPort] {
        QTcpServer other;
        other.listen(QHostAddress::LocalHost);
        otherPort = other.serverPort();
        if (!other.waitForNewConnection(30000)) return;
        QTcpSocket* s = other.nextPendingConnection();
        s->waitForReadyRead(5000);
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
        s->waitForBytesWritten(5000);
        s->disconnectFromHost();
    }));
    answering->start();
    while (otherPort == 0) QThread::msleep(10);
    fake(QCoreApplication::applicationPid(), otherPort);
    const CtlRun other = ctl({QStringLiteral("state")});
    answering->wait();
    EXPECT_EQ(other.exit, 3);
    EXPECT_TRUE(other.err.contains(QStringLiteral("JSON"))) << other.err.toStdString();

    // The same ride from the command line is refused on the error output
    // (and in a message box, which holds the program until it is closed).
    program.start(device.filePath(QStringLiteral("LED-84")), {QStringLiteral("--ride"), QStringLiteral("77")});
    const QString why = QStringLiteral("指定した系統のデータがありません");
    program.setReadChannel(QProcess::StandardError);
    QString err;
    while (!err.contains(why) && program.waitForReadyRead(30000))
        err += QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(err.contains(why)) << err.toStdString();
}
