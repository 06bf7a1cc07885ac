#pragma once
// What other programs may ask of the device over its control interface, and
// the decoding of their requests: an HTTP request (method, target, headers,
// body) or a WebSocket text message becomes a typed request or a refusal
// with the HTTP status, a short code and a message naming what was wrong.
// No sockets, no widgets: every refusal is decided here, before anything on
// the device is touched.
//
// Who may ask what:
// - every request must name in its Host header the address and port the
//   interface listens on (a page whose name was re-pointed at this machine
//   names its own host and gets nothing);
// - commands need the access token, as ?token=... or "Authorization: Bearer";
// - reading the state, the display picture or the events needs no token on
//   this machine, but only from a page of our own (no Origin header, or
//   ours): a page of another site cannot watch the device. With the token
//   any origin may: the token is the user's consent;
// - the files of the phone's panel page are the same for everybody and say
//   nothing of the device, so they need no token even from the network: a
//   phone opening the page's address has no way to send the token before the
//   page runs (it travels in the address's fragment, which browsers keep to
//   themselves). The page then shows the token on everything it asks.

#include "protocol/Vocabulary.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>
#include <variant>
#include <vector>

namespace protocol {

// The largest request (request line, headers and body) and WebSocket
// message the interface takes.
inline constexpr qsizetype kMaxRequestBytes = qsizetype{64} * 1024;

// Refusals named in more than one place.
Refusal tooLarge();
Refusal requestTimeout();
Refusal tooBusy();

// ---- commands ----------------------------------------------------------------------------

// A command and its checked arguments: digits as text ("00012" keeps its
// zeros), rows as int, switches as bool, choices as the chosen text.
struct CommandCall {
    QString name;
    QVariantMap args;
    bool operator==(const CommandCall&) const = default;
};

// A command named with its arguments as texts (from the program's own
// command line), checked as a request's would be.
std::variant<CommandCall, Refusal> checkedCommand(const QString& name, const QList<QPair<QString, QString>>& args);

// ---- HTTP requests -----------------------------------------------------------------------

enum class Access {
    Watch,   // no token: read-only, on this machine only
    Command, // the token was shown
};

enum class Target {
    State,          // GET /state
    DisplayPicture, // GET /display.png
    StripPicture,   // GET /strip.png: the stop-name strip's canvas
    Events,         // GET /ws (WebSocket)
    Command,        // GET or POST /command/NAME
    RenewToken,     // POST /token/renew
    PageFile,       // GET /, /panel.js, /panel.css: the phone's panel page
    Vocabulary,     // GET /protocol: the interface's vocabulary
    Preflight,      // OPTIONS from a page of an allowed origin, before it asks
};

// A file of the phone's panel page, kept in the program's resources.
struct PageFile {
    QByteArray path;        // as asked for: "/", "/panel.js"
    QString resource;       // ":/web/index.html"
    QByteArray contentType; // "text/html; charset=utf-8"
    // A page that shows the device (the overlay) is read as the state is:
    // on this machine freely, from elsewhere with the token. The others are
    // the same bytes for everybody.
    bool showsDevice = false;
};
// Every file the page has; nothing else is served from the resources.
const std::vector<PageFile>& pageFiles();

struct Request {
    Target target = Target::State;
    Access access = Access::Watch;
    CommandCall command;             // Target::Command
    const PageFile* page = nullptr;  // Target::PageFile
    // Target::Events opened with ?display=true: also the events of the
    // strip's motion and of the device standing still ("strip", "busy"),
    // which only a page that draws the display needs.
    bool displayEvents = false;
};

// Where the interface listens: the port, and the addresses (loopback, a
// network address, or an "any" address).
struct Listening {
    quint16 port = 0;
    QList<QHostAddress> addresses;
    QByteArray token;
    // Pages of these origins ("http://localhost:8080", "null" for a local
    // file) may read the answers to what they ask with the token (CORS).
    QList<QByteArray> allowedOrigins;
};

using Headers = QList<QPair<QByteArray, QByteArray>>;

struct HttpInput {
    QByteArray method; // "GET", "POST", ...
    QByteArray target; // path and query, percent-encoded: "/command/goto?row=7"
    Headers headers;
    QByteArray body;
    bool fromLoopback = false; // the client is on this machine
};

std::variant<Request, Refusal> decodeHttpRequest(const HttpInput& input, const Listening& listening);

// True when the request asks to become a WebSocket.
bool asksForWebSocket(const Headers& headers);

// The origin whose page may read the answer to this request: one of the
// allowed origins, named by a request with the right token to our Host.
std::optional<QByteArray> corsOrigin(const HttpInput& input, const Listening& listening);

// The request target of a URL as the server received it.
QByteArray requestTarget(const QByteArray& encodedPath, const QByteArray& encodedQuery, bool hasQuery);

// ---- WebSocket messages ------------------------------------------------------------------

// {"id": ..., "command": "next", "args": {...}}; the id (any JSON value, or
// none) comes back with the answer.
struct SocketCommand {
    QJsonValue id;
    CommandCall command;
};
struct SocketRefusal {
    QJsonValue id;
    Refusal refusal;
};
std::variant<SocketCommand, SocketRefusal> decodeSocketMessage(const QByteArray& text, Access access);

// Compares two secrets in time that depends on their lengths only, never on
// where they differ.
bool sameSecret(const QByteArray& a, const QByteArray& b);

} // namespace protocol
