#include "remote/StateJson.h"

#include "platform/ProgramIdentity.h"

#include <QJsonArray>

namespace remote {

namespace {

// A fare cell as a number, a text that is none, or null when blank.
QJsonValue cellValue(const QVariant& given) {
    if (!given.isValid()) return QJsonValue();
    bool number = false;
    const int value = given.toString().trimmed().toInt(&number);
    if (number) return value;
    const QString text = given.toString().trimmed();
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QString activityName(platform::Activity activity) {
    switch (activity) {
    case platform::Activity::LampTest: return QStringLiteral("lampTest");
    case platform::Activity::Sound: return QStringLiteral("sound");
    case platform::Activity::StripWait: return QStringLiteral("stripWait");
    case platform::Activity::None: break;
    }
    return {};
}

QJsonObject stateObject(const panel::PanelState& p, const QJsonObject& ride, platform::Activity busy) {
    const platform::ProgramVersion v = platform::programVersion();
    QJsonObject o;
    o[QStringLiteral("model")] = platform::programIdentity().model;
    o[QStringLiteral("version")] = QStringLiteral("%1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.revision);
    o[QStringLiteral("routeSet")] = p.routeSet;
    o[QStringLiteral("route")] = p.route;
    o[QStringLiteral("section")] = p.section;
    o[QStringLiteral("rows")] = p.rows;
    o[QStringLiteral("stop")] = p.stop ? QJsonValue(QJsonObject{{QStringLiteral("row"), p.stop->row},
                                                                {QStringLiteral("name"), p.stop->name},
                                                                {QStringLiteral("ticket"), p.stop->ticket}})
                                       : QJsonValue();
    // The fares as the device shows them: none while it is dark.
    QJsonArray fares;
    for (const QVariant& cell : p.cells) fares.append(p.cleared ? QJsonValue() : cellValue(cell));
    o[QStringLiteral("fares")] = fares;
    o[QStringLiteral("lateNight")] = p.lateNight;
    o[QStringLiteral("cleared")] = p.cleared;
    o[QStringLiteral("backlight")] = p.backlight;
    o[QStringLiteral("announcement")] = QJsonObject{{QStringLiteral("index"), p.announcements.index},
                                                    {QStringLiteral("count"), p.announcements.count},
                                                    {QStringLiteral("speaking"), p.announcements.speaking}};
    o[QStringLiteral("stopState")] =
        p.announcements.speaking && p.announcements.approaching ? QStringLiteral("approaching") : QStringLiteral("arrived");
    o[QStringLiteral("entry")] = QJsonObject{
        {QStringLiteral("route"), p.entry.route},
        {QStringLiteral("section"), p.entry.section},
        {QStringLiteral("target"), p.entry.toRoute ? QStringLiteral("route") : QStringLiteral("section")}};
    o[QStringLiteral("ride")] = ride;
    const QString name = activityName(busy);
    o[QStringLiteral("busy")] = name.isEmpty() ? QJsonValue() : QJsonValue(name);
    return o;
}

} // namespace remote
