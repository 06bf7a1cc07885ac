// ferrotab-ctl: drives a running fare display device through its control
// interface, from a shell, a script or a key of a control deck.
//
//   ferrotab-ctl route 12 [1]            route and section, then route setting
//   ferrotab-ctl next                    data forward (every command of the interface)
//   ferrotab-ctl ride start 12 --speed 30 --loop
//   ferrotab-ctl watch                   events as JSON lines until interrupted
//   ferrotab-ctl token [--renew]         the access token (a new one)
//   ferrotab-ctl qr                      the phone panel page's address as a QR code
//
// The device's commands and how they are written come from the interface's
// vocabulary (protocol/Vocabulary.h): a command added there is taken here.
//
// It talks only to a device of this user that runs now: one that announced
// itself in the user's runtime folder and whose process still runs. The port
// is the one the device announced, never one from a file, so the token goes
// nowhere else (not to a port another program took after a crash). Which
// device: --device MODEL (or the device program or its control file),
// FERROTAB_CONTROL (its control file), or else the one started last.
// `token` alone also works without a running device, from the control file
// (--device PATH, FERROTAB_CONTROL, or the one beside this tool or of the
// sample device in the build folder).
//
// Exit codes: 0 done, 1 refused by the device (the reason is printed), 2 a
// bad command line, 3 the device cannot be reached.

#include "platform/Console.h"
#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"
#include "platform/SettingsPlace.h"
#include "protocol/CommandWords.h"
#include "qrcode/QrCode.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <cstdio>
#include <exception>
#include <optional>

namespace {

namespace pc = platform::control;

enum Exit { kDone = 0, kRefused = 1, kBadCommandLine = 2, kUnreachable = 3 };

// Route setting waits three seconds for the lamp test, and a sound may play
// to its end first.
constexpr int kAnswerTimeoutMs = 30000;

// The device's commands come from the interface's vocabulary; these are the
// tool's own.
QByteArray usage() {
    return "usage: ferrotab-ctl [--device MODEL|PATH] COMMAND\n" + protocol::commandUsage().toUtf8() +
           "  watch                                    events as JSON lines until interrupted\n"
           "  token [--renew]                          print the access token (or make a new one)\n"
           "  qr                                       the phone panel page's address with the token, as a QR "
           "code and text\n";
}

void out(const QByteArray& text) {
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}
int fail(Exit code, const QString& why) {
    std::fprintf(stderr, "ferrotab-ctl: %s\n", why.toLocal8Bit().constData());
    return code;
}


// ---- where the device is ----------------------------------------------------------------

struct Device {
    QString controlFile;
    QString host;
    quint16 port = 0;
    QString pageHost; // where a phone finds it
};

// A device's control file, named itself or by its program: where that device
// keeps its files (beside it, or in the user's configuration folder).
QString controlFileFor(const QString& path) {
    if (path.endsWith(pc::kControlFileSuffix)) return QFileInfo(path).absoluteFilePath();
    const QFileInfo program(path);
    const QString model = platform::modelFromFileName(program.fileName());
    return pc::controlFilePath(platform::settingsPlace(program.absolutePath(), model).folder, model);
}

// The device asked for: --device, else FERROTAB_CONTROL; empty: any.
QString wantedDevice(const QString& devicePath) {
    if (!devicePath.isEmpty()) return devicePath;
    return qEnvironmentVariable("FERROTAB_CONTROL");
}

// The running device asked for, found by its model or its control file.
std::optional<Device> findRunning(const QString& wanted, QString* why) {
    for (const pc::RunningDevice& d : pc::runningDevices()) {
        if (!wanted.isEmpty() && d.model != wanted && QFileInfo(d.controlFile) != QFileInfo(controlFileFor(wanted)))
            continue;
        return Device{d.controlFile, d.host, d.port, d.pageHost.isEmpty() ? d.host : d.pageHost};
    }
    *why = wanted.isEmpty()
               ? QStringLiteral("動いている装置が見つかりません（--control を付けて起動してください）")
               : QStringLiteral("装置 %1 は動いていません（--control を付けて起動してください）").arg(wanted);
    return std::nullopt;
}

// The control file of a device that need not run, for `token`.
std::optional<QString> controlFileOf(const QString& wanted) {
    QString ignored;
    if (const auto running = findRunning(wanted, &ignored)) return running->controlFile;
    if (!wanted.isEmpty()) return controlFileFor(wanted);
    const QDir here(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        controlFileFor(here.filePath(QStringLiteral("ferrotab"))),
        here.filePath(QStringLiteral("../data/sample/ferrotab-sample") + pc::kControlFileSuffix),
        here.filePath(QStringLiteral("../src/app/ferrotab") + pc::kControlFileSuffix),
    };
    for (const QString& c : candidates)
        if (QFileInfo::exists(c)) return QFileInfo(c).absoluteFilePath();
    return std::nullopt;
}

std::optional<QByteArray> tokenOf(const QString& controlFile, QString* why) {
    const pc::LoadedControlFile file = pc::loadControlFile(controlFile);
    if (file.damage) {
        *why = QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(controlFile, *file.damage);
        return std::nullopt;
    }
    if (file.settings.token.isEmpty()) {
        *why = QStringLiteral("%1 にトークンがありません（装置を一度 --control を付けて起動してください）")
                   .arg(controlFile);
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
    bool json = false; // the answer was a JSON object
    QJsonObject body;
};

Reply request(const Device& d, const QByteArray& token, const QByteArray& method, const QString& path,
              const QUrlQuery& query = {}) {
    QNetworkAccessManager manager;
    // Straight to the device: no proxy ever sees the token.
    manager.setProxy(QNetworkProxy::NoProxy);
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
    const QJsonDocument answer = QJsonDocument::fromJson(reply->readAll());
    r.json = answer.isObject();
    r.body = answer.object();
    reply->deleteLater();
    return r;
}

int report(const Reply& r, const Device& d) {
    if (!r.reached)
        return fail(kUnreachable, QStringLiteral("装置 %1 に届きません（%2）")
                                      .arg(urlOf(d, QStringLiteral("http"), {}).toString(), r.networkError));
    if (!r.json)
        return fail(kUnreachable, QStringLiteral("装置 %1 の答えが JSON ではありません（HTTP %2）。ほかのプログラムかもしれません")
                                      .arg(urlOf(d, QStringLiteral("http"), {}).toString())
                                      .arg(r.status));
    if (r.body.value(QStringLiteral("ok")).toBool()) return kDone;
    const QJsonObject e = r.body.value(QStringLiteral("error")).toObject();
    return fail(kRefused, QStringLiteral("%1 (%2)").arg(e.value(QStringLiteral("message")).toString(),
                                                        e.value(QStringLiteral("code")).toString()));
}

int watch(const Device& d, const QByteArray& token) {
    QWebSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
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

int token(const QString& wanted, bool renew) {
    QString why;
    const std::optional<QString> controlFile = controlFileOf(wanted);
    if (!controlFile)
        return fail(kUnreachable, QStringLiteral("制御ファイルが見つかりません（--device で装置を指定してください）"));
    if (!renew) {
        const auto t = tokenOf(*controlFile, &why);
        if (!t) return fail(kRefused, why);
        out(*t + '\n');
        return kDone;
    }
    // Through the running device, which lets go of clients that hold the old
    // token; without one, in the file.
    if (const auto running = findRunning(wanted, &why); running && running->controlFile == *controlFile) {
        const auto old = tokenOf(*controlFile, &why);
        if (!old) return fail(kRefused, why);
        const Reply r = request(*running, *old, "POST", QStringLiteral("/token/renew"));
        if (const int code = report(r, *running); code != kDone) return code;
        return token(wanted, false);
    }
    pc::LoadedControlFile file = pc::loadControlFile(*controlFile);
    if (file.damage)
        return fail(kRefused, QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(*controlFile, *file.damage));
    file.settings.token = pc::makeToken();
    if (const auto failure = pc::saveControlFile(*controlFile, file.settings))
        return fail(kRefused, QStringLiteral("%1 を書けません（%2）").arg(*controlFile, *failure));
    out(file.settings.token + '\n');
    return kDone;
}

// The page's address as a QR code a phone's camera reads off the terminal,
// and as text under it. Only a running device knows the address it serves
// the page at (with the interface on every address, its network address).
int qr(const Device& d) {
    QString why;
    const std::optional<QByteArray> t = tokenOf(d.controlFile, &why);
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

int run(QStringList args) {
    QString devicePath;
    if (args.size() >= 2 && args[0] == u"--device") {
        devicePath = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty() || args[0] == u"--help" || args[0] == u"-h") {
        std::fputs(usage().constData(), args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? kBadCommandLine : kDone;
    }
    const QString name = args[0];
    const bool own = (name == u"watch" && args.size() == 1) || (name == u"qr" && args.size() == 1) ||
                     (name == u"token" && (args.size() == 1 || (args.size() == 2 && args[1] == u"--renew")));
    QUrlQuery query;
    if (!own) {
        const auto written = protocol::commandFromWords(args);
        if (const auto* why = std::get_if<QString>(&written)) {
            std::fputs(usage().constData(), stderr);
            return fail(kBadCommandLine, QStringLiteral("%1: %2").arg(*why, args.join(u' ')));
        }
        for (const auto& [parameter, text] : std::get<protocol::WrittenCommand>(written).arguments)
            query.addQueryItem(parameter, text);
    }

    const QString wanted = wantedDevice(devicePath);
    if (name == u"token") return token(wanted, args.size() == 2);
    QString why;
    const std::optional<Device> device = findRunning(wanted, &why);
    if (!device) return fail(kUnreachable, why);
    if (name == u"qr") return qr(*device);
    const std::optional<QByteArray> secret = tokenOf(device->controlFile, &why);
    if (!secret) return fail(kUnreachable, why);
    if (name == u"watch") return watch(*device, *secret);
    if (name == u"state") {
        const Reply r = request(*device, *secret, "GET", QStringLiteral("/state"));
        if (r.status != 200 || !r.json) return report(r, *device);
        out(QJsonDocument(r.body).toJson(QJsonDocument::Indented));
        return kDone;
    }
    const Reply r = request(*device, *secret, "POST", QStringLiteral("/command/") + name, query);
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
    try {
        QCoreApplication app(argc, argv);
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        return run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ferrotab-ctl: %s\n", e.what());
        return 1;
    }
}
