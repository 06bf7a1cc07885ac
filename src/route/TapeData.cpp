#include "route/TapeData.h"

#include "platform/Cp932.h"
#include "platform/Files.h"

#include <optional>

namespace route {

namespace {

using Kind = TapeDataError::Kind;

TapeDataError lineError(Kind kind, int line) {
    TapeDataError e;
    e.Problem = kind;
    e.Line = line;
    return e;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Splits one line into its fields. Returns nothing when a quote is left open.
std::optional<QStringList> splitFields(QStringView line) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        while (i < n && isBlank(line[i])) ++i;
        QString field;
        if (i < n && line[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += line[i++];
            }
            if (!closed) return std::nullopt;
            // Anything between the closing quote and the next comma is kept,
            // as a careless editor may have put it there.
            const qsizetype start = i;
            while (i < n && line[i] != u',') ++i;
            field += line.sliced(start, i - start).trimmed().toString();
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != u',') ++i;
            qsizetype end = i;
            while (end > start && isBlank(line[end - 1])) --end;
            field = line.sliced(start, end - start).toString();
        }
        fields << field;
        if (i >= n) break;
        ++i; // the comma; a comma at the very end leaves one empty field after it
        if (i >= n) {
            fields << QString();
            break;
        }
    }
    return fields;
}

// A flag: optional sign and decimal digits within the 16-bit range; empty is 0.
std::optional<std::int16_t> parseFlag(const QString& field) {
    const QString t = field.trimmed();
    if (t.isEmpty()) return std::int16_t(0);
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        i = 1;
    }
    if (i >= t.size()) return std::nullopt;
    long value = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 32768) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

} // namespace

TapeDataResult parseTapeText(const QString& text) {
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView& l : lines)
        if (l.endsWith(u'\r')) l.chop(1);
    // The terminator of the last line (and any blank lines after it) ends the
    // file rather than starting another announcement.
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (lines.isEmpty()) return lineError(Kind::NoLines, 0);

    std::vector<TapeEntry> entries;
    entries.reserve(size_t(lines.size()));
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const int lineNo = int(k + 1);
        const auto fields = splitFields(lines[k]);
        if (!fields) return lineError(Kind::OpenQuote, lineNo);
        if (fields->size() != 3) {
            TapeDataError e = lineError(fields->size() < 3 ? Kind::TooFewFields : Kind::TooManyFields, lineNo);
            e.FieldCount = int(fields->size());
            return e;
        }
        TapeEntry entry;
        entry.Text = fields->at(0);
        for (int f = 2; f <= 3; ++f) {
            const auto flag = parseFlag(fields->at(f - 1));
            if (!flag) {
                TapeDataError e = lineError(Kind::BadFlag, lineNo);
                e.Field = f;
                e.Value = fields->at(f - 1);
                return e;
            }
            (f == 2 ? entry.AdvanceFlag : entry.SoundFlag) = *flag;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

TapeDataResult decodeTapeData(std::string_view bytes) {
    // Splitting after decoding is safe: no CP932 trail byte is a quote, a
    // comma, a space or a line end.
    return parseTapeText(cp932::decode(bytes));
}

TapeDataResult readTapeDataFile(const QString& path) {
    const auto read = platform::readRegularFile(path, kMaxTapeDataBytes);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read)) {
        TapeDataError e;
        e.Path = path;
        e.Problem = failure->kind == platform::ReadFailure::Kind::Missing ? Kind::FileMissing : Kind::FileUnreadable;
        e.Reason = failure->reason();
        return e;
    }
    TapeDataResult result = decodeTapeData(std::get<QByteArray>(read));
    if (auto* err = std::get_if<TapeDataError>(&result)) err->Path = path;
    return result;
}

QByteArray encodeTapeData(const std::vector<TapeEntry>& entries) {
    QByteArray out;
    for (const TapeEntry& e : entries) {
        const bool quote = e.Text.contains(u',') || e.Text.contains(u'"') || e.Text.startsWith(u' ') ||
                           e.Text.endsWith(u' ') || e.Text.startsWith(u'\t') || e.Text.endsWith(u'\t');
        QString text = e.Text;
        if (quote) text = u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
        out += cp932::encode(text);
        out += ',' + QByteArray::number(e.AdvanceFlag) + ',' + QByteArray::number(e.SoundFlag) + "\r\n";
    }
    return out;
}

QString TapeDataError::message() const {
    // One pass over each pattern: a path or a field holding "%1" is not read
    // as a place for the next value.
    QString where = Path.isEmpty() ? QStringLiteral("broadcast data") : Path;
    const QString line = QString::number(Line), fields = QString::number(FieldCount);
    switch (Problem) {
    case Kind::FileMissing:
        return where + QStringLiteral(": no such file");
    case Kind::FileUnreadable:
        return Reason.isEmpty() ? where + QStringLiteral(": cannot be opened for reading") : where + u' ' + Reason;
    case Kind::NoLines:
        return where + QStringLiteral(": the file holds no announcement");
    case Kind::TooFewFields:
        return QStringLiteral("%1: line %2 has %3 field(s); three are needed (text, advance flag, sound flag)")
            .arg(where, line, fields);
    case Kind::TooManyFields:
        return QStringLiteral("%1: line %2 has %3 fields; three are needed (put a text holding a comma in double "
                              "quotes)")
            .arg(where, line, fields);
    case Kind::BadFlag:
        return QStringLiteral("%1: line %2, field %3 (%4): \"%5\" is not a whole number from -32768 to 32767")
            .arg(where, line, QString::number(Field),
                 Field == 2 ? QStringLiteral("advance flag") : QStringLiteral("sound flag"), Value);
    case Kind::OpenQuote:
        return QStringLiteral("%1: line %2 opens a double quote that is never closed").arg(where, line);
    }
    return where;
}

} // namespace route
