#include "remote/ControlServer.h"

#include "panel/PanelDriver.h"
#include "display/Form1.h"
#include "platform/ControlFile.h"

#include <QBuffer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>

namespace remote {

namespace {

using Status = QHttpServerResponder::StatusCode;

QByteArray methodName(QHttpServerRequest::Method m) {
    switch (m) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    case QHttpServerRequest::Method::Connect:
        return "CONNECT";
    case QHttpServerRequest::Method::Trace:
        return "TRACE";
    default:
        return "UNKNOWN";
    }
}

QJsonObject errorObject(const Refusal& r) {
    return {{QStringLiteral("code"), r.code}, {QStringLiteral("message"), r.message}};
}

QByteArray compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// The page may use only its own files and the device's answers: no script
// but its own file, nothing from elsewhere, no frames of it in other sites'
// pages. The display's picture comes as a blob the page fetched itself.
const QByteArray kContentSecurityPolicy =
    "default-src 'self'; img-src 'self' blob:; connect-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

// A file of the page, from the program's resources.
QByteArray pageFileBytes(const PageFile& file) {
    QFile f(file.resource);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    default:
        return "Service Unavailable";
    }
}

} // namespace

// What one request is answered with.
struct ControlServer::Answer {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    bool close = false;

    static Answer json(const QJsonObject& o, int status = 200) {
        return {status, "application/json", compact(o), false};
    }
    static Answer refusal(const Refusal& r) {
        Answer a = json({{QStringLiteral("ok"), false}, {QStringLiteral("error"), errorObject(r)}}, r.status);
        a.close = r.status == 408 || r.status == 413;
        return a;
    }
    static Answer outcome(const Outcome& o) {
        if (o.refusal) {
            Answer a = refusal(*o.refusal);
            QJsonObject body = QJsonDocument::fromJson(a.body).object();
            if (!o.state.isEmpty()) body[QStringLiteral("state")] = o.state;
            a.body = compact(body);
            return a;
        }
        return json({{QStringLiteral("ok"), true}, {QStringLiteral("state"), o.state}});
    }
};

// An HTTP connection: the request being received, and the answers owed, in
// the order the requests came (a command's answer may come later than the
// answer of a request after it is ready).
struct ControlServer::Connection {
    QPointer<QTcpSocket> socket;
    qint64 received = 0; // bytes of the request now arriving
    QTimer* deadline = nullptr;
    struct Slot {
        quint64 serial = 0;
        std::unique_ptr<QHttpServerResponder> responder;
        std::optional<Answer> answer;
    };
    std::deque<Slot> owed;
    quint64 nextSerial = 0;
};

struct ControlServer::SocketClient {
    QWebSocket* socket = nullptr;
    Access access = Access::Watch;
    qint64 unread = 0; // bytes sent but not yet written to the network
};

// Takes each connection before the HTTP server does, so that its bytes are
// counted and its time is limited before Qt buffers a whole request.
class ControlServer::Listener final : public QTcpServer {
public:
    Listener(ControlServer& owner) : QTcpServer(&owner), owner_(owner) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (owner_.accept(socket)) addPendingConnection(socket);
    }

private:
    ControlServer& owner_;
};

ControlServer::ControlServer(PanelDriver& driver, Form1& display, ServerLimits limits, QObject* parent)
    : QAbstractHttpServer(parent), driver_(driver), display_(display), limits_(limits) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &ControlServer::acceptSockets);
}

ControlServer::~ControlServer() {
    for (auto& client : sockets_) {
        QObject::disconnect(client->socket, nullptr, this, nullptr);
        delete client->socket;
    }
}

std::optional<QString> ControlServer::start(const QString& listen, quint16 port, const QByteArray& token) {
    listen_ = listen;
    listening_ = {port, {}, token};
    QList<QHostAddress> addresses;
    if (platform::control::isLoopbackListen(listen)) {
        addresses = {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    } else {
        const QHostAddress address(listen);
        if (address.isNull()) return QStringLiteral("%1 は IP アドレスではありません").arg(listen);
        addresses = {address};
    }
    for (const QHostAddress& address : addresses) {
        auto* listener = new Listener(*this);
        if (!listener->listen(address, listening_.port)) {
            const QString why = listener->errorString();
            delete listener;
            // A machine without IPv6 still has 127.0.0.1.
            if (!listening_.addresses.isEmpty()) continue;
            return QStringLiteral("%1 のポート %2 を開けません（%3）")
                .arg(address.toString())
                .arg(port)
                .arg(why);
        }
        listening_.port = listener->serverPort();
        listening_.addresses.append(address);
        bind(listener);
    }
    return std::nullopt;
}

QString ControlServer::url() const {
    const QString host = platform::control::clientHost(listen_);
    return QStringLiteral("http://%1:%2")
        .arg(host.contains(u':') ? u'[' + host + u']' : host)
        .arg(listening_.port);
}

// ---- connections ---------------------------------------------------------------------------

bool ControlServer::accept(QTcpSocket* socket) {
    if (int(connections_.size()) >= limits_.connections) {
        refuseRaw(socket, tooBusy());
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        return false;
    }
    // Connected before Qt's own handler, so the bytes are counted first.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onBytes(socket); });
    auto c = std::make_unique<Connection>();
    c->socket = socket;
    c->deadline = new QTimer(socket);
    c->deadline->setSingleShot(true);
    connect(c->deadline, &QTimer::timeout, this, [this, socket] { onDeadline(socket); });
    c->deadline->start(limits_.idleMs);
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    connections_[socket] = std::move(c);
    return true;
}

// Refuses without Qt's HTTP server: over the limits that protect it, before
// it reads the request.
void ControlServer::refuseRaw(QTcpSocket* socket, const Refusal& refusal) {
    const QByteArray body = Answer::refusal(refusal).body;
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->write("HTTP/1.1 " + QByteArray::number(refusal.status) + ' ' + reasonPhrase(refusal.status) +
                  "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void ControlServer::forget(QTcpSocket* socket) {
    connections_.erase(socket);
}

void ControlServer::onBytes(QTcpSocket* socket) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    if (c.received == 0) c.deadline->start(limits_.requestMs);
    c.received += socket->bytesAvailable();
    if (c.received <= kMaxRequestBytes) return;
    // Refused before Qt reads it: Qt would keep the whole request in memory.
    c.deadline->stop();
    refuseRaw(socket, tooLarge());
}

void ControlServer::onDeadline(QTcpSocket* socket) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    // A request begun and never finished (a slow or half-open client) is
    // told so; an idle connection just closes.
    if (it->second->received > 0 && it->second->owed.empty()) {
        refuseRaw(socket, requestTimeout());
        return;
    }
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    socket->disconnectFromHost();
}

bool ControlServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return true;
    Connection& c = *it->second;
    c.received = 0;
    c.deadline->stop();

    const QUrl url = request.url();
    HttpInput input{methodName(request.method()),
                    requestTarget(url.path(QUrl::FullyEncoded).toUtf8(),
                                  url.query(QUrl::FullyEncoded).toUtf8(), url.hasQuery()),
                    request.headers(), request.body(), socket->peerAddress().isLoopback()};
    auto decoded = decodeHttpRequest(input, listening_);
    const bool toSocket = asksForWebSocket(input.headers);

    const quint64 serial = c.nextSerial++;
    c.owed.push_back(
        {serial, std::make_unique<QHttpServerResponder>(makeResponder(request, socket)), std::nullopt});

    if (toSocket) {
        // Qt upgrades the connection once this returns, unless it is gone:
        // a refused upgrade is answered and the connection dropped.
        std::optional<Refusal> refused;
        if (const auto* r = std::get_if<Refusal>(&decoded))
            refused = *r;
        else if (socketClientCount() + 1 > limits_.socketClients)
            refused = tooBusy();
        if (!refused) {
            // From here the connection is the WebSocket's.
            c.deadline->stop();
            connections_.erase(it);
            return true;
        }
        Answer a = Answer::refusal(*refused);
        a.close = true;
        answer(socket, serial, a);
        socket->flush();
        socket->abort();
        return true;
    }

    if (const auto* r = std::get_if<Refusal>(&decoded)) {
        answer(socket, serial, Answer::refusal(*r));
        return true;
    }
    const Request& req = std::get<Request>(decoded);
    switch (req.target) {
    case Target::State:
        answer(socket, serial, Answer::json(driver_.state()));
        break;
    case Target::DisplayPicture: {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        display_.grab().toImage().save(&buffer, "PNG");
        answer(socket, serial, {200, "image/png", png, false});
        break;
    }
    case Target::RenewToken:
        answer(socket, serial, renew());
        break;
    case Target::PageFile:
        answer(socket, serial, {200, req.page->contentType, pageFileBytes(*req.page), false});
        break;
    case Target::Command: {
        QPointer<ControlServer> self(this);
        QPointer<QTcpSocket> client(socket);
        driver_.submit(req.command, socket, [self, client, serial](const Outcome& o) {
            if (self && client) self->answer(client, serial, Answer::outcome(o));
        });
        break;
    }
    case Target::Events:
        break; // asked for a WebSocket: handled above
    }
    return true;
}

void ControlServer::missingHandler(const QHttpServerRequest&, QTcpSocket*) {}

void ControlServer::answer(QTcpSocket* socket, quint64 slot, Answer reply) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    for (Connection::Slot& s : it->second->owed) {
        if (s.serial != slot) continue;
        s.answer = std::move(reply);
        break;
    }
    writeReady(*it->second);
}

// Writes the answers that are ready, in the order their requests came.
void ControlServer::writeReady(Connection& c) const {
    while (!c.owed.empty() && c.owed.front().answer && c.socket &&
           c.socket->state() == QAbstractSocket::ConnectedState) {
        Connection::Slot s = std::move(c.owed.front());
        c.owed.pop_front();
        const Answer& a = *s.answer;
        QHttpServerResponder& r = *s.responder;
        r.writeStatusLine(Status(a.status));
        r.writeHeader("Content-Type", a.contentType);
        r.writeHeader("Content-Length", QByteArray::number(a.body.size()));
        r.writeHeader("Cache-Control", "no-store");
        r.writeHeader("X-Content-Type-Options", "nosniff");
        r.writeHeader("Content-Security-Policy", kContentSecurityPolicy);
        r.writeHeader("Referrer-Policy", "no-referrer");
        r.writeHeader("X-Frame-Options", "DENY");
        if (a.status == 401) r.writeHeader("WWW-Authenticate", "Bearer");
        if (a.close) r.writeHeader("Connection", "close");
        r.writeBody(a.body);
        if (a.close) {
            c.socket->disconnectFromHost();
            return;
        }
    }
    if (c.owed.empty() && c.socket && c.received == 0) c.deadline->start(limits_.idleMs);
}

// ---- WebSocket clients -------------------------------------------------------------------------

void ControlServer::acceptSockets() {
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> ws = nextPendingWebSocketConnection();
        if (!ws) continue;
        // The upgrade was checked as it came; its request decides again what
        // the client may do.
        const QUrl url = ws->requestUrl();
        Headers headers;
        for (const QByteArray& name : ws->request().rawHeaderList())
            headers.append({name, ws->request().rawHeader(name)});
        const HttpInput input{"GET",
                              requestTarget(url.path(QUrl::FullyEncoded).toUtf8(),
                                            url.query(QUrl::FullyEncoded).toUtf8(), url.hasQuery()),
                              headers,
                              {},
                              ws->peerAddress().isLoopback()};
        const auto decoded = decodeHttpRequest(input, listening_);
        const auto* request = std::get_if<Request>(&decoded);
        if (!request || request->target != Target::Events || socketClientCount() >= limits_.socketClients) {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated);
            ws.release()->deleteLater();
            continue;
        }
        auto client = std::make_unique<SocketClient>();
        client->socket = ws.release();
        client->socket->setParent(this);
        client->access = request->access;
        client->socket->setMaxAllowedIncomingFrameSize(quint64(kMaxRequestBytes));
        client->socket->setMaxAllowedIncomingMessageSize(quint64(kMaxRequestBytes));
        SocketClient* raw = client.get();
        connect(raw->socket, &QWebSocket::textMessageReceived, this,
                [this, raw](const QString& text) { onSocketMessage(raw, text.toUtf8()); });
        connect(raw->socket, &QWebSocket::binaryMessageReceived, this,
                [this, raw](const QByteArray&) { onSocketMessage(raw, QByteArray()); });
        connect(raw->socket, &QWebSocket::bytesWritten, this,
                [raw](qint64 n) { raw->unread = std::max<qint64>(0, raw->unread - n); });
        connect(raw->socket, &QWebSocket::disconnected, this, [this, raw] { dropSocket(raw); });
        sockets_.push_back(std::move(client));
    }
}

void ControlServer::onSocketMessage(SocketClient* client, const QByteArray& text) {
    auto decoded = decodeSocketMessage(text, client->access);
    if (const auto* r = std::get_if<SocketRefusal>(&decoded)) {
        QJsonObject o{{QStringLiteral("ok"), false}, {QStringLiteral("error"), errorObject(r->refusal)}};
        if (!r->id.isUndefined()) o[QStringLiteral("id")] = r->id;
        sendTo(client, compact(o));
        return;
    }
    const auto& command = std::get<SocketCommand>(decoded);
    QPointer<ControlServer> self(this);
    QWebSocket* socket = client->socket;
    const QJsonValue id = command.id;
    driver_.submit(command.command, socket, [self, socket, id](const Outcome& o) {
        // The client may have gone meanwhile: only a client still here is answered.
        SocketClient* stillHere = self ? self->clientOf(socket) : nullptr;
        if (!stillHere) return;
        QJsonObject body = QJsonDocument::fromJson(Answer::outcome(o).body).object();
        if (!id.isUndefined()) body[QStringLiteral("id")] = id;
        self->sendTo(stillHere, compact(body));
    });
}

ControlServer::SocketClient* ControlServer::clientOf(const QWebSocket* socket) const {
    for (const auto& c : sockets_)
        if (c->socket == socket) return c.get();
    return nullptr;
}

void ControlServer::sendTo(SocketClient* client, const QByteArray& text) const {
    // A client that leaves its events unread is let go before they pile up.
    if (client->unread > limits_.unreadBytes) {
        client->socket->abort();
        return;
    }
    client->unread += text.size();
    client->socket->sendTextMessage(QString::fromUtf8(text));
}

void ControlServer::dropSocket(SocketClient* client) {
    const auto it =
        std::find_if(sockets_.begin(), sockets_.end(), [client](const auto& c) { return c.get() == client; });
    if (it == sockets_.end()) return;
    client->socket->deleteLater();
    sockets_.erase(it);
}

void ControlServer::broadcast(const QString& event, const QJsonObject& state) {
    if (sockets_.empty()) return;
    const QByteArray text = compact({{QStringLiteral("event"), event}, {QStringLiteral("state"), state}});
    // Sending may let a client go: walk a copy.
    std::vector<SocketClient*> clients;
    for (const auto& c : sockets_)
        clients.push_back(c.get());
    for (SocketClient* c : clients)
        sendTo(c, text);
}

void ControlServer::flush() {
    for (const auto& c : sockets_)
        c->socket->flush();
    for (const auto& [socket, c] : connections_)
        if (c->socket) c->socket->flush();
}

// ---- the token -----------------------------------------------------------------------------------

ControlServer::Answer ControlServer::renew() {
    if (!renewToken)
        return Answer::refusal(
            {503, QStringLiteral("not_renewable"), QStringLiteral("トークンを作り直せません")});
    auto made = renewToken();
    if (const auto* why = std::get_if<QString>(&made))
        return Answer::refusal({500, QStringLiteral("not_renewable"), *why});
    setToken(std::get<QByteArray>(made));
    return Answer::json({{QStringLiteral("ok"), true}});
}

void ControlServer::setToken(const QByteArray& token) {
    listening_.token = token;
    // Clients that came in with the old token go; watchers without one stay.
    std::vector<SocketClient*> holders;
    for (const auto& c : sockets_)
        if (c->access == Access::Command) holders.push_back(c.get());
    for (SocketClient* c : holders)
        c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("token renewed"));
}

} // namespace remote
