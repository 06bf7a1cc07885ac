#pragma once
// The parts of a GTFS-JP feed that make a route for the fare display: the
// stops, the routes with the stop patterns their trips run, the fares and the
// readings (ja-Hrkt translations) of the stop names.
//
// Everything here works on a `FeedSource`, a function that hands over a
// feed file's bytes by name, so it is the same for a zip, a folder or a feed
// made up in memory.

#include "tools/GtfsCsv.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace gtfs {

// One file of the feed as the source found it.
struct FeedFile {
    enum class State { Present, Missing, Unreadable };
    State Status = State::Missing;
    QByteArray Bytes;
    QString Reason; // why it could not be read, for Unreadable
};
// Hands over the feed file named, e.g. "stops.txt".
using FeedSource = std::function<FeedFile(const QString& name)>;

struct Stop {
    QString Id;
    QString Name;   // stop_name, or the parent station's when the pole has none
    QString Zone;   // zone_id, or the parent station's when the pole has none
    QString Parent; // parent_station
};

struct Route {
    QString Id;
    QString ShortName;
    QString LongName;
    QString AgencyId;
};

// The ordered stops of one or more trips of a route.
struct Pattern {
    std::vector<int> Stops; // indices into Network::Stops, in running order
    QStringList Trips;      // the trips that run it, in the order of trips.txt
    QString Headsign;       // the first trip's trip_headsign
    QStringList Directions; // the direction_id values of its trips, as found
};

// A trip's arrival_time and departure_time at one stop, as written (either
// may be empty), and the line of stop_times.txt they are on.
struct StopTime {
    QString Arrival, Departure;
    int Line = 0;
};

struct RoutePatterns {
    Route RouteInfo;
    // Most trips first; equal counts in the order their first trip appears.
    std::vector<Pattern> Patterns;
    QHash<QString, int> TripPattern; // trip_id -> index into Patterns
    // trip_id -> its times at its stops in running order; read only for the
    // route loadNetwork was asked for.
    QHash<QString, std::vector<StopTime>> TripTimes;
};

struct Network {
    std::vector<Stop> Stops;
    QHash<QString, int> StopIndex;  // stop_id -> index into Stops
    std::vector<RoutePatterns> Routes; // in the order of routes.txt
    QHash<QString, QString> TripRoute; // every trip_id -> its route_id
    bool HasTimes = false;             // stop_times.txt has arrival_time or departure_time

    const RoutePatterns* findRoute(const QString& routeId) const;
};

// Reads stops.txt, routes.txt, trips.txt and stop_times.txt. With
// `onlyRoute`, only that route's trips get their stop times read (a large
// feed's other routes cost nothing and their flaws do not matter), times of
// day included.
std::variant<Network, GtfsError> loadNetwork(const FeedSource& source, const std::optional<QString>& onlyRoute = {});

// fare_attributes.txt and fare_rules.txt.
struct FareAttribute {
    QString Id;
    qint64 Price = 0; // whole yen
    QString AgencyId;
    int Line = 0; // where it is defined, for messages
};
struct FareRule {
    int Fare = 0; // index into Fares::Attributes
    QString RouteId, Origin, Destination, Contains;
};
struct Fares {
    std::vector<FareAttribute> Attributes;
    std::vector<FareRule> Rules;
    bool HasRuleFile = false; // without it, every fare applies everywhere
};
std::variant<Fares, GtfsError> loadFares(const FeedSource& source);

// The ja-Hrkt readings of translations.txt, in either form found in feeds:
// the current one (table_name, field_name, language, translation, and a
// record_id or field_value key) and GTFS-JP's older one (trans_id, lang,
// translation, keyed by the Japanese text itself).
class Readings {
public:
    static std::variant<Readings, GtfsError> load(const FeedSource& source); // the file is optional

    // The reading of a stop's name, normalised; empty when the feed has none.
    // A reading given for the parent station counts for its poles.
    QString stopName(const Stop& stop) const;
    QString headsign(const QString& tripId, const QString& headsign) const;
    bool isEmpty() const { return byRecord_.isEmpty() && byValue_.isEmpty(); }

private:
    QString find(const QString& table, const QString& field, const QString& recordId, const QString& value) const;
    QHash<QString, QString> byRecord_; // table, field, record_id
    QHash<QString, QString> byValue_;  // table, field, the text (the older form: "", "", the text)
};

// A reading as the speech engine gets it: hiragana. Half-width katakana and
// full-width katakana become hiragana (ヴ, ヵ and ヶ stay, as code page 932 has
// no hiragana for them), half-width punctuation becomes full-width, and a
// separate sound mark joins its kana.
QString normaliseReading(const QString& reading);

} // namespace gtfs
