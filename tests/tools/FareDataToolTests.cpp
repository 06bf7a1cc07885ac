#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "tools/FareDataTool.h"
#include "support/QtPrinters.h"
#include "route/TapeData.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using faretool::runFareDataTool;

namespace {
const QString kSampleDir = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample");
const QString kSampleHy3 = kSampleDir + QStringLiteral("/1.hy3");
const QString kSampleTape = kSampleDir + QStringLiteral("/1tp.csv");

QString out(const faretool::ToolOutput& o) { return QString::fromUtf8(o.Out); }

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

TEST(FareDataTool, CommandLineMistakes) {
    const auto help = runFareDataTool({QStringLiteral("--help")});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(out(help).contains(QStringLiteral("from-csv FILE.csv -o ROUTE.hy3")));
    for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("frobnicate")},
                                    QStringList{QStringLiteral("from-csv"), QStringLiteral("a.csv")},
                                    QStringList{QStringLiteral("show"), kSampleHy3},
                                    QStringList{QStringLiteral("check"), kSampleHy3, QStringLiteral("--colour")},
                                    QStringList{QStringLiteral("to-csv"), QStringLiteral("-o")}}) {
        const auto r = runFareDataTool(args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.Err.startsWith(QStringLiteral("ferrotab-data: "))) << r.Err.toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
    }
    const auto badStop = runFareDataTool({QStringLiteral("show"), kSampleHy3, QStringLiteral("--stop"), QStringLiteral("21")});
    EXPECT_EQ(badStop.ExitCode, 2);
    EXPECT_TRUE(badStop.Err.contains(QStringLiteral("1 to 20"))) << badStop.Err.toStdString();
}

TEST(FareDataTool, DamagedFileGivesOneLineReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("5.hy3"));
    writeFile(path, fileBytes(kSampleHy3).left(700));
    const auto r = runFareDataTool({QStringLiteral("check"), path});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("row 3 of 20"))) << r.Err.toStdString();
    EXPECT_EQ(r.Err.count(u'\n'), 1);
    EXPECT_EQ(runFareDataTool({QStringLiteral("to-csv"), dir.filePath(QStringLiteral("none.hy3"))}).ExitCode, 1);
}

TEST(FareDataTool, RoundTripThroughFiles) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("route.csv"));
    const QString hy3 = dir.filePath(QStringLiteral("7.hy3"));
    ASSERT_EQ(runFareDataTool({QStringLiteral("to-csv"), kSampleHy3, QStringLiteral("-o"), csv}).ExitCode, 0);
    const auto r = runFareDataTool({QStringLiteral("from-csv"), csv, QStringLiteral("-o"), hy3});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(fileBytes(hy3), fileBytes(kSampleHy3));
    EXPECT_EQ(runFareDataTool({QStringLiteral("to-csv"), hy3}).Out, fileBytes(csv));
}

TEST(FareDataTool, ShowAndCheckTheSampleRoute) {
    const auto shown = runFareDataTool({QStringLiteral("show"), kSampleHy3, QStringLiteral("--stop=3")});
    ASSERT_EQ(shown.ExitCode, 0) << shown.Err.toStdString();
    EXPECT_EQ(out(shown), QStringLiteral("stop 3 of 20: 市役所前 (ticket 3 is issued here)\n"
                                         "  ticket  1: 170 yen\n"
                                         "  ticket  2: 170 yen\n"));
    const auto checked = runFareDataTool({QStringLiteral("check"), kSampleHy3});
    ASSERT_EQ(checked.ExitCode, 0);
    EXPECT_TRUE(out(checked).contains(QStringLiteral("20 stop(s)")));
    EXPECT_TRUE(out(checked).contains(QStringLiteral("columns in use: c1-c19, c90")));
    EXPECT_EQ(runFareDataTool({QStringLiteral("check"), kSampleTape}).ExitCode, 0);
}

TEST(FareDataTool, AnnouncementsFromUtf8ToTheBroadcastFile) {
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("ann.csv"));
    const QString tape = dir.filePath(QStringLiteral("1tp.csv"));
    writeFile(csv, QStringLiteral("\uFEFFつぎは、市役所前です,1,2\n\"お降りの方は, ボタンを\",0,0\n").toUtf8());
    auto r = runFareDataTool({QStringLiteral("tape-from-csv"), csv, QStringLiteral("-o"), tape});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(fileBytes(tape), cp932::encode(QStringLiteral("つぎは、市役所前です,1,2\r\n\"お降りの方は, ボタンを\",0,0\r\n")));

    // A double quote inside a text, doubled or bare, is refused with its line,
    // and nothing is written.
    for (const QString& line : {QStringLiteral("\"「終点\"\"です」\",0,0"), QStringLiteral("終点\"です,0,0")}) {
        QFile::remove(tape);
        writeFile(csv, (QStringLiteral("つぎは,0,0\n") + line + u'\n').toUtf8());
        r = runFareDataTool({QStringLiteral("tape-from-csv"), csv, QStringLiteral("-o"), tape});
        EXPECT_EQ(r.ExitCode, 1) << line.toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("line 2"))) << r.Err.toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("double quote"))) << r.Err.toStdString();
        EXPECT_FALSE(QFile::exists(tape));
    }
}

// The sample is what a new user sees first: it must exercise the display.
TEST(SampleRoute, IsABelievableRoute) {
    auto r = route::readFareDataFile(kSampleHy3);
    ASSERT_TRUE(std::holds_alternative<route::FareData>(r));
    const auto& rows = std::get<route::FareData>(r).Rows;
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

    auto tape = route::readTapeDataFile(kSampleTape);
    ASSERT_TRUE(std::holds_alternative<std::vector<route::TapeEntry>>(tape));
    const auto& entries = std::get<std::vector<route::TapeEntry>>(tape);
    EXPECT_EQ(entries.size(), rows.size());
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.Text.contains(u','); }));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.SoundFlag == 3; }));
    EXPECT_TRUE(fileBytes(kSampleTape).endsWith("\r\n"));
}
