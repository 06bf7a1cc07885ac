// The control interface under load, with the real program (offscreen, real
// waits, no sounds) on the sample route and real clients on a thread of their
// own:
// The stop-name strip's start wait is set to the slider's 0.
//   - GET /state round trip (median, 99th percentile); goal under 1 ms;
//   - `next` (or `back`) sent to its stopChanged event on a watching
//     WebSocket, over the whole route and back; goal under 5 ms;
//   - a burst of 5,000 commands from 8 WebSocket clients at once, each with
//     up to 32 in flight: none lost, each client's answered in order, the
//     user-interface thread's lateness on a 16 ms timer meanwhile, the stack
//     depth at which stops are shown, and resident memory before and after;
//   - GET /state from a fresh connection while the burst runs and while a
//     route setting's lamp test holds the device still (median, p99, max);
//     goal under 5 ms: reads are served from what the device published.
// Run by hand: build/bench/bench_control [commands-per-client]
#include "app/Program.h"
#include "remote/ControlService.h"
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "panel/frmCtl.h"
#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

bool waitUntil(const std::function<bool()>& done, int ms = 60000) {
    QEventLoop loop;
    QTimer tick;
    bool met = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        met = met || done();
        if (met) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    tick.start(0);
    met = done();
    if (!met) loop.exec();
    return met;
}

struct Watcher {
    QWebSocket ws;
    std::deque<QJsonObject> inbox;
    Watcher(const QUrl& url, const QByteArray& token) {
        QObject::connect(&ws, &QWebSocket::textMessageReceived, [this](const QString& t) {
            inbox.push_back(QJsonDocument::fromJson(t.toUtf8()).object());
        });
        QNetworkRequest r(url);
        if (!token.isEmpty()) r.setRawHeader("Authorization", "Bearer " + token);
        ws.open(r);
        waitUntil([this] { return ws.state() == QAbstractSocket::ConnectedState; }, 5000);
    }
};

// GET /state on a new connection: milliseconds to the whole answer, or -1.
double freshState(quint16 port) {
    QElapsedTimer t;
    t.start();
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000)) return -1;
    s.write("GET /state HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\nConnection: close\r\n\r\n");
    QByteArray got;
    while (s.waitForReadyRead(10000)) {
        got += s.readAll();
        const qsizetype head = got.indexOf("\r\n\r\n");
        const qsizetype length = got.indexOf("Content-Length: ");
        if (head > 0 && length > 0 && got.size() >= head + 4 + got.mid(length + 16, 10).split('\r')[0].toInt()) break;
    }
    return got.startsWith("HTTP/1.1 200") ? double(t.nsecsElapsed()) / 1e6 : -1;
}

// Reads /state on fresh connections, one every few milliseconds, while `on`.
void readWhile(quint16 port, const std::atomic<bool>& on, std::vector<double>& ms) {
    while (on) {
        ms.push_back(freshState(port));
        QThread::msleep(5);
    }
}

struct Figures {
    std::atomic<bool> bursting{false};
    std::vector<double> stateMs, eventMs, burstReadMs, lampReadMs;
    int burstAnswers = 0, burstOutOfOrder = 0, burstRefused = 0;
    double burstSeconds = 0;
};

void measure(quint16 port, const QByteArray& token, int perClient, Figures& f) {
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(port);
    QNetworkAccessManager nam;
    auto send = [&](const QString& path, bool post) {
        QNetworkRequest r(QUrl(base + path));
        r.setRawHeader("Authorization", "Bearer " + token);
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        return post ? nam.post(r, QByteArray()) : nam.get(r);
    };
    auto finish = [](QNetworkReply* r) {
        waitUntil([r] { return r->isFinished(); });
        const QJsonObject o = QJsonDocument::fromJson(r->readAll()).object();
        r->deleteLater();
        return o;
    };
    if (!finish(send(QStringLiteral("/command/route?route=1&section=1"), true))
             .value(QStringLiteral("ok"))
             .toBool()) {
        std::fprintf(stderr, "route setting failed\n");
        return;
    }

    // GET /state, one after another on one kept-alive connection.
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer t;
        t.start();
        finish(send(QStringLiteral("/state"), false));
        f.stateMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    // next / back to its event, over the route and back, several times.
    {
        Watcher watcher(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)), {});
        for (int i = 0; i < 38 * 5; ++i) {
            const bool forward = (i / 19) % 2 == 0;
            QElapsedTimer t;
            t.start();
            QNetworkReply* r =
                send(forward ? QStringLiteral("/command/next") : QStringLiteral("/command/back"), true);
            const bool seen = waitUntil([&] {
                while (!watcher.inbox.empty()) {
                    const QJsonObject o = watcher.inbox.front();
                    watcher.inbox.pop_front();
                    if (o.value(QStringLiteral("event")) == QStringLiteral("stopChanged")) return true;
                }
                return false;
            });
            if (seen) f.eventMs.push_back(double(t.nsecsElapsed()) / 1e6);
            finish(r);
        }
    } // the watcher goes: its unread events would count as the burst's memory

    // The burst: 8 clients, each `perClient` commands, up to 32 in flight,
    // forward and back around the middle of the route.
    finish(send(QStringLiteral("/command/goto?row=10"), true));
    f.bursting = true;
    constexpr int kClients = 8, kWindow = 32;
    std::vector<std::unique_ptr<Watcher>> clients;
    for (int i = 0; i < kClients; ++i)
        clients.push_back(
            std::make_unique<Watcher>(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)), token));
    std::vector<int> sent(kClients, 0), answered(kClients, 0);
    std::atomic<bool> reading{true};
    std::unique_ptr<QThread> reader(QThread::create([&] { readWhile(port, reading, f.burstReadMs); }));
    reader->start();
    QElapsedTimer burst;
    burst.start();
    waitUntil(
        [&] {
            bool all = true;
            for (int i = 0; i < kClients; ++i) {
                Watcher& c = *clients[size_t(i)];
                while (!c.inbox.empty()) {
                    const QJsonObject o = c.inbox.front();
                    c.inbox.pop_front();
                    if (o.contains(QStringLiteral("event"))) continue;
                    if (o.value(QStringLiteral("id")).toInt(-1) != answered[size_t(i)]) ++f.burstOutOfOrder;
                    if (!o.value(QStringLiteral("ok")).toBool()) ++f.burstRefused;
                    ++answered[size_t(i)];
                    ++f.burstAnswers;
                }
                while (sent[size_t(i)] < perClient && sent[size_t(i)] - answered[size_t(i)] < kWindow) {
                    const int n = sent[size_t(i)]++;
                    const QJsonObject command{
                        {QStringLiteral("id"), n},
                        {QStringLiteral("command"), n % 2 ? QStringLiteral("back") : QStringLiteral("next")}};
                    c.ws.sendTextMessage(
                        QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact)));
                }
                all = all && answered[size_t(i)] == perClient;
            }
            return all;
        },
        600000);
    f.burstSeconds = double(burst.nsecsElapsed()) / 1e9;
    reading = false;
    reader->wait();
    f.bursting = false;

    // Route setting: its lamp test holds the device still for 3 s.
    reading = true;
    reader.reset(QThread::create([&] { readWhile(port, reading, f.lampReadMs); }));
    QNetworkReply* setting = send(QStringLiteral("/command/route?route=1&section=1"), true);
    QThread::msleep(200);
    reader->start();
    QThread::msleep(2500);
    reading = false;
    reader->wait();
    finish(setting);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int perClient = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 625;

    // A device on the sample route with the factory settings otherwise: no
    // sounds.
    QTemporaryDir home;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    platform::setProgramIdentity({home.path(), QStringLiteral("bench-control")});
    for (const char* name : {"1.hy3", "1tp.csv"})
        QFile::copy(QStringLiteral(FERROTAB_BUILD_DIR "/data/sample/") + QLatin1String(name),
                    home.filePath(QLatin1String(name)));
    settings::SettingsRecord record = settings::SettingsRecord::initial(QDate::currentDate());
    record.FareDataDir = home.path();
    record.BroadcastDataDir = home.path();
    QFile settingsFile(mdlIniIo::settingsPath());
    if (!settingsFile.open(QIODevice::WriteOnly)) return 1;
    settingsFile.write(settings::encodeSettings(record));
    settingsFile.close();

    Program program;
    program.endProcess = [] {};
    program.start();
    // The strip takes the sliders' values (speed 1, start wait 0) as when
    // the user moves one: otherwise it keeps its own start wait of 1.5 s, a
    // blocking wait before every long name, which would be measured instead.
    program.panel().HScroll1_Change(1);
    remote::ControlService service(
        program.panel(), program.display(),
        platform::control::controlFilePath(home.path(), QStringLiteral("bench-control")));
    service.start({true, quint16(0), std::nullopt});
    if (!service.listening()) return 1;
    const quint16 port = service.port();
    const QByteArray token =
        platform::control::loadControlFile(
            platform::control::controlFilePath(home.path(), QStringLiteral("bench-control")))
            .settings.token;

    // The user-interface thread's lateness, and the stack where stops are shown.
    Figures f;
    std::vector<double> lateMs;
    QElapsedTimer sinceTick;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (f.bursting && sinceTick.isValid())
            lateMs.push_back(std::max(0.0, double(sinceTick.nsecsElapsed()) / 1e6 - 16.0));
        sinceTick.start();
    });
    tick.setTimerType(Qt::PreciseTimer);
    tick.start(16);
    const char top = 0;
    std::ptrdiff_t deepest = 0;
    QObject::connect(&program.panel(), &frmCtl::stopShown, [&] {
        const char here = 0;
        deepest = std::max(deepest, &top - &here);
    });

    long rssBefore = 0;
    std::unique_ptr<QThread> client(QThread::create([&] { measure(port, token, perClient, f); }));
    // The burst starts once the first two measurements are done; memory is
    // read around it from this thread.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (f.bursting && rssBefore == 0) rssBefore = residentKiB();
    });
    watch.start(1);
    QEventLoop running;
    QObject::connect(client.get(), &QThread::finished, [&] {
        // The last long name ends its loop.
        program.display().ChimeiCtl->SetChimei(QStringLiteral("終"));
        running.quit();
    });
    client->start();
    running.exec();
    client->wait();
    const long rssAfter = residentKiB();

    std::printf("GET /state round trip: median %.3f ms, p99 %.3f ms (%zu requests)\n",
                percentile(f.stateMs, 0.5), percentile(f.stateMs, 0.99), f.stateMs.size());
    std::printf("next/back to stopChanged: median %.3f ms, p99 %.3f ms, max %.3f ms (%zu stops)\n",
                percentile(f.eventMs, 0.5), percentile(f.eventMs, 0.99), percentile(f.eventMs, 1.0),
                f.eventMs.size());
    std::printf("burst: %d answers of %d (%d refused, %d out of order) in %.2f s (%.0f commands/s)\n",
                f.burstAnswers, 8 * perClient, f.burstRefused, f.burstOutOfOrder, f.burstSeconds,
                f.burstAnswers / f.burstSeconds);
    for (const auto& [what, ms] : {std::pair{"during the burst", f.burstReadMs}, std::pair{"during a lamp test", f.lampReadMs}})
        std::printf("GET /state on a new connection %s: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu reads, %zd failed)\n",
                    what, percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0), ms.size(),
                    std::count(ms.begin(), ms.end(), -1.0));
    std::printf("16 ms timer lateness during the burst: median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                percentile(lateMs, 0.5), percentile(lateMs, 0.99), percentile(lateMs, 1.0));
    std::printf("deepest stack at a shown stop: %td bytes\n", deepest);
    std::printf("resident memory: %ld KiB before the burst, %ld KiB after\n", rssBefore, rssAfter);
    return 0;
}
