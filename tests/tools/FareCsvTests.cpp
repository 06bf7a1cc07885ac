#include "tools/FareCsv.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"

#include <gtest/gtest.h>

using faretool::CsvError;
using testing_results::expect;

namespace {
const QString kSampleFares = QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/route1_fares.csv");

QByteArray header() {
    QByteArray h = "stop_name,ticket_no";
    for (int c = 1; c <= 150; ++c) h += ",c" + QByteArray::number(c);
    return h + "\n";
}

route::FareData fromCsv(const QByteArray& csv) { return expect<route::FareData>(faretool::fareDataFromCsv(csv)); }
CsvError errorOf(const QByteArray& csv) { return expect<CsvError>(faretool::fareDataFromCsv(csv)); }
} // namespace

TEST(FareCsv, FareFileToCsvAndBackIsByteIdentical) {
    route::FareData d;
    const QByteArray names[] = {
        "\x89\x77\x91\x4F",                                      // 駅前
        "\x87\x40\x87\x54\x87\x8A\x81\x60\x81\x5F\xFB\xFC",       // ①Ⅰ㈱～＼髙
        "\xED\x40\x87\x90",                                      // NEC-selected IBM 纊, NEC ≒: each has a second code
        "\x82",                                                  // a lead byte alone
        QByteArray("\xFF\x85\x40\x00", 4),                       // not CP932 at all
        "A, \"B\"\r\nC ",                                        // CSV's own characters
        "",
    };
    std::int16_t ticket = 1;
    for (const QByteArray& n : names) {
        route::FareRecord r{n, ticket++, {}};
        r.Cols.fill(-1);
        d.Rows.push_back(r);
    }
    d.Rows[0].Cols[0] = 170;
    d.Rows[1].Cols[3] = 0;       // a free ride is not "no fare"
    d.Rows[2].Cols[149] = -32768;
    d.Rows[3].Cols.fill(32767);
    const QByteArray hy3 = route::encodeFareData(d);
    const QByteArray csv = faretool::fareDataToCsv(d);
    const route::FareData back = fromCsv(csv);
    EXPECT_EQ(route::encodeFareData(back), hy3);
    EXPECT_EQ(faretool::fareDataToCsv(back), csv);

    const QString text = QString::fromUtf8(csv);
    EXPECT_TRUE(text.contains(QStringLiteral("\n①Ⅰ㈱～＼髙,2,,,,0\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\n\uFFFDED\uFFFD40\uFFFD87\uFFFD90,3,"))); // the pairs kept as bytes
}

TEST(FareCsv, SampleCsvToFareFileAndBackIsByteIdentical) {
    const QByteArray csv = testing_files::readFile(kSampleFares);
    ASSERT_FALSE(csv.isEmpty()) << kSampleFares.toStdString();
    EXPECT_EQ(faretool::fareDataToCsv(fromCsv(csv)), csv);
}

TEST(FareCsv, CellsAndLayoutsAUserMayWrite) {
    // BOM, CR LF, a quoted name, explicit -1, spaces, trailing empty cells past c150.
    QByteArray csv = "\xEF\xBB\xBF" + header();
    csv.replace("\n", "\r\n");
    csv += "\"本町\", 2 ,170, -1 ,,180";
    csv += QByteArray(160, ',') + "\r\n";
    csv += "\n東,3\n"; // a blank line is skipped
    const route::FareData d = fromCsv(csv);
    ASSERT_EQ(d.Rows.size(), 2u);
    EXPECT_EQ(d.Rows[0].toFareRow().StopName, QStringLiteral("本町"));
    EXPECT_EQ(d.Rows[0].TicketNo, 2);
    EXPECT_EQ(std::vector(d.Rows[0].Cols.begin(), d.Rows[0].Cols.begin() + 5), (std::vector<std::int16_t>{170, -1, -1, 180, -1}));
    EXPECT_EQ(d.Rows[0].Cols[149], -1);
    EXPECT_EQ(d.Rows[1].Cols[0], -1);
}

TEST(FareCsv, MistakesAreReportedWithTheirLine) {
    EXPECT_EQ(errorOf("name,ticket\nA,1\n").Line, 1);
    CsvError e = errorOf(header() + "A,1,170\nB,2,1O0\n");
    EXPECT_EQ(e.Line, 3);
    EXPECT_TRUE(e.What.contains(QStringLiteral("c1 \"1O0\""))) << e.message().toStdString();
    EXPECT_EQ(errorOf(header() + "A,1,40000\n").Line, 2);
    // A fare is -1 or 0 and above; the columns above the fares hold other numbers.
    e = errorOf(header() + "A,1\nB,2,170,-5\n");
    EXPECT_EQ(e.message(), QStringLiteral("line 3: stop 2: c2 \"-5\" is not a fare: a fare is -1 (no fare; or leave "
                                          "the cell empty) or 0 and above"));
    EXPECT_EQ(errorOf(header() + "A,1" + QByteArray(84, ',') + "-2\n").What.left(12), QStringLiteral("stop 1: c84 "));
    EXPECT_EQ(fromCsv(header() + "A,1" + QByteArray(85, ',') + "-2,0,-32768\n").Rows[0].Cols[84], -2);
    EXPECT_EQ(errorOf(header() + "A,x\n").Line, 2);
    EXPECT_EQ(errorOf(header() + "A\n").Line, 2);
    EXPECT_EQ(errorOf(header() + "A,1" + QByteArray(151, ',') + "5\n").Line, 2); // c151
    e = errorOf(header() + "A,1\n\"B\nC,2\n");
    EXPECT_EQ(e.Line, 3);
    EXPECT_TRUE(e.What.contains(QStringLiteral("quote")));
    e = errorOf(header() + "Bus stop \xF0\x9F\x9A\x8F,1\n");
    EXPECT_TRUE(e.What.contains(QStringLiteral("U+1F68F"))) << e.message().toStdString();
    EXPECT_TRUE(errorOf(header() + "\xEF\xBF\xBDZZ,1\n").What.contains(QStringLiteral("hex")));
    EXPECT_FALSE(errorOf("\xFF\xFE" + header()).What.isEmpty()); // not UTF-8
    EXPECT_FALSE(errorOf(header()).What.isEmpty());                // no stops
    QByteArray tooMany = header();
    for (int r = 0; r < 302; ++r) tooMany += "A,1\n";
    EXPECT_EQ(errorOf(tooMany).Line, 303);
}
