#pragma once
// The fare data file (*.hy3): one route's fares, one row per stop.
//
// Layout, all integers little-endian, nothing but the count before the rows:
//   int16 row count N
//   N times: uint16 name length L, L bytes of CP932 stop name,
//            int16 ticket number, 150 x int16 columns
// A row is 304 + L bytes. Bytes after row N are not looked at.
//
// The codec keeps the stop name as the file's own bytes so that a file read
// and written again comes out byte for byte the same, even when a name holds
// bytes that are not valid CP932 or that decode to a character with two codes
// (the NEC-selected IBM rows). The fare table gets the decoded text.

#include "route/FareTable.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace route {

inline constexpr int kFareRowFixedBytes = 2 + 2 + 2 * kFareColumns; // 304: all of a row but the name
// The most of a file its rows can reach: 301 rows with the longest names. A
// larger file is read no further (bytes after the rows are not looked at).
inline constexpr qint64 kLargestFareDataFile = 2 + qint64(kMaxFareRows) * (kFareRowFixedBytes + 65535);

// One stop as it stands in the file.
struct FareRecord {
    QByteArray NameBytes; // CP932, exactly as in the file
    std::int16_t TicketNo = 0;
    std::array<std::int16_t, kFareColumns> Cols{};

    bool operator==(const FareRecord&) const = default;
    // The row as the fare table holds it: the name decoded from CP932 (a byte
    // that is not valid CP932 shows as U+FFFD).
    FareRow toFareRow() const;
    static FareRecord fromFareRow(const FareRow& row); // name encoded to CP932
};

struct FareData {
    std::vector<FareRecord> Rows; // row 1 at index 0
    bool operator==(const FareData&) const = default;
};

// What is wrong with a fare data file, and where.
struct FareDataError {
    enum class Kind {
        FileMissing,       // no such file
        FileUnreadable,    // a folder, a pipe or a device, or a file that cannot be opened or read
        NoRowCount,        // fewer than the 2 bytes of the row count
        NoRows,            // row count 0: the route is not registered
        NegativeRowCount,  // row count below 0
        TooManyRows,       // more rows than the fare table's 301
        RowCutOff,         // the file ends inside row `Row` (name length, ticket number or columns)
        NameRunsPastEnd,   // row `Row`'s name length reaches beyond the end of the file
    };
    Kind Problem = Kind::FileUnreadable;
    int Row = 0;             // 1-based row concerned, 0 when none
    std::int64_t Offset = 0; // byte offset where the problem starts
    std::int64_t FileSize = 0;
    int RowCount = 0;        // the count the file announces
    int NameLength = 0;      // for NameRunsPastEnd
    QString Path;            // empty when decoding bytes in memory
    QString Reason;          // for FileUnreadable: what the file is instead ("is a folder")

    // One line in English, for the command-line tool and logs.
    QString message() const;
    // The text the program shows in its message box.
    QString userMessage() const;
};

// Either the rows or what is wrong. Never throws, never reads out of bounds.
using FareDataResult = std::variant<FareData, FareDataError>;

FareDataResult decodeFareData(std::string_view bytes);
inline FareDataResult decodeFareData(const QByteArray& bytes) {
    return decodeFareData(std::string_view(bytes.constData(), size_t(bytes.size())));
}
FareDataResult readFareDataFile(const QString& path);

// The file's bytes for the rows. More than 301 rows or a name longer than
// 65535 bytes cannot be read back by the program; `encodeFareData` writes
// them anyway only when the caller has checked (see `checkWritable`).
QByteArray encodeFareData(const FareData& data);
// Why the rows cannot make a file the program reads, or nothing when they can.
std::optional<QString> checkWritable(const FareData& data);
// Writes through a temporary file beside the target and renames it, so a
// failure never leaves a half-written file. Returns an error text on failure.
std::optional<QString> writeFareDataFile(const QString& path, const FareData& data);

} // namespace route
