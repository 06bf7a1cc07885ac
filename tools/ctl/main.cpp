// ferrotab-ctl: drives a running fare display device through its control
// interface, from a shell, a script or a key of a control deck.
//
//   ferrotab-ctl state                   the device's state (JSON)
//   ferrotab-ctl route 12 [1]            route and section, then route setting
//   ferrotab-ctl next | back             data forward / back
//   ferrotab-ctl goto 7                  straight to stop 7
//   ferrotab-ctl clear on|off            display clear
//   ferrotab-ctl late on|off             late-night fare
//   ferrotab-ctl announce next|back|stop the announcements
//   ferrotab-ctl backlight 0|1|2         OFF, ON1, ON2
//   ferrotab-ctl ride start 12 [--speed 30] [--loop] ...  a ride by the timetable
//   ferrotab-ctl ride stop               its end
//   ferrotab-ctl watch                   events as JSON lines until interrupted
//   ferrotab-ctl token [--renew]         the access token (a new one)
//   ferrotab-ctl qr                      the phone panel page's address as a QR code
//
// The device is found through --device PATH (the device program or its
// control file), FERROTAB_CONTROL (its control file), the device that
// announced itself last in the user's runtime folder, or the control file
// beside this tool or of the sample device in the build folder.
//
// Exit codes: 0 done, 1 refused by the device (the reason is printed), 2 a
// bad command line, 3 the device cannot be reached.

#include "platform/Console.h"
#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"
#include "qrcode/QrCode.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <cstdio>
#include <optional>

namespace {

namespace pc = platform::control;

enum Exit { kDone = 0, kRefused = 1, kBadCommandLine = 2, kUnreachable = 3 };

// Route setting waits three seconds for the lamp test, and a sound may play
// to its end first.
constexpr int kAnswerTimeoutMs = 30000;

const char* const kUsage =
    "usage: ferrotab-ctl [--device PATH] COMMAND\n"
    "  state                      the device's state as JSON\n"
    "  route ROUTE [SECTION]      enter route (up to 5 digits) and section (up to 3), then set the route\n"
    "  next | back                data forward / data back\n"
    "  goto ROW                   straight to the stop in row ROW\n"
    "  clear on|off               display clear\n"
    "  late on|off                late-night fare\n"
    "  announce next|back|stop    the announcements\n"
    "  backlight 0|1|2            backlight OFF, ON1, ON2\n"
    "  ride start ROUTE [--section N] [--speed X] [--loop] [--interval S] [--max-gap S]\n"
    "                             ride the route by its timetable (or one interval a stop) by itself\n"
    "  ride stop                  end the ride\n"
    "  watch                      events as JSON lines until interrupted\n"
    "  token [--renew]            print the access token (or make a new one)\n"
    "  qr                         the phone panel page's address with the token, as a QR code and text\n";

void out(const QByteArray& text) {
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}
int fail(Exit code, const QString& why) {
    std::fprintf(stderr, "ferrotab-ctl: %s\n", why.toLocal8Bit().constData());
    return code;
}

bool digits(const QString& text, int most) {
    return !text.isEmpty() && text.size() <= most &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// ---- where the device is ----------------------------------------------------------------

struct Device {
    QString controlFile;
    QString host;
    quint16 port = 0;
    QString pageHost; // where a phone finds it; known only while it runs
};

QString controlFileFor(const QString& path) {
    if (path.endsWith(pc::kControlFileSuffix)) return QFileInfo(path).absoluteFilePath();
    const QFileInfo program(path);
    return pc::controlFilePath(program.absolutePath(), platform::modelFromFileName(program.fileName()));
}

std::optional<QString> knownControlFile() {
    const QDir here(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        here.filePath(QStringLiteral("ferrotab") + pc::kControlFileSuffix),
        here.filePath(QStringLiteral("../data/sample/ferrotab-sample") + pc::kControlFileSuffix),
        here.filePath(QStringLiteral("../src/app/ferrotab") + pc::kControlFileSuffix),
    };
    for (const QString& c : candidates)
        if (QFileInfo::exists(c)) return QFileInfo(c).absoluteFilePath();
    return std::nullopt;
}

std::optional<Device> findDevice(const QString& devicePath, QString* why) {
    const std::optional<pc::RunningDevice> running = pc::announcedDevice();
    Device d;
    if (!devicePath.isEmpty())
        d.controlFile = controlFileFor(devicePath);
    else if (qEnvironmentVariableIsSet("FERROTAB_CONTROL"))
        d.controlFile = controlFileFor(qEnvironmentVariable("FERROTAB_CONTROL"));
    else if (running)
        d.controlFile = running->controlFile;
    else if (const auto known = knownControlFile())
        d.controlFile = *known;
    else {
        *why = QStringLiteral(
            "動いている装置が見つかりません（--control を付けて起動し、--device PATH で指定できます）");
        return std::nullopt;
    }
    // The running device knows where it really listens (the command line
    // may have chosen another port); otherwise its file says.
    if (running && QFileInfo(running->controlFile) == QFileInfo(d.controlFile)) {
        d.host = running->host;
        d.port = running->port;
        d.pageHost = running->pageHost.isEmpty() ? running->host : running->pageHost;
    } else {
        const pc::LoadedControlFile file = pc::loadControlFile(d.controlFile);
        d.host = pc::clientHost(file.settings.listen);
        d.port = file.settings.port;
    }
    return d;
}

std::optional<QByteArray> tokenOf(const Device& d, QString* why) {
    const pc::LoadedControlFile file = pc::loadControlFile(d.controlFile);
    if (file.damage) {
        *why = QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(d.controlFile, *file.damage);
        return std::nullopt;
    }
    if (file.settings.token.isEmpty()) {
        *why = QStringLiteral("%1 にトークンがありません（装置を一度 --control を付けて起動してください）")
                   .arg(d.controlFile);
        return std::nullopt;
    }
    return file.settings.token;
}

QUrl urlOf(const Device& d, const QString& scheme, const QString& path) {
    QUrl url;
    url.setScheme(scheme);
    url.setHost(d.host);
    url.setPort(d.port);
    url.setPath(path);
    return url;
}

// ---- talking to it --------------------------------------------------------------------------

struct Reply {
    bool reached = false;
    QString networkError;
    int status = 0;
    QJsonObject body;
};

Reply request(const Device& d, const QByteArray& token, const QByteArray& method, const QString& path,
              const QUrlQuery& query = {}) {
    QNetworkAccessManager manager;
    QUrl url = urlOf(d, QStringLiteral("http"), path);
    url.setQuery(query);
    QNetworkRequest req(url);
    req.setRawHeader("Authorization", "Bearer " + token);
    req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    req.setTransferTimeout(kAnswerTimeoutMs);
    QNetworkReply* reply = method == "POST" ? manager.post(req, QByteArray()) : manager.get(req);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Reply r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.reached = r.status != 0;
    r.networkError = reply->errorString();
    r.body = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return r;
}

int report(const Reply& r, const Device& d) {
    if (!r.reached)
        return fail(kUnreachable, QStringLiteral("装置 %1 に届きません（%2）")
                                      .arg(urlOf(d, QStringLiteral("http"), {}).toString(), r.networkError));
    if (r.body.value(QStringLiteral("ok")).toBool()) return kDone;
    const QJsonObject e = r.body.value(QStringLiteral("error")).toObject();
    return fail(kRefused, QStringLiteral("%1 (%2)").arg(e.value(QStringLiteral("message")).toString(),
                                                        e.value(QStringLiteral("code")).toString()));
}

int watch(const Device& d, const QByteArray& token) {
    QWebSocket socket;
    QNetworkRequest req(urlOf(d, QStringLiteral("ws"), QStringLiteral("/ws")));
    req.setRawHeader("Authorization", "Bearer " + token);
    int exit = kUnreachable;
    bool opened = false;
    QObject::connect(&socket, &QWebSocket::connected, [&opened] { opened = true; });
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [&exit](const QString& text) {
        out(text.toUtf8() + '\n');
        if (QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("event")).toString() ==
            u"quit")
            exit = kDone;
    });
    QObject::connect(&socket, &QWebSocket::disconnected, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    socket.open(req);
    QCoreApplication::exec();
    if (!opened)
        return fail(
            kUnreachable,
            QStringLiteral("装置 %1 に届きません（%2）").arg(req.url().toString(), socket.errorString()));
    if (exit != kDone) return fail(kUnreachable, QStringLiteral("装置との接続が切れました"));
    return exit;
}

int token(const Device& d, bool renew) {
    QString why;
    if (!renew) {
        const auto t = tokenOf(d, &why);
        if (!t) return fail(kRefused, why);
        out(*t + '\n');
        return kDone;
    }
    // Through the running device, which lets go of clients that hold the old
    // token; without one, in the file.
    if (const auto old = tokenOf(d, &why)) {
        const Reply r = request(d, *old, "POST", QStringLiteral("/token/renew"));
        if (r.reached) {
            if (const int code = report(r, d); code != kDone) return code;
            return token(d, false);
        }
    }
    pc::LoadedControlFile file = pc::loadControlFile(d.controlFile);
    if (file.damage)
        return fail(kRefused,
                    QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(d.controlFile, *file.damage));
    file.settings.token = pc::makeToken();
    if (const auto failure = pc::saveControlFile(d.controlFile, file.settings))
        return fail(kRefused, QStringLiteral("%1 を書けません（%2）").arg(d.controlFile, *failure));
    out(file.settings.token + '\n');
    return kDone;
}

// The page's address as a QR code a phone's camera reads off the terminal,
// and as text under it. Only a running device knows the address it serves
// the page at (with the interface on every address, its network address).
int qr(const Device& d) {
    QString why;
    if (d.pageHost.isEmpty())
        return fail(kUnreachable,
                    QStringLiteral("装置が動いていません（--control を付けて起動してください）"));
    const std::optional<QByteArray> t = tokenOf(d, &why);
    if (!t) return fail(kUnreachable, why);
    const QString url = pc::pageUrl(d.pageHost, d.port, *t);
    const std::optional<qrcode::QrCode> code = qrcode::encodeQr(url.toUtf8());
    if (!code) return fail(kRefused, QStringLiteral("QRコードを作れません"));
    // On a terminal, black on white whatever its colours; into a file, ink
    // for the dark modules, as on paper.
    out(qrcode::qrTextBlocks(*code, platform::standardOutputIsTerminal()).toUtf8());
    out(url.toUtf8() + '\n');
    return kDone;
}

// The command's name and query, or an empty name for a bad command line.
std::pair<QString, QUrlQuery> commandOf(const QStringList& a) {
    const QString name = a.value(0);
    QUrlQuery q;
    const auto onOff = [&](const QString& v) {
        if (v != u"on" && v != u"off") return false;
        q.addQueryItem(QStringLiteral("on"), v == u"on" ? QStringLiteral("1") : QStringLiteral("0"));
        return true;
    };
    bool ok = false;
    if ((name == u"next" || name == u"back") && a.size() == 1) ok = true;
    if (name == u"route" && (a.size() == 2 || a.size() == 3) && digits(a[1], 5) &&
        (a.size() == 2 || digits(a[2], 3))) {
        q.addQueryItem(QStringLiteral("route"), a[1]);
        if (a.size() == 3) q.addQueryItem(QStringLiteral("section"), a[2]);
        ok = true;
    }
    if (name == u"goto" && a.size() == 2 && digits(a[1], 3)) {
        q.addQueryItem(QStringLiteral("row"), a[1]);
        ok = true;
    }
    if ((name == u"clear" || name == u"late") && a.size() == 2) ok = onOff(a[1]);
    if (name == u"announce" && a.size() == 2 && QStringList{"next", "back", "stop"}.contains(a[1])) {
        q.addQueryItem(QStringLiteral("do"), a[1]);
        ok = true;
    }
    if (name == u"backlight" && a.size() == 2 && QStringList{"0", "1", "2"}.contains(a[1])) {
        q.addQueryItem(QStringLiteral("mode"), a[1]);
        ok = true;
    }
    if (name == u"ride" && a.size() == 2 && a[1] == u"stop") {
        q.addQueryItem(QStringLiteral("do"), QStringLiteral("stop"));
        ok = true;
    }
    if (name == u"ride" && a.size() >= 3 && a[1] == u"start" && digits(a[2], 5)) {
        // The options go as they are: the device checks them.
        q.addQueryItem(QStringLiteral("do"), QStringLiteral("start"));
        q.addQueryItem(QStringLiteral("route"), a[2]);
        const QList<QPair<QString, QString>> valued = {{QStringLiteral("--section"), QStringLiteral("section")},
                                                       {QStringLiteral("--speed"), QStringLiteral("speed")},
                                                       {QStringLiteral("--interval"), QStringLiteral("interval")},
                                                       {QStringLiteral("--max-gap"), QStringLiteral("maxgap")}};
        ok = true;
        for (qsizetype i = 3; ok && i < a.size(); ++i) {
            if (a[i] == u"--loop") {
                q.addQueryItem(QStringLiteral("loop"), QStringLiteral("1"));
                continue;
            }
            const auto option = std::find_if(valued.begin(), valued.end(), [&](const auto& v) { return v.first == a[i]; });
            ok = option != valued.end() && i + 1 < a.size();
            if (ok) q.addQueryItem(option->second, a[++i]);
        }
    }
    return {ok ? name : QString(), q};
}

int run(QStringList args) {
    QString devicePath;
    if (args.size() >= 2 && args[0] == u"--device") {
        devicePath = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty() || args[0] == u"--help" || args[0] == u"-h") {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kBadCommandLine : kDone;
    }
    const QString name = args[0];
    const auto [command, query] = commandOf(args);
    const bool known =
        !command.isEmpty() || (name == u"state" && args.size() == 1) ||
        (name == u"watch" && args.size() == 1) || (name == u"qr" && args.size() == 1) ||
        (name == u"token" && (args.size() == 1 || (args.size() == 2 && args[1] == u"--renew")));
    if (!known) {
        std::fputs(kUsage, stderr);
        return fail(kBadCommandLine, QStringLiteral("分からないコマンドです: %1").arg(args.join(u' ')));
    }

    QString why;
    const std::optional<Device> device = findDevice(devicePath, &why);
    if (!device) return fail(kUnreachable, why);
    if (name == u"token") return token(*device, args.size() == 2);
    if (name == u"qr") return qr(*device);
    const std::optional<QByteArray> secret = tokenOf(*device, &why);
    if (!secret) return fail(kUnreachable, why);
    if (name == u"watch") return watch(*device, *secret);
    if (name == u"state") {
        const Reply r = request(*device, *secret, "GET", QStringLiteral("/state"));
        if (r.status != 200) return report(r, *device);
        out(QJsonDocument(r.body).toJson(QJsonDocument::Indented));
        return kDone;
    }
    const Reply r = request(*device, *secret, "POST", QStringLiteral("/command/") + command, query);
    if (const int code = report(r, *device); code != kDone) return code;
    // Where the bus is now, in a line.
    const QJsonObject state = r.body.value(QStringLiteral("state")).toObject();
    const QJsonObject stop = state.value(QStringLiteral("stop")).toObject();
    if (!stop.isEmpty())
        out(QStringLiteral("%1/%2 %3\n")
                .arg(stop.value(QStringLiteral("row")).toInt())
                .arg(state.value(QStringLiteral("rows")).toInt())
                .arg(stop.value(QStringLiteral("name")).toString())
                .toUtf8());
    return kDone;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return run(args);
}
