// The control interface's decoding of requests: every refusal, before
// anything on the device is touched, and the forms of the requests it takes.
#include "protocol/ControlProtocol.h"
#include "platform/ControlFile.h"

#include <gtest/gtest.h>

using namespace protocol;

namespace {

const QByteArray kToken = QByteArrayLiteral("Zm9vYmFyYmF6cXV1eGZvb2JhcmJhenF1dXhmb29iYXI");
const QByteArray kHost = QByteArrayLiteral("127.0.0.1:50845");

Listening loopback() {
    return {
        50845, {QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6)}, kToken};
}

struct Case {
    const char* what;
    QByteArray method;
    QByteArray target;
    Headers headers;
    QByteArray body = {};
    bool loopback = true;
};

HttpInput inputOf(const Case& c) {
    return {c.method, c.target, c.headers, c.body, c.loopback};
}

Headers host(const QByteArray& value = kHost) {
    return {{"Host", value}};
}
Headers with(Headers h, const QByteArray& name, const QByteArray& value) {
    h.append({name, value});
    return h;
}

} // namespace

TEST(ControlProtocol, RefusesWhatIsNotOursWithStatusAndCode) {
    const QByteArray t = "&token=" + kToken;
    const Headers upgrade = with(host(), "Upgrade", "websocket");
    const struct {
        Case request;
        int status;
        const char* code;
    } cases[] = {
        {{"no Host", "GET", "/state", {}}, 403, "bad_host"},
        {{"a rebound name", "GET", "/state", host("evil.example:50845")}, 403, "bad_host"},
        {{"another port", "GET", "/state", host("127.0.0.1:8080")}, 403, "bad_host"},
        {{"no port", "GET", "/state", host("localhost")}, 403, "bad_host"},
        {{"a network address not listened on", "GET", "/state", host("192.168.1.5:50845")}, 403, "bad_host"},
        {{"two Hosts", "GET", "/state", with(host(), "host", kHost)}, 403, "bad_host"},
        {{"unknown path", "GET", "/etc/passwd", host()}, 404, "not_found"},
        {{"unknown command", "GET", "/command/fly?token=" + kToken, host()}, 404, "unknown_command"},
        {{"method", "DELETE", "/state", host()}, 405, "method_not_allowed"},
        {{"renewal by GET", "GET", "/token/renew?token=" + kToken, host()}, 405, "method_not_allowed"},
        {{"command without token", "POST", "/command/next", host()}, 401, "token_required"},
        {{"wrong token", "POST", "/command/next?token=x", host()}, 401, "bad_token"},
        {{"token cut short", "POST", "/command/next?token=" + kToken.chopped(1), host()}, 401, "bad_token"},
        {{"token too long", "POST", "/command/next?token=" + kToken + "A", host()}, 401, "bad_token"},
        {{"not a bearer", "POST", "/command/next", with(host(), "Authorization", "Basic " + kToken)},
         401,
         "bad_token"},
        {{"two different tokens", "POST", "/command/next?token=" + kToken,
          with(host(), "Authorization", "Bearer x")},
         401,
         "bad_token"},
        {{"token twice", "POST", "/command/next?token=" + kToken + t, host()}, 400, "bad_parameter"},
        {{"wrong token on a read", "GET", "/state?token=x", host()}, 401, "bad_token"},
        {{"read from the network", "GET", "/state", host(), {}, false}, 401, "token_required"},
        {{"read from another site", "GET", "/state", with(host(), "Origin", "http://evil.example")},
         403,
         "bad_origin"},
        {{"watch from another site", "GET", "/ws", with(upgrade, "Origin", "null")}, 403, "bad_origin"},
        {{"the page for another site", "GET", "/panel.js", with(host(), "Origin", "http://evil.example")},
         403,
         "bad_origin"},
        {{"the page with a wrong token", "GET", "/?token=x", host(), {}, false}, 401, "bad_token"},
        // The overlay shows the device: read as the state is.
        {{"the overlay from the network", "GET", "/overlay", host(), {}, false}, 401, "token_required"},
        {{"the strip from the network", "GET", "/strip.png", host(), {}, false}, 401, "token_required"},
        {{"the overlay for another site", "GET", "/overlay", with(host(), "Origin", "http://evil.example")},
         403,
         "bad_origin"},
        {{"a key not on the pad", "GET", "/command/keypad?key=10" + t, host()}, 400, "bad_parameter"},
        {{"row with letters", "GET", "/command/goto?row=7x" + t, host()}, 400, "bad_parameter"},
        {{"row 0", "GET", "/command/goto?row=0" + t, host()}, 400, "bad_parameter"},
        {{"row past the table", "GET", "/command/goto?row=302" + t, host()}, 400, "bad_parameter"},
        {{"row signed", "GET", "/command/goto?row=%2B7" + t, host()}, 400, "bad_parameter"},
        {{"row twice", "GET", "/command/goto?row=7&row=8" + t, host()}, 400, "bad_parameter"},
        {{"row missing", "GET", "/command/goto?token=" + kToken, host()}, 400, "missing_parameter"},
        {{"misspelt", "GET", "/command/goto?rwo=7" + t, host()}, 400, "unknown_parameter"},
        {{"route of six digits", "GET", "/command/route?route=123456" + t, host()}, 400, "bad_parameter"},
        {{"switch", "GET", "/command/clear?on=yes" + t, host()}, 400, "bad_parameter"},
        {{"choice", "GET", "/command/announce?do=loud" + t, host()}, 400, "bad_parameter"},
        {{"backlight", "GET", "/command/backlight?mode=3" + t, host()}, 400, "bad_parameter"},
        {{"bad JSON", "POST", "/command/goto?token=" + kToken, host(), "{\"row\": "}, 400, "bad_json"},
        {{"JSON not an object", "POST", "/command/goto?token=" + kToken, host(), "[7]"}, 400, "bad_json"},
        {{"JSON value", "POST", "/command/goto?token=" + kToken, host(), "{\"row\": [7]}"},
         400,
         "bad_parameter"},
        {{"JSON fraction", "POST", "/command/goto?token=" + kToken, host(), "{\"row\": 7.5}"},
         400,
         "bad_parameter"},
        {{"query and body", "POST", "/command/goto?row=7" + t, host(), "{\"row\": 7}"}, 400, "bad_parameter"},
        {{"socket without upgrade", "GET", "/ws", host()}, 426, "upgrade_required"},
        {{"upgrade elsewhere", "GET", "/state", upgrade}, 400, "not_a_socket"},
        {{"oversized body", "POST", "/command/next?token=" + kToken, host(),
          QByteArray(kMaxRequestBytes + 1, ' ')},
         413,
         "too_large"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeHttpRequest(inputOf(c.request), loopback());
        const auto* r = std::get_if<Refusal>(&decoded);
        ASSERT_NE(r, nullptr) << c.request.what;
        EXPECT_EQ(r->status, c.status) << c.request.what;
        EXPECT_EQ(r->code.toStdString(), c.code) << c.request.what;
        EXPECT_FALSE(r->message.isEmpty()) << c.request.what;
        EXPECT_FALSE(r->message.contains(QString::fromLatin1(kToken))) << c.request.what;
    }
    // A token never made opens nothing.
    Listening none = loopback();
    none.token.clear();
    EXPECT_TRUE(std::holds_alternative<Refusal>(
        decodeHttpRequest({"POST", "/command/next?token=", host(), {}, true}, none)));
}

TEST(ControlProtocol, TakesRequestsInTheirForms) {
    const QByteArray bearer = "Bearer " + kToken;
    const struct {
        Case request;
        Target target;
        Access access;
        CommandCall call;
    } cases[] = {
        {{"a read", "GET", "/state?t=123", host("localhost:50845")}, Target::State, Access::Watch, {}},
        {{"IPv6 loopback", "GET", "/display.png", host("[::1]:50845")},
         Target::DisplayPicture,
         Access::Watch,
         {}},
        {{"our own page", "GET", "/state", with(host(), "Origin", "http://127.0.0.1:50845")},
         Target::State,
         Access::Watch,
         {}},
        {{"the token from anywhere",
          "GET",
          "/state",
          with(with(host(), "Authorization", bearer), "Origin", "https://x.example"),
          {},
          false},
         Target::State,
         Access::Command,
         {}},
        {{"watch", "GET", "/ws", with(host(), "upgrade", "WebSocket")}, Target::Events, Access::Watch, {}},
        {{"the overlay here", "GET", "/overlay?part=strip&scale=2", host()}, Target::PageFile, Access::Watch, {}},
        {{"the overlay with the token", "GET", "/overlay", with(host(), "Authorization", bearer), {}, false},
         Target::PageFile,
         Access::Command,
         {}},
        {{"the strip here", "GET", "/strip.png", host()}, Target::StripPicture, Access::Watch, {}},
        {{"route keeps zeros", "GET", "/command/route?route=00012&section=3&token=" + kToken, host()},
         Target::Command,
         Access::Command,
         {QStringLiteral("route"), {{"route", "00012"}, {"section", "3"}}}},
        {{"row in JSON", "POST", "/command/goto", with(host(), "Authorization", bearer), "{\"row\": 7}"},
         Target::Command,
         Access::Command,
         {QStringLiteral("goto"), {{"row", 7}}}},
        {{"switch words", "GET", "/command/clear?on=off&token=" + kToken, host()},
         Target::Command,
         Access::Command,
         {QStringLiteral("clear"), {{"on", false}}}},
        {{"switch in JSON", "POST", "/command/late", with(host(), "Authorization", bearer), "{\"on\": true}"},
         Target::Command,
         Access::Command,
         {QStringLiteral("late"), {{"on", true}}}},
        {{"mode as a number", "POST", "/command/backlight", with(host(), "Authorization", bearer),
          "{\"mode\": 2}"},
         Target::Command,
         Access::Command,
         {QStringLiteral("backlight"), {{"mode", "2"}}}},
        {{"renewal", "POST", "/token/renew", with(host(), "Authorization", bearer)},
         Target::RenewToken,
         Access::Command,
         {}},
    };
    // Only a socket that draws the display asks for the strip's events.
    for (const auto& [path, wanted] : {std::pair{"/ws?display=true", true}, std::pair{"/ws", false}}) {
        const auto decoded = decodeHttpRequest(inputOf({"watch", "GET", path, with(host(), "upgrade", "websocket")}),
                                               loopback());
        ASSERT_TRUE(std::holds_alternative<Request>(decoded)) << path;
        EXPECT_EQ(std::get<Request>(decoded).displayEvents, wanted) << path;
    }
    for (const auto& c : cases) {
        const auto decoded = decodeHttpRequest(inputOf(c.request), loopback());
        const auto* r = std::get_if<Request>(&decoded);
        ASSERT_NE(r, nullptr) << c.request.what << ": " << std::get<Refusal>(decoded).code.toStdString();
        EXPECT_EQ(r->target, c.target) << c.request.what;
        EXPECT_EQ(r->access, c.access) << c.request.what;
        EXPECT_EQ(r->command, c.call) << c.request.what;
    }
    // Opened to a network on purpose: that address is ours too. A phone opens
    // the page without the token (it is in the address's fragment, which the
    // browser keeps), and shows it for everything else.
    const Listening network{50845, {QHostAddress(QStringLiteral("192.168.1.5"))}, kToken};
    EXPECT_TRUE(std::holds_alternative<Request>(
        decodeHttpRequest({"GET", "/state?token=" + kToken, host("192.168.1.5:50845"), {}, false}, network)));
    const auto page = decodeHttpRequest({"GET", "/", host("192.168.1.5:50845"), {}, false}, network);
    ASSERT_TRUE(std::holds_alternative<Request>(page));
    EXPECT_EQ(std::get<Request>(page).page->resource, QStringLiteral(":/web/index.html"));
    EXPECT_EQ(std::get<Refusal>(decodeHttpRequest({"GET", "/display.png", host("192.168.1.5:50845"), {}, false},
                                                  network))
                  .code,
              QStringLiteral("token_required"));
}

TEST(ControlProtocol, SocketMessages) {
    const struct {
        const char* text;
        Access access;
        const char* code; // empty: taken
        QJsonValue id;
    } cases[] = {
        {"{\"id\": 1, \"command\": ", Access::Command, "bad_json", QJsonValue()},
        {"{\"id\": 5}", Access::Command, "missing_parameter", 5},
        {"{\"id\": \"a\", \"command\": \"fly\"}", Access::Command, "unknown_command", "a"},
        {"{\"command\": \"next\", \"token\": \"x\"}", Access::Command, "unknown_parameter",
         QJsonValue(QJsonValue::Undefined)},
        {"{\"id\": 2, \"command\": \"next\"}", Access::Watch, "token_required", 2},
        {"{\"id\": 3, \"command\": \"goto\", \"args\": [7]}", Access::Command, "bad_parameter", 3},
        {"{\"id\": 4, \"command\": \"goto\", \"args\": {\"row\": \"7\"}}", Access::Command, "", 4},
        {"{\"id\": null, \"command\": \"state\"}", Access::Watch, "", QJsonValue()},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeSocketMessage(c.text, c.access);
        if (*c.code == '\0') {
            const auto* taken = std::get_if<SocketCommand>(&decoded);
            ASSERT_NE(taken, nullptr) << c.text;
            EXPECT_EQ(taken->id, c.id) << c.text;
            continue;
        }
        const auto* refused = std::get_if<SocketRefusal>(&decoded);
        ASSERT_NE(refused, nullptr) << c.text;
        EXPECT_EQ(refused->refusal.code.toStdString(), c.code) << c.text;
        EXPECT_EQ(refused->id, c.id) << c.text;
    }
    const auto row = std::get<SocketCommand>(
        decodeSocketMessage("{\"command\":\"goto\",\"args\":{\"row\":12}}", Access::Command));
    EXPECT_EQ(row.command.args.value(QStringLiteral("row")), QVariant(12));
}

// A page of the user's own elsewhere (another port, a local file) may read
// what it asks with the token, once its origin is allowed; the browser's
// question before it is answered without the token, and only for it.
TEST(ControlProtocol, AllowedOriginsReadWithTheTokenOnly) {
    Listening l = loopback();
    l.allowedOrigins = {"http://localhost:8080", "null"};
    const Headers fromPage = with(host(), "Origin", "http://localhost:8080");
    const HttpInput ask{"OPTIONS", "/command/next", fromPage, {}, true};
    EXPECT_EQ(std::get<Request>(decodeHttpRequest(ask, l)).target, Target::Preflight);
    EXPECT_EQ(std::get<Refusal>(decodeHttpRequest(ask, loopback())).code, QStringLiteral("bad_origin"));
    const HttpInput withToken{"GET", "/state?token=" + kToken, with(host(), "Origin", "null"), {}, true};
    EXPECT_EQ(corsOrigin(withToken, l), QByteArray("null"));
    EXPECT_FALSE(corsOrigin(withToken, loopback())) << "no origin is allowed unless the file says so";
    EXPECT_FALSE(corsOrigin({"GET", "/state", fromPage, {}, true}, l)) << "not without the token";
    EXPECT_FALSE(corsOrigin({"GET", "/state?token=x", fromPage, {}, true}, l));
    EXPECT_FALSE(corsOrigin({"GET", "/state?token=" + kToken, with(host("evil.example:50845"), "Origin", "null"), {}, true}, l));
}
