#include "platform/ControlFile.h"

#include "platform/Files.h"
#include "platform/Process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <array>

namespace platform::control {

namespace {

const QString kEnabledKey = QStringLiteral("enabled");
const QString kPortKey = QStringLiteral("port");
const QString kListenKey = QStringLiteral("listen");
const QString kTokenKey = QStringLiteral("token");
const QString kAllowedOriginsKey = QStringLiteral("allowedOrigins");
// A page's origin as a browser sends it: the scheme, the host and a port,
// nothing after; or "null" for a page opened as a file.
constexpr int kMaxOrigins = 16;

bool isOrigin(const QString& text) {
    if (text == u"null") return true;
    static const QRegularExpression form(QStringLiteral("^https?://[A-Za-z0-9.-]+(:[0-9]{1,5})?$|^https?://\\[[0-9A-Fa-f:.]+\\](:[0-9]{1,5})?$"));
    return text.size() <= 255 && form.match(text).hasMatch();
}
const QString kAnnouncementFolder = QStringLiteral("ferrotab");

// A pipe or a device by the control file's name is refused unread: the
// program would otherwise wait on it at start.
std::optional<QByteArray> readSmallFile(const QString& path, QString* why = nullptr) {
    auto read = platform::readRegularFile(path, kMaxFileBytes);
    if (auto* bytes = std::get_if<QByteArray>(&read)) return std::move(*bytes);
    if (why) {
        const auto& failure = std::get<platform::ReadFailure>(read);
        using Kind = platform::ReadFailure::Kind;
        switch (failure.kind) {
        case Kind::TooLarge:
            *why = QStringLiteral("ファイルが大きすぎます（%1 バイト）").arg(QFileInfo(path).size());
            break;
        case Kind::Folder: *why = QStringLiteral("フォルダです"); break;
        case Kind::NotRegular: *why = QStringLiteral("通常のファイルではありません"); break;
        case Kind::Missing:
        case Kind::Unreadable: *why = failure.systemError; break;
        }
    }
    return std::nullopt;
}

// Owner-only from its first byte: a new file is made empty with those
// rights, and the replacing write keeps the rights of the file it replaces.
std::optional<QString> writeOwnerOnly(const QString& path, const QByteArray& bytes) {
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!QFileInfo::exists(path)) {
        QFile fresh(path);
        if (!fresh.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly)) return fresh.errorString();
    }
    QFile::setPermissions(path, ownerOnly);
    if (const auto failure = platform::replaceFile(path, bytes)) return failure->reason;
    return std::nullopt;
}

} // namespace

QString controlFilePath(const QString& programFolder, const QString& model) {
    return QDir(programFolder).filePath(model + kControlFileSuffix);
}

bool isLoopbackListen(const QString& listen) {
    const QString l = listen.trimmed().toLower();
    return l == QStringLiteral("127.0.0.1") || l == QStringLiteral("localhost") || l == QStringLiteral("::1");
}

QString clientHost(const QString& listen) {
    if (isLoopbackListen(listen)) return kLoopbackListen;
    QString l = listen.trimmed();
    if (l == QStringLiteral("0.0.0.0")) return kLoopbackListen;
    if (l == QStringLiteral("::")) return QStringLiteral("::1");
    return l;
}

std::variant<ControlSettings, QString> parseControlFile(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("JSON として読めません（%1 バイト目: %2）")
            .arg(error.offset)
            .arg(error.errorString());
    if (!doc.isObject()) return QStringLiteral("JSON のオブジェクトではありません");
    const QJsonObject o = doc.object();
    ControlSettings s;
    if (o.contains(kEnabledKey)) {
        if (!o[kEnabledKey].isBool()) return QStringLiteral("\"enabled\" は true か false です");
        s.enabled = o[kEnabledKey].toBool();
    }
    if (o.contains(kPortKey)) {
        const double port = o[kPortKey].toDouble(-1);
        if (!o[kPortKey].isDouble() || port < 1 || port > 65535 || port != double(int(port)))
            return QStringLiteral("\"port\" は 1 から 65535 までの整数です");
        s.port = quint16(port);
    }
    if (o.contains(kListenKey)) {
        const QString listen = o[kListenKey].toString();
        if (!o[kListenKey].isString() || listen.trimmed().isEmpty() || listen.size() > 64)
            return QStringLiteral("\"listen\" は IP アドレスです");
        s.listen = listen;
    }
    if (o.contains(kAllowedOriginsKey)) {
        const QJsonValue list = o[kAllowedOriginsKey];
        if (!list.isArray() || list.toArray().size() > kMaxOrigins)
            return QStringLiteral("\"allowedOrigins\" は %1 個までのオリジンの並びです").arg(kMaxOrigins);
        for (const QJsonValue origin : list.toArray()) {
            if (!origin.isString() || !isOrigin(origin.toString()))
                return QStringLiteral("\"allowedOrigins\" の各項目は http://ホスト:ポート の形か null です");
            s.allowedOrigins.append(origin.toString().toLatin1());
        }
    }
    if (o.contains(kTokenKey)) {
        const QByteArray token = o[kTokenKey].toString().toLatin1();
        if (!o[kTokenKey].isString() || (!token.isEmpty() && !isTokenForm(token)))
            return QStringLiteral("\"token\" がトークンの形をしていません");
        s.token = token;
    }
    return s;
}

QByteArray serializeControlFile(const ControlSettings& settings) {
    QJsonObject o;
    o[kEnabledKey] = settings.enabled;
    o[kPortKey] = int(settings.port);
    o[kListenKey] = settings.listen;
    o[kTokenKey] = QString::fromLatin1(settings.token);
    QJsonArray origins;
    for (const QByteArray& origin : settings.allowedOrigins) origins.append(QString::fromLatin1(origin));
    o[kAllowedOriginsKey] = origins;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray makeToken() {
    std::array<quint32, kTokenBytes / 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray raw(reinterpret_cast<const char*>(words.data()), kTokenBytes);
    return raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

bool isTokenForm(const QByteArray& token) {
    if (token.size() < 32 || token.size() > 128) return false;
    for (const char c : token) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

LoadedControlFile loadControlFile(const QString& path) {
    LoadedControlFile loaded;
    if (!QFileInfo::exists(path)) return loaded;
    loaded.exists = true;
    QString why;
    const std::optional<QByteArray> bytes = readSmallFile(path, &why);
    if (!bytes) {
        loaded.damage = why;
        return loaded;
    }
    auto parsed = parseControlFile(*bytes);
    if (auto* settings = std::get_if<ControlSettings>(&parsed))
        loaded.settings = *settings;
    else
        loaded.damage = std::get<QString>(parsed);
    return loaded;
}

std::optional<QString> saveControlFile(const QString& path, const ControlSettings& settings) {
    // Its folder may be the user's configuration folder, not made yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeOwnerOnly(path, serializeControlFile(settings));
}

void keepDamagedFile(const QString& path) {
    const QString bad = path + QStringLiteral(".bad");
    QFile::remove(bad);
    QFile::rename(path, bad);
}

std::optional<QString> keepOwnerOnly(const QString& path) {
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileInfo info(path);
    if (!info.isFile() || !(info.permissions() & others)) return std::nullopt;
    if (!QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) return std::nullopt;
    return QStringLiteral("制御ファイル %1 はほかの人も読めるようになっていました。持ち主だけが読み書きできるように戻しました（アクセストークンは ferrotab-ctl token --renew で作り直せます）")
        .arg(path);
}

// ---- a running device ----------------------------------------------------------------------

QString pageUrl(const QString& host, quint16 port, const QByteArray& token) {
    const QString shown = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("http://%1:%2/#token=%3").arg(shown).arg(port).arg(QString::fromLatin1(token));
}

QString announcementFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : QDir(runtime).filePath(kAnnouncementFolder);
}

namespace {

QString announcementOf(qint64 pid) {
    return QDir(announcementFolder()).filePath(QString::number(pid) + QStringLiteral(".json"));
}

std::optional<RunningDevice> readAnnouncement(const QString& path) {
    const std::optional<QByteArray> bytes = readSmallFile(path);
    if (!bytes) return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(*bytes).object();
    RunningDevice d;
    d.controlFile = o[QStringLiteral("controlFile")].toString();
    d.host = o[QStringLiteral("host")].toString();
    d.pageHost = o[QStringLiteral("pageHost")].toString();
    d.model = o[QStringLiteral("model")].toString();
    const int port = o[QStringLiteral("port")].toInt(0);
    d.pid = qint64(o[QStringLiteral("pid")].toDouble(0));
    if (d.controlFile.isEmpty() || d.host.isEmpty() || port < 1 || port > 65535 || d.pid <= 0) return std::nullopt;
    // Its name is its process: a file copied under another name is not an
    // announcement.
    if (QFileInfo(path).completeBaseName() != QString::number(d.pid)) return std::nullopt;
    d.port = quint16(port);
    return d;
}

} // namespace

std::vector<RunningDevice> runningDevices() {
    const QString folder = announcementFolder();
    if (folder.isEmpty()) return {};
    // Newest first.
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks, QDir::Time);
    std::vector<RunningDevice> devices;
    devices.reserve(size_t(files.size()));
    for (const QFileInfo& file : files) {
        std::optional<RunningDevice> d = readAnnouncement(file.filePath());
        if (!d || !platform::processRunningSince(d->pid, file.lastModified())) {
            QFile::remove(file.filePath());
            continue;
        }
        devices.push_back(std::move(*d));
    }
    return devices;
}

bool announce(const RunningDevice& device) {
    const QString folder = announcementFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QJsonObject o;
    o[QStringLiteral("controlFile")] = device.controlFile;
    o[QStringLiteral("host")] = device.host;
    o[QStringLiteral("port")] = int(device.port);
    if (!device.pageHost.isEmpty()) o[QStringLiteral("pageHost")] = device.pageHost;
    o[QStringLiteral("model")] = device.model;
    o[QStringLiteral("pid")] = double(device.pid);
    return !writeOwnerOnly(announcementOf(device.pid), QJsonDocument(o).toJson()).has_value();
}

void withdraw(qint64 pid) {
    if (!announcementFolder().isEmpty()) QFile::remove(announcementOf(pid));
}

} // namespace platform::control
