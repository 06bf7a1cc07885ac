#include "tools/GtfsCommand.h"

#include "platform/Files.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "tools/GtfsRoute.h"
#include "tools/GtfsSource.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

QString summary(const gtfs::BuiltRoute& b, const QString& fareFile, const QString& tapeFile) {
    QString out = QStringLiteral("wrote %1 and %2\n").arg(QDir::toNativeSeparators(fareFile), QDir::toNativeSeparators(tapeFile));
    QStringList names;
    if (!b.RouteInfo.ShortName.isEmpty()) names << b.RouteInfo.ShortName;
    if (!b.RouteInfo.LongName.isEmpty()) names << b.RouteInfo.LongName;
    out += QStringLiteral("route %1%2, pattern %3 of %4: %5 → %6\n")
               .arg(b.RouteInfo.Id, names.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.join(u' ')))
               .arg(b.PatternNumber)
               .arg(b.PatternCount)
               .arg(b.FirstStop, b.LastStop);
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
        "                                   write FOLDER/SYSTEM_NUMBER.hy3 and FOLDER/SYSTEM_NUMBERtp.csv for one\n"
        "                                   route (SYSTEM_NUMBER 1..99999, as the driver keys it in); --placeholder\n"
        "                                   puts 〓 for a character code page 932 cannot hold; --ticket-per-zone\n"
        "                                   gives stops that follow each other in one fare zone one ticket number\n");
}

ToolOutput runGtfsCommand(const QStringList& args) {
    const GtfsArgs a = parseGtfsArgs(args);
    if (!a.Error.isEmpty()) return fail(kUsage, a.Error);
    if (a.Feed.isEmpty()) return fail(kUsage, QStringLiteral("gtfs needs a feed (a GTFS-JP zip or folder)"));
    const bool building = a.Route || a.Pattern || a.Trip || a.Number || a.Output || a.Placeholder || a.TicketPerZone;
    if (a.List && building) return fail(kUsage, QStringLiteral("gtfs --list takes no other option"));
    if (!a.List && !a.Route) return fail(kUsage, QStringLiteral("gtfs needs --list or --route ROUTE_ID"));

    gtfs::PatternChoice choice;
    static const QRegularExpression kSystemNumber(QStringLiteral("^[0-9]{1,5}$"));
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
        if (!kSystemNumber.match(*a.Number).hasMatch() || (number = a.Number->toInt()) < 1)
            return fail(kUsage, QStringLiteral("--number must be a route number from 1 to 99999, not \"%1\"").arg(*a.Number));
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
    const QString fareFile = folder.filePath(QStringLiteral("%1.hy3").arg(number));
    const QString tapeFile = folder.filePath(QStringLiteral("%1tp.csv").arg(number));
    if (auto why = route::writeFareDataFile(fareFile, route.Fare)) return fail(kBadData, *why);
    if (auto failure = platform::replaceFile(tapeFile, route::encodeTapeData(route.Tape)))
        return fail(kBadData, QStringLiteral("cannot write %1: %2").arg(tapeFile, failure->reason));
    ToolOutput o;
    o.Out = summary(route, fareFile, tapeFile).toUtf8();
    return o;
}

} // namespace faretool
