// ferrotab-data gtfs: feeds in folders and zips, the files it writes and the
// messages it gives.
#include "tests/tools/ToolRun.h"
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <zip.h>

using testing_files::readFile;
using testing_files::writeFile;

namespace {

using Files = std::map<QString, QByteArray>;

// Three stops, one flat fare, a reading for the middle one; a second route
// without fares.
Files flatFeed() {
    return {
        {"agency.txt", "agency_id,agency_name,agency_url,agency_timezone\nA1,ふぇろ交通,https://example.jp,Asia/Tokyo\n"},
        {"routes.txt", "route_id,agency_id,route_short_name,route_long_name,route_type\nR1,A1,1,駅前線,3\nR2,A1,2,\"港, 北口線\",3\n"},
        {"stops.txt", "stop_id,stop_name\nS1,中央駅前\nS2,市役所前\nS3,港\n"},
        {"trips.txt", "route_id,service_id,trip_id,trip_headsign\nR1,WD,T1,港\nR2,WD,T2,\n"},
        {"stop_times.txt", "trip_id,stop_id,stop_sequence\nT1,S1,1\nT1,S2,2\nT1,S3,3\nT2,S3,1\nT2,S1,2\n"},
        {"fare_attributes.txt", "fare_id,price\nflat,210\n"},
        {"translations.txt", "trans_id,lang,translation\n市役所前,ja-Hrkt,ｼﾔｸｼｮﾏｴ\n"},
    };
}

void writeFolder(const QString& dir, const Files& files) {
    QDir().mkpath(dir);
    for (const auto& [name, bytes] : files) writeFile(dir + u'/' + name, bytes);
}

// A zip as operators publish them, made with libzip; `folder` puts the files
// in a folder inside the zip.
void writeZip(const QString& path, const Files& files, const QString& folder = {}, bool store = false) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(z, nullptr) << code;
    for (const auto& [name, bytes] : files) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        ASSERT_NE(src, nullptr);
        const zip_int64_t index = zip_file_add(z, (folder + name).toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << zip_strerror(z);
        if (store) zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(z), 0); // the buffers are read here, while `files` lives
}

const QByteArray kExpectedTape = cp932::encode(QStringLiteral("このバスは、港ゆきです。,0,1\r\n"
                                                              "次は、しやくしょまえです。,1,1\r\n"
                                                              "次は、港です。,1,1\r\n"));

} // namespace

TEST(GtfsTool, WritesBothFilesNamedByTheSystemNumber) {
    QTemporaryDir tmp;
    const QString feed = tmp.filePath(QStringLiteral("feed"));
    const QString out = tmp.filePath(QStringLiteral("out/new"));
    writeFolder(feed, flatFeed());
    const auto r = runTool("gtfs % --route R1 --number 00012 -o %", {feed, out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.isEmpty());
    EXPECT_EQ(readFile(out + QStringLiteral("/12tp.csv")), kExpectedTape);
    const auto rows = testing_results::expect<route::FareData>(route::readFareDataFile(out + QStringLiteral("/12.hy3"))).Rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].NameBytes, cp932::encode(QStringLiteral("港")));
    EXPECT_EQ(rows[2].TicketNo, 3);
    EXPECT_EQ(std::vector(rows[2].Cols.begin(), rows[2].Cols.begin() + 3), (std::vector<std::int16_t>{210, 210, -1}));
    const QString summary = QString::fromUtf8(r.Out);
    for (const QString& line : {QStringLiteral("route R1 (1 駅前線), pattern 1 of 1: 中央駅前 → 港\n"),
                                QStringLiteral("stops: 3 (sections a run can start at: 1..2)\n"),
                                QStringLiteral("ticket numbers: 1..3\n"), QStringLiteral("fares: 210 yen\n"),
                                QStringLiteral("rules missing: none\n"),
                                QStringLiteral("readings: 1 of 3 stops from translations.txt (ja-Hrkt), the rest spoken as written\n")})
        EXPECT_TRUE(summary.contains(line)) << summary.toStdString();

    // The same feed zipped, its files in a folder inside the zip.
    const QString zip = tmp.filePath(QStringLiteral("feed.zip"));
    writeZip(zip, flatFeed(), QStringLiteral("gtfs-jp/"));
    const auto z = runTool("gtfs % --route=R1 --number=345 --output=%", {zip, out});
    ASSERT_EQ(z.ExitCode, 0) << z.Err.toStdString();
    EXPECT_EQ(readFile(out + QStringLiteral("/345.hy3")), readFile(out + QStringLiteral("/12.hy3")));
    EXPECT_EQ(readFile(out + QStringLiteral("/345tp.csv")), kExpectedTape);

    // And unpacked with one folder more.
    writeFolder(tmp.filePath(QStringLiteral("outer/inner")), flatFeed());
    const auto listed = runTool("gtfs % --list", {tmp.filePath(QStringLiteral("outer"))});
    ASSERT_EQ(listed.ExitCode, 0) << listed.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(listed.Out), QStringLiteral("route R1  1  駅前線\n"
                                                            "  pattern 1: 中央駅前 → 港, 3 stops, 1 trip(s), for 港 (trip T1)\n"
                                                            "route R2  2  港, 北口線\n"
                                                            "  pattern 1: 港 → 中央駅前, 2 stops, 1 trip(s) (trip T2)\n"));
    EXPECT_EQ(runTool("gtfs % --list", {zip}).Out, listed.Out);
}

TEST(GtfsTool, WritesTheTimetableOfATripOrOfThePatternsFirstTripOfTheDay) {
    QTemporaryDir tmp;
    const QString zip = tmp.filePath(QStringLiteral("feed.zip"));
    const QString out = tmp.filePath(QStringLiteral("out"));
    // T1 leaves at 08:00 with no time at 市役所前, not a timepoint; T2, the
    // day's first, leaves at 07:40 and gives one time at some stops.
    Files feed = flatFeed();
    feed["trips.txt"] = "route_id,service_id,trip_id,trip_headsign\nR1,WD,T1,港\nR1,SA,T2,港\n";
    feed["stop_times.txt"] = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
                             "T1,08:00:00,08:00:00,S1,1\nT1,,,S2,2\nT1,08:06:00,08:06:30,S3,3\n"
                             "T2,,7:40:00,S1,1\nT2,07:43:00,07:43:20,S2,2\nT2,07:46:00,,S3,3\n";
    writeZip(zip, feed);
    auto r = runTool("gtfs % --route R1 --trip T1 --number 12 -o %", {zip, out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.Out).startsWith(
        QStringLiteral("wrote %1, %2 and %3\n")
            .arg(QDir::toNativeSeparators(out + QStringLiteral("/12.hy3")), QDir::toNativeSeparators(out + QStringLiteral("/12tp.csv")),
                 QDir::toNativeSeparators(out + QStringLiteral("/12tt.csv")))));
    EXPECT_TRUE(QString::fromUtf8(r.Out).contains(QStringLiteral("\ntimetable: trip T1, 08:00:00 to 08:06:00\n")));
    EXPECT_EQ(readFile(out + QStringLiteral("/12tt.csv")),
              "row,arrive,depart\r\n1,08:00:00,08:00:00\r\n2,08:03:00,08:03:00\r\n3,08:06:00,08:06:30\r\n");
    r = runTool("gtfs % --route R1 --pattern 1 --number 12 -o %", {zip, out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(readFile(out + QStringLiteral("/12tt.csv")),
              "row,arrive,depart\r\n1,07:40:00,07:40:00\r\n2,07:43:00,07:43:20\r\n3,07:46:00,07:46:00\r\n");
    EXPECT_EQ(runTool("check %", {out + QStringLiteral("/12tt.csv")}).ExitCode, 0);

    // A feed without times writes none, and says the one there is older.
    writeZip(zip, flatFeed());
    r = runTool("gtfs % --route R1 --number 12 -o %", {zip, out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.Out).contains(QStringLiteral("12tt.csv is from before and was left as it was")))
        << r.Out.toStdString();
}

TEST(GtfsTool, ClearMessagesForBadFeeds) {
    QTemporaryDir tmp;
    const QString feed = tmp.filePath(QStringLiteral("feed"));
    const QString out = tmp.filePath(QStringLiteral("out"));
    Files files = flatFeed();
    files.erase("stops.txt");
    writeFolder(feed, files);
    auto r = runTool("gtfs % --route R1 --number 1 -o %", {feed, out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: stops.txt: missing from the feed\n").arg(feed));
    EXPECT_FALSE(QFileInfo::exists(out));

    writeFolder(feed, flatFeed());
    r = runTool("gtfs % --route R9 --number 1 -o %", {feed, out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: routes.txt: there is no route_id \"R9\" (--list shows the routes)\n").arg(feed));

    // The second route: with no fare_rules.txt the one fare is flat for it
    // too; with no headsign the departure names its last stop.
    r = runTool("gtfs % --route R2 --number 2 -o %", {feed, out});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.Out).contains(QStringLiteral("fares: 210 yen\n")));
    EXPECT_EQ(readFile(out + QStringLiteral("/2tp.csv")),
              cp932::encode(QStringLiteral("このバスは、中央駅前ゆきです。,0,1\r\n次は、中央駅前です。,1,1\r\n")));

    const QString notZip = tmp.filePath(QStringLiteral("feed.zip"));
    writeFile(notZip, "stop_id,stop_name\n");
    r = runTool("gtfs % --list", {notZip});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: %1: not a zip file or folder (").arg(notZip))) << r.Err.toStdString();
    const QString nowhere = tmp.filePath(QStringLiteral("nowhere.zip"));
    EXPECT_EQ(runTool("gtfs % --list", {nowhere}).Err, QStringLiteral("ferrotab-data: %1: no such file or folder\n").arg(nowhere));

    // A damaged zip: the data of stops.txt no longer matches its checksum.
    const QString damaged = tmp.filePath(QStringLiteral("damaged.zip"));
    writeZip(damaged, flatFeed(), {}, true);
    QByteArray bytes = readFile(damaged);
    const qsizetype at = bytes.indexOf("S2,\xE5\xB8\x82"); // in stops.txt: S2,市
    ASSERT_GT(at, 0);
    bytes[at] = 'X';
    writeFile(damaged, bytes);
    r = runTool("gtfs % --list", {damaged});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: %1: stops.txt: cannot be read: the zip is damaged").arg(damaged)))
        << r.Err.toStdString();

    // Output where a file stands.
    r = runTool("gtfs % --route R1 --number 1 -o %", {feed, notZip});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1 is a file, not a folder\n").arg(notZip));

    // A pipe by a feed file's name is never opened.
    QFile::remove(feed + QStringLiteral("/stops.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(feed + QStringLiteral("/stops.txt")).constData(), 0600), 0);
    EXPECT_EQ(runTool("gtfs % --route R1 --number 1 -o %", {feed, out}).Err,
              QStringLiteral("ferrotab-data: %1: stops.txt: cannot be read: not a regular file\n").arg(feed));
}

TEST(GtfsTool, CommandLineMistakes) {
    EXPECT_TRUE(QString::fromUtf8(runTool("--help").Out).contains(QStringLiteral("gtfs FEED --list")));
    const std::pair<const char*, const char*> cases[] = {
        {"gtfs", "gtfs needs a feed (a GTFS-JP zip or folder)"},
        {"gtfs feed.zip", "gtfs needs --list or --route ROUTE_ID"},
        {"gtfs feed.zip --list --route R1", "gtfs --list takes no other option"},
        {"gtfs feed.zip --route R1 -o out", "gtfs needs --number SYSTEM_NUMBER (the route number keyed in, 1 to 99999)"},
        {"gtfs feed.zip --route R1 --number 12", "gtfs needs -o FOLDER"},
        {"gtfs feed.zip --route R1 --number 12 -o out --pattern 1 --trip T1", "give --pattern or --trip, not both"},
        {"gtfs feed.zip --route R1 --number 12 -o out --pattern 0", "--pattern must be a pattern number from --list, not \"0\""},
        {"gtfs feed.zip --route R1 --number 12 -o out --route R2", "--route given twice"},
        {"gtfs feed.zip --route R1 --number 12 -o out --colour", "unknown option --colour for gtfs"},
        {"gtfs feed.zip --route R1 --number 12 -o out other.zip", "gtfs takes one feed, got \"feed.zip\" and \"other.zip\""},
        {"gtfs feed.zip --route", "--route needs a value"},
    };
    for (const auto& [line, message] : cases) {
        const auto r = runTool(QString::fromLatin1(line));
        EXPECT_EQ(r.ExitCode, 2) << line;
        EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1\nTry 'ferrotab-data --help'.\n").arg(QString::fromLatin1(message)));
        EXPECT_TRUE(r.Out.isEmpty());
    }
    for (const char* number : {"0", "00000", "123456", "12a", "-1", "+5", " 7", "", "１２"}) {
        const auto r = runTool("gtfs feed.zip --route R1 --number % -o out", {QString::fromUtf8(number)});
        EXPECT_EQ(r.ExitCode, 2) << number;
        EXPECT_TRUE(r.Err.contains(QStringLiteral("--number must be a route number from 1 to 99999"))) << r.Err.toStdString();
    }
}
