#include "tools/GtfsCommand.h"

#include "platform/Files.h"
#include "route/FareDataFile.h"
#include "route/RouteFiles.h"
#include "route/TapeData.h"
#include "route/Timetable.h"
#include "tools/GtfsRoute.h"
#include "tools/GtfsSource.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace faretool {

namespace {

struct GtfsArgs {
    QString Feed;
    bool List = false;
    std::optional<QString> Route, Pattern, Trip, Number, Output;
    bool Placeholder = false;
    bool TicketPerZone = false;
    QString Error;
};

GtfsArgs parseGtfsArgs(const QStringList& args) {
    GtfsArgs a;
    const std::pair<QString, std::optional<QString> GtfsArgs::*> valued[] = {
        {QStringLiteral("--route"), &GtfsArgs::Route},   {QStringLiteral("--pattern"), &GtfsArgs::Pattern},
        {QStringLiteral("--trip"), &GtfsArgs::Trip},     {QStringLiteral("--number"), &GtfsArgs::Number},
        {QStringLiteral("--output"), &GtfsArgs::Output}, {QStringLiteral("-o"), &GtfsArgs::Output},
    };
    for (qsizetype i = 0; i < args.size() && a.Error.isEmpty(); ++i) {
        const QString& s = args[i];
        if (s == u"--list") {
            a.List = true;
            continue;
        }
        if (s == u"--placeholder") {
            a.Placeholder = true;
            continue;
        }
        if (s == u"--ticket-per-zone") {
            a.TicketPerZone = true;
            continue;
        }
        bool known = false;
        for (const auto& [name, member] : valued) {
            std::optional<QString> value;
            if (s == name) {
                if (i + 1 >= args.size()) {
                    a.Error = QStringLiteral("%1 needs a value").arg(name);
                    break;
                }
                value = args[++i];
            } else if (name.startsWith(u"--") && s.startsWith(name + u'=')) {
                value = s.mid(name.size() + 1);
            } else {
                continue;
            }
            known = true;
            if (a.*member) a.Error = QStringLiteral("%1 given twice").arg(name);
            a.*member = value;
            break;
        }
        if (known || !a.Error.isEmpty()) continue;
        if (s.startsWith(u'-') && s.size() > 1)
            a.Error = QStringLiteral("unknown option %1 for gtfs").arg(s);
        else if (a.Feed.isEmpty())
            a.Feed = s;
        else
            a.Error = QStringLiteral("gtfs takes one feed, got \"%1\" and \"%2\"").arg(a.Feed, s);
    }
    return a;
}

QString feedFailure(const QString& feed, const gtfs::GtfsError& e) {
    // Errors about the feed as a whole already name it.
    return e.File.isEmpty() && e.What.startsWith(feed) ? e.What : QStringLiteral("%1: %2").arg(feed, e.message());
}

ToolOutput list(const gtfs::FeedSource& source, const QString& feed) {
    auto listed = gtfs::listFeed(source);
    if (auto* e = std::get_if<gtfs::GtfsError>(&listed)) return fail(kBadData, feedFailure(feed, *e));
    ToolOutput o;
    o.Out = std::get<QString>(listed).toUtf8();
    return o;
}

QString summary(const gtfs::BuiltRoute& b, QStringList written) {
    for (QString& file : written) file = QDir::toNativeSeparators(file);
    const QString last = written.takeLast();
    QString out = QStringLiteral("wrote %1 and %2\n").arg(written.join(QStringLiteral(", ")), last);
    QStringList names;
    if (!b.RouteInfo.ShortName.isEmpty()) names << b.RouteInfo.ShortName;
    if (!b.RouteInfo.LongName.isEmpty()) names << b.RouteInfo.LongName;
    out += QStringLiteral("route %1%2, pattern %3 of %4: %5 → %6\n")
               .arg(b.RouteInfo.Id, names.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.join(u' ')),
                    QString::number(b.PatternNumber), QString::number(b.PatternCount), b.FirstStop, b.LastStop);
    const int stops = int(b.Fare.Rows.size());
    out += QStringLiteral("stops: %1 (sections a run can start at: 1..%2)\n").arg(stops).arg(stops - 1);
    out += QStringLiteral("ticket numbers: 1..%1\n").arg(b.TicketCount);
    if (b.LowestFare < 0)
        out += QStringLiteral("fares: none (every cell is -1)\n");
    else if (b.LowestFare == b.HighestFare)
        out += QStringLiteral("fares: %1 yen\n").arg(b.LowestFare);
    else
        out += QStringLiteral("fares: %1 to %2 yen\n").arg(b.LowestFare).arg(b.HighestFare);
    if (b.MissingFares == 0)
        out += QStringLiteral("rules missing: none\n");
    else
        out += QStringLiteral("rules missing: %1 ride(s) have no fare rule and show -1 (zones %2)\n")
                   .arg(b.MissingFares)
                   .arg(b.MissingZonePairs.mid(0, 8).join(QStringLiteral(", ")) +
                        (b.MissingZonePairs.size() > 8 ? QStringLiteral(", ...") : QString()));
    out += QStringLiteral("readings: %1 of %2 stops from translations.txt (ja-Hrkt), the rest spoken as written\n")
               .arg(b.ReadingsFound)
               .arg(stops);
    if (b.Timetable) {
        const auto& rows = b.Timetable->Rows;
        out += QStringLiteral("timetable: trip %1, %2 to %3\n")
                   .arg(b.TimetableTrip,
                        route::serviceTimeText(rows.front().Depart.value_or(rows.front().Arrive.value_or(0))),
                        route::serviceTimeText(rows.back().Arrive.value_or(rows.back().Depart.value_or(0))));
    }
    if (!b.Placeholders.isEmpty())
        out += QStringLiteral("〓 put for: %1\n").arg(b.Placeholders.join(QStringLiteral(", ")));
    for (const QString& note : b.Notes) out += QStringLiteral("note: %1\n").arg(note);
    return out;
}

} // namespace

QString gtfsUsageText() {
    return QStringLiteral(
        "  gtfs FEED --list                 the routes of a GTFS-JP feed (zip or folder) and their stop patterns\n"
        "  gtfs FEED --route ROUTE_ID [--pattern N | --trip TRIP_ID] --number SYSTEM_NUMBER -o FOLDER\n"
        "       [--placeholder] [--ticket-per-zone]\n"
        "                                   write FOLDER/SYSTEM_NUMBER.hy3, FOLDER/SYSTEM_NUMBERtp.csv and, from\n"
        "                                   the trip's stop times (--pattern: its first trip of the day),\n"
        "                                   FOLDER/SYSTEM_NUMBERtt.csv for one route (SYSTEM_NUMBER 1..99999, as\n"
        "                                   the driver keys it in); --placeholder puts 〓 for a character code\n"
        "                                   page 932 cannot hold; --ticket-per-zone gives stops that follow each\n"
        "                                   other in one fare zone one ticket number\n");
}

ToolOutput runGtfsCommand(const QStringList& args) {
    const GtfsArgs a = parseGtfsArgs(args);
    if (!a.Error.isEmpty()) return fail(kUsage, a.Error);
    if (a.Feed.isEmpty()) return fail(kUsage, QStringLiteral("gtfs needs a feed (a GTFS-JP zip or folder)"));
    const bool building = a.Route || a.Pattern || a.Trip || a.Number || a.Output || a.Placeholder || a.TicketPerZone;
    if (a.List && building) return fail(kUsage, QStringLiteral("gtfs --list takes no other option"));
    if (!a.List && !a.Route) return fail(kUsage, QStringLiteral("gtfs needs --list or --route ROUTE_ID"));

    gtfs::PatternChoice choice;
    int number = 0;
    if (!a.List) {
        if (a.Pattern && a.Trip) return fail(kUsage, QStringLiteral("give --pattern or --trip, not both"));
        if (a.Pattern) {
            bool ok = false;
            choice.Number = a.Pattern->toInt(&ok);
            if (!ok || choice.Number < 1)
                return fail(kUsage, QStringLiteral("--pattern must be a pattern number from --list, not \"%1\"").arg(*a.Pattern));
        }
        if (a.Trip) choice.TripId = *a.Trip;
        if (!a.Number) return fail(kUsage, QStringLiteral("gtfs needs --number SYSTEM_NUMBER (the route number keyed in, 1 to 99999)"));
        const auto keyed = routeNumberArg(*a.Number);
        if (!keyed) return fail(kUsage, routeNumberError(*a.Number));
        number = *keyed;
        if (!a.Output || a.Output->isEmpty()) return fail(kUsage, QStringLiteral("gtfs needs -o FOLDER"));
    }

    auto opened = gtfs::openFeed(a.Feed);
    if (auto* e = std::get_if<gtfs::GtfsError>(&opened)) return fail(kBadData, e->message());
    const gtfs::FeedSource& source = std::get<gtfs::FeedSource>(opened);
    if (a.List) return list(source, a.Feed);

    auto built = gtfs::buildRoute(source, *a.Route, choice, gtfs::BuildOptions{a.Placeholder, a.TicketPerZone});
    if (auto* e = std::get_if<gtfs::GtfsError>(&built)) return fail(kBadData, feedFailure(a.Feed, *e));
    const gtfs::BuiltRoute& route = std::get<gtfs::BuiltRoute>(built);

    // Named as route setting looks for them: the number without leading zeros.
    const QDir folder(*a.Output);
    if (QFileInfo(*a.Output).exists() && !QFileInfo(*a.Output).isDir())
        return fail(kBadData, QStringLiteral("%1 is a file, not a folder").arg(*a.Output));
    if (!folder.exists() && !QDir().mkpath(*a.Output))
        return fail(kBadData, QStringLiteral("cannot make the folder %1").arg(*a.Output));
    auto file = [&](route::RouteFile kind) { return folder.filePath(route::routeFileName(kind, QString::number(number))); };
    const QString fareFile = file(route::RouteFile::FareData), tapeFile = file(route::RouteFile::Broadcast),
                  timetableFile = file(route::RouteFile::Timetable);
    if (auto why = route::writeFareDataFile(fareFile, route.Fare)) return fail(kBadData, *why);
    if (auto failure = platform::replaceFile(tapeFile, route::encodeTapeData(route.Tape)))
        return fail(kBadData, QStringLiteral("cannot write %1: %2").arg(tapeFile, failure->reason));
    QStringList written{fareFile, tapeFile};
    if (route.Timetable) {
        if (auto why = route::writeTimetableFile(timetableFile, *route.Timetable)) return fail(kBadData, *why);
        written << timetableFile;
    }
    QString out = summary(route, written);
    // A timetable from before would not match the stops just written.
    if (!route.Timetable && QFileInfo::exists(platform::findFileIgnoringCase(timetableFile)))
        out += QStringLiteral("warning: %1 is from before and was left as it was; it may not match these stops\n")
                   .arg(QDir::toNativeSeparators(timetableFile));
    ToolOutput o;
    o.Out = out.toUtf8();
    return o;
}

} // namespace faretool
