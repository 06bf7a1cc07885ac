#pragma once
// The switch of the device's control interface, kept in a small file of its
// own beside the settings file (<model>.control.json): whether the interface
// is on, the port, the address it listens on and the access token that
// programs must show to press the panel's buttons. The settings file itself
// never holds any of it, so it stays byte for byte what it is.
//
// A running device with the interface on also makes itself known in the
// user's runtime folder, so that ferrotab-ctl finds it without being told
// where the device lives. Qt Core only: ferrotab-ctl uses this too.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>
#include <variant>

namespace platform::control {

inline constexpr quint16 kDefaultPort = 50845;
// Listening on loopback: 127.0.0.1 and ::1, this machine only.
inline const QString kLoopbackListen = QStringLiteral("127.0.0.1");
inline const QString kControlFileSuffix = QStringLiteral(".control.json");
// The token is this many random bytes, written in URL-safe base64.
inline constexpr int kTokenBytes = 32;
// A control file or announcement larger than this is not ours.
inline constexpr qint64 kMaxFileBytes = qint64{16} * 1024;

struct ControlSettings {
    bool enabled = false;
    quint16 port = kDefaultPort;
    QString listen = kLoopbackListen;
    QByteArray token; // empty until the interface is first used
    bool operator==(const ControlSettings&) const = default;
};

// <folder>/<model>.control.json
QString controlFilePath(const QString& programFolder, const QString& model);

// True for the listen addresses that mean this machine only: 127.0.0.1,
// localhost and ::1 (the interface then listens on both loopback addresses).
bool isLoopbackListen(const QString& listen);

// The address a client on this machine connects to for `listen`.
QString clientHost(const QString& listen);

// The phone panel page's address: http://HOST:PORT/#token=TOKEN (an IPv6
// host in brackets). The token travels in the fragment, which a browser never
// sends to a server: it stays out of server logs and Referer headers.
QString pageUrl(const QString& host, quint16 port, const QByteArray& token);

// The file's text to settings, or the reason it is not a control file.
// Missing keys take their defaults; a value of the wrong kind, a port outside
// 1..65535, an empty listen text or a token that is not one of ours is a
// reason. Whether the listen text is an address the server finds out.
std::variant<ControlSettings, QString> parseControlFile(const QByteArray& bytes);
QByteArray serializeControlFile(const ControlSettings& settings);

// A new token: kTokenBytes from the system's random source.
QByteArray makeToken();
// The form of our tokens: URL-safe base64 without padding, at least 32 and
// at most 128 characters.
bool isTokenForm(const QByteArray& token);

struct LoadedControlFile {
    ControlSettings settings; // the defaults when missing or damaged
    bool exists = false;
    std::optional<QString> damage; // why the file could not be read
};
LoadedControlFile loadControlFile(const QString& path);

// Writes the file so that a failure leaves the old one whole, readable and
// writable by its owner only (on Windows the folder's access rules apply).
// Returns the reason when it cannot.
std::optional<QString> saveControlFile(const QString& path, const ControlSettings& settings);

// Moves a damaged file aside as <path>.bad (replacing an older one).
void keepDamagedFile(const QString& path);

// Makes an existing control file readable and writable by its owner alone
// again (the token is the user's). Returns what to tell the user when it was
// open to others, nothing when it was not or cannot be changed.
std::optional<QString> keepOwnerOnly(const QString& path);

// ---- a running device ----------------------------------------------------------------

struct RunningDevice {
    QString controlFile;
    QString host; // where a client on this machine reaches it
    quint16 port = 0;
    qint64 pid = 0;
    // Where a phone finds the panel page (the machine's network address when
    // the interface listens on all of them); empty: `host`.
    QString pageHost;
    QString model; // the device's model (型番)
    bool operator==(const RunningDevice&) const = default;
};

// <runtime folder>/ferrotab, the user's own (the runtime folder is the
// user's alone); empty when the system has no runtime folder.
QString announcementFolder();
// The devices of this user that run now, the latest to start first. An
// announcement whose process has ended (a device that crashed) is removed
// as it is found, so no stale port is ever offered.
std::vector<RunningDevice> runningDevices();
// Announces this device; false when it cannot.
bool announce(const RunningDevice& device);
// Takes this process's announcement back.
void withdraw(qint64 pid);

} // namespace platform::control
