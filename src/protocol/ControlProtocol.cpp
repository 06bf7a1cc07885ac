#include "protocol/ControlProtocol.h"

#include "platform/Device.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>
#include <algorithm>
#include <optional>

namespace protocol {

namespace {

const QString kTokenParameter = QStringLiteral("token");


// No message ever repeats what a client sent (a token typed into the wrong
// place would come back in the answer); it names only what is ours.

// The names a command takes, for a message.
QString parameterNames(const CommandShape& shape) {
    QStringList names;
    for (const Parameter& p : shape.parameters) names << p.name;
    return names.isEmpty() ? QStringLiteral("なし") : names.join(QStringLiteral(", "));
}

QString commandNames();

bool allDigits(const QString& text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// One argument's text checked against its parameter.
std::optional<QVariant> parseValue(const Parameter& p, const QString& text) {
    switch (p.kind) {
    case ParameterKind::Digits:
        if (allDigits(text, p.maxDigits)) return QVariant(text);
        return std::nullopt;
    case ParameterKind::Row: {
        if (!allDigits(text, 3)) return std::nullopt;
        const int row = text.toInt();
        if (row < 1 || row > device::kMaxFareRows) return std::nullopt;
        return QVariant(row);
    }
    case ParameterKind::Switch:
        if (text == u"1" || text == u"on" || text == u"true") return QVariant(true);
        if (text == u"0" || text == u"off" || text == u"false") return QVariant(false);
        return std::nullopt;
    case ParameterKind::Choice:
        if (p.choices.contains(text)) return QVariant(text);
        return std::nullopt;
    case ParameterKind::Number: {
        // Digits with at most one point: no signs, exponents or spaces.
        static const QRegularExpression plain(QStringLiteral("^[0-9]{1,6}(\\.[0-9]{1,3})?$"));
        if (!plain.match(text).hasMatch()) return std::nullopt;
        const double value = text.toDouble();
        if (value < p.minimum || value > p.maximum) return std::nullopt;
        return QVariant(value);
    }
    }
    return std::nullopt;
}

QString expectation(const Parameter& p) {
    switch (p.kind) {
    case ParameterKind::Digits:
        return QStringLiteral("%1桁までの数字").arg(p.maxDigits);
    case ParameterKind::Row:
        return QStringLiteral("1から%1までの整数").arg(device::kMaxFareRows);
    case ParameterKind::Switch:
        return QStringLiteral("1/0, on/off, true/false のどれか");
    case ParameterKind::Choice:
        return p.choices.join(u'|') + QStringLiteral(" のどれか");
    case ParameterKind::Number:
        return QStringLiteral("%1から%2までの数").arg(p.minimum).arg(p.maximum);
    }
    return {};
}

// A JSON argument as the text a query parameter would carry.
std::optional<QString> jsonArgumentText(const QJsonValue& v) {
    if (v.isString()) return v.toString();
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d >= 0 && d <= 1e9 && d == double(qint64(d))) return QString::number(qint64(d));
        if (d > 0 && d < 1e6) return QString::number(d, 'f', 3).remove(QRegularExpression(QStringLiteral("0+$")));
    }
    return std::nullopt;
}

// Checks the named arguments against the command's parameters.
std::variant<CommandCall, Refusal> buildCall(const CommandShape& shape,
                                             const QList<QPair<QString, QString>>& given) {
    CommandCall call{shape.name, {}};
    for (const auto& [name, text] : given) {
        const Parameter* p = shape.parameter(name);
        if (!p)
            return refuse(RefusalKind::UnknownParameter, QStringLiteral("%1 が知らないパラメータがあります（使えるのは %2）")
                               .arg(shape.name, parameterNames(shape)));
        if (call.args.contains(name))
            return refuse(RefusalKind::BadParameter, QStringLiteral("パラメータ %1 が二度あります").arg(name));
        const std::optional<QVariant> value = parseValue(*p, text);
        if (!value)
            return refuse(RefusalKind::BadParameter, QStringLiteral("パラメータ %1 は %2 です").arg(p->name, expectation(*p)));
        call.args.insert(name, *value);
    }
    for (const Parameter& p : shape.parameters)
        if (p.required && !call.args.contains(p.name))
            return refuse(RefusalKind::MissingParameter, QStringLiteral("パラメータ %1 がありません（%2）").arg(p.name, expectation(p)));
    return call;
}

// The arguments of a JSON object, as named texts.
std::variant<QList<QPair<QString, QString>>, Refusal> jsonArguments(const QJsonObject& args) {
    QList<QPair<QString, QString>> out;
    for (auto it = args.begin(); it != args.end(); ++it) {
        const std::optional<QString> text = jsonArgumentText(it.value());
        if (!text)
            return refuse(RefusalKind::BadParameter, QStringLiteral("パラメータの値は文字列、数または真偽値です"));
        out.append({it.key(), *text});
    }
    return out;
}

std::optional<QJsonObject> jsonObject(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    return doc.object();
}

Refusal badJson() {
    return refuse(RefusalKind::BadJson, QStringLiteral("本文が JSON のオブジェクトではありません"));
}

// ---- who is asking ---------------------------------------------------------------------

std::optional<QByteArray> headerValue(const Headers& headers, const char* name, bool* repeated = nullptr) {
    std::optional<QByteArray> found;
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) != 0) continue;
        if (found && repeated) *repeated = true;
        found = value.trimmed();
    }
    return found;
}

struct HostName {
    QString host; // lower case; an IPv6 address without its brackets
    int port = 0;
};

std::optional<HostName> splitHost(const QByteArray& value) {
    if (value.isEmpty() || value.size() > 300) return std::nullopt;
    HostName h;
    QByteArray rest;
    if (value.startsWith('[')) {
        const qsizetype close = value.indexOf(']');
        if (close < 0) return std::nullopt;
        h.host = QString::fromLatin1(value.mid(1, close - 1)).toLower();
        if (QHostAddress(h.host).protocol() != QAbstractSocket::IPv6Protocol) return std::nullopt;
        rest = value.mid(close + 1);
    } else {
        const qsizetype colon = value.indexOf(':');
        h.host = QString::fromLatin1(colon < 0 ? value : value.left(colon)).toLower();
        rest = colon < 0 ? QByteArray() : value.mid(colon);
        if (h.host.contains(u':')) return std::nullopt;
    }
    if (rest.isEmpty()) {
        h.port = 80;
    } else {
        const QString digits = QString::fromLatin1(rest.mid(1));
        if (!rest.startsWith(':') || !allDigits(digits, 5)) return std::nullopt;
        h.port = digits.toInt();
    }
    return h;
}

// The Host a client names must be where we listen: this machine's loopback
// names, or an address we were opened to on purpose.
bool hostIsOurs(const QByteArray& value, const Listening& listening) {
    const std::optional<HostName> h = splitHost(value);
    if (!h || h->port != listening.port) return false;
    if (h->host == u"localhost") return true;
    const QHostAddress address(h->host);
    if (address.isNull()) return false;
    if (address.isLoopback()) return true;
    return std::any_of(listening.addresses.begin(), listening.addresses.end(), [&](const QHostAddress& ours) {
        if (ours == QHostAddress(QHostAddress::Any) || ours == QHostAddress(QHostAddress::AnyIPv6))
            return true;
        if (ours == QHostAddress(QHostAddress::AnyIPv4))
            return address.protocol() == QAbstractSocket::IPv4Protocol;
        return ours.isEqual(address);
    });
}

struct Credentials {
    std::optional<QByteArray> token; // the token shown, if any
    std::optional<Refusal> refusal;
};

Credentials credentials(const HttpInput& input, const QList<QPair<QString, QString>>& query) {
    Credentials c;
    for (const auto& [name, value] : query) {
        if (name != kTokenParameter) continue;
        if (c.token) {
            c.refusal = refuse(RefusalKind::BadParameter, QStringLiteral("パラメータ token が二度あります"));
            return c;
        }
        c.token = value.toLatin1();
    }
    if (const auto authorization = headerValue(input.headers, "Authorization")) {
        const QByteArray scheme = authorization->left(7);
        const QByteArray token = authorization->mid(7).trimmed();
        if (scheme.compare("Bearer ", Qt::CaseInsensitive) != 0 || (c.token && *c.token != token)) {
            c.refusal = refuse(RefusalKind::BadToken, QStringLiteral("アクセストークンが違います"));
            return c;
        }
        c.token = token;
    }
    return c;
}

const PageFile* pageFileAt(const QByteArray& path) {
    for (const PageFile& f : pageFiles())
        if (f.path == path) return &f;
    return nullptr;
}

std::variant<Target, Refusal> targetOf(const QByteArray& path, QString* commandName) {
    static const QByteArray kCommand = QByteArrayLiteral("/command/");
    if (pageFileAt(path)) return Target::PageFile;
    if (path == "/state") return Target::State;
    if (path == "/display.png") return Target::DisplayPicture;
    if (path == "/strip.png") return Target::StripPicture;
    if (path == "/ws") return Target::Events;
    if (path == "/token/renew") return Target::RenewToken;
    if (path == "/protocol") return Target::Vocabulary;
    if (path.startsWith(kCommand)) {
        *commandName = QString::fromUtf8(path.mid(kCommand.size()));
        if (!findCommand(*commandName))
            return refuse(RefusalKind::UnknownCommand, QStringLiteral("そのコマンドはありません（使えるのは %1）").arg(commandNames()));
        return Target::Command;
    }
    return refuse(RefusalKind::NotFound, QStringLiteral("そのアドレスはありません"));
}

bool methodAllowed(Target target, const QByteArray& method) {
    switch (target) {
    case Target::Preflight:
        return method == "OPTIONS";
    case Target::State:
    case Target::DisplayPicture:
    case Target::StripPicture:
    case Target::Events:
    case Target::PageFile:
    case Target::Vocabulary:
        return method == "GET";
    case Target::Command:
        return method == "GET" || method == "POST";
    case Target::RenewToken:
        return method == "POST";
    }
    return false;
}

} // namespace

Refusal tooLarge() {
    return refuse(RefusalKind::TooLarge, QStringLiteral("要求が大きすぎます（%1 バイトまで）").arg(kMaxRequestBytes));
}
Refusal requestTimeout() {
    return refuse(RefusalKind::Timeout, QStringLiteral("要求が時間内に届きませんでした"));
}
Refusal tooBusy() {
    return refuse(RefusalKind::Busy, QStringLiteral("要求が多すぎます。少し待ってから送ってください"));
}

const std::vector<PageFile>& pageFiles() {
    static const std::vector<PageFile> files{
        {"/", QStringLiteral(":/web/index.html"), "text/html; charset=utf-8"},
        {"/panel.js", QStringLiteral(":/web/panel.js"), "text/javascript; charset=utf-8"},
        {"/panel.css", QStringLiteral(":/web/panel.css"), "text/css; charset=utf-8"},
        {"/display.js", QStringLiteral(":/web/display.js"), "text/javascript; charset=utf-8"},
        {"/overlay", QStringLiteral(":/web/overlay.html"), "text/html; charset=utf-8", true},
        {"/overlay.js", QStringLiteral(":/web/overlay.js"), "text/javascript; charset=utf-8"},
        {"/overlay.css", QStringLiteral(":/web/overlay.css"), "text/css; charset=utf-8"},
    };
    return files;
}

namespace {
QString commandNames() {
    QStringList names;
    for (const CommandShape& shape : commandShapes()) names << shape.name;
    return names.join(QStringLiteral(", "));
}
} // namespace

std::variant<CommandCall, Refusal> checkedCommand(const QString& name, const QList<QPair<QString, QString>>& args) {
    const CommandShape* shape = findCommand(name);
    if (!shape) return refuse(RefusalKind::UnknownCommand, QStringLiteral("このコマンドは使えません"));
    return buildCall(*shape, args);
}

std::optional<QByteArray> corsOrigin(const HttpInput& input, const Listening& listening) {
    auto origin = headerValue(input.headers, "Origin");
    if (!origin || !listening.allowedOrigins.contains(*origin)) return std::nullopt;
    const auto host = headerValue(input.headers, "Host");
    if (!host || !hostIsOurs(*host, listening)) return std::nullopt;
    const qsizetype question = input.target.indexOf('?');
    const QUrlQuery query(question < 0 ? QString() : QString::fromUtf8(input.target.mid(question + 1)));
    const Credentials shown = credentials(input, query.queryItems(QUrl::FullyDecoded));
    if (shown.refusal || !shown.token || listening.token.isEmpty() || !sameSecret(*shown.token, listening.token))
        return std::nullopt;
    return origin;
}

bool asksForWebSocket(const Headers& headers) {
    const auto upgrade = headerValue(headers, "Upgrade");
    return upgrade && upgrade->compare("websocket", Qt::CaseInsensitive) == 0;
}

QByteArray requestTarget(const QByteArray& encodedPath, const QByteArray& encodedQuery, bool hasQuery) {
    return hasQuery ? encodedPath + '?' + encodedQuery : encodedPath;
}

std::variant<Request, Refusal> decodeHttpRequest(const HttpInput& input, const Listening& listening) {
    // Size first: nothing of an oversized request is looked at.
    if (input.body.size() > kMaxRequestBytes || input.target.size() > kMaxRequestBytes) return tooLarge();

    bool repeatedHost = false;
    const std::optional<QByteArray> host = headerValue(input.headers, "Host", &repeatedHost);
    if (!host || repeatedHost || !hostIsOurs(*host, listening))
        return refuse(RefusalKind::BadHost, QStringLiteral("Host がこの制御口の名前ではありません"));

    const qsizetype question = input.target.indexOf('?');
    const QByteArray rawPath = question < 0 ? input.target : input.target.left(question);
    const QByteArray path = QByteArray::fromPercentEncoding(rawPath);
    QString commandName;
    const auto target = targetOf(path, &commandName);
    if (const auto* r = std::get_if<Refusal>(&target)) return *r;
    Request request;
    request.target = std::get<Target>(target);
    // A page of an allowed origin asks the browser's question first; the
    // question carries no token, the request that follows must.
    if (input.method == "OPTIONS") {
        const auto origin = headerValue(input.headers, "Origin");
        if (!origin || !listening.allowedOrigins.contains(*origin))
            return refuse(RefusalKind::BadOrigin, QStringLiteral("このページの出どころは許されていません"));
        request.target = Target::Preflight;
        return request;
    }
    if (request.target == Target::PageFile) request.page = pageFileAt(path);

    if (!methodAllowed(request.target, input.method))
        return refuse(RefusalKind::MethodNotAllowed, QStringLiteral("このアドレスは %1 で開いてください")
                           .arg(request.target == Target::Command ? QStringLiteral("GET か POST")
                                : request.target == Target::RenewToken ? QStringLiteral("POST")
                                                                       : QStringLiteral("GET")));
    if (request.target == Target::Events && !asksForWebSocket(input.headers))
        return refuse(RefusalKind::UpgradeRequired, QStringLiteral("/ws は WebSocket で開いてください"));
    if (request.target != Target::Events && asksForWebSocket(input.headers))
        return refuse(RefusalKind::NotASocket, QStringLiteral("WebSocket は /ws だけです"));

    const QUrlQuery query(question < 0 ? QString() : QString::fromUtf8(input.target.mid(question + 1)));
    const QList<QPair<QString, QString>> items = query.queryItems(QUrl::FullyDecoded);

    const Credentials shown = credentials(input, items);
    if (shown.refusal) return *shown.refusal;
    const CommandShape* shape = request.target == Target::Command ? findCommand(commandName) : nullptr;
    const bool showsDevice = request.page && request.page->showsDevice;
    const bool readOnly = request.target == Target::State || request.target == Target::DisplayPicture ||
                          request.target == Target::StripPicture || request.target == Target::Events ||
                          showsDevice || (shape && shape->readOnly);
    // The page's files and the vocabulary say nothing of the device.
    const bool forEverybody =
        (request.target == Target::PageFile && !showsDevice) || request.target == Target::Vocabulary;
    if (shown.token) {
        if (listening.token.isEmpty() || !sameSecret(*shown.token, listening.token))
            return refuse(RefusalKind::BadToken, QStringLiteral("アクセストークンが違います"));
        request.access = Access::Command;
    } else if (!forEverybody && (!readOnly || !input.fromLoopback)) {
        return refuse(RefusalKind::TokenRequired, QStringLiteral("アクセストークンが要ります（?token=... か Authorization: Bearer ...）"));
    } else if (const auto origin = headerValue(input.headers, "Origin");
               origin && origin->compare("http://" + *host, Qt::CaseInsensitive) != 0) {
        return refuse(RefusalKind::BadOrigin, QStringLiteral("ほかのサイトのページからはトークンなしで見られません"));
    }

    if (request.target == Target::Events)
        for (const auto& [name, value] : items)
            if (name == u"display") request.displayEvents = value == u"true" || value == u"1";
    if (request.target != Target::Command) return request;

    QList<QPair<QString, QString>> given;
    for (const auto& item : items)
        if (item.first != kTokenParameter) given.append(item);
    if (!input.body.trimmed().isEmpty()) {
        const std::optional<QJsonObject> body = jsonObject(input.body);
        if (!body) return badJson();
        auto fromBody = jsonArguments(*body);
        if (const auto* r = std::get_if<Refusal>(&fromBody)) return *r;
        given.append(std::get<QList<QPair<QString, QString>>>(fromBody));
    }
    auto call = buildCall(*shape, given);
    if (const auto* r = std::get_if<Refusal>(&call)) return *r;
    request.command = std::get<CommandCall>(call);
    return request;
}

std::variant<SocketCommand, SocketRefusal> decodeSocketMessage(const QByteArray& text, Access access) {
    if (text.size() > kMaxRequestBytes) return SocketRefusal{QJsonValue(), tooLarge()};
    const std::optional<QJsonObject> message = jsonObject(text);
    if (!message) return SocketRefusal{QJsonValue(), badJson()};
    const QJsonValue id = message->value(QStringLiteral("id"));
    auto answered = [&id](const Refusal& r) { return SocketRefusal{id, r}; };
    for (auto it = message->begin(); it != message->end(); ++it)
        if (it.key() != u"id" && it.key() != u"command" && it.key() != u"args")
            return answered(refuse(RefusalKind::UnknownParameter, QStringLiteral("知らない項目があります（使えるのは id, command, args）")));
    const QJsonValue name = message->value(QStringLiteral("command"));
    if (!name.isString())
        return answered(refuse(RefusalKind::MissingParameter, QStringLiteral("\"command\" がありません")));
    const CommandShape* shape = findCommand(name.toString());
    if (!shape)
        return answered(refuse(RefusalKind::UnknownCommand, QStringLiteral("そのコマンドはありません（使えるのは %1）").arg(commandNames())));
    if (access != Access::Command && !shape->readOnly)
        return answered(
            refuse(RefusalKind::TokenRequired, QStringLiteral("アクセストークンを付けて /ws を開いてください")));
    const QJsonValue args = message->value(QStringLiteral("args"));
    if (!args.isUndefined() && !args.isObject())
        return answered(refuse(RefusalKind::BadParameter, QStringLiteral("\"args\" はオブジェクトです")));
    auto given = jsonArguments(args.toObject());
    if (const auto* r = std::get_if<Refusal>(&given)) return answered(*r);
    auto call = buildCall(*shape, std::get<QList<QPair<QString, QString>>>(given));
    if (const auto* r = std::get_if<Refusal>(&call)) return answered(*r);
    return SocketCommand{id, std::get<CommandCall>(call)};
}

bool sameSecret(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0U : 1U;
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(i < a.size() ? a[i] : 0);
        const auto y = static_cast<unsigned char>(i < b.size() ? b[i] : 0);
        difference |= unsigned(x ^ y);
    }
    return difference == 0;
}

} // namespace protocol
