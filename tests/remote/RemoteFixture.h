#pragma once
// The whole program offscreen (seams faked, events handled for real) with its
// control interface on a free loopback port, and real clients on a thread of
// their own: Qt's HTTP client, Qt's WebSocket, a bare TCP socket. The program
// keeps handling its events, its scroll loops included, while the clients
// talk to it, as it would with a program outside.
#include "tests/e2e/ProgramFixture.h"

#include "remote/ControlService.h"
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "options/frmOption.h"
#include "platform/ControlFile.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeSpeech.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <atomic>
#include <deque>
#include <functional>

// Waits, on the client's thread, until `done` or `ms` passed.
inline bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    tick.start(1);
    if (!done()) loop.exec();
    return done();
}

// A WebSocket client and what it has received.
struct Socket {
    std::unique_ptr<QWebSocket> ws = std::make_unique<QWebSocket>();
    std::deque<QJsonObject> inbox;
    bool closed = false;

    Socket() {
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived, [this](const QString& t) {
            inbox.push_back(QJsonDocument::fromJson(t.toUtf8()).object());
        });
        QObject::connect(ws.get(), &QWebSocket::disconnected, [this] { closed = true; });
    }
    // The next message, or an empty object after 10 s.
    QJsonObject next() {
        if (!waitUntil([this] { return !inbox.empty(); })) return {};
        QJsonObject o = inbox.front();
        inbox.pop_front();
        return o;
    }
    // The next event, passing over answers.
    QString nextEvent() {
        for (QJsonObject o = next(); !o.isEmpty(); o = next())
            if (o.contains(QStringLiteral("event"))) return o.value(QStringLiteral("event")).toString();
        return {};
    }
    void send(const QJsonObject& o) { ws->sendTextMessage(QString::fromUtf8(QJsonDocument(o).toJson())); }
};

class Client {
public:
    Client(quint16 port, QByteArray token) : port_(port), token_(std::move(token)) {}

    struct Reply {
        int status = 0;
        QJsonObject json;
        QString code() const {
            return json.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toString();
        }
        QJsonObject state() const { return json.value(QStringLiteral("state")).toObject(); }
    };

    QUrl url(const QString& pathAndQuery, const QString& scheme = QStringLiteral("http")) const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port_).arg(pathAndQuery));
    }
    Reply get(const QString& path, const QList<QPair<QByteArray, QByteArray>>& headers = {}) {
        QNetworkRequest r(url(path));
        for (const auto& [k, v] : headers)
            r.setRawHeader(k, v);
        return finish(manager_.get(r));
    }
    // A command with the token; `args` as the query.
    Reply command(const QString& name, const QString& args = {}, const QByteArray& token = {}) {
        QNetworkRequest r(
            url(QStringLiteral("/command/") + name + (args.isEmpty() ? QString() : u'?' + args)));
        r.setRawHeader("Authorization", "Bearer " + (token.isEmpty() ? token_ : token));
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        return finish(manager_.post(r, QByteArray()));
    }
    Reply renewToken() {
        QNetworkRequest r(url(QStringLiteral("/token/renew")));
        r.setRawHeader("Authorization", "Bearer " + token_);
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        return finish(manager_.post(r, QByteArray()));
    }
    Reply post(const QString& path, const QByteArray& body) {
        QNetworkRequest r(url(path));
        r.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        return finish(manager_.post(r, body));
    }
    // Bytes on a bare connection; what came back until it closed or `ms` passed.
    QByteArray raw(const QByteArray& bytes, int ms = 3000, bool closeAtOnce = false) {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), port_);
        if (!s.waitForConnected(3000)) return "[not connected]";
        s.write(bytes);
        s.waitForBytesWritten(3000);
        if (closeAtOnce) return {};
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms && s.state() == QAbstractSocket::ConnectedState) {
            s.waitForReadyRead(50);
            got += s.readAll();
        }
        got += s.readAll();
        return s.state() == QAbstractSocket::ConnectedState ? got + "[open]" : got + "[closed]";
    }
    // A WebSocket on /ws, with the token or without; null when refused.
    std::unique_ptr<Socket> open(bool withToken, const QByteArray& origin = {}) {
        auto s = std::make_unique<Socket>();
        QNetworkRequest r(url(QStringLiteral("/ws"), QStringLiteral("ws")));
        if (withToken) r.setRawHeader("Authorization", "Bearer " + token_);
        if (!origin.isEmpty()) r.setRawHeader("Origin", origin);
        s->ws->open(r);
        waitUntil([&] { return s->ws->state() == QAbstractSocket::ConnectedState || s->closed; });
        return s->ws->state() == QAbstractSocket::ConnectedState ? std::move(s) : nullptr;
    }
    const QByteArray& token() const { return token_; }

private:
    static Reply finish(QNetworkReply* reply) {
        waitUntil([reply] { return reply->isFinished(); }, 30000);
        Reply r;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.json = QJsonDocument::fromJson(reply->readAll()).object();
        reply->deleteLater();
        return r;
    }
    quint16 port_;
    QByteArray token_;
    QNetworkAccessManager manager_;
};

class Remote : public ProgramTest {
protected:
    Remote() {
        // The device announces itself in the test's runtime folder.
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        time->processRealEvents = true;
        const QString sample = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample/");
        for (const char* name : {"1.hy3", "1tp.csv"})
            EXPECT_TRUE(QFile::copy(sample + QLatin1String(name), home.filePath(QLatin1String(name))));
    }
    ~Remote() override {
        time->onWait = nullptr;
        service.reset();
        qunsetenv("XDG_RUNTIME_DIR");
    }

    // The program on the sample route's files, its interface on.
    void start(remote::ServerLimits limits = {}) {
        program = startProgram();
        program->options().Text2[0]->setText(home.path());
        program->options().Text2[1]->setText(home.path());
        service = std::make_unique<remote::ControlService>(program->panel(), program->display(), controlFile,
                                                            limits);
        service->start({true, quint16(0), std::nullopt});
        ASSERT_TRUE(service->listening()) << service->problem().toStdString();
        port = service->port();
        token = platform::control::loadControlFile(controlFile).settings.token;
        // Once the clients are done, a short name ends every scroll loop.
        time->onWait = [this] {
            ChimeiCtl_B& strip = *program->display().ChimeiCtl;
            if (clientDone && strip.isScrolling()) strip.SetChimei(QStringLiteral("終"));
        };
    }

    // Runs `work` on a thread of its own with a client of the interface,
    // handling the program's events until it is done.
    void remote(const std::function<void(Client&)>& work) {
        clientDone = false;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            Client client(port, token);
            work(client);
        }));
        QEventLoop loop;
        QObject::connect(thread.get(), &QThread::finished, &loop, [&] {
            clientDone = true;
            loop.quit();
        });
        thread->start();
        loop.exec();
        thread->wait();
    }

    QTemporaryDir runtime;
    QString controlFile = platform::control::controlFilePath(home.path(), QStringLiteral("LED-84"));
    platform::testing::ScopedAudio audio;
    sound::testing::ScopedSpeechEngine speech;
    std::unique_ptr<Program> program;
    std::unique_ptr<remote::ControlService> service;
    quint16 port = 0;
    QByteArray token;
    std::atomic<bool> clientDone{false};
};
