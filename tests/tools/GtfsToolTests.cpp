// ferrotab-data gtfs: feeds in folders and zips, the files it writes and the
// messages it gives.
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "tools/FareDataTool.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <zip.h>

using faretool::runFareDataTool;

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
    for (const auto& [name, bytes] : files) {
        QFile f(dir + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
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

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

faretool::ToolOutput gtfs(const QStringList& args) { return runFareDataTool(QStringList{QStringLiteral("gtfs")} + args); }

const QByteArray kExpectedTape = cp932::encode(QStringLiteral("このバスは、港ゆきです。,0,1\r\n"
                                                              "次は、しやくしょまえです。,1,1\r\n"
                                                              "次は、港です。,1,1\r\n"));

} // namespace

TEST(GtfsTool, WritesBothFilesNamedByTheSystemNumber) {
    QTemporaryDir tmp;
    const QString feed = tmp.filePath(QStringLiteral("feed"));
    const QString out = tmp.filePath(QStringLiteral("out/new"));
    writeFolder(feed, flatFeed());
    const auto r = gtfs({feed, QStringLiteral("--route"), QStringLiteral("R1"), QStringLiteral("--number"),
                         QStringLiteral("00012"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.isEmpty());
    EXPECT_EQ(fileBytes(out + QStringLiteral("/12tp.csv")), kExpectedTape);
    auto read = route::readFareDataFile(out + QStringLiteral("/12.hy3"));
    ASSERT_TRUE(std::holds_alternative<route::FareData>(read));
    const auto& rows = std::get<route::FareData>(read).Rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].NameBytes, cp932::encode(QStringLiteral("港")));
    EXPECT_EQ(rows[2].TicketNo, 3);
    EXPECT_EQ(rows[2].Cols[0], 210);
    EXPECT_EQ(rows[2].Cols[1], 210);
    EXPECT_EQ(rows[2].Cols[2], -1);
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
    const auto z = gtfs({zip, QStringLiteral("--route=R1"), QStringLiteral("--number=345"), QStringLiteral("--output=") + out});
    ASSERT_EQ(z.ExitCode, 0) << z.Err.toStdString();
    EXPECT_EQ(fileBytes(out + QStringLiteral("/345.hy3")), fileBytes(out + QStringLiteral("/12.hy3")));
    EXPECT_EQ(fileBytes(out + QStringLiteral("/345tp.csv")), kExpectedTape);

    // And unpacked with one folder more.
    writeFolder(tmp.filePath(QStringLiteral("outer/inner")), flatFeed());
    const auto listed = gtfs({tmp.filePath(QStringLiteral("outer")), QStringLiteral("--list")});
    ASSERT_EQ(listed.ExitCode, 0) << listed.Err.toStdString();
    EXPECT_EQ(QString::fromUtf8(listed.Out), QStringLiteral("route R1  1  駅前線\n"
                                                            "  pattern 1: 中央駅前 → 港, 3 stops, 1 trip(s), for 港 (trip T1)\n"
                                                            "route R2  2  港, 北口線\n"
                                                            "  pattern 1: 港 → 中央駅前, 2 stops, 1 trip(s) (trip T2)\n"));
    EXPECT_EQ(gtfs({zip, QStringLiteral("--list")}).Out, listed.Out);
}

TEST(GtfsTool, ClearMessagesForBadFeeds) {
    QTemporaryDir tmp;
    const QString feed = tmp.filePath(QStringLiteral("feed"));
    const QString out = tmp.filePath(QStringLiteral("out"));
    Files files = flatFeed();
    files.erase("stops.txt");
    writeFolder(feed, files);
    const QStringList build{QStringLiteral("--route"), QStringLiteral("R1"), QStringLiteral("--number"), QStringLiteral("1"),
                            QStringLiteral("-o"), out};
    auto r = gtfs(QStringList{feed} + build);
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: stops.txt: missing from the feed\n").arg(feed));
    EXPECT_FALSE(QFileInfo::exists(out));

    writeFolder(feed, flatFeed());
    r = gtfs({feed, QStringLiteral("--route"), QStringLiteral("R9"), QStringLiteral("--number"), QStringLiteral("1"),
              QStringLiteral("-o"), out});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: routes.txt: there is no route_id \"R9\" (--list shows the routes)\n").arg(feed));

    // The second route: with no fare_rules.txt the one fare is flat for it
    // too; with no headsign the departure names its last stop.
    r = gtfs({feed, QStringLiteral("--route"), QStringLiteral("R2"), QStringLiteral("--number"), QStringLiteral("2"),
              QStringLiteral("-o"), out});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.Out).contains(QStringLiteral("fares: 210 yen\n"))); // no rules file: flat
    EXPECT_EQ(fileBytes(out + QStringLiteral("/2tp.csv")),
              cp932::encode(QStringLiteral("このバスは、中央駅前ゆきです。,0,1\r\n次は、中央駅前です。,1,1\r\n")));

    const QString notZip = tmp.filePath(QStringLiteral("feed.zip"));
    QFile text(notZip);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("stop_id,stop_name\n");
    text.close();
    r = gtfs({notZip, QStringLiteral("--list")});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: %1: not a zip file or folder (").arg(notZip))) << r.Err.toStdString();
    r = gtfs({tmp.filePath(QStringLiteral("nowhere.zip")), QStringLiteral("--list")});
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: no such file or folder\n").arg(tmp.filePath(QStringLiteral("nowhere.zip"))));

    // A damaged zip: the data of stops.txt no longer matches its checksum.
    const QString damaged = tmp.filePath(QStringLiteral("damaged.zip"));
    writeZip(damaged, flatFeed(), {}, true);
    QByteArray bytes = fileBytes(damaged);
    const qsizetype at = bytes.indexOf("S2,\xE5\xB8\x82"); // in stops.txt: S2,市
    ASSERT_GT(at, 0);
    bytes[at] = 'X';
    QFile d(damaged);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write(bytes);
    d.close();
    r = gtfs({damaged, QStringLiteral("--list")});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: %1: stops.txt: cannot be read: the zip is damaged").arg(damaged)))
        << r.Err.toStdString();

    // Output where a file stands.
    r = gtfs({feed, QStringLiteral("--route"), QStringLiteral("R1"), QStringLiteral("--number"), QStringLiteral("1"),
              QStringLiteral("-o"), notZip});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1 is a file, not a folder\n").arg(notZip));
}

TEST(GtfsTool, CommandLineMistakes) {
    EXPECT_TRUE(QString::fromUtf8(runFareDataTool({QStringLiteral("--help")}).Out).contains(QStringLiteral("gtfs FEED --list")));
    const QString feed = QStringLiteral("feed.zip");
    const QString routeArgs = QStringLiteral("--route R1 --number 12 -o out");
    auto args = [&](const QString& text) { return QStringList{feed} + text.split(u' ', Qt::SkipEmptyParts); };
    const std::pair<QStringList, QString> cases[] = {
        {{}, QStringLiteral("gtfs needs a feed (a GTFS-JP zip or folder)")},
        {{feed}, QStringLiteral("gtfs needs --list or --route ROUTE_ID")},
        {args(QStringLiteral("--list --route R1")), QStringLiteral("gtfs --list takes no other option")},
        {args(QStringLiteral("--route R1 -o out")), QStringLiteral("gtfs needs --number SYSTEM_NUMBER (the route number keyed in, 1 to 99999)")},
        {args(QStringLiteral("--route R1 --number 12")), QStringLiteral("gtfs needs -o FOLDER")},
        {args(routeArgs + QStringLiteral(" --pattern 1 --trip T1")), QStringLiteral("give --pattern or --trip, not both")},
        {args(routeArgs + QStringLiteral(" --pattern 0")), QStringLiteral("--pattern must be a pattern number from --list, not \"0\"")},
        {args(routeArgs + QStringLiteral(" --route R2")), QStringLiteral("--route given twice")},
        {args(routeArgs + QStringLiteral(" --colour")), QStringLiteral("unknown option --colour for gtfs")},
        {args(routeArgs + QStringLiteral(" other.zip")), QStringLiteral("gtfs takes one feed, got \"feed.zip\" and \"other.zip\"")},
        {args(QStringLiteral("--route")), QStringLiteral("--route needs a value")},
    };
    for (const auto& [a, message] : cases) {
        const auto r = gtfs(a);
        EXPECT_EQ(r.ExitCode, 2) << a.join(u' ').toStdString();
        EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1\nTry 'ferrotab-data --help'.\n").arg(message));
        EXPECT_TRUE(r.Out.isEmpty());
    }
    for (const char* number : {"0", "00000", "123456", "12a", "-1", "+5", " 7", "", "１２"}) {
        const auto r = gtfs({feed, QStringLiteral("--route"), QStringLiteral("R1"), QStringLiteral("--number"),
                             QString::fromUtf8(number), QStringLiteral("-o"), QStringLiteral("out")});
        EXPECT_EQ(r.ExitCode, 2) << number;
        EXPECT_TRUE(r.Err.contains(QStringLiteral("--number must be a route number from 1 to 99999"))) << r.Err.toStdString();
    }
}
