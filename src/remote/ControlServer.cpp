#include "remote/ControlServer.h"

#include "platform/ControlFile.h"
#include "platform/Seams.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

namespace remote {

using namespace protocol; // NOLINT(google-build-using-namespace): the interface's whole vocabulary

namespace {

// How long a closing connection may take to say goodbye before it is cut.
constexpr qint64 kClosingMs = 1000;
// How long a reader of the picture waits for a fresh one before it gets the
// latest there is.
constexpr qint64 kPictureWaitMs = 250;
// How often the deadlines are looked at.
constexpr int kSweepMs = 100;
// A connection just opened is given this long to send its request before it
// may be closed to make room for another.
constexpr qint64 kGraceMs = 500;

// The machine's steady clock: the server and the device compare moments
// they each noted (when a picture was last wanted).
qint64 nowMs() { return platform::steadyMs(); }

QByteArray compact(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

QJsonObject errorObject(const Refusal& r) {
    return {{QStringLiteral("code"), r.code}, {QStringLiteral("message"), r.message}};
}

// The page may use only its own files and the device's answers: no script
// but its own file, nothing from elsewhere, no frames of it in other sites'
// pages. The display's picture comes as a blob the page fetched itself.
const QByteArray kContentSecurityPolicy =
    "default-src 'self'; img-src 'self' blob:; connect-src 'self'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

// The state as published, with the moment it is sent on the machine's steady
// clock ("sentMs"): a page times the strip's phases from it.
QByteArray stamped(const QByteArray& stateJson) {
    QByteArray out = stateJson;
    out.chop(1);
    return out + ",\"sentMs\":" + QByteArray::number(platform::steadyMs()) + '}';
}

QByteArray headerOf(const Headers& headers, const char* name) {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

QByteArray pageFileBytes(const PageFile& file) {
    QFile f(file.resource);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The answer to a command: ok and the state after it, or the refusal with
// the state as it stands.
QJsonObject outcomeObject(const std::optional<Refusal>& refusal, const QJsonObject& state) {
    if (refusal) {
        QJsonObject o{{QStringLiteral("ok"), false}, {QStringLiteral("error"), errorObject(*refusal)}};
        if (!state.isEmpty()) o[QStringLiteral("state")] = state;
        return o;
    }
    return {{QStringLiteral("ok"), true}, {QStringLiteral("state"), state}};
}

} // namespace

// What one request is answered with.
struct ControlServer::Answer {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    // The page's origin that may read it (an allowed origin, with the token).
    QByteArray corsOrigin = {};
    bool preflight = false;

    static Answer json(const QByteArray& body, int status = 200) { return {status, "application/json", body}; }
    static Answer refusal(const Refusal& r) {
        return {r.status, "application/json",
                compact({{QStringLiteral("ok"), false}, {QStringLiteral("error"), errorObject(r)}})};
    }
    Answer readableBy(const std::optional<QByteArray>& origin) && {
        corsOrigin = origin.value_or(QByteArray());
        return std::move(*this);
    }
};

// An answer owed to a client, in the order its requests came: over HTTP the
// whole response, over a WebSocket the frame.
struct ControlServer::Owed {
    quint64 serial = 0;
    std::optional<QByteArray> bytes;
    bool close = false;
};

struct ControlServer::Connection {
    quint64 id = 0;
    QTcpSocket* socket = nullptr;
    Mode mode = Mode::Http;
    std::shared_ptr<panel::ClientTicket> ticket = std::make_shared<panel::ClientTicket>();
    qint64 lastActiveMs = 0;    // when it last finished something, or opened
    qint64 requestSinceMs = -1; // since when the request now arriving has been arriving
    qint64 closingSinceMs = 0;
    QByteArray buffer; // received and not yet read as a request
    bool continueSent = false;
    std::deque<Owed> owed;
    quint64 nextSerial = 0;
    bool closeAfterAnswers = false;
    bool served = false; // a request of it was answered
    // As a WebSocket client.
    Access access = Access::Watch;
    bool displayEvents = false; // asked for "strip" and "busy" too
    SocketReader reader;
    qint64 heardMs = 0;
    bool pinged = false;

    bool idle() const { return buffer.isEmpty() && owed.empty() && requestSinceMs < 0; }
};

ControlServer::ControlServer(const Published& published, DeviceLink& device, ServerLimits limits, QObject* parent)
    : QObject(parent), published_(published), device_(device), limits_(limits) {
    sweeper_.setInterval(kSweepMs);
    connect(&sweeper_, &QTimer::timeout, this, &ControlServer::sweep);
}

ControlServer::~ControlServer() {
    for (auto& [id, c] : connections_) {
        c->socket->disconnect(this);
        c->socket->abort();
        delete c->socket;
    }
}

// ---- listening -------------------------------------------------------------------------------

namespace {

// Hands each connection to its owner as it comes, before anything is read.
class Listener final : public QTcpServer {
public:
    Listener(std::function<void(QTcpSocket*)> take, QObject* parent)
        : QTcpServer(parent), take_(std::move(take)) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket();
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        take_(socket);
    }

private:
    std::function<void(QTcpSocket*)> take_;
};

} // namespace

std::optional<QString> ControlServer::start(const QString& listen, quint16 port, const QByteArray& token) {
    listen_ = listen;
    listening_ = {port, {}, token, listening_.allowedOrigins};
    QList<QHostAddress> addresses;
    if (platform::control::isLoopbackListen(listen)) {
        addresses = {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)};
    } else {
        const QHostAddress address(listen);
        if (address.isNull()) return QStringLiteral("%1 は IP アドレスではありません").arg(listen);
        addresses = {address};
    }
    for (const QHostAddress& address : addresses) {
        auto* listener = new Listener([this](QTcpSocket* s) { accept(s); }, this);
        if (!listener->listen(address, listening_.port)) {
            const QString why = listener->errorString();
            delete listener;
            // A machine without IPv6 still has 127.0.0.1.
            if (!listening_.addresses.isEmpty()) continue;
            return QStringLiteral("%1 のポート %2 を開けません（%3）").arg(address.toString()).arg(port).arg(why);
        }
        listening_.port = listener->serverPort();
        listening_.addresses.append(address);
        listeners_.push_back(listener);
    }
    sweeper_.start();
    return std::nullopt;
}

QString ControlServer::url() const {
    const QString host = platform::control::clientHost(listen_);
    return QStringLiteral("http://%1:%2").arg(host.contains(u':') ? u'[' + host + u']' : host).arg(listening_.port);
}

int ControlServer::count(Mode mode) const {
    return int(std::count_if(connections_.begin(), connections_.end(),
                             [mode](const auto& entry) { return entry.second->mode == mode; }));
}
int ControlServer::connectionCount() const { return count(Mode::Http); }
int ControlServer::socketClientCount() const { return count(Mode::Socket); }

ControlServer::Connection* ControlServer::find(quint64 id) {
    const auto it = connections_.find(id);
    return it == connections_.end() ? nullptr : it->second.get();
}

// ---- connections -------------------------------------------------------------------------------

void ControlServer::accept(QTcpSocket* socket) {
    socket->setParent(this);
    auto c = std::make_unique<Connection>();
    c->id = nextId_++;
    c->socket = socket;
    c->lastActiveMs = nowMs();
    const quint64 id = c->id;
    connect(socket, &QTcpSocket::readyRead, this, [this, id] { onReadable(id); });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] { release(id); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, id](QAbstractSocket::SocketError) { release(id); });
    // Qt reads no more off the network than one request's worth while the
    // requests before are still being answered.
    socket->setReadBufferSize(kMaxRequestBytes);
    // Answers and events leave at once, not held back to fill a packet.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const bool room = count(Mode::Http) < limits_.connections || makeRoom();
    Connection& conn = *c;
    connections_[id] = std::move(c);
    if (!room) {
        // Nothing could make room: every connection is being answered.
        const Answer a = Answer::refusal(tooBusy());
        const Owed refusal{0, "HTTP/1.1 503 " + reasonPhrase(503) + "\r\nContent-Type: application/json\r\nContent-Length: " +
                                  QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n" + a.body,
                           true};
        conn.owed.push_back(refusal);
        conn.nextSerial = 1;
        writeReady(conn);
    }
}

// At the limit, the connection idle longest goes, or else the one that has
// been sending its request longest: a legitimate client is always served.
// Connections being answered are never closed for room, nor one just opened
// whose request may still be on its way.
bool ControlServer::makeRoom() {
    const qint64 now = nowMs();
    Connection* idlest = nullptr;
    Connection* slowest = nullptr;
    for (auto& [id, c] : connections_) {
        if (c->mode != Mode::Http || !c->owed.empty()) continue;
        if (c->idle() && (c->served || now - c->lastActiveMs > kGraceMs)) {
            if (!idlest || c->lastActiveMs < idlest->lastActiveMs) idlest = c.get();
        } else if (!c->idle()) {
            if (!slowest || c->requestSinceMs < slowest->requestSinceMs) slowest = c.get();
        }
    }
    Connection* victim = idlest ? idlest : slowest;
    if (!victim) return false;
    release(victim->id);
    return true;
}

void ControlServer::onReadable(quint64 id) {
    Connection* c = find(id);
    if (!c) return;
    switch (c->mode) {
    case Mode::Closing:
        c->socket->readAll(); // nothing more is read
        return;
    case Mode::Socket:
        onSocketMessages(*c, c->socket->readAll());
        return;
    case Mode::Http:
        // Never more than one request's worth waiting to be read: a client
        // that sends ahead of its answers waits for them.
        if (c->buffer.size() < 2 * kMaxRequestBytes)
            c->buffer.append(c->socket->read(2 * kMaxRequestBytes - c->buffer.size()));
        readRequests(*c);
        return;
    }
}

void ControlServer::readRequests(Connection& c) {
    const quint64 id = c.id;
    while (find(id) && c.mode == Mode::Http && !c.closeAfterAnswers && int(c.owed.size()) < limits_.pipelined) {
        if (c.buffer.isEmpty()) {
            c.requestSinceMs = -1;
            break;
        }
        if (c.requestSinceMs < 0) c.requestSinceMs = nowMs();
        const auto read = readRequestHead(c.buffer);
        if (std::holds_alternative<NeedMore>(read)) break;
        if (const auto* r = std::get_if<Refusal>(&read)) {
            // The stream cannot be read on from here.
            c.buffer.clear();
            fulfil(id, owe(c, true), Answer::refusal(*r));
            break;
        }
        const RequestHead& head = std::get<RequestHead>(read);
        const qsizetype whole = head.headBytes + head.contentLength;
        if (c.buffer.size() < whole) {
            if (head.expectsContinue && !c.continueSent) {
                c.socket->write("HTTP/1.1 100 Continue\r\n\r\n");
                c.continueSent = true;
            }
            break;
        }
        const QByteArray body = c.buffer.mid(head.headBytes, head.contentLength);
        c.buffer.remove(0, whole);
        c.continueSent = false;
        c.requestSinceMs = c.buffer.isEmpty() ? -1 : nowMs();
        c.lastActiveMs = nowMs();
        handleRequest(c, head, body);
    }
    // Answers may have made room for what was held back.
    if (find(id) && c.mode == Mode::Http && c.socket->bytesAvailable() > 0 && c.buffer.size() < 2 * kMaxRequestBytes)
        QMetaObject::invokeMethod(this, [this, id] { onReadable(id); }, Qt::QueuedConnection);
}

void ControlServer::handleRequest(Connection& c, const RequestHead& head, const QByteArray& body) {
    const HttpInput input{head.method, head.target, head.headers, body, c.socket->peerAddress().isLoopback()};
    const auto decoded = decodeHttpRequest(input, listening_);
    const std::optional<QByteArray> cors = corsOrigin(input, listening_);
    // HTTP/1.0 and "Connection: close": this request is the connection's last.
    if (!head.keepAlive) c.closeAfterAnswers = true;

    // Upgrading is all or nothing: a request that asks for it and is not a
    // WebSocket handshake we take is refused, and the connection closed.
    if (head.upgrade) {
        std::optional<Refusal> refused;
        if (const auto* r = std::get_if<Refusal>(&decoded))
            refused = *r;
        else if (std::get<Request>(decoded).target != Target::Events)
            refused = refuse(RefusalKind::NotASocket, QStringLiteral("WebSocket は /ws だけです"));
        else
            refused = checkSocketHandshake(head.headers);
        if (!refused && (!c.owed.empty() || !c.buffer.isEmpty()))
            refused = refuse(RefusalKind::BadHandshake, QStringLiteral("WebSocket の開き方が違います"));
        if (!refused && upgrade(c, head, std::get<Request>(decoded))) return;
        fulfil(c.id, owe(c, true), Answer::refusal(refused.value_or(tooBusy())));
        return;
    }

    const quint64 serial = owe(c, !head.keepAlive);
    if (const auto* r = std::get_if<Refusal>(&decoded)) {
        fulfil(c.id, serial, Answer::refusal(*r).readableBy(cors));
        return;
    }
    const Request& request = std::get<Request>(decoded);
    switch (request.target) {
    case Target::State:
        fulfil(c.id, serial, Answer::json(stamped(published_.state()->json)).readableBy(cors));
        break;
    case Target::DisplayPicture:
        servePicture(c.id, serial, cors);
        break;
    case Target::StripPicture:
        fulfil(c.id, serial, stripAnswer().readableBy(cors));
        break;
    case Target::RenewToken:
        renew(c.id, serial);
        break;
    case Target::PageFile:
        fulfil(c.id, serial, {200, request.page->contentType, pageFileBytes(*request.page)});
        break;
    case Target::Vocabulary: {
        static const QByteArray vocabulary = compact(vocabularyDocument());
        fulfil(c.id, serial, Answer::json(vocabulary).readableBy(cors));
        break;
    }
    case Target::Preflight: {
        Answer a{204, "text/plain", {}, headerOf(head.headers, "Origin"), true};
        fulfil(c.id, serial, a);
        break;
    }
    case Target::Command: {
        const quint64 id = c.id;
        device_.submit(request.command, c.ticket,
                       [this, id, serial, cors](const panel::Outcome& o, const std::shared_ptr<const StateSnapshot>& s) {
                           const QJsonObject body = outcomeObject(o.refusal, s->state);
                           fulfil(id, serial,
                                  Answer::json(compact(body), o.refusal ? o.refusal->status : 200).readableBy(cors));
                       });
        break;
    }
    case Target::Events:
        break; // only by an upgrade, above: the decoder refuses it otherwise
    }
}

bool ControlServer::upgrade(Connection& c, const RequestHead& head, const Request& request) {
    if (count(Mode::Socket) >= limits_.socketClients) {
        // Full: a client with the token takes the place of the longest
        // connected one that only watches; a watcher gets no place.
        if (request.access != Access::Command) return false;
        Connection* oldest = nullptr;
        for (auto& [id, other] : connections_)
            if (other->mode == Mode::Socket && other->access == Access::Watch && (!oldest || other->id < oldest->id))
                oldest = other.get();
        if (!oldest) return false;
        closeSocketClient(*oldest, 1008);
    }
    c.socket->write(socketHandshakeAnswer(head.headers));
    c.mode = Mode::Socket;
    c.access = request.access;
    c.displayEvents = request.displayEvents;
    c.heardMs = nowMs();
    c.requestSinceMs = -1;
    c.closeAfterAnswers = false;
    return true;
}

quint64 ControlServer::owe(Connection& c, bool last) {
    const quint64 serial = c.nextSerial++;
    c.owed.push_back({serial, std::nullopt, last});
    return serial;
}

void ControlServer::fulfil(quint64 id, quint64 serial, const Answer& answer) {
    Connection* c = find(id);
    if (!c) return;
    const auto it = std::find_if(c->owed.begin(), c->owed.end(), [serial](const Owed& o) { return o.serial == serial; });
    if (it == c->owed.end()) return;
    if (c->mode == Mode::Socket) {
        it->bytes = socketFrame(SocketOpcode::Text, answer.body);
    } else {
        const bool close = it->close;
        QByteArray r = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reasonPhrase(answer.status) +
                       "\r\nContent-Type: " + answer.contentType +
                       "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                       "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nContent-Security-Policy: " +
                       kContentSecurityPolicy + "\r\nReferrer-Policy: no-referrer\r\nX-Frame-Options: DENY\r\n";
        if (answer.status == 401) r += "WWW-Authenticate: Bearer\r\n";
        if (!answer.corsOrigin.isEmpty()) {
            r += "Access-Control-Allow-Origin: " + answer.corsOrigin + "\r\nVary: Origin\r\n";
            if (answer.preflight)
                r += "Access-Control-Allow-Methods: GET, POST\r\nAccess-Control-Allow-Headers: Authorization, "
                     "Content-Type\r\nAccess-Control-Max-Age: 600\r\n";
        }
        if (close) r += "Connection: close\r\n";
        it->bytes = r + "\r\n" + answer.body;
    }
    writeReady(*c);
}

// Writes the answers that are ready, in the order their requests came.
void ControlServer::writeReady(Connection& c) {
    const quint64 id = c.id;
    while (!c.owed.empty() && c.owed.front().bytes) {
        const Owed done = std::move(c.owed.front());
        c.owed.pop_front();
        if (!sendFrame(c, *done.bytes)) return;
        if (done.close) {
            startClosing(c);
            return;
        }
        c.lastActiveMs = nowMs();
        c.served = true;
    }
    if (find(id) && c.mode == Mode::Http && c.owed.empty() && !c.buffer.isEmpty()) readRequests(c);
}

bool ControlServer::sendFrame(Connection& c, const QByteArray& frame) {
    c.socket->write(frame);
    // A client that does not read what it is sent is let go before it piles up.
    if (c.socket->bytesToWrite() <= limits_.unreadBytes) return true;
    release(c.id);
    return false;
}

void ControlServer::startClosing(Connection& c) {
    if (c.mode == Mode::Closing) return;
    c.mode = Mode::Closing;
    c.closingSinceMs = nowMs();
    c.ticket->present = false;
    c.owed.clear();
    c.buffer.clear();
    // Closes once what was written has gone out.
    c.socket->disconnectFromHost();
}

void ControlServer::closeSocketClient(Connection& c, quint16 code) {
    if (sendFrame(c, socketCloseFrame(code))) startClosing(c);
}

// Everything a connection held goes with it: its place, its waiting
// commands (dropped by the device once they come up), its socket.
void ControlServer::release(quint64 id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) return;
    std::unique_ptr<Connection> c = std::move(it->second);
    connections_.erase(it);
    c->ticket->present = false;
    c->socket->disconnect(this);
    c->socket->abort();
    c->socket->deleteLater();
}

void ControlServer::sweep() {
    const qint64 now = nowMs();
    std::vector<quint64> ids;
    for (const auto& [id, c] : connections_) ids.push_back(id);
    for (const quint64 id : ids) {
        Connection* c = find(id);
        if (!c) continue;
        switch (c->mode) {
        case Mode::Http:
            if (c->requestSinceMs >= 0 && c->owed.empty() && now - c->requestSinceMs > limits_.requestMs) {
                // A request begun and never finished: told so, then closed.
                c->buffer.clear();
                fulfil(id, owe(*c, true), Answer::refusal(requestTimeout()));
            } else if (c->idle() && now - c->lastActiveMs > limits_.idleMs) {
                startClosing(*c);
            }
            break;
        case Mode::Socket:
            if (!c->pinged && now - c->heardMs > limits_.socketSilenceMs) {
                sendFrame(*c, socketFrame(SocketOpcode::Ping, {}));
                c->pinged = true;
            } else if (c->pinged && now - c->heardMs > 2 * qint64(limits_.socketSilenceMs)) {
                release(id);
            }
            break;
        case Mode::Closing:
            if (now - c->closingSinceMs > kClosingMs) release(id);
            break;
        }
    }
    // Readers of the picture wait for a fresh one no longer than this.
    std::vector<WaitingPicture> due;
    std::erase_if(waitingPictures_, [&](const WaitingPicture& w) {
        if (w.untilMs > now) return false;
        due.push_back(w);
        return true;
    });
    for (const WaitingPicture& w : due) fulfil(w.id, w.serial, pictureAnswer().readableBy(w.cors));
}

// ---- WebSocket clients ---------------------------------------------------------------------

void ControlServer::onSocketMessages(Connection& c, const QByteArray& bytes) {
    const quint64 id = c.id;
    c.heardMs = nowMs();
    c.pinged = false;
    auto read = c.reader.feed(bytes);
    if (const auto* failure = std::get_if<SocketFailure>(&read)) {
        closeSocketClient(c, failure->closeCode);
        return;
    }
    for (const SocketMessage& m : std::get<std::vector<SocketMessage>>(read)) {
        if (!find(id) || c.mode != Mode::Socket) return;
        switch (m.kind) {
        case SocketOpcode::Text:
            onSocketText(c, m.payload);
            break;
        case SocketOpcode::Binary:
            onSocketText(c, QByteArray());
            break;
        case SocketOpcode::Ping:
            if (!sendFrame(c, socketFrame(SocketOpcode::Pong, m.payload))) return;
            break;
        case SocketOpcode::Close:
            closeSocketClient(c, m.closeCode == 1005 ? 1000 : m.closeCode);
            return;
        default:
            break;
        }
    }
}

void ControlServer::onSocketText(Connection& c, const QByteArray& text) {
    const quint64 serial = owe(c);
    const quint64 id = c.id;
    auto decoded = decodeSocketMessage(text, c.access);
    if (const auto* r = std::get_if<SocketRefusal>(&decoded)) {
        QJsonObject o{{QStringLiteral("ok"), false}, {QStringLiteral("error"), errorObject(r->refusal)}};
        if (!r->id.isUndefined()) o[QStringLiteral("id")] = r->id;
        fulfil(id, serial, Answer::json(compact(o)));
        return;
    }
    const auto& command = std::get<SocketCommand>(decoded);
    if (int(c.owed.size()) > panel::PanelDriver::kMaxWaitingPerClient) {
        QJsonObject o = outcomeObject(tooBusy(), {});
        if (!command.id.isUndefined()) o[QStringLiteral("id")] = command.id;
        fulfil(id, serial, Answer::json(compact(o)));
        return;
    }
    const QJsonValue messageId = command.id;
    device_.submit(command.command, c.ticket,
                   [this, id, serial, messageId](const panel::Outcome& o, const std::shared_ptr<const StateSnapshot>& s) {
                       QJsonObject body = outcomeObject(o.refusal, s->state);
                       if (!messageId.isUndefined()) body[QStringLiteral("id")] = messageId;
                       fulfil(id, serial, Answer::json(compact(body)));
                   });
}

void ControlServer::broadcast(const QString& event, const std::shared_ptr<const StateSnapshot>& state) {
    // {"event":...,"state":...}, the state as it was published, stamped
    // with the moment it is sent.
    QByteArray text = compact({{QStringLiteral("event"), event}});
    text.chop(1);
    text += ",\"state\":" + stamped(state->json) + '}';
    const QByteArray frame = socketFrame(SocketOpcode::Text, text);
    std::vector<quint64> ids;
    const bool forDisplays = event == eventName(Event::Strip) || event == eventName(Event::Busy);
    for (const auto& [id, c] : connections_)
        if (c->mode == Mode::Socket && (c->displayEvents || !forDisplays)) ids.push_back(id);
    for (const quint64 id : ids)
        if (Connection* c = find(id)) sendFrame(*c, frame);
}

void ControlServer::farewell(const QString& event, const std::shared_ptr<const StateSnapshot>& state) {
    broadcast(event, state);
    std::vector<quint64> ids;
    for (const auto& [id, c] : connections_) ids.push_back(id);
    for (const quint64 id : ids) {
        Connection* c = find(id);
        if (!c) continue;
        if (c->mode == Mode::Socket && !sendFrame(*c, socketCloseFrame(1001))) continue;
        // Pushing out what is written may find the peer gone (a reset), and
        // the connection with it.
        c->socket->flush();
        if (Connection* still = find(id)) still->socket->disconnectFromHost();
    }
}

// ---- the picture and the token -------------------------------------------------------------------

void ControlServer::servePicture(quint64 id, quint64 serial, const std::optional<QByteArray>& cors) {
    const auto picture = published_.picture();
    const auto state = published_.state();
    published_.notePictureWanted(nowMs());
    // The picture of the state now shown is served at once, as is the last
    // one while the device stands still; otherwise the device is asked for a
    // new one, waited for a moment at most.
    device_.refreshPicture();
    const bool busy = !state->state.value(QStringLiteral("busy")).isNull();
    if (!picture->image.isNull() && (picture->stateVersion >= state->pictureVersion || busy)) {
        fulfil(id, serial, pictureAnswer().readableBy(cors));
        return;
    }
    waitingPictures_.push_back({id, serial, nowMs() + kPictureWaitMs, cors.value_or(QByteArray())});
}

void ControlServer::picturePublished() {
    const std::vector<WaitingPicture> waiting = std::move(waitingPictures_);
    waitingPictures_.clear();
    for (const WaitingPicture& w : waiting) fulfil(w.id, w.serial, pictureAnswer().readableBy(w.cors));
}

ControlServer::Answer ControlServer::pngAnswer(EncodedPng& cache, const std::shared_ptr<const void>& snapshot,
                                               const QImage& image) {
    if (image.isNull())
        return Answer::refusal(refuse(RefusalKind::NoPicture, QStringLiteral("表示器の画像がまだありません")));
    if (snapshot != cache.of) {
        cache.png.clear();
        QBuffer buffer(&cache.png);
        buffer.open(QIODevice::WriteOnly);
        // A lighter compression: half the time of the default for a few
        // per cent more bytes, as a page waits for it after each change.
        image.save(&buffer, "PNG", 75);
        cache.of = snapshot;
    }
    return {200, "image/png", cache.png};
}

ControlServer::Answer ControlServer::stripAnswer() {
    const auto strip = published_.strip();
    return pngAnswer(encodedStrip_, strip, strip->image);
}

ControlServer::Answer ControlServer::pictureAnswer() {
    const auto picture = published_.picture();
    return pngAnswer(encodedPicture_, picture, picture->image);
}

void ControlServer::renew(quint64 id, quint64 serial) {
    device_.renewToken([this, id, serial](const std::variant<QByteArray, QString>& made) {
        if (const auto* why = std::get_if<QString>(&made)) {
            fulfil(id, serial, Answer::refusal(refuse(RefusalKind::NotRenewable, *why)));
            return;
        }
        setToken(std::get<QByteArray>(made));
        fulfil(id, serial, Answer::json(compact({{QStringLiteral("ok"), true}})));
    });
}

void ControlServer::setToken(const QByteArray& token) {
    listening_.token = token;
    // Clients that came in with the old token go; watchers without one stay.
    std::vector<quint64> holders;
    for (const auto& [id, c] : connections_)
        if (c->mode == Mode::Socket && c->access == Access::Command) holders.push_back(id);
    for (const quint64 id : holders)
        if (Connection* c = find(id)) closeSocketClient(*c, 1008);
}

} // namespace remote
