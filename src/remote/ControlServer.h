#pragma once
// The device's control interface: plain HTTP and WebSocket on a loopback
// port (or, on purpose, a network address), built on Qt HTTP Server and Qt
// WebSockets in the program's own event loop.
//
//   GET /state                  the whole state as one JSON object
//   GET /display.png            the fare display as the user sees it
//   GET|POST /command/NAME?...  a command, answered with the state after it
//   GET /ws                     events as they happen; commands too
//   POST /token/renew           a new access token; the old one stops working
//
// The HTTP parsing is Qt's; what Qt does not bound, this class bounds before
// Qt sees it: a request may be at most 64 KiB and must arrive whole within a
// few seconds, connections and WebSocket clients are counted, and a client
// that does not read its events is let go.

#include "protocol/ControlProtocol.h"

#include <QAbstractHttpServer>
#include <QPointer>
#include <QTcpServer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class Form1;
class QHttpServerResponder;
class QJsonObject;
class QTcpSocket;
class QTimer;
class QWebSocket;
namespace panel {
class PanelDriver;
struct Outcome;
} // namespace panel

namespace remote {

using namespace protocol; // NOLINT(google-build-using-namespace): the whole vocabulary
using panel::Outcome;
using panel::PanelDriver;

struct ServerLimits {
    int connections = 32;         // HTTP connections at once
    int socketClients = 16;       // WebSocket clients at once
    int requestMs = 10000;        // a request must arrive whole within this
    int idleMs = 60000;           // an idle connection is closed after this
    qint64 unreadBytes = 4 << 20; // events a client may leave unread
};

class ControlServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    ControlServer(PanelDriver& driver, Form1& display, ServerLimits limits = {}, QObject* parent = nullptr);
    ~ControlServer() override;

    // Listens on `listen` ("127.0.0.1" or "localhost": 127.0.0.1 and ::1,
    // tolerating a machine without IPv6; otherwise that address) at `port`
    // (0: any free port). Returns why it cannot.
    std::optional<QString> start(const QString& listen, quint16 port, const QByteArray& token);
    quint16 port() const { return listening_.port; }
    // The address in use, as a client on this machine would write it.
    QString url() const;

    // Makes a new token and keeps it where the interface's file keeps it;
    // returns the new token, or why it could not. Set by the owner.
    std::function<std::variant<QByteArray, QString>()> renewToken;

    // Sends an event to every WebSocket client.
    void broadcast(const QString& event, const QJsonObject& state);
    // Pushes out what is written but not yet sent (the program is about to end).
    void flush();

    int socketClientCount() const { return int(sockets_.size()); }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    class Listener;
    struct Answer;
    struct Connection;
    struct SocketClient;
    friend class Listener;

    bool accept(QTcpSocket* socket);
    void refuseRaw(QTcpSocket* socket, const Refusal& refusal);
    void onBytes(QTcpSocket* socket);
    void onDeadline(QTcpSocket* socket);
    void forget(QTcpSocket* socket);
    void answer(QTcpSocket* socket, quint64 slot, Answer reply);
    void writeReady(Connection& c) const;
    void acceptSockets();
    void onSocketMessage(SocketClient* client, const QByteArray& text);
    void sendTo(SocketClient* client, const QByteArray& text) const;
    SocketClient* clientOf(const QWebSocket* socket) const;
    void dropSocket(SocketClient* client);
    void setToken(const QByteArray& token);
    Answer renew();

    PanelDriver& driver_;
    Form1& display_;
    ServerLimits limits_;
    Listening listening_;
    QString listen_;
    std::unordered_map<QTcpSocket*, std::unique_ptr<Connection>> connections_;
    std::vector<std::unique_ptr<SocketClient>> sockets_;
};

} // namespace remote
