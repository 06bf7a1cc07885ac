// Any bytes as a request to the control interface: split into a method, a
// target, header lines and a body (and, whole, as a WebSocket message). The
// decoder must give a request or a refusal for every input, and never let
// through what the rules forbid: a command without the right token, a read
// from another machine or another site without it, a Host not ours. The
// bytes go to the request head's reader and the WebSocket frame reader too.
#include "protocol/ControlProtocol.h"
#include "protocol/HttpWire.h"

#include <QList>
#include <cstdlib>

namespace {

const QByteArray kToken = QByteArrayLiteral("Zm9vYmFyYmF6cXV1eGZvb2JhcmJhenF1dXhmb29iYXI");

protocol::Listening listening() {
    return {
        50845, {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}, kToken};
}

// Fields separated by NUL: flags, method, target, headers ("Name: value"
// lines), body.
protocol::HttpInput inputOf(const QByteArray& bytes) {
    const QList<QByteArray> parts = bytes.split('\0');
    protocol::HttpInput in;
    const QByteArray flags = parts.value(0);
    in.fromLoopback = flags.isEmpty() || (flags[0] & 1) == 0;
    in.method = parts.value(1);
    in.target = parts.value(2);
    for (const QByteArray& line : parts.value(3).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) in.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    in.body = parts.value(4);
    return in;
}

bool tokenShown(const protocol::HttpInput& in) {
    if (QByteArray::fromPercentEncoding(in.target).contains("token=" + kToken)) return true;
    for (const auto& [name, value] : in.headers)
        if (name.compare("Authorization", Qt::CaseInsensitive) == 0 && value.endsWith(kToken)) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const protocol::HttpInput in = inputOf(bytes);
    const auto decoded = protocol::decodeHttpRequest(in, listening());
    if (const auto* r = std::get_if<protocol::Refusal>(&decoded)) {
        if (r->status < 400 || r->status > 599 || r->code.isEmpty() || r->message.isEmpty()) std::abort();
        if (r->message.contains(QString::fromLatin1(kToken))) std::abort();
    } else {
        const protocol::Request& req = std::get<protocol::Request>(decoded);
        if (req.access == protocol::Access::Command && !tokenShown(in)) std::abort();
        if (req.access == protocol::Access::Watch && !in.fromLoopback) std::abort();
        if (req.target == protocol::Target::Command && req.command.name.isEmpty()) std::abort();
    }

    for (const protocol::Access access : {protocol::Access::Watch, protocol::Access::Command}) {
        const auto message = protocol::decodeSocketMessage(bytes, access);
        if (const auto* taken = std::get_if<protocol::SocketCommand>(&message)) {
            bool readOnly = false;
            for (const protocol::CommandShape& shape : protocol::commandShapes())
                if (shape.name == taken->command.name) readOnly = shape.readOnly;
            if (access == protocol::Access::Watch && !readOnly) std::abort();
        }
    }

    // The same bytes as they arrive on a connection: a request head, and
    // WebSocket frames fed in two pieces.
    const auto head = protocol::readRequestHead(bytes);
    if (const auto* h = std::get_if<protocol::RequestHead>(&head)) {
        if (h->headBytes > bytes.size() || h->headBytes + h->contentLength > protocol::kMaxRequestBytes) std::abort();
        if (h->method.isEmpty() || !h->target.startsWith('/')) std::abort();
    } else if (const auto* r = std::get_if<protocol::Refusal>(&head)) {
        if (r->status < 400 || r->message.isEmpty()) std::abort();
    }
    protocol::SocketReader reader;
    for (const QByteArray& piece : {bytes.left(bytes.size() / 2), bytes.mid(bytes.size() / 2)}) {
        const auto read = reader.feed(piece);
        if (const auto* messages = std::get_if<std::vector<protocol::SocketMessage>>(&read))
            for (const protocol::SocketMessage& m : *messages)
                if (m.payload.size() > protocol::kMaxRequestBytes) std::abort();
    }
    return 0;
}
