#include "protocol/Vocabulary.h"

#include "platform/Device.h"

#include <QJsonArray>
#include <algorithm>

namespace protocol {

// ---- refusals ------------------------------------------------------------------------------

const std::vector<RefusalEntry>& refusalKinds() {
    using K = RefusalKind;
    static const std::vector<RefusalEntry> kinds{
        {K::BadParameter, 400, QStringLiteral("bad_parameter")},
        {K::MissingParameter, 400, QStringLiteral("missing_parameter")},
        {K::UnknownParameter, 400, QStringLiteral("unknown_parameter")},
        {K::BadJson, 400, QStringLiteral("bad_json")},
        {K::NotASocket, 400, QStringLiteral("not_a_socket")},
        {K::BadRequest, 400, QStringLiteral("bad_request")},
        {K::BadHandshake, 400, QStringLiteral("bad_handshake")},
        {K::LengthRequired, 411, QStringLiteral("length_required")},
        {K::BadExpectation, 417, QStringLiteral("bad_expectation")},
        {K::TooManyHeaders, 431, QStringLiteral("too_many_headers")},
        {K::BadVersion, 505, QStringLiteral("bad_version")},
        {K::TokenRequired, 401, QStringLiteral("token_required")},
        {K::BadToken, 401, QStringLiteral("bad_token")},
        {K::BadHost, 403, QStringLiteral("bad_host")},
        {K::BadOrigin, 403, QStringLiteral("bad_origin")},
        {K::NotFound, 404, QStringLiteral("not_found")},
        {K::UnknownCommand, 404, QStringLiteral("unknown_command")},
        {K::MethodNotAllowed, 405, QStringLiteral("method_not_allowed")},
        {K::Timeout, 408, QStringLiteral("timeout")},
        {K::TooLarge, 413, QStringLiteral("too_large")},
        {K::UpgradeRequired, 426, QStringLiteral("upgrade_required")},
        {K::NoRoute, 409, QStringLiteral("no_route")},
        {K::Cleared, 409, QStringLiteral("cleared")},
        {K::LastStop, 409, QStringLiteral("last_stop")},
        {K::FirstStop, 409, QStringLiteral("first_stop")},
        {K::NoSuchStop, 409, QStringLiteral("no_such_stop")},
        {K::NoAnnouncements, 409, QStringLiteral("no_announcements")},
        {K::PanelBusy, 409, QStringLiteral("panel_busy")},
        {K::RouteNotSet, 409, QStringLiteral("route_not_set")},
        {K::BadTimetable, 409, QStringLiteral("bad_timetable")},
        {K::NotRenewable, 500, QStringLiteral("not_renewable")},
        {K::Busy, 503, QStringLiteral("busy")},
        {K::NoPicture, 503, QStringLiteral("no_picture")},
    };
    return kinds;
}

Refusal refuse(RefusalKind kind, const QString& message) {
    const auto& kinds = refusalKinds();
    const auto it = std::find_if(kinds.begin(), kinds.end(), [kind](const RefusalEntry& e) { return e.kind == kind; });
    return {kind, it->status, it->code, message};
}

// ---- commands ----------------------------------------------------------------------------

const Parameter* CommandShape::parameter(const QString& wanted) const {
    const auto it = std::find_if(parameters.begin(), parameters.end(),
                                 [&wanted](const Parameter& p) { return p.name == wanted; });
    return it == parameters.end() ? nullptr : &*it;
}

const std::vector<CommandShape>& commandShapes() {
    using K = ParameterKind;
    const auto digits = [](const char* name, int most, bool required) {
        return Parameter{QString::fromLatin1(name), K::Digits, required, most};
    };
    const auto choice = [](const char* name, QStringList choices) {
        return Parameter{QString::fromLatin1(name), K::Choice, true, 0, std::move(choices)};
    };
    const auto option = [](const char* name, K kind, double minimum, double maximum, QVariant fallback) {
        return Parameter{QString::fromLatin1(name), kind, false, 0, {}, minimum, maximum, std::move(fallback), false};
    };
    static const std::vector<CommandShape> shapes{
        {QStringLiteral("route"),
         {digits("route", device::kRouteDigits, true), digits("section", device::kSectionDigits, false)},
         false,
         QStringLiteral("enter route (up to 5 digits) and section (up to 3), then set the route")},
        // A key of the keypad page: a digit, "系統" (route), "区間" (section),
        // or its リセット (reset: route setting with what the displays hold).
        {QStringLiteral("keypad"),
         {choice("key", {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                         QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                         QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("route"), QStringLiteral("section"),
                         QStringLiteral("reset")})},
         false,
         QStringLiteral("one key of the keypad page")},
        {QStringLiteral("next"), {}, false, QStringLiteral("data forward")},
        {QStringLiteral("back"), {}, false, QStringLiteral("data back")},
        {QStringLiteral("goto"),
         {{QStringLiteral("row"), K::Row}},
         false,
         QStringLiteral("straight to the stop in row ROW")},
        {QStringLiteral("clear"), {{QStringLiteral("on"), K::Switch}}, false, QStringLiteral("display clear on or off")},
        {QStringLiteral("late"), {{QStringLiteral("on"), K::Switch}}, false, QStringLiteral("late-night fare on or off")},
        {QStringLiteral("announce"),
         {choice("do", {QStringLiteral("next"), QStringLiteral("back"), QStringLiteral("stop")})},
         false,
         QStringLiteral("the announcements")},
        {QStringLiteral("backlight"),
         {choice("mode", {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")})},
         false,
         QStringLiteral("backlight OFF, ON1, ON2")},
        // A ride by the route's timetable: started with the route and its
        // pace, or stopped.
        {QStringLiteral("ride"),
         {choice("do", {QStringLiteral("start"), QStringLiteral("stop")}),
          digits("route", device::kRouteDigits, false),
          Parameter{QStringLiteral("section"), K::Digits, false, device::kSectionDigits, {}, 0, 0, QStringLiteral("1"), false},
          option("speed", K::Number, 0.1, 3600, 1.0),
          option("interval", K::Number, 0, 86400, 60.0),
          option("maxGap", K::Number, 0.1, 86400, 30.0),
          option("loop", K::Switch, 0, 0, false)},
         false,
         QStringLiteral("ride the route by its timetable (or one interval a stop) by itself, or end the ride")},
        // Whether the token is right, changing nothing.
        {QStringLiteral("ping"), {}, false, QStringLiteral("check that the token is right; changes nothing")},
        // The whole state, for a WebSocket client that wants it now.
        {QStringLiteral("state"), {}, true, QStringLiteral("the device's state as JSON")},
    };
    return shapes;
}

const CommandShape* findCommand(const QString& name) {
    const auto& shapes = commandShapes();
    const auto it = std::find_if(shapes.begin(), shapes.end(), [&name](const CommandShape& s) { return s.name == name; });
    return it == shapes.end() ? nullptr : &*it;
}

QVariant defaultOf(const QString& command, const QString& parameter) {
    const CommandShape* shape = findCommand(command);
    const Parameter* p = shape ? shape->parameter(parameter) : nullptr;
    return p ? p->defaultValue : QVariant();
}

// ---- events --------------------------------------------------------------------------------

namespace {

struct EventEntry {
    Event event;
    QString name;
};

const std::vector<EventEntry>& eventTable() {
    static const std::vector<EventEntry> table{
        {Event::RouteSet, QStringLiteral("routeSet")},
        {Event::StopChanged, QStringLiteral("stopChanged")},
        {Event::DisplayClear, QStringLiteral("displayClear")},
        {Event::LateNight, QStringLiteral("lateNight")},
        {Event::Backlight, QStringLiteral("backlight")},
        {Event::AnnouncementStarted, QStringLiteral("announcementStarted")},
        {Event::AnnouncementEnded, QStringLiteral("announcementEnded")},
        {Event::SettingsApplied, QStringLiteral("settingsApplied")},
        {Event::Entry, QStringLiteral("entry")},
        {Event::RideStarted, QStringLiteral("rideStarted")},
        {Event::RideEnded, QStringLiteral("rideEnded")},
        {Event::RideDeparted, QStringLiteral("rideDeparted")},
        {Event::RideArrived, QStringLiteral("rideArrived")},
        {Event::RideAnnouncementSkipped, QStringLiteral("rideAnnouncementSkipped")},
        {Event::Strip, QStringLiteral("strip")},
        {Event::Busy, QStringLiteral("busy")},
        {Event::Quit, QStringLiteral("quit")},
    };
    return table;
}

} // namespace

QString eventName(Event event) {
    for (const EventEntry& e : eventTable())
        if (e.event == event) return e.name;
    return {};
}

QStringList eventNames() {
    QStringList names;
    for (const EventEntry& e : eventTable()) names << e.name;
    return names;
}

// ---- the state -----------------------------------------------------------------------------

const QStringList& stateFields() {
    static const QStringList fields{field::model,     field::version,   field::routeSet,     field::route,
                                    field::section,   field::rows,      field::stop,         field::fares,
                                    field::lateNight, field::cleared,   field::backlight,    field::announcement,
                                    field::stopState, field::entry,     field::ride,         field::busy,
                                    field::display,   field::sentMs};
    return fields;
}

// ---- the whole -----------------------------------------------------------------------------

namespace {

QString kindName(ParameterKind kind) {
    switch (kind) {
    case ParameterKind::Digits: return QStringLiteral("digits");
    case ParameterKind::Row: return QStringLiteral("row");
    case ParameterKind::Switch: return QStringLiteral("switch");
    case ParameterKind::Choice: return QStringLiteral("choice");
    case ParameterKind::Number: return QStringLiteral("number");
    }
    return {};
}

} // namespace

const std::vector<SpeedPreset>& rideSpeedPresets() {
    static const std::vector<SpeedPreset> presets = {{QStringLiteral("実時間（×1）"), 1},
                                                     {QStringLiteral("×10"), 10},
                                                     {QStringLiteral("×30"), 30},
                                                     {QStringLiteral("×60（1分を1秒で）"), 60}};
    return presets;
}

QJsonObject vocabularyDocument() {
    QJsonArray commands;
    for (const CommandShape& shape : commandShapes()) {
        QJsonArray parameters;
        for (const Parameter& p : shape.parameters) {
            QJsonObject o{{QStringLiteral("name"), p.name},
                          {QStringLiteral("kind"), kindName(p.kind)},
                          {QStringLiteral("required"), p.required}};
            if (p.kind == ParameterKind::Digits) o[QStringLiteral("maxDigits")] = p.maxDigits;
            if (p.kind == ParameterKind::Row) {
                o[QStringLiteral("minimum")] = 1;
                o[QStringLiteral("maximum")] = device::kMaxFareRows;
            }
            if (p.kind == ParameterKind::Choice) o[QStringLiteral("choices")] = QJsonArray::fromStringList(p.choices);
            if (p.kind == ParameterKind::Number) {
                o[QStringLiteral("minimum")] = p.minimum;
                o[QStringLiteral("maximum")] = p.maximum;
            }
            if (p.defaultValue.isValid()) o[QStringLiteral("default")] = QJsonValue::fromVariant(p.defaultValue);
            if (shape.name == u"ride" && p.name == u"speed") {
                QJsonArray presets;
                for (const SpeedPreset& s : rideSpeedPresets())
                    presets.append(QJsonObject{{QStringLiteral("caption"), s.caption}, {QStringLiteral("value"), s.speed}});
                o[QStringLiteral("presets")] = presets;
            }
            parameters.append(o);
        }
        commands.append(QJsonObject{{QStringLiteral("name"), shape.name},
                                    {QStringLiteral("parameters"), parameters},
                                    {QStringLiteral("readOnly"), shape.readOnly}});
    }
    QJsonArray refusals;
    for (const RefusalEntry& r : refusalKinds())
        refusals.append(QJsonObject{{QStringLiteral("code"), r.code}, {QStringLiteral("status"), r.status}});
    return {{QStringLiteral("commands"), commands},
            {QStringLiteral("refusals"), refusals},
            {QStringLiteral("events"), QJsonArray::fromStringList(eventNames())},
            {QStringLiteral("state"), QJsonArray::fromStringList(stateFields())}};
}

} // namespace protocol
