#include "ToolRun.h"
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"
#include "support/Results.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_files::readFile;
using testing_files::writeFile;

namespace {
const QString kSampleDir = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample");
const QString kSampleHy3 = kSampleDir + QStringLiteral("/1.hy3");
const QString kSampleTape = kSampleDir + QStringLiteral("/1tp.csv");

QString out(const faretool::ToolOutput& o) { return QString::fromUtf8(o.Out); }
} // namespace

TEST(FareDataTool, CommandLineMistakes) {
    const auto help = runTool("--help");
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(out(help).contains(QStringLiteral("from-csv FILE.csv -o ROUTE.hy3")));
    for (const char* line : {"", "frobnicate", "from-csv a.csv", "show %", "check % --colour", "to-csv -o"}) {
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

TEST(FareDataTool, RoundTripThroughFiles) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("route.csv"));
    const QString hy3 = dir.filePath(QStringLiteral("7.hy3"));
    ASSERT_EQ(runTool("to-csv % -o %", {kSampleHy3, csv}).ExitCode, 0);
    const auto r = runTool("from-csv % -o %", {csv, hy3});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(readFile(hy3), readFile(kSampleHy3));
    EXPECT_EQ(runTool("to-csv %", {hy3}).Out, readFile(csv));
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

// The sample is what a new user sees first: it must exercise the display.
TEST(SampleRoute, IsABelievableRoute) {
    const auto rows = testing_results::expect<route::FareData>(route::readFareDataFile(kSampleHy3)).Rows;
    ASSERT_GE(rows.size(), 15u);
    ASSERT_LE(rows.size(), 25u);
    int shortNames = 0, longNames = 0;
    QString all;
    for (const auto& row : rows) {
        const QString name = row.toFareRow().StopName;
        EXPECT_EQ(cp932::encode(name), row.NameBytes);
        shortNames += name.size() <= 2;
        longNames += name.size() >= 7;
        all += name;
    }
    EXPECT_GE(shortNames, 2);
    EXPECT_GE(longNames, 3);
    for (const QString& s : {QStringLiteral("ー"), QStringLiteral("（"), QStringLiteral("。")}) EXPECT_TRUE(all.contains(s));

    bool advanceSound = false;
    for (size_t s = 0; s < rows.size(); ++s) {
        for (size_t k = 0; k < 84; ++k) {
            const int fare = rows[s].Cols[k];
            if (k >= s) {
                EXPECT_EQ(fare, -1) << "stop " << s + 1 << " ticket " << k + 1;
                continue;
            }
            EXPECT_EQ(fare % 10, 0);
            EXPECT_GE(fare, rows[s - 1].Cols[k] == -1 ? 0 : rows[s - 1].Cols[k]); // further is dearer
        }
        for (size_t c = 84; c < 150; ++c)
            if (rows[s].Cols[c] != -1) {
                EXPECT_GE(rows[s].Cols[c], 1);
                EXPECT_LE(rows[s].Cols[c], 3);
                advanceSound = true;
            }
    }
    EXPECT_TRUE(advanceSound);

    const auto entries = testing_results::expect<std::vector<route::TapeEntry>>(route::readTapeDataFile(kSampleTape));
    EXPECT_EQ(entries.size(), rows.size());
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.Text.contains(u','); }));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.SoundFlag == 3; }));
    EXPECT_TRUE(readFile(kSampleTape).endsWith("\r\n"));
}
