#pragma once
// The control interface's wire formats below the requests themselves: the
// head of an HTTP/1.x request as it arrives on a connection, and WebSocket
// frames (RFC 6455) both ways. Pure functions over bytes, no sockets: the
// server feeds them what it received, and a refusal says what was wrong
// without ever repeating what was sent.

#include "protocol/ControlProtocol.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <variant>
#include <vector>

namespace protocol {

// ---- HTTP --------------------------------------------------------------------------------

// A request's head, read whole.
struct RequestHead {
    QByteArray method;
    QByteArray target; // origin form: path and query, as sent
    bool http10 = false;
    Headers headers;
    qsizetype headBytes = 0;     // up to and including the blank line
    qsizetype contentLength = 0; // the body that follows
    bool keepAlive = true;       // false for HTTP/1.0 and "Connection: close"
    bool expectsContinue = false;
    bool upgrade = false;        // an Upgrade header came: only a WebSocket handshake may follow
};

// The head is not complete yet.
struct NeedMore {};

// Reads the request head at the start of `bytes`. Refused: a head over the
// size limit, a request line or header that is not HTTP/1.0 or 1.1, a body
// length that is not one plain number or would go past the limit, a body
// sent in chunks, an expectation other than 100-continue.
std::variant<NeedMore, RequestHead, Refusal> readRequestHead(QByteArrayView bytes);

// The WebSocket handshake's own rules for a request that asked to upgrade:
// "Connection: Upgrade", version 13 and a key of 16 bytes in base64.
std::optional<Refusal> checkSocketHandshake(const Headers& headers);
// The 101 answer that opens a WebSocket for `headers`' key.
QByteArray socketHandshakeAnswer(const Headers& headers);

// The reason phrase of a status the interface answers with.
QByteArray reasonPhrase(int status);

// ---- WebSocket frames ------------------------------------------------------------------

enum class SocketOpcode : quint8 { Continuation = 0, Text = 1, Binary = 2, Close = 8, Ping = 9, Pong = 10 };

// What a client sent, message by message.
struct SocketMessage {
    SocketOpcode kind = SocketOpcode::Text; // Text, Binary, Close, Ping or Pong
    QByteArray payload;                     // a Close's without its code
    quint16 closeCode = 0;
};

// Why a connection must close: the close code to send.
struct SocketFailure {
    quint16 closeCode = 1002; // protocol error; 1009 too big; 1007 not UTF-8
};

// Takes a client's frames as they arrive, in any pieces: each must be masked,
// without extensions, control frames short and whole, a message (its
// fragments together) no larger than `maxMessage`, text in UTF-8.
class SocketReader {
public:
    explicit SocketReader(qsizetype maxMessage = kMaxRequestBytes) : maxMessage_(maxMessage) {}
    std::variant<std::vector<SocketMessage>, SocketFailure> feed(QByteArrayView bytes);

private:
    qsizetype maxMessage_;
    QByteArray buffer_;
    QByteArray fragments_;
    std::optional<SocketOpcode> fragmentedKind_;
};

// A server's frame (unmasked, whole).
QByteArray socketFrame(SocketOpcode opcode, QByteArrayView payload);
QByteArray socketCloseFrame(quint16 code);

} // namespace protocol
