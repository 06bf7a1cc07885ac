#include "route/FareDataFile.h"
#include "tests/route/HandMadeFare.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using route::FareDataError;
using testing_results::expect;
using Kind = route::FareDataError::Kind;

namespace {

FareDataError errorOf(const QByteArray& bytes) { return expect<FareDataError>(route::decodeFareData(bytes)); }
route::FareData dataOf(const QByteArray& bytes) { return expect<route::FareData>(route::decodeFareData(bytes)); }

QByteArray manyRows(int count) {
    HandMadeFare f;
    f.i16(count);
    for (int r = 1; r <= count; ++r) f.row("A", r, {r, -r});
    return f.bytes;
}

} // namespace

TEST(FareDataFile, ReadsRowsFieldByFieldAndIgnoresTrailingBytes) {
    HandMadeFare f;
    // 駅前 in CP932, then an empty name; a trailing garbage tail.
    f.i16(2).row("\x89\x77\x91\x4F", 1, {-1, 170, 32767, -32768}).row("", -5, {}).raw("tail bytes");
    const route::FareData d = dataOf(f.bytes);
    ASSERT_EQ(d.Rows.size(), 2u);
    EXPECT_EQ(d.Rows[0].NameBytes, QByteArray("\x89\x77\x91\x4F"));
    EXPECT_EQ(d.Rows[0].TicketNo, 1);
    EXPECT_EQ(std::vector(d.Rows[0].Cols.begin(), d.Rows[0].Cols.begin() + 5),
              (std::vector<std::int16_t>{-1, 170, 32767, -32768, -1}));
    EXPECT_EQ(d.Rows[0].Cols[149], -1);
    EXPECT_EQ(d.Rows[0].toFareRow().StopName, QStringLiteral("駅前"));
    EXPECT_TRUE(d.Rows[1].NameBytes.isEmpty());
    EXPECT_EQ(d.Rows[1].TicketNo, -5);
    // Written back: the same bytes up to the end of the last row.
    EXPECT_EQ(route::encodeFareData(d), f.bytes.chopped(10));
}

TEST(FareDataFile, KeepsNameBytesThatDoNotDecodeCleanly) {
    // Windows-only characters (①, Ⅰ, ㈱, ～, ＼, 髙), the NEC-selected IBM
    // row (0xED40, which decodes to the same character as 0xFA5C), a lone
    // lead byte and bytes that are not CP932 at all.
    const QByteArray names[] = {"\x87\x40\x87\x54\x87\x8A\x81\x60\x81\x5F\xFB\xFC", "\xED\x40\xFA\x5C", "\x82",
                                QByteArray("\x85\x40\xFF\x00", 4)};
    HandMadeFare f;
    f.i16(4);
    for (const QByteArray& n : names) f.row(n, 7);
    const route::FareData d = dataOf(f.bytes);
    ASSERT_EQ(d.Rows.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(d.Rows[size_t(i)].NameBytes, names[i]);
    EXPECT_EQ(route::encodeFareData(d), f.bytes);
    EXPECT_EQ(d.Rows[0].toFareRow().StopName, QStringLiteral("①Ⅰ㈱～＼髙"));
    EXPECT_TRUE(d.Rows[3].toFareRow().StopName.contains(QChar(0xFFFD)));
}

TEST(FareDataFile, RowCountLimits) {
    EXPECT_EQ(dataOf(manyRows(1)).Rows.size(), 1u);
    const route::FareData full = dataOf(manyRows(301));
    ASSERT_EQ(full.Rows.size(), 301u);
    EXPECT_EQ(full.Rows[300].Cols[1], -301);

    const FareDataError tooMany = errorOf(manyRows(302));
    EXPECT_EQ(tooMany.Problem, Kind::TooManyRows);
    EXPECT_EQ(tooMany.RowCount, 302);
    EXPECT_EQ(tooMany.Row, 302);

    EXPECT_EQ(errorOf(HandMadeFare().i16(0).bytes).Problem, Kind::NoRows);
    EXPECT_EQ(errorOf(HandMadeFare().i16(-1).row("A", 1).bytes).Problem, Kind::NegativeRowCount);
    const FareDataError minCount = errorOf(HandMadeFare().i16(-32768).bytes);
    EXPECT_EQ(minCount.Problem, Kind::NegativeRowCount);
    EXPECT_EQ(minCount.RowCount, -32768);
    EXPECT_EQ(errorOf(QByteArray()).Problem, Kind::NoRowCount);
    EXPECT_EQ(errorOf(QByteArray("\x01", 1)).Problem, Kind::NoRowCount);
}

TEST(FareDataFile, DamagedFilesNameTheRowAndTheByte) {
    // Three rows announced, two present: row 3 starts where the file ends.
    HandMadeFare two;
    two.i16(3).row("AB", 1).row("C", 2);
    FareDataError e = errorOf(two.bytes);
    EXPECT_EQ(e.Problem, Kind::RowCutOff);
    EXPECT_EQ(e.Row, 3);
    EXPECT_EQ(e.Offset, 2 + 306 + 305);
    EXPECT_EQ(e.FileSize, two.bytes.size());
    EXPECT_TRUE(e.message().contains(QStringLiteral("row 3 of 3"))) << e.message().toStdString();

    // Cut in the middle of row 2's columns.
    e = errorOf(two.bytes.left(2 + 306 + 100).prepend(QByteArray()));
    EXPECT_EQ(e.Problem, Kind::RowCutOff);
    EXPECT_EQ(e.Row, 2);
    EXPECT_EQ(e.Offset, 2 + 306);

    // A name length of 65535 with a few bytes behind it.
    HandMadeFare longName;
    longName.i16(2).row("A", 1).i16(65535).raw("xyz");
    e = errorOf(longName.bytes);
    EXPECT_EQ(e.Problem, Kind::NameRunsPastEnd);
    EXPECT_EQ(e.Row, 2);
    EXPECT_EQ(e.NameLength, 65535);
    EXPECT_EQ(e.Offset, 2 + 305);
    EXPECT_TRUE(e.message().contains(QStringLiteral("65535"))) << e.message().toStdString();

    // Only one byte of row 1's name length.
    e = errorOf(HandMadeFare().i16(1).raw("\x05").bytes);
    EXPECT_EQ(e.Problem, Kind::RowCutOff);
    EXPECT_EQ(e.Row, 1);
}

TEST(FareDataFile, RandomBytesNeverCrashAndAlwaysSayWhy) {
    std::mt19937 rng(20240601);
    int decoded = 0;
    for (int n = 0; n < 3000; ++n) {
        // Small plausible counts half of the time so the row walk gets exercised.
        QByteArray bytes(int(rng() % 1400), '\0');
        for (char& b : bytes) b = char(rng());
        if (n % 2 && bytes.size() >= 2) {
            bytes[0] = char(rng() % 4);
            bytes[1] = 0;
        }
        auto r = route::decodeFareData(bytes);
        if (auto* e = std::get_if<FareDataError>(&r)) {
            EXPECT_FALSE(e->message().isEmpty());
            EXPECT_FALSE(e->userMessage().isEmpty());
        } else {
            // What was read writes back as exactly the bytes it came from.
            const QByteArray again = route::encodeFareData(std::get<route::FareData>(r));
            EXPECT_EQ(again, bytes.left(again.size()));
            ++decoded;
        }
    }
    EXPECT_GT(decoded, 0);
}

TEST(FareDataFile, FilesOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("12.hy3"));
    auto readError = [](const QString& file) { return expect<FareDataError>(route::readFareDataFile(file)); };
    EXPECT_EQ(readError(path).Problem, Kind::FileMissing);
    EXPECT_EQ(readError(path).userMessage(), QStringLiteral("指定した系統のデータがありません..."));

    route::FareData d;
    d.Rows.push_back(route::FareRecord::fromFareRow({QStringLiteral("市役所前"), 3, {}}));
    d.Rows.push_back(route::FareRecord{"\xFF", -1, {}});
    ASSERT_FALSE(route::writeFareDataFile(path, d).has_value());
    EXPECT_EQ(expect<route::FareData>(route::readFareDataFile(path)), d);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left behind

    route::FareData tooMany;
    tooMany.Rows.resize(302);
    EXPECT_TRUE(route::writeFareDataFile(path, tooMany).has_value());
    EXPECT_EQ(expect<route::FareData>(route::readFareDataFile(path)), d); // old file untouched

    const QString zero = dir.filePath(QStringLiteral("0.hy3"));
    testing_files::writeFile(zero, QByteArray(2, '\0'));
    EXPECT_EQ(readError(zero).userMessage(), QStringLiteral("指定した系統はデータの数が0(未登録)の可能性があります..."));
}
