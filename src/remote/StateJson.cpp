#include "remote/StateJson.h"

#include "platform/ProgramIdentity.h"
#include "protocol/Vocabulary.h"

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

QJsonObject stateObject(const panel::PanelState& p, const QJsonObject& ride, platform::Activity busy,
                        const QJsonObject& display) {
    const platform::ProgramVersion v = platform::programVersion();
    QJsonObject o;
    o[protocol::field::model] = platform::programIdentity().model;
    o[protocol::field::version] = QStringLiteral("%1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.revision);
    o[protocol::field::routeSet] = p.routeSet;
    o[protocol::field::route] = p.route;
    o[protocol::field::section] = p.section;
    o[protocol::field::rows] = p.rows;
    o[protocol::field::stop] = p.stop ? QJsonValue(QJsonObject{{QStringLiteral("row"), p.stop->row},
                                                                {QStringLiteral("name"), p.stop->name},
                                                                {QStringLiteral("ticket"), p.stop->ticket}})
                                       : QJsonValue();
    // The fares as the device shows them: none while it is dark.
    QJsonArray fares;
    for (const QVariant& cell : p.cells) fares.append(p.cleared ? QJsonValue() : cellValue(cell));
    o[protocol::field::fares] = fares;
    o[protocol::field::lateNight] = p.lateNight;
    o[protocol::field::cleared] = p.cleared;
    o[protocol::field::backlight] = p.backlight;
    o[protocol::field::announcement] = QJsonObject{{QStringLiteral("index"), p.announcements.index},
                                                    {QStringLiteral("count"), p.announcements.count},
                                                    {QStringLiteral("speaking"), p.announcements.speaking}};
    o[protocol::field::stopState] =
        p.announcements.speaking && p.announcements.approaching ? QStringLiteral("approaching") : QStringLiteral("arrived");
    o[protocol::field::entry] = QJsonObject{
        {QStringLiteral("route"), p.entry.route},
        {QStringLiteral("section"), p.entry.section},
        {QStringLiteral("target"), p.entry.toRoute ? QStringLiteral("route") : QStringLiteral("section")}};
    o[protocol::field::ride] = ride;
    const QString name = activityName(busy);
    o[protocol::field::busy] = name.isEmpty() ? QJsonValue() : QJsonValue(name);
    o[protocol::field::display] = display;
    return o;
}

} // namespace remote
