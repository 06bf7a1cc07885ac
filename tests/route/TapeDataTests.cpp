#include "platform/Cp932.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"
#include "route/TapeData.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using route::TapeDataError;
using route::TapeEntry;
using testing_results::expect;
using Kind = route::TapeDataError::Kind;

namespace {
std::vector<TapeEntry> entriesOf(const QString& text) {
    return expect<std::vector<TapeEntry>>(route::decodeTapeData(cp932::encode(text)));
}
TapeDataError errorOf(const QString& text) { return expect<TapeDataError>(route::decodeTapeData(cp932::encode(text))); }
} // namespace

TEST(TapeData, DelimitedTextRules) {
    const auto e = entriesOf(QStringLiteral("次は、本町です。,1,0\r\n"
                                            "\"次は、東です。Next stop, Higashi.\",0,2\r\n"
                                            "   終点です。 ,  1,   3\n"           // spaces before fields, LF only
                                            "\"say \"\"hi\"\"\",-1,32767\r\n"
                                            "無音,,\r\n"));
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0], (TapeEntry{QStringLiteral("次は、本町です。"), 1, 0}));
    EXPECT_EQ(e[1], (TapeEntry{QStringLiteral("次は、東です。Next stop, Higashi."), 0, 2}));
    EXPECT_EQ(e[2], (TapeEntry{QStringLiteral("終点です。"), 1, 3}));
    EXPECT_EQ(e[3], (TapeEntry{QStringLiteral("say \"hi\""), -1, 32767}));
    EXPECT_EQ(e[4], (TapeEntry{QStringLiteral("無音"), 0, 0}));
    // No terminator after the last line is the same file.
    EXPECT_EQ(entriesOf(QStringLiteral("a,1,2")), (std::vector<TapeEntry>{{QStringLiteral("a"), 1, 2}}));
}

TEST(TapeData, BadLinesAreNamed) {
    TapeDataError e = errorOf(QStringLiteral("a,1,0\r\nb,x,0\r\n"));
    EXPECT_EQ(e.Problem, Kind::BadFlag);
    EXPECT_EQ(e.Line, 2);
    EXPECT_EQ(e.Field, 2);
    EXPECT_EQ(e.Value, QStringLiteral("x"));
    EXPECT_TRUE(e.message().contains(QStringLiteral("line 2"))) << e.message().toStdString();

    e = errorOf(QStringLiteral("a,1,0\r\nb,1,0\r\nc,1\r\n"));
    EXPECT_EQ(e.Problem, Kind::TooFewFields);
    EXPECT_EQ(e.Line, 3);
    EXPECT_EQ(e.FieldCount, 2);

    EXPECT_EQ(errorOf(QStringLiteral("次は、本町,東です。,1,0\r\n")).Problem, Kind::TooManyFields);
    EXPECT_EQ(errorOf(QStringLiteral("a,1,32768\r\n")).Problem, Kind::BadFlag);
    EXPECT_EQ(errorOf(QStringLiteral("a,1,1.5\r\n")).Problem, Kind::BadFlag);
    EXPECT_EQ(errorOf(QStringLiteral("a,1,0\r\n\r\nb,1,0\r\n")).Line, 2); // a blank line inside the file
    e = errorOf(QStringLiteral("a,1,0\r\n\"open,1,0\r\n"));
    EXPECT_EQ(e.Problem, Kind::OpenQuote);
    EXPECT_EQ(e.Line, 2);
    EXPECT_EQ(errorOf(QString()).Problem, Kind::NoLines);
    EXPECT_EQ(errorOf(QStringLiteral("\r\n")).Problem, Kind::NoLines);
}

TEST(TapeData, WritesWhatItReads) {
    const std::vector<TapeEntry> entries{{QStringLiteral("次は、本町です。"), 1, 0},
                                         {QStringLiteral("Next, \"Honmachi\""), 0, 3},
                                         {QStringLiteral(" ①番乗り場 "), -7, 1}};
    const QByteArray bytes = route::encodeTapeData(entries);
    EXPECT_TRUE(bytes.startsWith(cp932::encode(QStringLiteral("次は、本町です。,1,0\r\n"))));
    EXPECT_EQ(expect<std::vector<TapeEntry>>(route::decodeTapeData(bytes)), entries);

    QTemporaryDir dir;
    EXPECT_EQ(expect<TapeDataError>(route::readTapeDataFile(dir.filePath(QStringLiteral("3tp.csv")))).Problem, Kind::FileMissing);
}
