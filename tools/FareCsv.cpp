#include "tools/FareCsv.h"

#include "platform/Cp932.h"
#include "platform/Device.h"

#include <QList>
#include <limits>

namespace faretool {

namespace {

const QString kHexDigits = QStringLiteral("0123456789ABCDEF");

void appendRawByte(QString& out, unsigned char b) {
    out += kRawByteMark;
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
}

bool roundTrips(const QByteArray& bytes, const QString& text) {
    return !text.contains(kRawByteMark) && cp932::encode(text) == bytes;
}

int hexValue(QChar c) {
    const int i = kHexDigits.indexOf(c.toUpper());
    return i;
}

std::optional<std::int16_t> parseCell(const QString& cell) {
    const QString t = cell.trimmed();
    if (t.isEmpty()) return route::kNoFare;
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (!ok || v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(v);
}

} // namespace

QString nameToText(const QByteArray& bytes) {
    QString whole = cp932::decode(bytes);
    if (roundTrips(bytes, whole)) return whole;
    // Character by character: keep what comes back exactly, mark the rest.
    QString out;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        qsizetype len = cp932::charLength(lead);
        if (i + len > bytes.size()) len = 1;
        const QByteArray one = bytes.mid(i, len);
        const QString text = cp932::decode(one);
        if (roundTrips(one, text)) {
            out += text;
        } else {
            for (char b : one) appendRawByte(out, static_cast<unsigned char>(b));
        }
        i += len;
    }
    return out;
}

std::variant<QByteArray, QString> nameFromText(const QString& text) {
    QByteArray out;
    QString run; // plain text waiting to be encoded
    auto flush = [&]() -> std::optional<QString> {
        if (run.isEmpty()) return std::nullopt;
        if (!cp932::canEncode(run)) {
            for (qsizetype k = 0; k < run.size(); ++k) {
                const qsizetype units = run[k].isHighSurrogate() && k + 1 < run.size() ? 2 : 1;
                const QString ch = run.mid(k, units);
                if (!cp932::canEncode(ch))
                    return QStringLiteral("the character \"%1\" (U+%2) has no code in code page 932")
                        .arg(ch, QString::number(ch.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
                k += units - 1;
            }
        }
        out += cp932::encode(run);
        run.clear();
        return std::nullopt;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != kRawByteMark) {
            run += text[i];
            continue;
        }
        const int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0)
            return QStringLiteral("U+FFFD at character %1 must be followed by two hex digits (a raw byte)").arg(i + 1);
        if (auto err = flush()) return *err;
        out += char(hi * 16 + lo);
        i += 2;
    }
    if (auto err = flush()) return *err;
    return out;
}

QString csvField(const QString& text) {
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r') ||
                       text.startsWith(u' ') || text.endsWith(u' ');
    if (!quote) return text;
    QString t = text;
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

QByteArray fareDataToCsv(const route::FareData& data) {
    QString out = QStringLiteral("stop_name,ticket_no");
    for (int c = 1; c <= route::kFareColumns; ++c) out += QStringLiteral(",c%1").arg(c);
    out += u'\n';
    for (const route::FareRecord& r : data.Rows) {
        out += csvField(nameToText(r.NameBytes));
        out += u',';
        out += QString::number(r.TicketNo);
        int last = route::kFareColumns;
        while (last > 0 && r.Cols[size_t(last - 1)] == route::kNoFare) --last;
        for (int c = 1; c <= last; ++c) {
            out += u',';
            const std::int16_t v = r.Cols[size_t(c - 1)];
            if (v != route::kNoFare) out += QString::number(v);
        }
        out += u'\n';
    }
    return out.toUtf8();
}

QString CsvError::message() const {
    return Line > 0 ? QStringLiteral("line %1: %2").arg(QString::number(Line), What) : What;
}

std::variant<std::vector<CsvRecord>, CsvError> parseCsv(const QString& input) {
    QStringView text(input);
    if (text.startsWith(QChar(0xFEFF))) text = text.sliced(1);
    std::vector<CsvRecord> records;
    CsvRecord current;
    QString field;
    int line = 1;
    current.Line = 1;
    bool inQuotes = false;
    bool fieldQuoted = false;
    int quoteLine = 0;
    bool any = false; // anything on the current record yet
    auto endField = [&] {
        current.Fields << field;
        field.clear();
        fieldQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(current));
        current = CsvRecord{};
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == u'\n') ++line;
                field += c;
            }
            continue;
        }
        if (!any) {
            current.Line = line;
            any = true;
        }
        if (c == u'"' && field.trimmed().isEmpty() && !fieldQuoted) {
            field.clear();
            inQuotes = true;
            fieldQuoted = true;
            quoteLine = line;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            // CR LF: the LF ends the record
        } else if (c == u'\n') {
            endRecord();
            ++line;
        } else {
            field += c;
        }
    }
    if (inQuotes) return CsvError{quoteLine, QStringLiteral("a double quote opened here is never closed")};
    if (any) endRecord();
    return records;
}

std::variant<route::FareData, CsvError> fareDataFromCsv(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    if (text.contains(QChar(0xFFFD)) && !utf8.contains("\xEF\xBF\xBD"))
        return CsvError{0, QStringLiteral("the file is not UTF-8 text (save it as UTF-8)")};
    auto parsed = parseCsv(text);
    if (auto* e = std::get_if<CsvError>(&parsed)) return *e;
    auto& records = std::get<std::vector<CsvRecord>>(parsed);

    // Lines with nothing on them are skipped wherever they are.
    std::erase_if(records, [](const CsvRecord& r) { return r.Fields.size() == 1 && r.Fields[0].isEmpty(); });
    if (records.empty()) return CsvError{0, QStringLiteral("the file is empty; it needs the header row and one row per stop")};

    const CsvRecord& header = records.front();
    if (header.Fields.size() < 2 || header.Fields[0].trimmed().compare(u"stop_name", Qt::CaseInsensitive) != 0 ||
        header.Fields[1].trimmed().compare(u"ticket_no", Qt::CaseInsensitive) != 0)
        return CsvError{header.Line, QStringLiteral("the first row must be the header stop_name,ticket_no,c1,...,c150")};

    route::FareData data;
    for (size_t i = 1; i < records.size(); ++i) {
        const CsvRecord& rec = records[i];
        const int row = int(i);
        auto fail = [&](const QString& what) { return CsvError{rec.Line, QStringLiteral("stop %1: %2").arg(row).arg(what)}; };
        if (row > route::kMaxFareRows)
            return CsvError{rec.Line, QStringLiteral("stop %1: a route holds at most %2 stops").arg(row).arg(route::kMaxFareRows)};
        if (rec.Fields.size() < 2) return fail(QStringLiteral("the ticket number is missing"));
        int last = int(rec.Fields.size());
        while (last > 2 + route::kFareColumns && rec.Fields[last - 1].trimmed().isEmpty()) --last;
        if (last > 2 + route::kFareColumns)
            return fail(QStringLiteral("%1 fare columns; there are only c1..c%2").arg(last - 2).arg(route::kFareColumns));

        route::FareRecord r;
        auto name = nameFromText(rec.Fields[0]);
        if (auto* why = std::get_if<QString>(&name)) return fail(QStringLiteral("stop name: %1").arg(*why));
        r.NameBytes = std::get<QByteArray>(name);
        if (r.NameBytes.size() > 0xFFFF) return fail(QStringLiteral("the stop name is longer than 65535 bytes"));

        const QString ticket = rec.Fields[1].trimmed();
        bool ok = false;
        const int t = ticket.toInt(&ok);
        if (!ok || t < std::numeric_limits<std::int16_t>::min() || t > std::numeric_limits<std::int16_t>::max())
            return fail(QStringLiteral("ticket_no \"%1\" is not a whole number from -32768 to 32767").arg(ticket));
        r.TicketNo = static_cast<std::int16_t>(t);

        r.Cols.fill(route::kNoFare);
        for (int c = 1; c <= last - 2; ++c) {
            const auto v = parseCell(rec.Fields[c + 1]);
            if (!v)
                return fail(QStringLiteral("c%1 \"%2\" is not a whole number from -32768 to 32767 (leave the cell empty for no fare)")
                                .arg(c)
                                .arg(rec.Fields[c + 1].trimmed()));
            // The fare columns hold a fare or "none"; the columns above them
            // hold other numbers (information digits, advance sounds).
            if (c <= device::kFareCellCount && *v < route::kNoFare)
                return fail(QStringLiteral("c%1 \"%2\" is not a fare: a fare is -1 (no fare; or leave the cell empty) or 0 "
                                           "and above")
                                .arg(QString::number(c), rec.Fields[c + 1].trimmed()));
            r.Cols[size_t(c - 1)] = *v;
        }
        data.Rows.push_back(std::move(r));
    }
    if (data.Rows.empty()) return CsvError{0, QStringLiteral("there are no stops below the header row")};
    return data;
}

} // namespace faretool
