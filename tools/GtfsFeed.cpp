#include "tools/GtfsFeed.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>

namespace gtfs {

namespace {

// The file's bytes, or why there are none. A missing file is an error only
// when the caller needs it.
std::variant<QByteArray, GtfsError> requiredFile(const FeedSource& source, const QString& name) {
    FeedFile f = source(name);
    switch (f.Status) {
    case FeedFile::State::Present:
        return std::move(f.Bytes);
    case FeedFile::State::Missing:
        return GtfsError{name, 0, QStringLiteral("missing from the feed")};
    case FeedFile::State::Unreadable:
        break;
    }
    return GtfsError{name, 0, QStringLiteral("cannot be read: %1").arg(f.Reason)};
}

// Present: the bytes; missing: nothing; unreadable: the error. Some feeds
// carry an optional file with nothing in it, not even a header: as good as
// missing.
std::variant<std::optional<QByteArray>, GtfsError> optionalFile(const FeedSource& source, const QString& name) {
    FeedFile f = source(name);
    const bool empty = f.Bytes.startsWith("\xEF\xBB\xBF") ? f.Bytes.mid(3).trimmed().isEmpty() : f.Bytes.trimmed().isEmpty();
    if (f.Status == FeedFile::State::Missing || (f.Status == FeedFile::State::Present && empty))
        return std::optional<QByteArray>{};
    if (f.Status == FeedFile::State::Unreadable)
        return GtfsError{name, 0, QStringLiteral("cannot be read: %1").arg(f.Reason)};
    return std::optional<QByteArray>{std::move(f.Bytes)};
}

// Column indices by name; the required ones must be there.
std::optional<GtfsError> findColumns(const CsvReader& csv, std::initializer_list<std::pair<QStringView, int*>> required,
                                     std::initializer_list<std::pair<QStringView, int*>> optional = {}) {
    if (csv.error()) return csv.error();
    QStringList missing;
    for (const auto& [name, index] : required) {
        *index = csv.column(name);
        if (*index < 0) missing << name.toString();
    }
    for (const auto& [name, index] : optional) *index = csv.column(name);
    if (!missing.isEmpty())
        return GtfsError{csv.fileName(), 1,
                         QStringLiteral("the header has no %1 column").arg(missing.join(QStringLiteral(", no ")))};
    return std::nullopt;
}

GtfsError duplicate(const CsvReader& csv, const QString& column, const QString& value, int firstLine) {
    return csv.errorHere(QStringLiteral("%1 \"%2\" again (first on line %3)").arg(column, value, QString::number(firstLine)));
}

std::optional<GtfsError> loadStops(const FeedSource& source, Network& net) {
    auto file = requiredFile(source, QStringLiteral("stops.txt"));
    if (auto* e = std::get_if<GtfsError>(&file)) return *e;
    const QByteArray& bytes = std::get<QByteArray>(file);
    CsvReader csv(QStringLiteral("stops.txt"), bytes);
    int id = -1, name = -1, zone = -1, parent = -1;
    if (auto e = findColumns(csv, {{u"stop_id", &id}, {u"stop_name", &name}},
                             {{u"zone_id", &zone}, {u"parent_station", &parent}}))
        return e;
    QHash<QString, int> lineOf;
    while (csv.next()) {
        Stop s{csv.field(id), csv.field(name), csv.field(zone), csv.field(parent)};
        if (s.Id.isEmpty()) return csv.errorHere(QStringLiteral("stop_id is empty"));
        if (auto it = lineOf.constFind(s.Id); it != lineOf.cend()) return duplicate(csv, QStringLiteral("stop_id"), s.Id, *it);
        lineOf.insert(s.Id, csv.line());
        net.StopIndex.insert(s.Id, int(net.Stops.size()));
        net.Stops.push_back(std::move(s));
    }
    if (csv.error()) return csv.error();
    // A pole (標柱) may leave its name or zone to its stop (停留所).
    for (Stop& s : net.Stops) {
        if (s.Parent.isEmpty() || (!s.Name.isEmpty() && !s.Zone.isEmpty())) continue;
        const auto it = net.StopIndex.constFind(s.Parent);
        if (it == net.StopIndex.cend()) continue;
        const Stop& p = net.Stops[size_t(*it)];
        if (s.Name.isEmpty()) s.Name = p.Name;
        if (s.Zone.isEmpty()) s.Zone = p.Zone;
    }
    return std::nullopt;
}

std::optional<GtfsError> loadRoutes(const FeedSource& source, Network& net) {
    auto file = requiredFile(source, QStringLiteral("routes.txt"));
    if (auto* e = std::get_if<GtfsError>(&file)) return *e;
    const QByteArray& bytes = std::get<QByteArray>(file);
    CsvReader csv(QStringLiteral("routes.txt"), bytes);
    int id = -1, shortName = -1, longName = -1, agency = -1;
    if (auto e = findColumns(csv, {{u"route_id", &id}},
                             {{u"route_short_name", &shortName}, {u"route_long_name", &longName}, {u"agency_id", &agency}}))
        return e;
    QHash<QString, int> lineOf;
    while (csv.next()) {
        RoutePatterns r;
        r.RouteInfo = Route{csv.field(id), csv.field(shortName), csv.field(longName), csv.field(agency)};
        if (r.RouteInfo.Id.isEmpty()) return csv.errorHere(QStringLiteral("route_id is empty"));
        if (auto it = lineOf.constFind(r.RouteInfo.Id); it != lineOf.cend())
            return duplicate(csv, QStringLiteral("route_id"), r.RouteInfo.Id, *it);
        lineOf.insert(r.RouteInfo.Id, csv.line());
        net.Routes.push_back(std::move(r));
    }
    return csv.error();
}

struct TripStop {
    qint64 Sequence = 0;
    int Stop = 0;
    StopTime Time;
};
struct Trip {
    QString Id;
    int Route = 0; // index into Network::Routes
    QString Direction;
    QString Headsign;
    std::vector<TripStop> Stops;
};

} // namespace

const RoutePatterns* Network::findRoute(const QString& routeId) const {
    for (const RoutePatterns& r : Routes)
        if (r.RouteInfo.Id == routeId) return &r;
    return nullptr;
}

std::variant<Network, GtfsError> loadNetwork(const FeedSource& source, const std::optional<QString>& onlyRoute) {
    Network net;
    if (auto e = loadStops(source, net)) return *e;
    if (auto e = loadRoutes(source, net)) return *e;
    QHash<QString, int> routeIndex;
    for (size_t k = 0; k < net.Routes.size(); ++k) routeIndex.insert(net.Routes[k].RouteInfo.Id, int(k));

    std::vector<Trip> trips;
    QHash<QString, int> tripIndex; // the trips whose stop times are wanted
    {
        auto file = requiredFile(source, QStringLiteral("trips.txt"));
        if (auto* e = std::get_if<GtfsError>(&file)) return *e;
        const QByteArray& bytes = std::get<QByteArray>(file);
        CsvReader csv(QStringLiteral("trips.txt"), bytes);
        int routeCol = -1, tripCol = -1, directionCol = -1, headsignCol = -1;
        if (auto e = findColumns(csv, {{u"route_id", &routeCol}, {u"trip_id", &tripCol}},
                                 {{u"direction_id", &directionCol}, {u"trip_headsign", &headsignCol}}))
            return *e;
        QHash<QString, int> lineOf;
        while (csv.next()) {
            const QString tripId = csv.field(tripCol);
            const QString routeId = csv.field(routeCol);
            if (tripId.isEmpty()) return csv.errorHere(QStringLiteral("trip_id is empty"));
            if (auto it = lineOf.constFind(tripId); it != lineOf.cend())
                return duplicate(csv, QStringLiteral("trip_id"), tripId, *it);
            lineOf.insert(tripId, csv.line());
            net.TripRoute.insert(tripId, routeId);
            if (onlyRoute && routeId != *onlyRoute) continue;
            const auto r = routeIndex.constFind(routeId);
            if (r == routeIndex.cend())
                return csv.errorHere(QStringLiteral("route_id \"%1\" of trip \"%2\" is not in routes.txt").arg(routeId, tripId));
            tripIndex.insert(tripId, int(trips.size()));
            trips.push_back(Trip{tripId, *r, csv.field(directionCol), csv.field(headsignCol), {}});
        }
        if (csv.error()) return *csv.error();
    }
    bool keepTimes = false; // the times of the one route asked for
    {
        auto file = requiredFile(source, QStringLiteral("stop_times.txt"));
        if (auto* e = std::get_if<GtfsError>(&file)) return *e;
        const QByteArray& bytes = std::get<QByteArray>(file);
        CsvReader csv(QStringLiteral("stop_times.txt"), bytes);
        int tripCol = -1, stopCol = -1, seqCol = -1, arrivalCol = -1, departureCol = -1;
        if (auto e = findColumns(csv, {{u"trip_id", &tripCol}, {u"stop_id", &stopCol}, {u"stop_sequence", &seqCol}},
                                 {{u"arrival_time", &arrivalCol}, {u"departure_time", &departureCol}}))
            return *e;
        net.HasTimes = arrivalCol >= 0 || departureCol >= 0;
        keepTimes = onlyRoute && net.HasTimes;
        while (csv.next()) {
            const QString tripId = csv.field(tripCol);
            const auto t = tripIndex.constFind(tripId);
            if (t == tripIndex.cend()) {
                if (onlyRoute && net.TripRoute.contains(tripId)) continue; // another route's trip
                return csv.errorHere(QStringLiteral("trip_id \"%1\" is not in trips.txt").arg(tripId));
            }
            const QString stopId = csv.field(stopCol);
            const auto s = net.StopIndex.constFind(stopId);
            if (s == net.StopIndex.cend())
                return csv.errorHere(QStringLiteral("stop_id \"%1\" is not in stops.txt").arg(stopId));
            bool ok = false;
            const QString seqText = csv.field(seqCol);
            const qint64 seq = seqText.toLongLong(&ok);
            if (!ok || seq < 0)
                return csv.errorHere(QStringLiteral("stop_sequence \"%1\" is not a whole number of 0 or more").arg(seqText));
            TripStop stop{seq, *s, {{}, {}, csv.line()}};
            if (keepTimes) {
                stop.Time.Arrival = csv.field(arrivalCol);
                stop.Time.Departure = csv.field(departureCol);
            }
            trips[size_t(*t)].Stops.push_back(std::move(stop));
        }
        if (csv.error()) return *csv.error();
    }

    // Group each route's trips by the stops they run.
    std::vector<QHash<QString, int>> patternOf(net.Routes.size()); // key: stop indices joined
    for (Trip& trip : trips) {
        if (trip.Stops.empty()) continue; // a trip with no stop times runs nothing
        std::stable_sort(trip.Stops.begin(), trip.Stops.end(),
                         [](const TripStop& a, const TripStop& b) { return a.Sequence < b.Sequence; });
        for (size_t k = 1; k < trip.Stops.size(); ++k)
            if (trip.Stops[k].Sequence == trip.Stops[k - 1].Sequence)
                return GtfsError{QStringLiteral("stop_times.txt"), trip.Stops[k].Time.Line,
                                 QStringLiteral("trip \"%1\" has stop_sequence %2 twice (also on line %3)")
                                     .arg(trip.Id, QString::number(trip.Stops[k].Sequence),
                                          QString::number(trip.Stops[k - 1].Time.Line))};
        std::vector<int> stops;
        std::vector<StopTime> times;
        QString key;
        for (TripStop& ts : trip.Stops) {
            stops.push_back(ts.Stop);
            key += QString::number(ts.Stop) + u' ';
            if (keepTimes) times.push_back(std::move(ts.Time));
        }
        RoutePatterns& route = net.Routes[size_t(trip.Route)];
        if (keepTimes) route.TripTimes.emplace(trip.Id, std::move(times));
        auto& known = patternOf[size_t(trip.Route)];
        int index = known.value(key, -1);
        if (index < 0) {
            index = int(route.Patterns.size());
            known.insert(key, index);
            route.Patterns.push_back(Pattern{std::move(stops), {}, trip.Headsign, {}});
        }
        Pattern& p = route.Patterns[size_t(index)];
        p.Trips << trip.Id;
        if (!p.Directions.contains(trip.Direction)) p.Directions << trip.Direction;
        route.TripPattern.insert(trip.Id, index);
    }
    // Most trips first, so pattern 1 is the route's main one.
    for (RoutePatterns& route : net.Routes) {
        std::vector<int> order(route.Patterns.size());
        for (size_t k = 0; k < order.size(); ++k) order[k] = int(k);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return route.Patterns[size_t(a)].Trips.size() > route.Patterns[size_t(b)].Trips.size();
        });
        std::vector<Pattern> sorted;
        std::vector<int> newIndex(order.size());
        for (size_t k = 0; k < order.size(); ++k) {
            newIndex[size_t(order[k])] = int(k);
            sorted.push_back(std::move(route.Patterns[size_t(order[k])]));
        }
        route.Patterns = std::move(sorted);
        for (auto it = route.TripPattern.begin(); it != route.TripPattern.end(); ++it) *it = newIndex[size_t(*it)];
    }
    return net;
}

std::variant<Fares, GtfsError> loadFares(const FeedSource& source) {
    Fares fares;
    QHash<QString, int> fareIndex;
    {
        auto file = requiredFile(source, QStringLiteral("fare_attributes.txt"));
        if (auto* e = std::get_if<GtfsError>(&file)) {
            e->What += QStringLiteral(" (the feed publishes no fares)");
            return *e;
        }
        const QByteArray& bytes = std::get<QByteArray>(file);
        CsvReader csv(QStringLiteral("fare_attributes.txt"), bytes);
        int id = -1, price = -1, agency = -1;
        if (auto e = findColumns(csv, {{u"fare_id", &id}, {u"price", &price}}, {{u"agency_id", &agency}})) return *e;
        // Yen are whole; "210.0" and "210.00" are written by some tools.
        static const QRegularExpression kYen(QStringLiteral("^([0-9]{1,12})(\\.0*)?$"));
        while (csv.next()) {
            FareAttribute f{csv.field(id), 0, csv.field(agency), csv.line()};
            if (f.Id.isEmpty()) return csv.errorHere(QStringLiteral("fare_id is empty"));
            if (auto it = fareIndex.constFind(f.Id); it != fareIndex.cend())
                return duplicate(csv, QStringLiteral("fare_id"), f.Id, fares.Attributes[size_t(*it)].Line);
            const QString priceText = csv.field(price);
            const auto m = kYen.match(priceText);
            if (!m.hasMatch())
                return csv.errorHere(QStringLiteral("price \"%1\" of fare \"%2\" is not a whole number of yen").arg(priceText, f.Id));
            f.Price = m.captured(1).toLongLong();
            fareIndex.insert(f.Id, int(fares.Attributes.size()));
            fares.Attributes.push_back(std::move(f));
        }
        if (csv.error()) return *csv.error();
    }
    auto file = optionalFile(source, QStringLiteral("fare_rules.txt"));
    if (auto* e = std::get_if<GtfsError>(&file)) return *e;
    const auto& bytes = std::get<std::optional<QByteArray>>(file);
    if (!bytes) return fares;
    fares.HasRuleFile = true;
    CsvReader csv(QStringLiteral("fare_rules.txt"), *bytes);
    int id = -1, routeCol = -1, origin = -1, destination = -1, contains = -1;
    if (auto e = findColumns(csv, {{u"fare_id", &id}},
                             {{u"route_id", &routeCol}, {u"origin_id", &origin}, {u"destination_id", &destination},
                              {u"contains_id", &contains}}))
        return *e;
    while (csv.next()) {
        const QString fareId = csv.field(id);
        const auto f = fareIndex.constFind(fareId);
        if (f == fareIndex.cend())
            return csv.errorHere(QStringLiteral("fare_id \"%1\" is not in fare_attributes.txt").arg(fareId));
        fares.Rules.push_back(
            FareRule{*f, csv.field(routeCol), csv.field(origin), csv.field(destination), csv.field(contains)});
    }
    if (csv.error()) return *csv.error();
    return fares;
}

namespace {

QString key3(const QString& a, const QString& b, const QString& c) {
    return a + QChar(0x1F) + b + QChar(0x1F) + c;
}

bool isReadingLanguage(const QString& tag) { return tag.compare(u"ja-Hrkt", Qt::CaseInsensitive) == 0; }

} // namespace

std::variant<Readings, GtfsError> Readings::load(const FeedSource& source) {
    Readings readings;
    auto file = optionalFile(source, QStringLiteral("translations.txt"));
    if (auto* e = std::get_if<GtfsError>(&file)) return *e;
    const auto& bytes = std::get<std::optional<QByteArray>>(file);
    if (!bytes) return readings;
    CsvReader csv(QStringLiteral("translations.txt"), *bytes);
    if (csv.error()) return *csv.error();
    int table = csv.column(u"table_name"), field = csv.column(u"field_name"), language = csv.column(u"language"),
        translation = csv.column(u"translation"), record = csv.column(u"record_id"), value = csv.column(u"field_value");
    const int transId = csv.column(u"trans_id"), lang = csv.column(u"lang");
    if (table >= 0 && field >= 0 && language >= 0 && translation >= 0) {
        if (record < 0 && value < 0)
            return GtfsError{csv.fileName(), 1, QStringLiteral("the header has neither a record_id nor a field_value column")};
        while (csv.next()) {
            if (!isReadingLanguage(csv.field(language))) continue;
            const QString text = csv.field(translation);
            if (text.isEmpty()) continue;
            const QString t = csv.field(table), f = csv.field(field);
            if (const QString id = csv.field(record); !id.isEmpty()) {
                const QString k = key3(t, f, id);
                if (!readings.byRecord_.contains(k)) readings.byRecord_.insert(k, text);
            } else if (const QString v = csv.field(value); !v.isEmpty()) {
                const QString k = key3(t, f, v);
                if (!readings.byValue_.contains(k)) readings.byValue_.insert(k, text);
            }
        }
    } else if (transId >= 0 && lang >= 0 && translation >= 0) {
        while (csv.next()) {
            if (!isReadingLanguage(csv.field(lang))) continue;
            const QString text = csv.field(translation);
            const QString k = key3({}, {}, csv.field(transId));
            if (!text.isEmpty() && !readings.byValue_.contains(k)) readings.byValue_.insert(k, text);
        }
    } else {
        return GtfsError{csv.fileName(), 1,
                         QStringLiteral("the header is neither table_name, field_name, language, translation, ... "
                                        "nor trans_id, lang, translation")};
    }
    if (csv.error()) return *csv.error();
    return readings;
}

QString Readings::find(const QString& table, const QString& field, const QString& recordId, const QString& value) const {
    if (!recordId.isEmpty())
        if (auto it = byRecord_.constFind(key3(table, field, recordId)); it != byRecord_.cend()) return *it;
    if (value.isEmpty()) return {};
    if (auto it = byValue_.constFind(key3(table, field, value)); it != byValue_.cend()) return *it;
    if (auto it = byValue_.constFind(key3({}, {}, value)); it != byValue_.cend()) return *it;
    return {};
}

QString Readings::stopName(const Stop& stop) const {
    const QString table = QStringLiteral("stops"), field = QStringLiteral("stop_name");
    QString r = find(table, field, stop.Id, {});
    if (r.isEmpty() && !stop.Parent.isEmpty()) r = find(table, field, stop.Parent, {});
    if (r.isEmpty()) r = find(table, field, {}, stop.Name);
    return normaliseReading(r);
}

QString Readings::headsign(const QString& tripId, const QString& headsign) const {
    return normaliseReading(find(QStringLiteral("trips"), QStringLiteral("trip_headsign"), tripId, headsign));
}

namespace {

// Half-width katakana U+FF61..U+FF9F as full-width characters.
constexpr char16_t kFullWidth[] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー',
    u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ',
    u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ',
    u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜',
};
static_assert(std::size(kFullWidth) == 0xFF9F - 0xFF61 + 1);

bool takesVoicedMark(char16_t c) {
    return (c >= u'カ' && c <= u'ト' && c != u'ッ' && ((c <= u'チ') == (c % 2 == 1))) || c == u'ウ' ||
           (c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0);
}
bool takesSemiVoicedMark(char16_t c) { return c >= u'ハ' && c <= u'ホ' && (c - u'ハ') % 3 == 0; }

} // namespace

QString normaliseReading(const QString& reading) {
    // Kana with a combining sound mark (U+3099, U+309A) composed first.
    const QString text = reading.normalized(QString::NormalizationForm_C);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= 0xFF61 && c <= 0xFF9F) {
            c = kFullWidth[c - 0xFF61];
            const char16_t mark = i + 1 < text.size() ? text[i + 1].unicode() : 0;
            if (mark == 0xFF9E && takesVoicedMark(c)) {
                c = c == u'ウ' ? u'ヴ' : char16_t(c + 1);
                ++i;
            } else if (mark == 0xFF9F && takesSemiVoicedMark(c)) {
                c = char16_t(c + 2);
                ++i;
            }
        }
        if (c >= u'ァ' && c <= u'ン') c = char16_t(c - 0x60);      // katakana to hiragana
        else if (c == u'ヽ' || c == u'ヾ') c = char16_t(c - 0x60); // iteration marks
        out += QChar(c);
    }
    return out;
}

} // namespace gtfs
