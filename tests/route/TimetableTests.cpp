// The timetable file and the names of a route's files.
#include "route/RouteFiles.h"
#include "route/Timetable.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Results.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using route::Timetable;
using route::TimetableError;
using testing_results::expect;
using Kind = route::TimetableError::Kind;

namespace {
constexpr int at(int h, int m, int s) { return h * 3600 + m * 60 + s; }
TimetableError errorOf(const QByteArray& bytes, std::optional<int> fareRows = std::nullopt) {
    return expect<TimetableError>(route::decodeTimetable(bytes, fareRows));
}
} // namespace

TEST(RouteFiles, NamesKindsAndNeighbours) {
    EXPECT_EQ(route::routeFileName(route::RouteFile::FareData, QStringLiteral("12")), QStringLiteral("12.hy3"));
    EXPECT_EQ(route::routeFileName(route::RouteFile::Broadcast, QStringLiteral("12")), QStringLiteral("12tp.csv"));
    EXPECT_EQ(route::routeFileName(route::RouteFile::Timetable, QStringLiteral("12")), QStringLiteral("12tt.csv"));
    EXPECT_EQ(route::routeFileKind(u"C:/bus/12TP.CSV"), route::RouteFile::Broadcast);
    EXPECT_EQ(route::routeFileKind(u"route7.csv"), std::nullopt);
    EXPECT_EQ(route::routeFileBeside(QStringLiteral("a/12TT.csv"), route::RouteFile::FareData), QStringLiteral("a/12.hy3"));
    EXPECT_EQ(route::routeFileBeside(QStringLiteral("a/ann.csv"), route::RouteFile::FareData), std::nullopt);
}

TEST(Timetable, ReadsWhatAPersonWritesAndWritesItPlainly) {
    // A byte order mark, CR LF, spaces, a blank line, a one-digit hour, past midnight.
    const QByteArray file = "\xEF\xBB\xBF Row , ARRIVE,depart\r\n"
                            "1,,23:58:00\r\n"
                            "\r\n"
                            " 2 , 23:59:30 , 24:00:00\r\n"
                            "3,24:01:10,\r\n";
    const Timetable t = expect<Timetable>(route::decodeTimetable(file, 3));
    const Timetable want{{{std::nullopt, at(23, 58, 0)}, {at(23, 59, 30), at(24, 0, 0)}, {at(24, 1, 10), std::nullopt}}};
    EXPECT_EQ(t, want);
    const QByteArray plain = route::encodeTimetable(t);
    EXPECT_EQ(plain, "row,arrive,depart\r\n1,,23:58:00\r\n2,23:59:30,24:00:00\r\n3,24:01:10,\r\n");
    EXPECT_EQ(expect<Timetable>(route::decodeTimetable(plain)), t);
    EXPECT_EQ(route::parseServiceTime(u"7:05:09"), at(7, 5, 9));
    EXPECT_EQ(route::serviceTimeText(at(99, 59, 59)), QStringLiteral("99:59:59"));
}

TEST(Timetable, RefusalsNameTheLine) {
    const QByteArray head = "row,arrive,depart\n";
    const struct {
        QByteArray bytes;
        std::optional<int> fareRows;
        Kind problem;
        int line;
    } cases[] = {
        {"", {}, Kind::NoHeader, 0},
        {"\n\nrow,arrive\n1,,08:00:00\n", {}, Kind::BadHeader, 3},
        {head + "1,,08:00:00\n2,08:01:00\n", {}, Kind::FieldCount, 3},
        {head + "1,,08:00:00,note\n", {}, Kind::FieldCount, 2},
        {head + "one,,08:00:00\n", {}, Kind::BadRow, 2},
        {head + "-1,,08:00:00\n", {}, Kind::BadRow, 2},
        {head + "0,,08:00:00\n", {}, Kind::RowOutOfRange, 2},
        {head + "1,,08:00:00\n2,08:01:00,\n3,08:02:00,\n", 2, Kind::RowOutOfRange, 4},
        {head + "1,,08:00:00\n2,08:01:00,08:01:10\n2,08:02:00,\n", {}, Kind::DuplicateRow, 4},
        {head + "1,,08:00:00\n3,08:02:00,\n", {}, Kind::RowMissing, 3},
        {head + "1,,8:00\n2,08:01:00,\n", {}, Kind::BadTime, 2},
        {head + "1,,08:00:00\n2,08:60:00,\n", {}, Kind::BadTime, 3},
        {head + "1,,08:00:00\n2,100:00:00,\n", {}, Kind::BadTime, 3},
        {head + "1,,08:00:00\n2,０８:01:00,\n", {}, Kind::BadTime, 3},
        {head + "1,,08:00:00\n2,07:59:59,08:01:00\n3,08:02:00,\n", {}, Kind::TimeGoesBack, 3},
        {head + "1,,08:00:00\n2,08:01:00,08:00:30\n3,08:02:00,\n", {}, Kind::TimeGoesBack, 3},
        {head + "1,,08:00:00\n2,08:01:00,\n3,08:02:00,\n", {}, Kind::TimeMissing, 3},
        {head + "1,,08:00:00\n2,,\n", {}, Kind::NoTime, 3},
        {head + "1,,08:00:00\n", {}, Kind::TooFewRows, 2},
        {head + "1,,08:00:00\n2,08:01:00,\n", 3, Kind::TooFewRows, 3},
        {head + QByteArray(route::kMaxTimetableBytes, ' '), {}, Kind::TooLarge, 0},
    };
    for (const auto& c : cases) {
        const TimetableError e = errorOf(c.bytes, c.fareRows);
        EXPECT_EQ(e.Problem, c.problem) << c.bytes.left(80).toStdString() << " -> " << e.message().toStdString();
        EXPECT_EQ(e.Line, c.line) << c.bytes.left(80).toStdString();
    }
    EXPECT_EQ(errorOf(head + "1,,08:00:00\n2,08:01:00,08:00:30\n3,08:02:00,\n").message(),
              QStringLiteral("timetable: line 3: row 2: the departure 08:00:30 is earlier than 08:01:00 before it"));
    EXPECT_EQ(errorOf(head + "1,,08:00:00\n2,08:01:00,\n", 20).message(),
              QStringLiteral("timetable: line 3: the timetable ends at row 2; the fare data has 20 stops"));
    EXPECT_EQ(errorOf(head + "1,,08:00:00\n2,08:01:00,08:01:10\n2,08:02:00,\n").message(),
              QStringLiteral("timetable: line 4: row 2 again (first on line 3)"));
}

TEST(Timetable, FilesThatAreNotThereOrNotTimetables) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("5tt.csv"));
    const auto missing = expect<TimetableError>(route::readTimetableFile(path));
    EXPECT_EQ(missing.Problem, Kind::FileMissing);
    EXPECT_EQ(missing.message(), path + QStringLiteral(": no timetable"));
    testing_files::writeFile(path, QByteArray(route::kMaxTimetableBytes + 1, '\n'));
    EXPECT_EQ(expect<TimetableError>(route::readTimetableFile(path)).Problem, Kind::TooLarge);

    // Times that break the rules are not written; the file there stays.
    const Timetable backwards{{{std::nullopt, at(8, 0, 0)}, {at(7, 0, 0), std::nullopt}}};
    ASSERT_TRUE(route::writeTimetableFile(path, backwards).has_value());
    EXPECT_EQ(testing_files::readFile(path).size(), route::kMaxTimetableBytes + 1);
    const Timetable good{{{std::nullopt, at(8, 0, 0)}, {at(8, 2, 0), std::nullopt}}};
    ASSERT_EQ(route::writeTimetableFile(path, good), std::nullopt);
    EXPECT_EQ(expect<Timetable>(route::readTimetableFile(path, 2)), good);
}
