#pragma once
// The device's control interface: plain HTTP/1.1 and WebSocket on a loopback
// port (or, on purpose, a network address), on a thread of its own.
//
//   GET /state                  the whole state as one JSON object
//   GET /display.png            the fare display as it was last painted
//   GET|POST /command/NAME?...  a command, answered with the state after it
//   GET /ws                     events as they happen; commands too
//   POST /token/renew           a new access token; the old one stops working
//   GET /, /panel.js, ...       the phone's panel page
//
// Reads are answered from what the device last published, never by asking
// the device, so they never wait for it. Commands go to the device and wait
// their turn there, as a hand's would.
//
// The server owns every byte of the protocol, so that every connection is
// counted from the moment it is accepted to the moment it is gone, whatever
// the peer does, and no refusal keeps anything: a request must arrive whole
// within its deadline and be no larger than the limit, a connection that
// stays idle is closed, at the connection limit the oldest idle connection
// (or one still sending its request) makes room for the new one, and a
// WebSocket client that leaves its events unread is let go.

#include "panel/PanelDriver.h"
#include "protocol/ControlProtocol.h"
#include "protocol/HttpWire.h"
#include "remote/Published.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace remote {

struct ServerLimits {
    int connections = 32;         // HTTP connections at once
    int socketClients = 16;       // WebSocket clients at once
    int requestMs = 10000;        // a request must arrive whole within this
    int idleMs = 15000;           // a keep-alive connection may stay idle this long
    int socketSilenceMs = 30000;  // a WebSocket client silent this long is asked for a sign of life
    int pipelined = 16;           // answers one HTTP connection may be owed at once
    qint64 unreadBytes = 4 << 20; // what a client may leave unread
};

// The server's way to the device, called on the server's thread. The device
// does the work on its own thread; `done` is called back on the server's.
class DeviceLink {
public:
    virtual ~DeviceLink() = default;
    virtual void submit(const protocol::CommandCall& call, std::shared_ptr<panel::ClientTicket> client,
                        std::function<void(const panel::Outcome&, std::shared_ptr<const StateSnapshot>)> done) = 0;
    // A new token kept in the control file: the token, or why not.
    virtual void renewToken(std::function<void(const std::variant<QByteArray, QString>&)> done) = 0;
    // Take a new picture of the display when the device is free.
    virtual void refreshPicture() = 0;
};

class ControlServer : public QObject {
    Q_OBJECT
public:
    ControlServer(const Published& published, DeviceLink& device, ServerLimits limits = {},
                  QObject* parent = nullptr);
    // Pages of these origins may read what they ask with the token.
    void allowOrigins(const QList<QByteArray>& origins) { listening_.allowedOrigins = origins; }
    ~ControlServer() override;

    // Listens on `listen` ("127.0.0.1" or "localhost": 127.0.0.1 and ::1,
    // tolerating a machine without IPv6; otherwise that address) at `port`
    // (0: any free port). Returns why it cannot.
    std::optional<QString> start(const QString& listen, quint16 port, const QByteArray& token);
    quint16 port() const { return listening_.port; }
    // The address in use, as a client on this machine would write it.
    QString url() const;

    // Sends an event with the state it left to every WebSocket client.
    void broadcast(const QString& event, const std::shared_ptr<const StateSnapshot>& state);
    // A new picture was published: the readers waiting for one get it.
    void picturePublished();
    // The program ends: `event` to every WebSocket client, what is written
    // pushed out, and every connection closed.
    void farewell(const QString& event, const std::shared_ptr<const StateSnapshot>& state);

    int connectionCount() const;
    int socketClientCount() const;

private:
    struct Connection;
    struct Owed;
    struct Answer;
    enum class Mode { Http, Socket, Closing };

    void accept(QTcpSocket* socket);
    bool makeRoom();
    void onReadable(quint64 id);
    void readRequests(Connection& c);
    void handleRequest(Connection& c, const protocol::RequestHead& head, const QByteArray& body);
    bool upgrade(Connection& c, const protocol::RequestHead& head, const protocol::Request& request);
    void onSocketMessages(Connection& c, const QByteArray& bytes);
    void onSocketText(Connection& c, const QByteArray& text);
    // An answer owed for the request just read; `last`: the connection closes after it.
    quint64 owe(Connection& c, bool last = false);
    void fulfil(quint64 id, quint64 serial, const Answer& answer);
    void writeReady(Connection& c);
    // False when the client was let go (it left too much unread).
    bool sendFrame(Connection& c, const QByteArray& frame);
    void closeSocketClient(Connection& c, quint16 code);
    void startClosing(Connection& c);
    void release(quint64 id);
    void sweep();
    void servePicture(quint64 id, quint64 serial, const std::optional<QByteArray>& cors);
    Answer pictureAnswer();
    Answer stripAnswer();
    void renew(quint64 id, quint64 serial);
    void setToken(const QByteArray& token);
    Connection* find(quint64 id);
    int count(Mode mode) const;

    const Published& published_;
    DeviceLink& device_;
    ServerLimits limits_;
    protocol::Listening listening_;
    QString listen_;
    std::vector<QTcpServer*> listeners_;
    std::map<quint64, std::unique_ptr<Connection>> connections_;
    quint64 nextId_ = 1;
    QTimer sweeper_;
    struct WaitingPicture {
        quint64 id;
        quint64 serial;
        qint64 untilMs;
        QByteArray cors;
    };
    std::vector<WaitingPicture> waitingPictures_;
    // A published picture as PNG, encoded once for the snapshot it is of.
    struct EncodedPng {
        std::shared_ptr<const void> of;
        QByteArray png;
    };
    static Answer pngAnswer(EncodedPng& cache, const std::shared_ptr<const void>& snapshot, const QImage& image);
    EncodedPng encodedPicture_;
    EncodedPng encodedStrip_;
};

} // namespace remote
