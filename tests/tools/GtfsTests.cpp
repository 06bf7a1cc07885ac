// GTFS-JP feeds made up in memory, turned into fare tables and announcements.
#include "tools/GtfsCsv.h"
#include "tools/GtfsFeed.h"
#include "tools/GtfsRoute.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"

#include <gtest/gtest.h>
#include <map>

using gtfs::BuiltRoute;
using gtfs::GtfsError;

namespace {

using Files = std::map<QString, QByteArray>;

gtfs::FeedSource memoryFeed(Files files) {
    return [files = std::move(files)](const QString& name) {
        gtfs::FeedFile f;
        if (auto it = files.find(name); it != files.end()) {
            f.Status = gtfs::FeedFile::State::Present;
            f.Bytes = it->second;
        }
        return f;
    };
}

// Five stops in three fare zones; the way back runs three of them.
Files zoneFeed() {
    return {
        {"routes.txt", "route_id,agency_id,route_short_name,route_long_name,route_type\n"
                       "R1,A1,1,駅前線,3\n"},
        {"stops.txt", "stop_id,stop_name,stop_lat,stop_lon,zone_id\n"
                      "S1,中央駅前,35.0,139.0,Z1\n"
                      "S2,市役所前,35.0,139.0,Z1\n"
                      "S3,本町三丁目,35.0,139.0,Z2\n"
                      "S4,髙島屋前,35.0,139.0,Z3\n"
                      "S5,市民病院,35.0,139.0,Z3\n"},
        {"trips.txt", "route_id,service_id,trip_id,trip_headsign,direction_id\n"
                      "R1,WD,T3,中央駅前,1\n"
                      "R1,WD,T1,市民病院行,0\n"
                      "R1,WD,T2,市民病院行,0\n"},
        {"stop_times.txt", "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                           "T1,08:00:00,08:00:00,S1,1\n"
                           "T1,08:05:00,08:05:00,S2,2\n"
                           "T1,08:10:00,08:10:00,S3,3\n"
                           "T1,08:15:00,08:15:00,S4,4\n"
                           "T1,08:20:00,08:20:00,S5,5\n"
                           // T2 in a different order and with gaps in its sequence: the same stops
                           "T2,09:20:00,09:20:00,S5,50\n"
                           "T2,09:00:00,09:00:00,S1,10\n"
                           "T2,09:05:00,09:05:00,S2,20\n"
                           "T2,09:10:00,09:10:00,S3,30\n"
                           "T2,09:15:00,09:15:00,S4,40\n"
                           "T3,10:00:00,10:00:00,S5,1\n"
                           "T3,10:10:00,10:10:00,S3,2\n"
                           "T3,10:20:00,10:20:00,S1,3\n"},
        {"fare_attributes.txt", "fare_id,price,currency_type,payment_method,transfers\n"
                                "F170,170,JPY,0,0\n"
                                "F210,210.0,JPY,0,0\n"
                                "F250,250,JPY,0,0\n"
                                "F230,230,JPY,0,0\n"},
        {"fare_rules.txt", "fare_id,route_id,origin_id,destination_id\n"
                           "F170,R1,Z1,Z1\n"
                           "F170,R1,Z2,Z2\n"
                           "F170,R1,Z3,Z3\n"
                           "F210,R1,Z1,Z2\n"
                           "F210,R1,Z2,Z3\n"
                           "F250,R1,Z1,Z3\n"
                           "F230,,Z1,Z3\n" // a cheaper fare for any route: the lowest holds
                           "F170,R9,Z1,Z3\n" // another route's
                           "F250,R1,Z3,Z1\n"
                           "F210,R1,Z3,Z2\n"
                           "F210,R1,Z2,Z1\n"},
        {"translations.txt", "table_name,field_name,language,translation,record_id,record_sub_id,field_value\n"
                             "stops,stop_name,ja-Hrkt,ちゅうおうえきまえ,S1,,\n"
                             "stops,stop_name,ja-Hrkt,しやくしょまえ,,,市役所前\n"
                             "stops,stop_name,ja,本町三丁目,S3,,\n"
                             "stops,stop_name,ja-Hrkt,たかしまやまえ,S4,,\n"
                             "stops,stop_name,en,Takashimaya,S4,,\n"
                             "trips,trip_headsign,ja-Hrkt,しみんびょういんゆき,,,市民病院行\n"},
    };
}

BuiltRoute build(const Files& files, const QString& route = QStringLiteral("R1"), const gtfs::PatternChoice& choice = {},
                 gtfs::BuildOptions options = {}) {
    return testing_results::expect<BuiltRoute>(gtfs::buildRoute(memoryFeed(files), route, choice, options));
}

QString errorOf(const Files& files, const QString& route = QStringLiteral("R1"), const gtfs::PatternChoice& choice = {}) {
    return testing_results::expect<GtfsError>(gtfs::buildRoute(memoryFeed(files), route, choice, {})).message();
}

// Row r as "name ticket: fare fare ...", the fares of tickets 1..r-1; no
// ticket issued at or after stop r has a fare there.
std::vector<QString> table(const BuiltRoute& b) {
    std::vector<QString> rows;
    for (const auto& rec : b.Fare.Rows) {
        const int r = int(rows.size()) + 1;
        QString row = rec.toFareRow().StopName + u' ' + QString::number(rec.TicketNo) + u':';
        for (int k = 1; k < r; ++k) row += u' ' + QString::number(rec.Cols[size_t(k - 1)]);
        for (int k = r; k <= 150; ++k) EXPECT_EQ(rec.Cols[size_t(k - 1)], -1) << "row " << r << " column " << k;
        rows.push_back(row);
    }
    return rows;
}

std::vector<QString> tape(const BuiltRoute& b) {
    std::vector<QString> lines;
    for (const auto& e : b.Tape) lines.push_back(QStringLiteral("%1,%2,%3").arg(e.Text).arg(e.AdvanceFlag).arg(e.SoundFlag));
    return lines;
}

std::vector<QString> lines(std::initializer_list<const char*> texts) {
    std::vector<QString> out;
    for (const char* t : texts) out.push_back(QString::fromUtf8(t));
    return out;
}

} // namespace

TEST(GtfsCsv, ReadsUntidyFilesByTheirHeader) {
    const QByteArray bytes = "\xEF\xBB\xBF"
                             " Stop_Name ,stop_id\r\n"
                             "\"駅前, 北口\",S1,extra,fields\r\n"
                             "\r\n"
                             ",,\n"
                             "  \"say \"\"hi\"\"\" , S2 \n"
                             "\"two\r\nlines\",S3\r"
                             "short\n"
                             "ab\"c,S5";
    gtfs::CsvReader csv(QStringLiteral("stops.txt"), bytes);
    ASSERT_FALSE(csv.error());
    const int name = csv.column(u"stop_name"), id = csv.column(u"STOP_ID");
    EXPECT_EQ(name, 0);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(csv.column(u"zone_id"), -1);
    std::vector<QString> got;
    while (csv.next()) got.push_back(QStringLiteral("%1|%2|%3").arg(csv.line()).arg(csv.field(name), csv.field(id)));
    EXPECT_FALSE(csv.error());
    EXPECT_EQ(got, lines({"2|駅前, 北口|S1", "5|say \"hi\"|S2", "6|two\r\nlines|S3", "8|short|", "9|ab\"c|S5"}));
}

TEST(GtfsCsv, RefusesWhatItCannotReadWithFileAndLine) {
    auto errorOf = [](const QByteArray& bytes) {
        gtfs::CsvReader csv(QStringLiteral("trips.txt"), bytes);
        while (csv.next()) {
        }
        return csv.error() ? csv.error()->message() : QString();
    };
    EXPECT_EQ(errorOf(""), QStringLiteral("trips.txt: the file is empty (no header row)"));
    EXPECT_EQ(errorOf("\n\n"), QStringLiteral("trips.txt: the file is empty (no header row)"));
    EXPECT_EQ(errorOf("a,b\n1,\"open\n2,3\n"), QStringLiteral("trips.txt line 2: a double quote opened here is never closed"));
    // Shift_JIS "駅" on line 3
    EXPECT_TRUE(errorOf("a,b\n1,2\n\x89\x77,3\n").startsWith(QStringLiteral("trips.txt line 3: not UTF-8 text")));
    EXPECT_EQ(gtfs::firstNonUtf8Line("ok\n\xC0\x80"), 2);       // over-long
    EXPECT_EQ(gtfs::firstNonUtf8Line("\xED\xA0\x80"), 1);       // a surrogate
    EXPECT_EQ(gtfs::firstNonUtf8Line("\xE9\xA7"), 1);           // cut off
    EXPECT_EQ(gtfs::firstNonUtf8Line("駅\n𠮷\n"), 0);
}

TEST(GtfsReadings, BecomeHiragana) {
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("ﾎﾝﾏﾁｻﾝﾁｮｳﾒ")), QStringLiteral("ほんまちさんちょうめ"));
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("ｶﾞｯｺｳﾏｴ･ﾊﾟｰｸﾀﾞｲﾋﾞｮｳｲﾝ")), QStringLiteral("がっこうまえ・ぱーくだいびょういん"));
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("ｳﾞｨﾗﾂﾞﾃﾞﾄﾞﾎﾟ")), QStringLiteral("ヴぃらづでどぽ"));
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("ｱﾞﾏﾟ｢ｦ｣､｡")), QStringLiteral("あ゛ま゜「を」、。"));
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("シヤクショマエ ヶ丘 ヴ")), QStringLiteral("しやくしょまえ ヶ丘 ヴ"));
    // a separate combining sound mark joins its kana
    EXPECT_EQ(gtfs::normaliseReading(QStringLiteral("カ\u3099ッコウ")), QStringLiteral("がっこう"));
}

TEST(GtfsRoute, FiveStopsInZones) {
    const BuiltRoute b = build(zoneFeed());
    EXPECT_EQ(table(b), lines({"中央駅前 1:",
                               "市役所前 2: 170",
                               "本町三丁目 3: 210 210",
                               "髙島屋前 4: 230 230 210",
                               "市民病院 5: 230 230 210 170"}));
    EXPECT_EQ(tape(b), lines({"このバスは、しみんびょういんゆきです。,0,1",
                              "次は、しやくしょまえです。,1,1",
                              "次は、本町三丁目です。,1,1",
                              "次は、たかしまやまえです。,1,1",
                              "次は、市民病院です。,1,1"}));
    EXPECT_EQ(b.PatternNumber, 1);
    EXPECT_EQ(b.PatternCount, 2);
    EXPECT_EQ(b.LowestFare, 170);
    EXPECT_EQ(b.HighestFare, 230);
    EXPECT_EQ(b.MissingFares, 0);
    EXPECT_EQ(b.ReadingsFound, 3);
    EXPECT_EQ(b.Notes.size(), 1); // the route has another pattern

    // The way back, by pattern number or by one of its trips; its headsign
    // has no reading, so it is spoken as written.
    const BuiltRoute back = build(zoneFeed(), QStringLiteral("R1"), {2, {}});
    EXPECT_EQ(build(zoneFeed(), QStringLiteral("R1"), {0, QStringLiteral("T3")}).Fare, back.Fare);
    EXPECT_EQ(table(back), lines({"市民病院 1:", "本町三丁目 2: 210", "中央駅前 3: 250 210"}));
    EXPECT_EQ(tape(back), lines({"このバスは、中央駅前ゆきです。,0,1", "次は、本町三丁目です。,1,1", "次は、ちゅうおうえきまえです。,1,1"}));
    EXPECT_TRUE(back.Notes.isEmpty());
}

TEST(GtfsRoute, FlatFares) {
    Files f = zoneFeed();
    // No fare_rules.txt: the one fare applies to every ride.
    f.erase("fare_rules.txt");
    f["fare_attributes.txt"] = "fare_id,price\nflat,220\n";
    BuiltRoute b = build(f);
    EXPECT_EQ(table(b), lines({"中央駅前 1:",
                               "市役所前 2: 220",
                               "本町三丁目 3: 220 220",
                               "髙島屋前 4: 220 220 220",
                               "市民病院 5: 220 220 220 220"}));
    EXPECT_EQ(b.Notes.size(), 1);

    // An empty rules file is no rules file.
    f["fare_rules.txt"] = "\xEF\xBB\xBF\r\n";
    EXPECT_EQ(build(f).Fare, b.Fare);
    f.erase("fare_rules.txt");

    // Several fares and no rules: the lowest, with a note.
    f["fare_attributes.txt"] = "fare_id,price\nadult,220\nchild,110\n";
    b = build(f);
    EXPECT_EQ(b.LowestFare, 110);
    EXPECT_EQ(b.HighestFare, 110);
    EXPECT_TRUE(b.Notes.join(u' ').contains(QStringLiteral("the lowest applies"))) << b.Notes.join(u' ').toStdString();

    // A rule naming only the route is its flat fare; another agency's fare
    // does not apply to this route even with a rule for any route.
    f["fare_attributes.txt"] = "fare_id,price,agency_id\nflat,200,A1\nother,100,A2\n";
    f["fare_rules.txt"] = "fare_id,route_id\nflat,R1\nother,\n";
    b = build(f);
    EXPECT_EQ(table(b).back(), QStringLiteral("市民病院 5: 200 200 200 200"));
    EXPECT_EQ(b.LowestFare, 200);
}

TEST(GtfsRoute, RidesWithoutARuleAreMinusOne) {
    Files f = zoneFeed();
    f["fare_rules.txt"] = "fare_id,route_id,origin_id,destination_id\nF170,R1,Z1,Z1\nF210,R1,Z1,Z2\n";
    const BuiltRoute b = build(f);
    EXPECT_EQ(table(b), lines({"中央駅前 1:",
                               "市役所前 2: 170",
                               "本町三丁目 3: 210 210",
                               "髙島屋前 4: -1 -1 -1",
                               "市民病院 5: -1 -1 -1 -1"}));
    EXPECT_EQ(b.MissingFares, 7);
    EXPECT_EQ(b.MissingZonePairs, QStringList({QStringLiteral("Z1→Z3"), QStringLiteral("Z2→Z3"), QStringLiteral("Z3→Z3")}));

    // A fare class for the rides that pass through exactly zones Z1, Z2, Z3.
    f["fare_rules.txt"] = "fare_id,route_id,origin_id,destination_id,contains_id\n"
                          "F170,R1,Z1,Z1,\nF210,R1,Z1,Z2,\nF250,R1,,,Z1\nF250,R1,,,Z2\nF250,R1,,,Z3\n";
    EXPECT_EQ(table(build(f)).back(), QStringLiteral("市民病院 5: 250 250 -1 -1"));
}

TEST(GtfsRoute, CharactersCodePage932CannotHold) {
    Files f = zoneFeed();
    f["stops.txt"].replace("本町三丁目", "𠮷野町");
    EXPECT_EQ(errorOf(f), QStringLiteral("the name of stop 3 of the pattern (stop_id \"S3\", \"𠮷野町\") holds 𠮷 (U+20BB7), "
                                         "which code page 932 cannot hold (--placeholder puts 〓 in its place)"));
    const BuiltRoute b = build(f, QStringLiteral("R1"), {}, {true, false});
    EXPECT_EQ(b.Fare.Rows[2].toFareRow().StopName, QStringLiteral("〓野町"));
    EXPECT_EQ(b.Tape[2].Text, QStringLiteral("次は、〓野町です。"));
    EXPECT_EQ(b.Placeholders.size(), 1);

    // In a reading too; a wave dash and a minus sign have their codes.
    f = zoneFeed();
    f["stops.txt"].replace("市民病院", "市民病院〜北−2");
    f["translations.txt"] += "stops,stop_name,ja-Hrkt,😀,S2,,\n";
    EXPECT_TRUE(errorOf(f).startsWith(QStringLiteral("the reading of stop 2 of the pattern (stop_id \"S2\", \"市役所前\") holds 😀 (U+1F600)")));
    EXPECT_EQ(gtfs::fitCp932(QStringLiteral(" 市民病院〜北−2\r\n"), false).Text, QStringLiteral("市民病院〜北−2"));
    EXPECT_EQ(gtfs::fitCp932(QStringLiteral("a\tb"), false).Text, QStringLiteral("a b"));
}

TEST(GtfsRoute, LimitsOfTheFareDataFile) {
    // 302 stops: more rows than the fare table has.
    Files f = zoneFeed();
    QByteArray stops = "stop_id,stop_name,zone_id\n", times = "trip_id,stop_id,stop_sequence\n";
    for (int s = 1; s <= 302; ++s) {
        stops += "X" + QByteArray::number(s) + ",停留所" + QByteArray::number(s) + ",Z" + QByteArray::number((s + 1) / 2) + "\n";
        times += "T1,X" + QByteArray::number(s) + "," + QByteArray::number(s) + "\n";
    }
    f["stops.txt"] = stops;
    f["stop_times.txt"] = times;
    f["trips.txt"] = "route_id,trip_id\nR1,T1\n";
    EXPECT_EQ(errorOf(f), QStringLiteral("the pattern has 302 stops; a fare data file holds at most 301"));

    // 200 stops: too many tickets, unless stops in one zone share them.
    times = "trip_id,stop_id,stop_sequence\n";
    for (int s = 1; s <= 200; ++s) times += "T1,X" + QByteArray::number(s) + "," + QByteArray::number(s) + "\n";
    f["stop_times.txt"] = times;
    f["fare_rules.txt"] = "fare_id,route_id\nF170,R1\n";
    EXPECT_EQ(errorOf(f), QStringLiteral("the pattern needs 200 ticket numbers; a fare data file holds at most 150 "
                                         "(--ticket-per-zone shares one number within a fare zone)"));
    const BuiltRoute b = build(f, QStringLiteral("R1"), {}, {false, true});
    EXPECT_EQ(b.TicketCount, 100);
    EXPECT_EQ(b.Fare.Rows.size(), 200u);

    // A fare too large for a signed 16-bit cell.
    f = zoneFeed();
    f["fare_attributes.txt"].replace("F250,250", "F250,32768");
    f["fare_attributes.txt"].replace("F230,230", "F230,40000");
    EXPECT_EQ(errorOf(f), QStringLiteral("fare_attributes.txt line 4: fare \"F250\" is 32768 yen; a fare data file holds at most 32767 yen"));
    f["fare_attributes.txt"].replace("F250,32768", "F250,32767");
    EXPECT_EQ(build(f).HighestFare, 32767);
}

TEST(GtfsList, RoutesAndTheirPatterns) {
    Files f = zoneFeed();
    f["routes.txt"] += "R2,A1,,循環線,3\n";
    EXPECT_EQ(testing_results::expect<QString>(gtfs::listFeed(memoryFeed(f))),
              QStringLiteral("route R1  1  駅前線\n"
                             "  pattern 1: 中央駅前 → 市民病院, 5 stops, 2 trip(s), direction 0, for 市民病院行 (trip T1)\n"
                             "  pattern 2: 市民病院 → 中央駅前, 3 stops, 1 trip(s), direction 1, for 中央駅前 (trip T3)\n"
                             "route R2  循環線\n"
                             "  no trips\n"));
}

TEST(GtfsTimetable, OfTheTripAskedForOrTheFirstOfTheDay) {
    auto times = [](const BuiltRoute& b) {
        std::vector<QString> out;
        for (const auto& r : b.Timetable->Rows)
            out.push_back(route::serviceTimeText(*r.Arrive) + u' ' + route::serviceTimeText(*r.Depart));
        return out;
    };
    const BuiltRoute first = build(zoneFeed());
    ASSERT_TRUE(first.Timetable);
    EXPECT_EQ(first.TimetableTrip, QStringLiteral("T1"));
    EXPECT_EQ(times(first), lines({"08:00:00 08:00:00", "08:05:00 08:05:00", "08:10:00 08:10:00", "08:15:00 08:15:00",
                                   "08:20:00 08:20:00"}));
    EXPECT_EQ(build(zoneFeed(), QStringLiteral("R1"), {0, QStringLiteral("T2")}).TimetableTrip, QStringLiteral("T2"));
    EXPECT_EQ(build(zoneFeed(), QStringLiteral("R1"), {2, {}}).TimetableTrip, QStringLiteral("T3"));

    // The earliest first departure wins whatever the order of trips.txt;
    // of two at the same time, the one listed first.
    Files f = zoneFeed();
    f["stop_times.txt"].replace("T2,09:00:00,09:00:00", "T2,07:59:00,07:59:59");
    EXPECT_EQ(build(f).TimetableTrip, QStringLiteral("T2"));
    f["stop_times.txt"].replace("T2,07:59:00,07:59:59", "T2,07:59:00,08:00:00");
    EXPECT_EQ(build(f).TimetableTrip, QStringLiteral("T1"));

    // No times in the feed: no timetable, and a note says so.
    f = zoneFeed();
    f["stop_times.txt"] = "trip_id,stop_id,stop_sequence\nT1,S1,1\nT1,S2,2\n";
    const BuiltRoute untimed = build(f);
    EXPECT_FALSE(untimed.Timetable);
    EXPECT_TRUE(untimed.Notes.join(u' ').contains(QStringLiteral("no timetable"))) << untimed.Notes.join(u' ').toStdString();
}

TEST(GtfsTimetable, StopsWithoutTimesAndTimesThatCannotBe) {
    using gtfs::StopTime;
    const std::vector<StopTime> trip{{{}, QStringLiteral("8:00:00"), 2}, {{}, {}, 3}, {{}, {}, 4},
                                     {QStringLiteral("08:09:00"), QStringLiteral("08:09:30"), 5},
                                     {QStringLiteral("08:12:00"), {}, 6}};
    const auto t = testing_results::expect<route::Timetable>(gtfs::tripTimetable(QStringLiteral("T1"), trip));
    const int h8 = 8 * 3600;
    EXPECT_EQ(t, (route::Timetable{{{h8, h8}, {h8 + 180, h8 + 180}, {h8 + 360, h8 + 360}, {h8 + 540, h8 + 570},
                                    {h8 + 720, h8 + 720}}}));

    const std::pair<std::vector<StopTime>, const char*> bad[] = {
        {{{{}, QStringLiteral("08:00"), 2}, {QStringLiteral("08:05:00"), {}, 3}},
         "stop_times.txt line 2: departure_time \"08:00\" of trip \"T1\" is not a time H:MM:SS (up to 99:59:59)"},
        {{{{}, QStringLiteral("08:00:00"), 2}, {QStringLiteral("07:55:00"), {}, 3}},
         "stop_times.txt line 3: trip \"T1\" goes back in time at its stop 2: the arrival 07:55:00 is earlier than "
         "08:00:00 before it"},
        {{{{}, {}, 2}, {QStringLiteral("08:05:00"), {}, 3}},
         "stop_times.txt line 2: trip \"T1\" has no time at its first stop (a trip's first and last stop need one)"},
    };
    for (const auto& [times, message] : bad)
        EXPECT_EQ(testing_results::expect<GtfsError>(gtfs::tripTimetable(QStringLiteral("T1"), times)).message(),
                  QString::fromUtf8(message));
}
