#pragma once
// One route of a GTFS-JP feed made into the device's files: the fare data
// (one row per stop of the chosen stop pattern, one column per numbered
// ticket), the broadcast data (one announcement per stop) and the timetable
// of one of the pattern's trips.

#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "route/Timetable.h"
#include "tools/GtfsFeed.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

namespace gtfs {

// The placeholder put for a character code page 932 cannot hold (〓, 下駄).
inline constexpr QChar kPlaceholder = QChar(0x3013);

// Which stop pattern of the route: pattern N of the listing (1-based), or
// the one a given trip runs; neither means pattern 1, the one most trips run.
// The timetable is the given trip's, or the pattern's first trip of the day.
struct PatternChoice {
    int Number = 0;
    QString TripId;
};

struct BuildOptions {
    bool Placeholder = false;   // put 〓 for a character code page 932 cannot hold, instead of failing
    bool TicketPerZone = false; // consecutive stops of one fare zone issue one ticket number
};

struct BuiltRoute {
    route::FareData Fare;
    std::vector<route::TapeEntry> Tape;
    std::optional<route::Timetable> Timetable; // none when the feed gives no times (see Notes)
    QString TimetableTrip;                     // the trip it is of

    // For the summary.
    Route RouteInfo;
    QString FirstStop, LastStop; // names as written
    int PatternNumber = 0; // 1-based
    int PatternCount = 0;
    int TicketCount = 0;
    int LowestFare = -1;  // -1 when no fare at all
    int HighestFare = -1;
    int MissingFares = 0;        // ride (ticket, stop) pairs no rule covers
    QStringList MissingZonePairs; // "A→C" for them, at most a few
    int ReadingsFound = 0;       // stops that took their reading from translations.txt
    QStringList Placeholders;    // "stop 3 𠮷" for every character replaced by 〓
    QStringList Notes;           // anything else the user should know
};

// Reads what is needed from the feed and builds the route's files.
std::variant<BuiltRoute, GtfsError> buildRoute(const FeedSource& source, const QString& routeId,
                                               const PatternChoice& choice, const BuildOptions& options);

// The text of `ferrotab-data gtfs FEED --list`.
std::variant<QString, GtfsError> listFeed(const FeedSource& source);

// The pieces, apart for testing.

// The timetable of a trip from its stop times: where one of arrival_time and
// departure_time is empty it takes the other; stops with neither get times
// spread evenly between the stops with times around them. A time that is
// not one, a stop at either end without a time, and times that go back are
// errors naming the line.
std::variant<route::Timetable, GtfsError> tripTimetable(const QString& tripId, const std::vector<StopTime>& times);

// The pattern's first trip of the day: the earliest time at its first stop
// (departure_time, else arrival_time); of equal times the one first in
// trips.txt. Calendars are not read, so it is the earliest of every service
// day (weekday, holiday, ...) alike. Empty when no trip has a time there.
std::variant<QString, GtfsError> firstTripOfDay(const RoutePatterns& route, const Pattern& pattern);

// Ticket number of each stop: 1, 2, 3, ... or, per zone, one number for each
// run of consecutive stops with the same non-empty zone_id.
std::vector<int> ticketNumbers(const std::vector<QString>& zones, bool perZone);

// The lowest fare, in yen, of the rules that apply to a ride on `routeId`
// (of `agencyId`) from stop `from` to stop `to` of a pattern whose stops lie
// in `zones`; the index of its fare_attributes entry, or -1 when no rule
// applies.
struct FareFinder {
    FareFinder(const Fares& fares, const QString& routeId, const QString& agencyId);
    int find(const std::vector<QString>& zones, size_t from, size_t to) const;

private:
    const Fares& fares_;
    QHash<QString, int> plain_; // "origin\x1Fdestination" (empty for any) -> lowest fare index
    struct ContainsGroup {
        QString Origin, Destination;
        QStringList Zones; // sorted, distinct
        int Fare = -1;
    };
    std::vector<ContainsGroup> contains_;
    int lower(int a, int b) const;
};

// The text with control characters turned to spaces and trimmed; then each
// character code page 932 cannot hold either replaced by 〓 (placeholder) or
// returned in `firstBad` (the text is then unusable).
struct Cp932Fit {
    QString Text;
    QStringList Replaced; // the characters 〓 stands for
    QString FirstBad;     // without placeholder: the first character that does not fit
};
Cp932Fit fitCp932(const QString& text, bool placeholder);

} // namespace gtfs
