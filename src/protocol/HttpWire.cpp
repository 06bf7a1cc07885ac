#include "protocol/HttpWire.h"

#include <QCryptographicHash>
#include <QStringDecoder>

namespace protocol {

namespace {

Refusal badRequest() {
    return {400, QStringLiteral("bad_request"), QStringLiteral("HTTP の要求として読めません")};
}

// RFC 9110's token characters: a method, a header's name.
bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+': case '-': case '.':
    case '^': case '_': case '`': case '|': case '~':
        return true;
    default:
        return false;
    }
}

bool isToken(QByteArrayView text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// A header value: visible characters, spaces and tabs, and bytes above
// ASCII (taken as they are); no control characters.
bool isFieldValue(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == '\t' || (u >= 0x20 && u != 0x7F);
    });
}

// A request target in origin form: a path from the root and a query,
// printable ASCII without spaces.
bool isOriginForm(QByteArrayView target) {
    if (target.isEmpty() || target.front() != '/') return false;
    return std::all_of(target.begin(), target.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F;
    });
}

// Whether a comma-separated header value lists `token` (any letter case).
bool listsToken(const QByteArray& value, QByteArrayView token) {
    for (const QByteArray& item : value.split(','))
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0) return true;
    return false;
}

std::optional<QByteArray> header(const Headers& headers, QByteArrayView name) {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return std::nullopt;
}

} // namespace

std::variant<NeedMore, RequestHead, Refusal> readRequestHead(QByteArrayView bytes) {
    // Blank lines before a request are allowed by HTTP (a client's stray CRLF
    // after a body); a few of them, no more.
    qsizetype start = 0;
    while (start + 1 < bytes.size() && start < 8 && bytes[start] == '\r' && bytes[start + 1] == '\n') start += 2;
    const qsizetype end = QByteArrayView(bytes).indexOf(QByteArrayView("\r\n\r\n"), start);
    if (end < 0) {
        if (bytes.size() > kMaxRequestBytes) return tooLarge();
        return NeedMore{};
    }
    RequestHead head;
    head.headBytes = end + 4;
    if (head.headBytes > kMaxRequestBytes) return tooLarge();

    const QList<QByteArray> lines = bytes.sliced(start, end - start).toByteArray().split('\n');
    // Every line ends in CR LF: a bare LF or CR is refused, so that no
    // program in between can read the head otherwise.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const bool last = i + 1 == lines.size();
        if (!last && !line.endsWith('\r')) return badRequest();
        if (line.chopped(last ? 0 : 1).contains('\r')) return badRequest();
    }
    const QByteArray requestLine = lines[0].chopped(lines.size() > 1 ? 1 : 0);
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[0].size() > 16 || !isOriginForm(parts[1]))
        return badRequest();
    if (parts[2] == "HTTP/1.0")
        head.http10 = true;
    else if (parts[2] != "HTTP/1.1")
        return Refusal{505, QStringLiteral("bad_version"), QStringLiteral("HTTP/1.1 か HTTP/1.0 だけです")};
    head.method = parts[0];
    head.target = parts[1];

    constexpr int kMaxHeaders = 64;
    if (lines.size() - 1 > kMaxHeaders)
        return Refusal{431, QStringLiteral("too_many_headers"), QStringLiteral("ヘッダーが多すぎます")};
    std::optional<qsizetype> length;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].chopped(i + 1 < lines.size() ? 1 : 0);
        const qsizetype colon = line.indexOf(':');
        // A line folded onto the one before is obsolete and refused.
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon))) return badRequest();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (!isFieldValue(value)) return badRequest();
        const QByteArray name = line.left(colon);
        head.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            const bool digits = !value.isEmpty() && value.size() <= 9 &&
                                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!digits || length) return badRequest();
            length = value.toLongLong();
        } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            return Refusal{411, QStringLiteral("length_required"),
                           QStringLiteral("本文は Content-Length を付けて送ってください")};
        } else if (name.compare("Connection", Qt::CaseInsensitive) == 0) {
            if (listsToken(value, "close")) head.keepAlive = false;
        } else if (name.compare("Expect", Qt::CaseInsensitive) == 0) {
            if (value.compare("100-continue", Qt::CaseInsensitive) != 0)
                return Refusal{417, QStringLiteral("bad_expectation"), QStringLiteral("この Expect には応えられません")};
            head.expectsContinue = true;
        } else if (name.compare("Upgrade", Qt::CaseInsensitive) == 0) {
            head.upgrade = true;
        }
    }
    if (head.http10) head.keepAlive = false;
    head.contentLength = length.value_or(0);
    if (head.headBytes + head.contentLength > kMaxRequestBytes) return tooLarge();
    return head;
}

std::optional<Refusal> checkSocketHandshake(const Headers& headers) {
    const Refusal refused{400, QStringLiteral("bad_handshake"), QStringLiteral("WebSocket の開き方が違います")};
    const auto connection = header(headers, "Connection");
    if (!connection || !listsToken(*connection, "upgrade")) return refused;
    const auto upgrade = header(headers, "Upgrade");
    if (!upgrade || upgrade->compare("websocket", Qt::CaseInsensitive) != 0) return refused;
    if (header(headers, "Sec-WebSocket-Version") != QByteArray("13")) return refused;
    const auto key = header(headers, "Sec-WebSocket-Key");
    if (!key || key->size() != 24) return refused;
    const auto decoded = QByteArray::fromBase64Encoding(*key, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != 16) return refused;
    return std::nullopt;
}

QByteArray socketHandshakeAnswer(const Headers& headers) {
    const QByteArray key = header(headers, "Sec-WebSocket-Key").value_or(QByteArray());
    const QByteArray accept =
        QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Accept: " +
           accept + "\r\n\r\n";
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 417: return "Expectation Failed";
    case 426: return "Upgrade Required";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

// ---- WebSocket frames ------------------------------------------------------------------------

std::variant<std::vector<SocketMessage>, SocketFailure> SocketReader::feed(QByteArrayView bytes) {
    constexpr quint16 kProtocolError = 1002;
    constexpr quint16 kTooBig = 1009;
    constexpr quint16 kNotUtf8 = 1007;
    // What arrives ahead of the frame being read is kept, but never more than
    // one largest message and its headers.
    if (buffer_.size() + bytes.size() > maxMessage_ + 64) return SocketFailure{kTooBig};
    buffer_.append(bytes);
    std::vector<SocketMessage> messages;
    qsizetype at = 0;
    while (true) {
        const qsizetype left = buffer_.size() - at;
        if (left < 2) break;
        const auto b0 = static_cast<quint8>(buffer_[at]);
        const auto b1 = static_cast<quint8>(buffer_[at + 1]);
        const bool fin = (b0 & 0x80) != 0;
        const auto opcode = quint8(b0 & 0x0F);
        if ((b0 & 0x70) != 0 || (b1 & 0x80) == 0) return SocketFailure{kProtocolError}; // extensions, unmasked
        qsizetype headerBytes = 2;
        quint64 length = b1 & 0x7F;
        if (length == 126) {
            if (left < 4) break;
            length = (quint64(quint8(buffer_[at + 2])) << 8) | quint8(buffer_[at + 3]);
            headerBytes = 4;
        } else if (length == 127) {
            if (left < 10) break;
            length = 0;
            for (int i = 0; i < 8; ++i) length = (length << 8) | quint8(buffer_[at + 2 + i]);
            headerBytes = 10;
        }
        const bool control = opcode >= 8;
        if (control && (!fin || length > 125)) return SocketFailure{kProtocolError};
        if (!control && length + quint64(fragments_.size()) > quint64(maxMessage_)) return SocketFailure{kTooBig};
        if (left < headerBytes + 4 + qsizetype(length)) break;
        const char* mask = buffer_.constData() + at + headerBytes;
        QByteArray payload = buffer_.mid(at + headerBytes + 4, qsizetype(length));
        for (qsizetype i = 0; i < payload.size(); ++i) payload[i] = char(payload[i] ^ mask[i % 4]);
        at += headerBytes + 4 + qsizetype(length);

        switch (static_cast<SocketOpcode>(opcode)) {
        case SocketOpcode::Close: {
            SocketMessage m{SocketOpcode::Close, {}, 1005};
            if (payload.size() == 1) return SocketFailure{kProtocolError};
            if (payload.size() >= 2) {
                m.closeCode = quint16((quint8(payload[0]) << 8) | quint8(payload[1]));
                m.payload = payload.mid(2);
            }
            messages.push_back(std::move(m));
            buffer_.clear(); // nothing after a close counts
            return messages;
        }
        case SocketOpcode::Ping:
        case SocketOpcode::Pong:
            messages.push_back({static_cast<SocketOpcode>(opcode), payload, 0});
            break;
        case SocketOpcode::Text:
        case SocketOpcode::Binary:
            if (fragmentedKind_) return SocketFailure{kProtocolError};
            fragmentedKind_ = static_cast<SocketOpcode>(opcode);
            fragments_ = std::move(payload);
            break;
        case SocketOpcode::Continuation:
            if (!fragmentedKind_) return SocketFailure{kProtocolError};
            fragments_.append(payload);
            break;
        default:
            return SocketFailure{kProtocolError};
        }
        if (!control && fin) {
            if (*fragmentedKind_ == SocketOpcode::Text) {
                QStringDecoder utf8(QStringDecoder::Utf8);
                const QString text = utf8.decode(fragments_); // decoded only when taken
                if (utf8.hasError()) return SocketFailure{kNotUtf8};
            }
            messages.push_back({*fragmentedKind_, std::move(fragments_), 0});
            fragments_.clear();
            fragmentedKind_.reset();
        }
    }
    buffer_.remove(0, at);
    return messages;
}

QByteArray socketFrame(SocketOpcode opcode, QByteArrayView payload) {
    QByteArray frame;
    frame.reserve(payload.size() + 10);
    frame.append(char(0x80 | quint8(opcode)));
    const auto n = quint64(payload.size());
    if (n < 126) {
        frame.append(char(n));
    } else if (n <= 0xFFFF) {
        frame.append(char(126));
        frame.append(char(n >> 8));
        frame.append(char(n & 0xFF));
    } else {
        frame.append(char(127));
        for (int i = 7; i >= 0; --i) frame.append(char((n >> (8 * i)) & 0xFF));
    }
    frame.append(payload);
    return frame;
}

QByteArray socketCloseFrame(quint16 code) {
    const char payload[2] = {char(code >> 8), char(code & 0xFF)};
    return socketFrame(SocketOpcode::Close, QByteArrayView(payload, 2));
}

} // namespace protocol
