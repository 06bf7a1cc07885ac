// The wire below the requests: request heads as they arrive on a connection,
// and WebSocket frames in any pieces.
#include "protocol/HttpWire.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

QString refusalCode(const std::variant<NeedMore, RequestHead, Refusal>& read) {
    const auto* r = std::get_if<Refusal>(&read);
    return r ? r->code : QString();
}

// A client's frame: masked, as every client's must be.
QByteArray clientFrame(quint8 first, const QByteArray& payload) {
    const QByteArray mask = "\x11\x22\x33\x44";
    QByteArray f(1, char(first));
    if (payload.size() < 126) {
        f.append(char(0x80 | payload.size()));
    } else {
        f.append(char(0x80 | 126));
        f.append(char(payload.size() >> 8));
        f.append(char(payload.size() & 0xFF));
    }
    f.append(mask);
    for (qsizetype i = 0; i < payload.size(); ++i) f.append(char(payload[i] ^ mask[i % 4]));
    return f;
}

} // namespace

TEST(HttpWire, ReadsRequestHeadsAndRefusesWhatCouldBeReadTwoWays) {
    const QByteArray bytes =
        "\r\nPOST /command/goto?row=7 HTTP/1.1\r\nHost: x\r\nContent-Length: 11\r\nConnection: keep-alive, close\r\n\r\n{\"row\": 7}";
    const auto head = std::get<RequestHead>(readRequestHead(bytes));
    EXPECT_EQ(head.method, "POST");
    EXPECT_EQ(head.target, "/command/goto?row=7");
    EXPECT_EQ(head.contentLength, 11);
    EXPECT_FALSE(head.keepAlive);
    EXPECT_EQ(head.headBytes, bytes.indexOf("{"));
    EXPECT_FALSE(std::get<RequestHead>(readRequestHead("GET / HTTP/1.0\r\n\r\n")).keepAlive);
    EXPECT_TRUE(std::get<RequestHead>(readRequestHead("GET /ws HTTP/1.1\r\nUpgrade: h2c\r\n\r\n")).upgrade);
    EXPECT_TRUE(std::holds_alternative<NeedMore>(readRequestHead("GET /state HTTP/1.1\r\nHost: x\r\n")));

    const struct {
        QByteArray bytes;
        const char* code;
    } refused[] = {
        {"GET /state HTTP/1.1\nHost: x\r\n\r\n", "bad_request"},           // a bare line feed
        {"GET /state HTTP/1.1\r\nHost: x\rY: z\r\n\r\n", "bad_request"},   // a bare carriage return
        {"GET  /state HTTP/1.1\r\n\r\n", "bad_request"},
        {"GET http://x/state HTTP/1.1\r\n\r\n", "bad_request"},
        {"GET /state HTTP/2.0\r\n\r\n", "bad_version"},
        {"GET /state HTTP/1.1\r\n folded: on\r\n\r\n", "bad_request"},
        {"GET /state HTTP/1.1\r\nBad Name: x\r\n\r\n", "bad_request"},
        {"POST / HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\n", "bad_request"},
        {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", "bad_request"},
        {"POST / HTTP/1.1\r\nContent-Length: 70000\r\n\r\n", "too_large"},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "length_required"},
        {"POST / HTTP/1.1\r\nExpect: 200-ok\r\n\r\n", "bad_expectation"},
        {"GET /" + QByteArray(70000, 'a'), "too_large"},
    };
    for (const auto& r : refused) EXPECT_EQ(refusalCode(readRequestHead(r.bytes)), QLatin1String(r.code)) << r.bytes.left(60).constData();
}

TEST(HttpWire, TakesOnlyTheWebSocketHandshakeWeSpeak) {
    const Headers good{{"Upgrade", "websocket"},
                       {"Connection", "keep-alive, Upgrade"},
                       {"Sec-WebSocket-Version", "13"},
                       {"Sec-WebSocket-Key", "dGhlIHNhbXBsZSBub25jZQ=="}};
    EXPECT_FALSE(checkSocketHandshake(good));
    // The key and answer of RFC 6455's own example.
    EXPECT_TRUE(socketHandshakeAnswer(good).contains("Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"));
    for (int drop = 0; drop < 4; ++drop) {
        Headers h = good;
        h.removeAt(drop);
        EXPECT_TRUE(checkSocketHandshake(h)) << drop;
    }
    Headers shortKey = good;
    shortKey[3].second = "c2hvcnQ=";
    EXPECT_TRUE(checkSocketHandshake(shortKey));
}

TEST(HttpWire, ReadsClientFramesInAnyPiecesAndRefusesWhatBreaksTheProtocol) {
    SocketReader reader;
    const QByteArray stream = clientFrame(0x01, "{\"comm") + clientFrame(0x89, "hi") + clientFrame(0x80, "and\"}") +
                              clientFrame(0x88, QByteArray("\x03\xE8", 2));
    std::vector<SocketMessage> got;
    for (const char byte : stream) {
        auto read = reader.feed(QByteArray(1, byte));
        ASSERT_TRUE(std::holds_alternative<std::vector<SocketMessage>>(read));
        for (auto& m : std::get<std::vector<SocketMessage>>(read)) got.push_back(m);
    }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, SocketOpcode::Ping); // a control frame between fragments
    EXPECT_EQ(got[1].payload, "{\"command\"}");
    EXPECT_EQ(got[2].kind, SocketOpcode::Close);
    EXPECT_EQ(got[2].closeCode, 1000);

    const struct {
        QByteArray bytes;
        quint16 code;
    } broken[] = {
        {QByteArray("\x81\x02hi", 4), 1002},                           // unmasked
        {clientFrame(0xC1, "x"), 1002},                                // an extension bit
        {clientFrame(0x09, "x"), 1002},                                // a fragmented ping
        {clientFrame(0x89, QByteArray(126, 'x')), 1002},               // a ping too long
        {clientFrame(0x80, "x"), 1002},                                // a continuation of nothing
        {clientFrame(0x03, "x"), 1002},                                // no such opcode
        {clientFrame(0x81, "\xff\xfe"), 1007},                         // text not in UTF-8
        {clientFrame(0x01, QByteArray(40000, 'x')) + clientFrame(0x80, QByteArray(40000, 'x')), 1009},
    };
    for (const auto& b : broken) {
        SocketReader r;
        const auto read = r.feed(b.bytes);
        ASSERT_TRUE(std::holds_alternative<SocketFailure>(read)) << b.bytes.toHex().left(20).constData();
        EXPECT_EQ(std::get<SocketFailure>(read).closeCode, b.code);
    }
    EXPECT_EQ(socketFrame(SocketOpcode::Text, QByteArray(300, 'x')).left(4), QByteArray("\x81\x7e\x01\x2c", 4));
}
