#pragma once
// Fare data as a UTF-8 CSV a person can edit in a spreadsheet:
//
//   stop_name,ticket_no,c1,c2,...,c150
//   駅前,1,
//   市役所,2,170,
//   ...
//
// One row per stop. An empty cell, and every cell missing at the end of a
// row, is -1 (no fare). A fare (c1..c84, the columns the display shows) is -1
// or 0 and above; the columns above hold any 16-bit number (information
// digits, the advance-sound value 1..3). The tool writes -1 as an empty cell and leaves out a
// row's trailing empty cells, so a file it wrote reads back to the same bytes.
//
// Stop names are kept byte for byte. A name byte that has no character of its
// own in code page 932 (a damaged name, or one of the duplicate NEC/IBM codes
// that would come back as the other code) is written as U+FFFD followed by
// the byte in two hex digits, "\uFFFD" "8A". U+FFFD cannot occur in a name
// the program can store, so the form cannot be confused with real text.

#include "route/FareDataFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

namespace faretool {

inline constexpr QChar kRawByteMark = QChar(0xFFFD);

// The name's bytes as CSV text (see above).
QString nameToText(const QByteArray& cp932Bytes);
// Back to bytes; a character code page 932 cannot hold is an error.
std::variant<QByteArray, QString> nameFromText(const QString& text);

QByteArray fareDataToCsv(const route::FareData& data);

struct CsvError {
    int Line = 0; // 1-based line of the CSV where the row starts
    QString What;
    QString message() const;
};
std::variant<route::FareData, CsvError> fareDataFromCsv(const QByteArray& utf8);

// A parsed CSV record with the line it starts on.
struct CsvRecord {
    int Line = 0;
    QStringList Fields;
};
// RFC 4180 records: quoted fields keep commas, quotes ("") and line breaks;
// CR LF or LF ends a record; a UTF-8 byte order mark is skipped. Fails only on
// a quote left open (the line where it opened is returned).
std::variant<std::vector<CsvRecord>, CsvError> parseCsv(const QString& input);
QString csvField(const QString& text); // quoted when it has to be

} // namespace faretool
