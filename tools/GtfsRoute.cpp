#include "tools/GtfsRoute.h"

#include "platform/Cp932.h"
#include "route/FareTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gtfs {

namespace {

QString pairKey(const QString& origin, const QString& destination) { return origin + QChar(0x1F) + destination; }

QString codePointText(char32_t c) {
    return QStringLiteral("%1 (U+%2)").arg(QString::fromUcs4(&c, 1),
                                           QString::number(quint32(c), 16).toUpper().rightJustified(4, u'0'));
}

// "〇〇行き" as a headsign already says "bound for": the announcement adds
// its own.
QString withoutBoundFor(QString dest) {
    for (const QString& suffix : {QStringLiteral("行き"), QStringLiteral("ゆき"), QStringLiteral("行")})
        if (dest.size() > suffix.size() && dest.endsWith(suffix)) return dest.chopped(suffix.size()).trimmed();
    return dest;
}

// A double quote would end the quoted text early in the device's reader;
// it has no sound, so the spoken text goes without it.
QString speakable(QString text) { return text.remove(u'"'); }

// A time of stop_times.txt as seconds; nothing when it is empty.
std::variant<std::optional<int>, GtfsError> timeField(const QString& text, const QString& column, const QString& tripId,
                                                      int line) {
    if (text.isEmpty()) return std::optional<int>{};
    if (const auto t = route::parseServiceTime(text)) return t;
    return GtfsError{QStringLiteral("stop_times.txt"), line,
                     QStringLiteral("%1 \"%2\" of trip \"%3\" is not a time H:MM:SS (up to 99:59:59)")
                         .arg(column, text, tripId)};
}

} // namespace

std::variant<route::Timetable, GtfsError> tripTimetable(const QString& tripId, const std::vector<StopTime>& times) {
    route::Timetable timetable;
    for (const StopTime& st : times) {
        auto arrival = timeField(st.Arrival, QStringLiteral("arrival_time"), tripId, st.Line);
        if (auto* e = std::get_if<GtfsError>(&arrival)) return *e;
        auto departure = timeField(st.Departure, QStringLiteral("departure_time"), tripId, st.Line);
        if (auto* e = std::get_if<GtfsError>(&departure)) return *e;
        const auto a = std::get<std::optional<int>>(arrival), d = std::get<std::optional<int>>(departure);
        timetable.Rows.push_back(route::TimetableStop{a ? a : d, d ? d : a});
    }
    // Stops that are no timepoints, evenly between the timed stops around them.
    auto& rows = timetable.Rows;
    for (size_t r = 0; r < rows.size();) {
        size_t end = r;
        while (end < rows.size() && !rows[end].Arrive) ++end;
        if (r > 0 && end > r && end < rows.size()) {
            const double from = *rows[r - 1].Depart, to = *rows[end].Arrive;
            const double steps = double(end - r + 1);
            for (size_t k = r; k < end; ++k) {
                const int t = int(std::lround(from + (to - from) * double(k - r + 1) / steps));
                rows[k] = route::TimetableStop{t, t};
            }
        }
        r = std::max(end, r + 1);
    }
    if (const auto e = route::checkTimes(timetable)) {
        const QString stop = QString::number(e->Row);
        QString what = e->message();
        if (e->Problem == route::TimetableError::Kind::TimeGoesBack)
            what = QStringLiteral("trip \"%1\" goes back in time at its stop %2: the %3 %4 is earlier than %5 before it")
                       .arg(tripId, stop, e->Depart ? QStringLiteral("departure") : QStringLiteral("arrival"), e->Value,
                            route::serviceTimeText(e->Before));
        else if (e->Problem == route::TimetableError::Kind::NoTime)
            what = QStringLiteral("trip \"%1\" has no time at its %2 stop (a trip's first and last stop need one)")
                       .arg(tripId, e->Row == 1 ? QStringLiteral("first") : QStringLiteral("last"));
        const int line = e->Row >= 1 && size_t(e->Row) <= times.size() ? times[size_t(e->Row - 1)].Line : 0;
        return GtfsError{QStringLiteral("stop_times.txt"), line, what};
    }
    return timetable;
}

std::variant<QString, GtfsError> firstTripOfDay(const RoutePatterns& route, const Pattern& pattern) {
    QString first;
    int earliest = 0;
    for (const QString& trip : pattern.Trips) {
        const auto it = route.TripTimes.constFind(trip);
        if (it == route.TripTimes.cend() || it->empty()) continue;
        const StopTime& st = it->front();
        const bool departure = !st.Departure.isEmpty();
        auto time = timeField(departure ? st.Departure : st.Arrival,
                              departure ? QStringLiteral("departure_time") : QStringLiteral("arrival_time"), trip, st.Line);
        if (auto* e = std::get_if<GtfsError>(&time)) return *e;
        const auto t = std::get<std::optional<int>>(time);
        if (t && (first.isEmpty() || *t < earliest)) {
            first = trip;
            earliest = *t;
        }
    }
    return first;
}

std::vector<int> ticketNumbers(const std::vector<QString>& zones, bool perZone) {
    std::vector<int> tickets(zones.size());
    int next = 0;
    for (size_t r = 0; r < zones.size(); ++r) {
        const bool sameZone = perZone && r > 0 && !zones[r].isEmpty() && zones[r] == zones[r - 1];
        tickets[r] = sameZone ? next : ++next;
    }
    return tickets;
}

FareFinder::FareFinder(const Fares& fares, const QString& routeId, const QString& agencyId) : fares_(fares) {
    auto forThisAgency = [&](int fare) {
        const QString& a = fares.Attributes[size_t(fare)].AgencyId;
        return a.isEmpty() || agencyId.isEmpty() || a == agencyId;
    };
    if (!fares.HasRuleFile) {
        // No rules: every fare applies to every ride.
        for (size_t f = 0; f < fares.Attributes.size(); ++f)
            if (forThisAgency(int(f))) plain_[pairKey({}, {})] = lower(plain_.value(pairKey({}, {}), -1), int(f));
        return;
    }
    QHash<QString, int> groupOf; // fare, route, origin, destination -> index into contains_
    for (const FareRule& rule : fares.Rules) {
        if (!rule.RouteId.isEmpty() && rule.RouteId != routeId) continue;
        if (!forThisAgency(rule.Fare)) continue;
        if (rule.Contains.isEmpty()) {
            const QString key = pairKey(rule.Origin, rule.Destination);
            plain_[key] = lower(plain_.value(key, -1), rule.Fare);
            continue;
        }
        // Rules that differ only in contains_id together name the exact set
        // of zones a ride passes through.
        const QString group = QString::number(rule.Fare) + QChar(0x1F) + rule.RouteId + QChar(0x1F) +
                              pairKey(rule.Origin, rule.Destination);
        int g = groupOf.value(group, -1);
        if (g < 0) {
            g = int(contains_.size());
            groupOf.insert(group, g);
            contains_.push_back(ContainsGroup{rule.Origin, rule.Destination, {}, rule.Fare});
        }
        if (!contains_[size_t(g)].Zones.contains(rule.Contains)) contains_[size_t(g)].Zones << rule.Contains;
    }
    for (ContainsGroup& g : contains_) g.Zones.sort();
}

int FareFinder::lower(int a, int b) const {
    if (a < 0) return b;
    if (b < 0) return a;
    return fares_.Attributes[size_t(b)].Price < fares_.Attributes[size_t(a)].Price ? b : a;
}

int FareFinder::find(const std::vector<QString>& zones, size_t from, size_t to) const {
    const QString& origin = zones[from];
    const QString& destination = zones[to];
    int best = -1;
    for (const QString& key : {pairKey(origin, destination), pairKey(origin, {}), pairKey({}, destination), pairKey({}, {})})
        best = lower(best, plain_.value(key, -1));
    if (!contains_.empty()) {
        QStringList passed;
        for (size_t s = std::min(from, to); s <= std::max(from, to); ++s)
            if (!zones[s].isEmpty() && !passed.contains(zones[s])) passed << zones[s];
        passed.sort();
        for (const ContainsGroup& g : contains_)
            if ((g.Origin.isEmpty() || g.Origin == origin) && (g.Destination.isEmpty() || g.Destination == destination) &&
                g.Zones == passed)
                best = lower(best, g.Fare);
    }
    return best;
}

Cp932Fit fitCp932(const QString& text, bool placeholder) {
    Cp932Fit fit;
    QString clean = text;
    for (QChar& c : clean)
        if (c.category() == QChar::Other_Control) c = u' ';
    clean = clean.trimmed();
    if (cp932::canEncode(clean)) {
        fit.Text = clean;
        return fit;
    }
    for (const char32_t c : clean.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (cp932::canEncode(one)) {
            fit.Text += one;
            continue;
        }
        if (!placeholder) {
            fit.FirstBad = codePointText(c);
            return fit;
        }
        fit.Text += kPlaceholder;
        fit.Replaced << one;
    }
    return fit;
}

std::variant<BuiltRoute, GtfsError> buildRoute(const FeedSource& source, const QString& routeId,
                                               const PatternChoice& choice, const BuildOptions& options) {
    auto loaded = loadNetwork(source, routeId);
    if (auto* e = std::get_if<GtfsError>(&loaded)) return *e;
    const Network& net = std::get<Network>(loaded);
    const RoutePatterns* route = net.findRoute(routeId);
    if (!route)
        return GtfsError{QStringLiteral("routes.txt"), 0,
                         QStringLiteral("there is no route_id \"%1\" (--list shows the routes)").arg(routeId)};
    const int count = int(route->Patterns.size());
    if (count == 0)
        return GtfsError{{}, 0, QStringLiteral("route \"%1\" has no trip with stop times").arg(routeId)};

    BuiltRoute built;
    built.RouteInfo = route->RouteInfo;
    built.PatternCount = count;
    if (!choice.TripId.isEmpty()) {
        const auto owner = net.TripRoute.constFind(choice.TripId);
        if (owner == net.TripRoute.cend())
            return GtfsError{QStringLiteral("trips.txt"), 0, QStringLiteral("there is no trip_id \"%1\"").arg(choice.TripId)};
        if (*owner != routeId)
            return GtfsError{{}, 0, QStringLiteral("trip \"%1\" runs route \"%2\", not \"%3\"").arg(choice.TripId, *owner, routeId)};
        const auto p = route->TripPattern.constFind(choice.TripId);
        if (p == route->TripPattern.cend())
            return GtfsError{QStringLiteral("stop_times.txt"), 0, QStringLiteral("trip \"%1\" has no stop times").arg(choice.TripId)};
        built.PatternNumber = *p + 1;
    } else if (choice.Number != 0) {
        if (choice.Number < 1 || choice.Number > count)
            return GtfsError{{}, 0,
                             QStringLiteral("route \"%1\" has %2 stop pattern(s): --pattern must be 1 to %2")
                                 .arg(routeId, QString::number(count))};
        built.PatternNumber = choice.Number;
    } else {
        built.PatternNumber = 1;
        if (count > 1)
            built.Notes << QStringLiteral("the route has %1 stop patterns; pattern 1, run by the most trips, was used "
                                          "(--list shows them, --pattern N picks one)")
                               .arg(count);
    }
    const Pattern& pattern = route->Patterns[size_t(built.PatternNumber - 1)];
    const size_t n = pattern.Stops.size();
    if (n > size_t(route::kMaxFareRows))
        return GtfsError{{}, 0, QStringLiteral("the pattern has %1 stops; a fare data file holds at most %2")
                                    .arg(n)
                                    .arg(route::kMaxFareRows)};
    if (n < 2)
        return GtfsError{{}, 0, QStringLiteral("the pattern has a single stop; a route needs at least two")};

    auto fareLoad = loadFares(source);
    if (auto* e = std::get_if<GtfsError>(&fareLoad)) return *e;
    const Fares& fares = std::get<Fares>(fareLoad);
    auto readingLoad = Readings::load(source);
    if (auto* e = std::get_if<GtfsError>(&readingLoad)) return *e;
    const Readings& readings = std::get<Readings>(readingLoad);

    std::vector<const Stop*> stops;
    std::vector<QString> zones;
    for (const int s : pattern.Stops) {
        stops.push_back(&net.Stops[size_t(s)]);
        zones.push_back(net.Stops[size_t(s)].Zone);
    }
    const std::vector<int> tickets = ticketNumbers(zones, options.TicketPerZone);
    built.TicketCount = tickets.back();
    if (built.TicketCount > route::kFareColumns) {
        const bool zoned = std::any_of(zones.begin(), zones.end(), [](const QString& z) { return !z.isEmpty(); });
        QString why = QStringLiteral("the pattern needs %1 ticket numbers; a fare data file holds at most %2")
                          .arg(built.TicketCount)
                          .arg(route::kFareColumns);
        if (zoned && !options.TicketPerZone) why += QStringLiteral(" (--ticket-per-zone shares one number within a fare zone)");
        return GtfsError{{}, 0, why};
    }

    // Names and readings, as code page 932 can hold them.
    auto describe = [&](size_t r) {
        return QStringLiteral("stop %1 of the pattern (stop_id \"%2\", \"%3\")").arg(r + 1).arg(stops[r]->Id, stops[r]->Name);
    };
    auto fit = [&](const QString& text, const QString& what, size_t r) -> std::variant<QString, GtfsError> {
        Cp932Fit f = fitCp932(text, options.Placeholder);
        if (!f.FirstBad.isEmpty())
            return GtfsError{{}, 0,
                             QStringLiteral("%1 of %2 holds %3, which code page 932 cannot hold "
                                            "(--placeholder puts 〓 in its place)")
                                 .arg(what, describe(r), f.FirstBad)};
        for (const QString& c : f.Replaced) built.Placeholders << QStringLiteral("stop %1 %2 %3").arg(r + 1).arg(what, c);
        return f.Text;
    };
    std::vector<QString> names(n), spoken(n);
    for (size_t r = 0; r < n; ++r) {
        if (stops[r]->Name.trimmed().isEmpty())
            return GtfsError{QStringLiteral("stops.txt"), 0,
                             QStringLiteral("stop_id \"%1\" (stop %2 of the pattern) has no stop_name")
                                 .arg(stops[r]->Id, QString::number(r + 1))};
        auto name = fit(stops[r]->Name, QStringLiteral("the name"), r);
        if (auto* e = std::get_if<GtfsError>(&name)) return *e;
        names[r] = std::get<QString>(name);
        const QString reading = readings.stopName(*stops[r]);
        if (reading.isEmpty()) {
            spoken[r] = names[r];
            continue;
        }
        auto fitted = fit(reading, QStringLiteral("the reading"), r);
        if (auto* e = std::get_if<GtfsError>(&fitted)) return *e;
        spoken[r] = std::get<QString>(fitted);
        ++built.ReadingsFound;
    }

    built.FirstStop = names.front();
    built.LastStop = names.back();

    // The fare table: row r is the bus at stop r; column k the fare from the
    // stop that issues ticket k to stop r.
    const FareFinder finder(fares, routeId, route->RouteInfo.AgencyId);
    std::vector<size_t> issuedAt(size_t(built.TicketCount) + 1, 0);
    for (size_t r = n; r-- > 0;) issuedAt[size_t(tickets[r])] = r; // the first stop of each number
    for (size_t r = 0; r < n; ++r) {
        route::FareRecord rec;
        rec.NameBytes = cp932::encode(names[r]);
        rec.TicketNo = std::int16_t(tickets[r]);
        rec.Cols.fill(route::kNoFare);
        for (int k = 1; k <= built.TicketCount; ++k) {
            const size_t from = issuedAt[size_t(k)];
            if (from >= r) continue;
            const int f = finder.find(zones, from, r);
            if (f < 0) {
                ++built.MissingFares;
                const QString pair = QStringLiteral("%1→%2").arg(zones[from].isEmpty() ? QStringLiteral("(no zone)") : zones[from],
                                                                 zones[r].isEmpty() ? QStringLiteral("(no zone)") : zones[r]);
                if (!built.MissingZonePairs.contains(pair)) built.MissingZonePairs << pair;
                continue;
            }
            const FareAttribute& fare = fares.Attributes[size_t(f)];
            if (fare.Price > std::numeric_limits<std::int16_t>::max())
                return GtfsError{QStringLiteral("fare_attributes.txt"), fare.Line,
                                 QStringLiteral("fare \"%1\" is %2 yen; a fare data file holds at most %3 yen")
                                     .arg(fare.Id, QString::number(fare.Price),
                                          QString::number(std::numeric_limits<std::int16_t>::max()))};
            const int price = int(fare.Price);
            rec.Cols[size_t(k - 1)] = std::int16_t(price);
            built.LowestFare = built.LowestFare < 0 ? price : std::min(built.LowestFare, price);
            built.HighestFare = std::max(built.HighestFare, price);
        }
        built.Fare.Rows.push_back(std::move(rec));
    }
    if (!fares.HasRuleFile && fares.Attributes.size() > 1)
        built.Notes << QStringLiteral("fare_rules.txt is missing and fare_attributes.txt has %1 fares: the lowest applies to every ride")
                           .arg(fares.Attributes.size());
    if (auto why = route::checkWritable(built.Fare)) return GtfsError{{}, 0, *why};

    // The announcements: where the bus is bound for, then each next stop.
    QString dest;
    if (!pattern.Headsign.isEmpty()) {
        const QString reading = readings.headsign(pattern.Trips.front(), pattern.Headsign);
        const QString text = reading.isEmpty() ? pattern.Headsign : reading;
        Cp932Fit f = fitCp932(withoutBoundFor(text), options.Placeholder);
        if (!f.FirstBad.isEmpty())
            return GtfsError{QStringLiteral("trips.txt"), 0,
                             QStringLiteral("the headsign \"%1\" of trip \"%2\" holds %3, which code page 932 cannot hold "
                                            "(--placeholder puts 〓 in its place)")
                                 .arg(pattern.Headsign, pattern.Trips.front(), f.FirstBad)};
        for (const QString& c : f.Replaced) built.Placeholders << QStringLiteral("headsign %1").arg(c);
        dest = f.Text;
    }
    if (dest.isEmpty()) dest = spoken.back();
    built.Tape.push_back(route::TapeEntry{speakable(QStringLiteral("このバスは、%1ゆきです。").arg(dest)), 0, 1});
    for (size_t r = 1; r < n; ++r)
        built.Tape.push_back(route::TapeEntry{speakable(QStringLiteral("次は、%1です。").arg(spoken[r])), 1, 1});

    // The timetable: the trip asked for, or the pattern's first of the day.
    if (!net.HasTimes) {
        built.Notes << QStringLiteral("stop_times.txt has no arrival_time or departure_time: no timetable");
        return built;
    }
    QString trip = choice.TripId;
    if (trip.isEmpty()) {
        auto first = firstTripOfDay(*route, pattern);
        if (auto* e = std::get_if<GtfsError>(&first)) return *e;
        trip = std::get<QString>(first);
    }
    if (trip.isEmpty()) {
        built.Notes << QStringLiteral("no trip of the pattern has a time at its first stop: no timetable");
        return built;
    }
    auto timetable = tripTimetable(trip, route->TripTimes.value(trip));
    if (auto* e = std::get_if<GtfsError>(&timetable)) return *e;
    built.Timetable = std::get<route::Timetable>(std::move(timetable));
    built.TimetableTrip = trip;
    return built;
}

std::variant<QString, GtfsError> listFeed(const FeedSource& source) {
    auto loaded = loadNetwork(source);
    if (auto* e = std::get_if<GtfsError>(&loaded)) return *e;
    const Network& net = std::get<Network>(loaded);
    QString out;
    for (const RoutePatterns& r : net.Routes) {
        QStringList names;
        if (!r.RouteInfo.ShortName.isEmpty()) names << r.RouteInfo.ShortName;
        if (!r.RouteInfo.LongName.isEmpty()) names << r.RouteInfo.LongName;
        out += QStringLiteral("route %1%2\n").arg(r.RouteInfo.Id, names.isEmpty() ? QString() : QStringLiteral("  ") + names.join(QStringLiteral("  ")));
        if (r.Patterns.empty()) out += QStringLiteral("  no trips\n");
        for (size_t k = 0; k < r.Patterns.size(); ++k) {
            const Pattern& p = r.Patterns[k];
            QString line = QStringLiteral("  pattern %1: %2 → %3, %4 stops, %5 trip(s)")
                               .arg(QString::number(k + 1), net.Stops[size_t(p.Stops.front())].Name,
                                    net.Stops[size_t(p.Stops.back())].Name, QString::number(p.Stops.size()),
                                    QString::number(p.Trips.size()));
            QStringList directions = p.Directions;
            directions.removeAll(QString());
            if (!directions.isEmpty()) line += QStringLiteral(", direction %1").arg(directions.join(u'/'));
            if (!p.Headsign.isEmpty()) line += QStringLiteral(", for %1").arg(p.Headsign);
            line += QStringLiteral(" (trip %1)").arg(p.Trips.front());
            if (p.Stops.size() > size_t(route::kMaxFareRows))
                line += QStringLiteral(" — too long for a fare data file (at most %1 stops)").arg(route::kMaxFareRows);
            out += line + u'\n';
        }
    }
    if (net.Routes.empty()) out += QStringLiteral("routes.txt lists no route\n");
    return out;
}

} // namespace gtfs
