// Any bytes as a GTFS feed: the input is cut at NUL bytes into the feed's
// files in a fixed order. Listing and building every route, with its
// timetable, must end in a result or a reason, never a crash; a reason
// always names something, and a timetable made keeps the rules.
#include "tools/GtfsCsv.h"
#include "tools/GtfsRoute.h"

#include <array>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        gtfs::CsvReader csv(QStringLiteral("any.txt"), bytes);
        while (csv.next())
            for (int k = 0; k < csv.fieldCount(); ++k) (void)csv.field(k);
        if (csv.error() && csv.error()->What.isEmpty()) std::abort();
    }
    static const std::array<QString, 8> names = {
        QStringLiteral("stops.txt"),           QStringLiteral("routes.txt"),     QStringLiteral("trips.txt"),
        QStringLiteral("stop_times.txt"),      QStringLiteral("fare_rules.txt"), QStringLiteral("translations.txt"),
        QStringLiteral("fare_attributes.txt"), QStringLiteral("agency.txt")};
    const QList<QByteArray> parts = bytes.split('\0');
    const gtfs::FeedSource source = [&](const QString& name) {
        gtfs::FeedFile f;
        for (size_t k = 0; k < names.size(); ++k)
            if (names[k] == name && qsizetype(k) < parts.size()) {
                f.Status = gtfs::FeedFile::State::Present;
                f.Bytes = parts[qsizetype(k)];
            }
        return f;
    };
    auto listed = gtfs::listFeed(source);
    if (auto* e = std::get_if<gtfs::GtfsError>(&listed)) {
        if (e->message().isEmpty()) std::abort();
        return 0;
    }
    auto net = gtfs::loadNetwork(source);
    if (!std::holds_alternative<gtfs::Network>(net)) std::abort(); // listing just read it
    for (const auto& route : std::get<gtfs::Network>(net).Routes) {
        // Pattern 1 with its first trip of the day, and each pattern's first
        // trip in the feed, whose stop times make the timetable.
        std::vector<gtfs::PatternChoice> choices{{}};
        for (const auto& pattern : route.Patterns) choices.push_back({0, pattern.Trips.front()});
        for (const auto& choice : choices)
            for (const bool perZone : {false, true}) {
                auto built = gtfs::buildRoute(source, route.RouteInfo.Id, choice, {true, perZone});
                if (auto* e = std::get_if<gtfs::GtfsError>(&built)) {
                    if (e->message().isEmpty()) std::abort();
                    continue;
                }
                const auto& b = std::get<gtfs::BuiltRoute>(built);
                if (b.Fare.Rows.size() < 2 || b.Tape.size() != b.Fare.Rows.size()) std::abort();
                if (route::checkWritable(b.Fare)) std::abort();
                if (b.Timetable && (b.Timetable->Rows.size() != b.Fare.Rows.size() || route::checkTimes(*b.Timetable)))
                    std::abort();
            }
    }
    return 0;
}
