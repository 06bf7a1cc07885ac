#pragma once
// The control interface's vocabulary, in one place: every command with its
// parameters, every refusal, every event and every field of the state. The
// request decoder, the device's command queue, ferrotab-ctl (its parser and
// usage text), the program's own command line and the phone panel page (GET
// /protocol) take it from here, and a test holds docs/control.md to it.
// Adding a command is one entry in commandShapes() and its handler in the
// panel's command queue.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace protocol {

// ---- refusals ------------------------------------------------------------------------------

enum class RefusalKind {
    // The request itself.
    BadParameter,
    MissingParameter,
    UnknownParameter,
    BadJson,
    NotASocket,
    BadRequest,
    BadHandshake,
    LengthRequired,
    BadExpectation,
    TooManyHeaders,
    BadVersion,
    TokenRequired,
    BadToken,
    BadHost,
    BadOrigin,
    NotFound,
    UnknownCommand,
    MethodNotAllowed,
    Timeout,
    TooLarge,
    UpgradeRequired,
    // What the device says.
    NoRoute,
    Cleared,
    LastStop,
    FirstStop,
    NoSuchStop,
    NoAnnouncements,
    PanelBusy,
    RouteNotSet,
    BadTimetable,
    // The interface.
    NotRenewable,
    Busy,
    NoPicture,
};

struct Refusal {
    RefusalKind kind = RefusalKind::BadRequest;
    int status = 400; // HTTP status
    QString code;     // short and stable, for programs: "bad_token", "no_route"
    QString message;  // for people; never repeats what was sent
    bool operator==(const Refusal&) const = default;
};

// A refusal of `kind` with its status and code.
Refusal refuse(RefusalKind kind, const QString& message);

struct RefusalEntry {
    RefusalKind kind;
    int status;
    QString code;
};
const std::vector<RefusalEntry>& refusalKinds();

// ---- commands ----------------------------------------------------------------------------

enum class ParameterKind {
    Digits, // 1..maxDigits decimal digits, kept as text
    Row,    // a stop's row, 1..301
    Switch, // 1/0, on/off, true/false
    Choice, // one of `choices`
    Number, // a plain decimal number ("30", "0.5") from `minimum` to `maximum`
};

struct Parameter {
    QString name;
    ParameterKind kind = ParameterKind::Digits;
    bool required = true;
    int maxDigits = 0;
    QStringList choices;
    double minimum = 0;
    double maximum = 0;
    QVariant defaultValue = {}; // what an optional parameter left out means
    // Given on a command line by its place (`goto 7`) rather than as an
    // option (`--speed 30`).
    bool positional = true;
};

struct CommandShape {
    QString name;
    std::vector<Parameter> parameters;
    bool readOnly = false; // allowed without the token (on this machine)
    QString summary = {};  // what it does, in a line, for --help
    const Parameter* parameter(const QString& wanted) const;
};

// Every command the interface knows.
const std::vector<CommandShape>& commandShapes();
const CommandShape* findCommand(const QString& name);
// What an optional parameter of a command means when it is left out.
QVariant defaultOf(const QString& command, const QString& parameter);

// The ride's speeds a hand picks from (the panel's menu, the phone's ride
// switch), with their captions.
struct SpeedPreset {
    QString caption;
    double speed;
};
const std::vector<SpeedPreset>& rideSpeedPresets();

// ---- events --------------------------------------------------------------------------------

enum class Event {
    RouteSet,
    StopChanged,
    DisplayClear,
    LateNight,
    Backlight,
    AnnouncementStarted,
    AnnouncementEnded,
    SettingsApplied,
    Entry,
    RideStarted,
    RideEnded,
    RideDeparted,
    RideArrived,
    RideAnnouncementSkipped,
    Strip,
    Busy,
    Quit,
};
QString eventName(Event event);
QStringList eventNames();

// ---- the state -----------------------------------------------------------------------------

// The fields of GET /state, each named once here.
namespace field {
inline const QString model = QStringLiteral("model");
inline const QString version = QStringLiteral("version");
inline const QString routeSet = QStringLiteral("routeSet");
inline const QString route = QStringLiteral("route");
inline const QString section = QStringLiteral("section");
inline const QString rows = QStringLiteral("rows");
inline const QString stop = QStringLiteral("stop");
inline const QString fares = QStringLiteral("fares");
inline const QString lateNight = QStringLiteral("lateNight");
inline const QString cleared = QStringLiteral("cleared");
inline const QString backlight = QStringLiteral("backlight");
inline const QString announcement = QStringLiteral("announcement");
inline const QString stopState = QStringLiteral("stopState");
inline const QString entry = QStringLiteral("entry");
inline const QString ride = QStringLiteral("ride");
inline const QString busy = QStringLiteral("busy");
inline const QString display = QStringLiteral("display");
inline const QString sentMs = QStringLiteral("sentMs");
} // namespace field
const QStringList& stateFields();

// The whole vocabulary as one JSON document (GET /protocol): commands with
// their parameters, refusal codes, events and the state's fields.
QJsonObject vocabularyDocument();

} // namespace protocol
