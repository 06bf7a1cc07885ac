#pragma once
// The broadcast data file (<route>tp.csv): one announcement per line, three
// comma-separated fields, CP932 text, lines ended by CR LF (a lone LF is
// taken too):
//   text, advance flag, sound flag
// A field may be enclosed in double quotes, which are removed and which keep
// commas (and doubled quotes "") inside the text; spaces before a field are
// skipped, and spaces after an unquoted field are dropped. The flags are
// signed 16-bit whole numbers; an empty flag reads as 0.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

namespace route {

// A route's announcements are some hundreds of lines of some hundred bytes:
// tens of kilobytes. A larger file is no broadcast data; it is not read, so
// that a mistaken choice (a recording, a disk image) never fills the memory.
inline constexpr qint64 kMaxTapeDataBytes = qint64(8) << 20;

struct TapeEntry {
    QString Text;                // what the speech engine speaks
    std::int16_t AdvanceFlag = 0; // 1: the fare display moves one stop along with this announcement
    std::int16_t SoundFlag = 0;   // 1..3: pre-broadcast sound file 1..3
    bool operator==(const TapeEntry&) const = default;
};

struct TapeDataError {
    enum class Kind {
        FileMissing,
        FileUnreadable, // a folder, a pipe, a device, larger than kMaxTapeDataBytes, or unreadable
        NoLines,        // the file holds no announcement
        TooFewFields,   // line `Line` has fewer than three fields
        TooManyFields,  // line `Line` has more than three fields (an unquoted comma in the text?)
        BadFlag,        // field `Field` of line `Line` is not a 16-bit whole number
        OpenQuote,      // a quoted field of line `Line` has no closing quote
    };
    Kind Problem = Kind::FileUnreadable;
    int Line = 0;  // 1-based
    int Field = 0; // 1-based, for BadFlag
    int FieldCount = 0;
    QString Value; // the offending field's text, for BadFlag
    QString Path;
    QString Reason; // for FileUnreadable: what the file is instead ("is not a regular file")

    QString message() const;
};

using TapeDataResult = std::variant<std::vector<TapeEntry>, TapeDataError>;

// Reads the file's bytes. Never throws, never reads out of bounds.
TapeDataResult decodeTapeData(std::string_view bytes);
inline TapeDataResult decodeTapeData(const QByteArray& bytes) {
    return decodeTapeData(std::string_view(bytes.constData(), size_t(bytes.size())));
}
// Bytes already turned into text (the same rules; for UTF-8 sources).
TapeDataResult parseTapeText(const QString& text);
// The file at `path`, read only when it is a regular file of at most
// kMaxTapeDataBytes.
TapeDataResult readTapeDataFile(const QString& path);

// The file's bytes: CP932, CR LF after every line, the text quoted when it
// holds a comma, a quote or leading or trailing spaces.
QByteArray encodeTapeData(const std::vector<TapeEntry>& entries);

} // namespace route
