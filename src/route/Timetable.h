#pragma once
// The timetable of a route (<route>tt.csv, beside its fare data): when the
// bus arrives at and leaves each stop, so that a ride can move the display on
// its own. UTF-8 text (a byte order mark is skipped), CR LF or LF, a header
// line and then one line per stop:
//
//   row,arrive,depart
//   1,,07:30:00
//   2,07:31:40,07:31:55
//   ...
//   20,08:14:30,
//
// `row` is the fare data's row (stop order) 1, 2, 3, ... in order, one line
// for every row of the fare data. Times are H:MM:SS or HH:MM:SS since the
// midnight that starts the service day, so a bus after midnight runs at
// 24:10:00 and later (up to 99:59:59), as in GTFS. Every stop but the first
// and the last has both times; at those two either may be left empty (the
// bus starts at the first, ends at the last), not both. No time is earlier
// than the one before it in the file. Blank lines are skipped; spaces around
// a field are ignored.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace route {

// A file larger than this is no timetable: 301 stops take about 10 KiB.
inline constexpr qsizetype kMaxTimetableBytes = qsizetype(64) * 1024;
inline constexpr int kLatestServiceTime = 99 * 3600 + 59 * 60 + 59; // 99:59:59

// Seconds since the midnight that starts the service day.
struct TimetableStop {
    std::optional<int> Arrive;
    std::optional<int> Depart;
    bool operator==(const TimetableStop&) const = default;
};

struct Timetable {
    std::vector<TimetableStop> Rows; // row 1 at index 0
    bool operator==(const Timetable&) const = default;
};

// What is wrong with a timetable, and where.
struct TimetableError {
    enum class Kind {
        FileMissing,    // no timetable
        FileUnreadable, // a folder, a pipe or a device, or a file that cannot be read
        TooLarge,       // more than kMaxTimetableBytes
        NoHeader,       // nothing in the file, not even the header
        BadHeader,      // line `Line` is not "row,arrive,depart"
        FieldCount,     // a line without three fields
        BadRow,         // the row field is not a whole number
        RowOutOfRange,  // row 0, or a row beyond the fare data's (or the 301 a route holds)
        DuplicateRow,   // a row again
        RowMissing,     // row `Row` is left out: the line holds a later one
        BadTime,        // a time field is not a time
        TimeMissing,    // a stop in the middle without one of its times
        NoTime,         // the first or the last stop with neither time
        TimeGoesBack,   // a time earlier than the one before it
        TooFewRows,     // the file ends at row `Row`, before the rows there must be
    };
    Kind Problem = Kind::FileUnreadable;
    int Line = 0;        // 1-based line of the file, 0 when none
    int Row = 0;         // the stop concerned
    bool Depart = false; // its departure time is concerned (else its arrival)
    int Fields = 0;      // FieldCount: the fields found
    int Rows = 0;        // RowOutOfRange, TooFewRows: the rows there must be
    int FirstLine = 0;   // DuplicateRow: where the row came first
    int Before = 0;      // TimeGoesBack: the time before it, in seconds
    QString Value;       // BadRow, BadTime: the field as written; TimeGoesBack: the time
    QString Path;        // empty when reading bytes in memory
    QString Reason;      // FileUnreadable: what the file is instead ("is a folder")

    // One line in English, for the command-line tool.
    QString message() const;
};

using TimetableResult = std::variant<Timetable, TimetableError>;

// Reads the file's bytes. With `fareRows` the rows must be exactly
// 1..fareRows (the fare data's rows); without, 1..N for some N of 2 to 301.
// Never throws, never reads out of bounds.
TimetableResult decodeTimetable(QByteArrayView bytes, std::optional<int> fareRows = std::nullopt);
TimetableResult readTimetableFile(const QString& path, std::optional<int> fareRows = std::nullopt);

// The rules of the times, on a timetable made in memory: at least two rows,
// both times in the middle, one at least at either end, none earlier than
// the one before. The error names the row (Line stays 0).
std::optional<TimetableError> checkTimes(const Timetable& timetable);

// "H:MM:SS" or "HH:MM:SS" up to 99:59:59, as seconds; nothing otherwise.
std::optional<int> parseServiceTime(QStringView text);
// "HH:MM:SS" (two digits for the hour at least).
QString serviceTimeText(int seconds);

// The file's bytes: the header and one line per row, CR LF after each.
QByteArray encodeTimetable(const Timetable& timetable);
// Checks the times, then writes through a temporary file beside the target.
// Returns an error text on failure.
std::optional<QString> writeTimetableFile(const QString& path, const Timetable& timetable);

} // namespace route
