#pragma once
// Reading the tables of a GTFS feed (stops.txt, trips.txt, ...): UTF-8 CSV
// with a header row naming the columns.
//
// Feeds published by bus operators are untidy, so the reader is lenient
// where the meaning is still plain and strict where it is not:
// - a UTF-8 byte order mark is skipped; CR LF, LF and a lone CR end a row;
// - fields may be quoted (RFC 4180: "" is a quote, commas and line breaks
//   stay inside); a quote in the middle of an unquoted field is kept;
// - columns are found by their header name, in any order, with spaces around
//   and letter case ignored; unknown columns are ignored;
// - a row shorter than the header has empty fields for the rest, a row longer
//   than the header has its extra fields ignored, blank rows are skipped;
// - values are trimmed of spaces and tabs around them.
// Not UTF-8 (an old feed saved as Shift_JIS) and a quote never closed are
// errors naming the file and line.
//
// The reader walks the rows one at a time over the file's bytes, so a large
// stop_times.txt is never held as millions of strings.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace gtfs {

// What is wrong with a feed, and where.
struct GtfsError {
    QString File; // "stops.txt"; empty for the feed as a whole
    int Line = 0; // 1-based, 0 when it concerns the whole file
    QString What;

    // "stops.txt line 4: ..." / "stops.txt: ..." / "...".
    QString message() const;
};

// The 1-based line of the first byte that is not UTF-8, or 0 when all is.
int firstNonUtf8Line(QByteArrayView bytes);

class CsvReader {
public:
    // `bytes` must outlive the reader. Reads the header row at once; see
    // `error()`.
    CsvReader(QString fileName, QByteArrayView bytes);

    // Moves to the next data row; false at the end of the file or on an
    // error (see `error()`).
    bool next();

    // Set when the header could not be read or a row is malformed.
    const std::optional<GtfsError>& error() const { return error_; }

    const QString& fileName() const { return fileName_; }
    const QStringList& header() const { return header_; }
    // Index of the named column, or -1 when the file has no such column.
    int column(QStringView name) const;

    // The current row's line (where it starts) and its field in `column`,
    // trimmed; empty when the column is -1 or past the row's end.
    int line() const { return rowLine_; }
    QString field(int column) const;
    int fieldCount() const { return int(fieldCount_); }

    // An error at the current row, for the caller's checks.
    GtfsError errorHere(const QString& what) const { return {fileName_, rowLine_, what}; }

private:
    bool readRecord(); // into fields_; false at the end or on an error

    QString fileName_;
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    int line_ = 1;    // line of the next byte
    int rowLine_ = 0; // line of the current row
    QStringList header_;
    std::vector<QByteArray> fields_; // reused from row to row
    size_t fieldCount_ = 0;
    std::optional<GtfsError> error_;
};

} // namespace gtfs
