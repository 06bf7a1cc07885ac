#include "tests/tools/ToolRun.h"
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "route/Timetable.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"
#include "tests/support/NonRegularFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

using testing_files::readFile;
using testing_files::writeFile;

namespace {
const QString kSampleDir = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample");
const QString kSampleHy3 = kSampleDir + QStringLiteral("/1.hy3");
const QString kSampleTape = kSampleDir + QStringLiteral("/1tp.csv");
const QString kSampleTimetable = kSampleDir + QStringLiteral("/1tt.csv");

QString out(const faretool::ToolOutput& o) { return QString::fromUtf8(o.Out); }

// A copy of `bytes` as `name` in `dir`.
QString put(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, bytes);
    return path;
}
} // namespace

TEST(FareDataTool, CommandLineMistakes) {
    const auto help = runTool("--help");
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(out(help).contains(QStringLiteral("from-csv FILE.csv -o ROUTE.hy3")));
    EXPECT_TRUE(out(help).simplified().contains(QStringLiteral("column c90 holds the advance-sound value the panel uses")));
    for (const char* line : {"", "frobnicate", "from-csv a.csv", "show %", "check % --colour", "to-csv -o",
                             "from-csv a.csv --number 0 -o x", "check % --number 1"}) {
        const auto r = runTool(QString::fromLatin1(line), {kSampleHy3});
        EXPECT_EQ(r.ExitCode, 2) << line;
        EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: "))) << r.Err.toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
    }
    const auto badStop = runTool("show % --stop 21", {kSampleHy3});
    EXPECT_EQ(badStop.ExitCode, 2);
    EXPECT_TRUE(badStop.Err.contains(QStringLiteral("1 to 20"))) << badStop.Err.toStdString();
}

TEST(FareDataTool, DamagedFileGivesOneLineReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("5.hy3"));
    writeFile(path, readFile(kSampleHy3).left(700));
    const auto r = runTool("check %", {path});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("row 3 of 20"))) << r.Err.toStdString();
    EXPECT_EQ(r.Err.count(u'\n'), 1);
    EXPECT_EQ(runTool("to-csv %", {dir.filePath(QStringLiteral("none.hy3"))}).ExitCode, 1);
}

TEST(FareDataTool, APipeADeviceAFolderOrAHugeFileIsNamedForWhatItIs) {
    QTemporaryDir dir;
    using Kind = platform::ReadFailure::Kind;
    // The command, the file's name, the reader's limit and what a file past
    // it gives.
    const std::tuple<const char*, const char*, qint64, const char*> cases[] = {
        {"check %", "1.hy3", route::kLargestFareDataFile, ": the row count is 0 (the route may not be registered)"},
        {"check %", "1tp.csv", route::kMaxTapeDataBytes, " is larger than 8388608 bytes"},
        {"check %", "1tt.csv", route::kMaxTimetableBytes, ": larger than 64 KiB, too large for a timetable"},
        {"from-csv % -o x.hy3", "fares.csv", 16 << 20, " is larger than 16777216 bytes"},
        {"gtfs % --list", "feed.zip", 0, nullptr}, // a folder is a feed; a zip is read as it is needed
    };
    for (const auto& [command, name, limit, tooLarge] : cases) {
        const QString file = QString::fromLatin1(name);
        for (const auto& f : testing_files::makeNonRegularFiles(dir.filePath(file), file, limit + 1)) {
            if (!tooLarge && f.kind != Kind::NotRegular) continue;
            const QString reason = f.kind == Kind::TooLarge ? QString::fromLatin1(tooLarge) : testing_files::reasonFor(f, limit);
            EXPECT_EQ(runTool(QString::fromLatin1(command), {f.path}).Err,
                      QStringLiteral("ferrotab-data: ") + f.path + reason + u'\n')
                << name << ": " << f.what;
        }
    }
}

TEST(FareDataTool, RoundTripThroughFiles) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("route.csv"));
    const QString hy3 = dir.filePath(QStringLiteral("7.hy3"));
    ASSERT_EQ(runTool("to-csv % -o %", {kSampleHy3, csv}).ExitCode, 0);
    const auto r = runTool("from-csv % -o %", {csv, hy3});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(readFile(hy3), readFile(kSampleHy3));
    EXPECT_EQ(runTool("to-csv %", {hy3}).Out, readFile(csv));
    // Named by the route number, in a folder made for it.
    const QString folder = dir.filePath(QStringLiteral("routes/new"));
    ASSERT_EQ(runTool("from-csv % --number=007 -o %", {csv, folder}).ExitCode, 0);
    EXPECT_EQ(readFile(folder + QStringLiteral("/7.hy3")), readFile(kSampleHy3));
}

TEST(FareDataTool, ShowAndCheckTheSampleRoute) {
    const auto shown = runTool("show % --stop=3", {kSampleHy3});
    ASSERT_EQ(shown.ExitCode, 0) << shown.Err.toStdString();
    EXPECT_EQ(out(shown), QStringLiteral("stop 3 of 20: 市役所前 (ticket 3 is issued here)\n"
                                         "  ticket  1: 170 yen\n"
                                         "  ticket  2: 170 yen\n"));
    const auto checked = runTool("check %", {kSampleHy3});
    ASSERT_EQ(checked.ExitCode, 0);
    EXPECT_TRUE(out(checked).contains(QStringLiteral("20 stop(s)")));
    EXPECT_TRUE(out(checked).contains(QStringLiteral("columns in use: c1-c19, c90")));
    EXPECT_EQ(runTool("check %", {kSampleTape}).ExitCode, 0);

    // A fare data file made elsewhere may hold a fare from-csv refuses.
    QTemporaryDir dir;
    auto data = testing_results::expect<route::FareData>(route::readFareDataFile(kSampleHy3));
    data.Rows[3].Cols[1] = -5;
    const QString odd = dir.filePath(QStringLiteral("4.hy3"));
    ASSERT_EQ(route::writeFareDataFile(odd, data), std::nullopt);
    EXPECT_TRUE(out(runTool("check %", {odd})).contains(QStringLiteral("\nwarning: fares below -1, which is no fare: stop 4 c2 (-5)\n")));
}

TEST(FareDataTool, CheckKnowsAFileByItsContentWhereTheNameDoesNotSay) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* heading;
    } files[] = {
        {"route7.csv", runTool("to-csv %", {kSampleHy3}).Out, ": fare CSV (from-csv makes the fare data file), 20 stop(s)\n"},
        {"7ann.csv", readFile(kSampleTape), ": broadcast data, 20 announcement(s)\n"},
        {"ann.csv", readFile(QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/route1_announcements.csv")),
         ": announcement list in UTF-8 (tape-from-csv makes the broadcast data file), 20 announcement(s)\n"},
        {"route7.dat", readFile(kSampleHy3), ": fare data, 20 stop(s)\n"},
        {"times.txt", readFile(kSampleTimetable), ": timetable, 20 stop(s), 07:30:00 to 08:13:00 (43 min)\n"},
    };
    for (const auto& f : files) {
        const QString path = put(dir, QString::fromLatin1(f.name), f.bytes);
        const auto r = runTool("check %", {path});
        EXPECT_EQ(r.ExitCode, 0) << f.name << ": " << r.Err.toStdString();
        EXPECT_TRUE(out(r).startsWith(path + QString::fromUtf8(f.heading))) << out(r).left(200).toStdString();
    }
    const QString notes = put(dir, QStringLiteral("notes.txt"), "buy milk\n");
    const auto r = runTool("check %", {notes});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("check reads a fare data file (<route>.hy3), a broadcast data file "
                                              "(<route>tp.csv), a timetable (<route>tt.csv)")))
        << r.Err.toStdString();
}

TEST(FareDataTool, ChecksATimetableAgainstTheFareDataBesideIt) {
    QTemporaryDir dir;
    const QByteArray sample = readFile(kSampleTimetable);
    const QString timetable = put(dir, QStringLiteral("1tt.csv"), sample);
    auto r = runTool("check %", {timetable});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(out(r).contains(QStringLiteral("note: no fare data beside it (")));

    put(dir, QStringLiteral("1.HY3"), readFile(kSampleHy3));
    r = runTool("check %", {timetable});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(out(r).contains(QStringLiteral("rows 1..20 match the fare data beside it")));
    EXPECT_TRUE(out(r).contains(QStringLiteral("\n   17  08:05:20  08:06:35  桜川港フェリーターミナル\n")));

    // A time that goes back, and a stop the timetable lacks.
    put(dir, QStringLiteral("1tt.csv"), QByteArray(sample).replace("5,07:38:10", "5,07:35:10"));
    EXPECT_EQ(runTool("check %", {timetable}).Err,
              QStringLiteral("ferrotab-data: %1: line 6: row 5: the arrival 07:35:10 is earlier than 07:36:20 before it\n")
                  .arg(timetable));
    const QString shortOne = put(dir, QStringLiteral("short.csv"), sample.left(sample.indexOf("\n20,") + 1));
    r = runTool("timetable-from-csv % --number 1 -o %", {shortOne, dir.path()});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_EQ(r.Err, QStringLiteral("ferrotab-data: %1: line 20: the timetable ends at row 19; the fare data has 20 stops\n")
                         .arg(shortOne));
    r = runTool("timetable-from-csv % --number 1 -o %", {put(dir, QStringLiteral("ok.csv"), sample), dir.path()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(readFile(timetable), readFile(kSampleTimetable));
}

// Text from a file, or a path, goes into the output as it is: a "%1" in a
// stop name is never filled in with the next value.
TEST(FareDataTool, NamesAndPathsAreNeverReadAsPatterns) {
    QTemporaryDir dir;
    const QString csv = put(dir, QStringLiteral("50%1off/fares.csv"),
                            "stop_name,ticket_no\nFare%1 stop,1\n%L2 前,2,170\n100%% 本町,3,170,170\n");
    const QString hy3 = dir.filePath(QStringLiteral("50%1off/9.hy3"));
    ASSERT_EQ(runTool("from-csv % -o %", {csv, hy3}).ExitCode, 0);
    const QString checked = out(runTool("check %", {hy3}));
    EXPECT_TRUE(checked.startsWith(hy3 + QStringLiteral(": fare data, 3 stop(s)\n"))) << checked.toStdString();
    for (const QString& line : {QStringLiteral("\n    1  Fare%1 stop  (ticket 1)\n"), QStringLiteral("\n    2  %L2 前  (ticket 2)\n"),
                                QStringLiteral("\n    3  100%% 本町  (ticket 3)\n")})
        EXPECT_TRUE(checked.contains(line)) << checked.toStdString();
    EXPECT_TRUE(out(runTool("show % --stop 2", {hy3})).startsWith(QStringLiteral("stop 2 of 3: %L2 前 (ticket 2 is issued here)\n")));
    writeFile(hy3, "\x05");
    EXPECT_EQ(runTool("check %", {hy3}).Err,
              QStringLiteral("ferrotab-data: ") + hy3 + QStringLiteral(": damaged file: 1 bytes, too short to hold the 2-byte row count\n"));
}

TEST(FareDataTool, AnnouncementsFromUtf8ToTheBroadcastFile) {
    QTemporaryDir dir;
    const QStringList files{dir.filePath(QStringLiteral("ann.csv")), dir.filePath(QStringLiteral("1tp.csv"))};
    writeFile(files[0], QStringLiteral("\uFEFFつぎは、市役所前です,1,2\n\"お降りの方は, ボタンを\",0,0\n").toUtf8());
    auto r = runTool("tape-from-csv % -o %", files);
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(readFile(files[1]), cp932::encode(QStringLiteral("つぎは、市役所前です,1,2\r\n\"お降りの方は, ボタンを\",0,0\r\n")));

    // A double quote inside a text, doubled or bare, is refused with its line,
    // and nothing is written.
    for (const QString& line : {QStringLiteral("\"「終点\"\"です」\",0,0"), QStringLiteral("終点\"です,0,0")}) {
        QFile::remove(files[1]);
        writeFile(files[0], (QStringLiteral("つぎは,0,0\n") + line + u'\n').toUtf8());
        r = runTool("tape-from-csv % -o %", files);
        EXPECT_EQ(r.ExitCode, 1) << line.toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("line 2"))) << r.Err.toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("double quote"))) << r.Err.toStdString();
        EXPECT_FALSE(QFile::exists(files[1]));
    }
}
