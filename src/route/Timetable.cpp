#include "route/Timetable.h"

#include "platform/Files.h"
#include "route/FareTable.h"

#include <QList>
#include <QStringList>

namespace route {

namespace {

using Kind = TimetableError::Kind;

TimetableError problem(Kind kind, int line = 0, int row = 0) {
    TimetableError e;
    e.Problem = kind;
    e.Line = line;
    e.Row = row;
    return e;
}

// Digits only, at most `maxDigits` of them.
std::optional<int> digits(QStringView text, qsizetype minDigits, qsizetype maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

std::optional<int> parseServiceTime(QStringView text) {
    const auto parts = text.split(u':');
    if (parts.size() != 3) return std::nullopt;
    const auto hours = digits(parts[0], 1, 2);
    const auto minutes = digits(parts[1], 2, 2);
    const auto seconds = digits(parts[2], 2, 2);
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 59) return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

QString serviceTimeText(int seconds) {
    const QChar zero(u'0');
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, zero)
        .arg(seconds / 60 % 60, 2, 10, zero)
        .arg(seconds % 60, 2, 10, zero);
}

std::optional<TimetableError> checkTimes(const Timetable& timetable) {
    const int n = int(timetable.Rows.size());
    if (n < 2) {
        TimetableError e = problem(Kind::TooFewRows, 0, n);
        e.Rows = 2;
        return e;
    }
    std::optional<int> before;
    for (int r = 1; r <= n; ++r) {
        const TimetableStop& stop = timetable.Rows[size_t(r - 1)];
        const bool end = r == 1 || r == n;
        if (!stop.Arrive && !stop.Depart) return problem(end ? Kind::NoTime : Kind::TimeMissing, 0, r);
        if (!end && (!stop.Arrive || !stop.Depart)) {
            TimetableError e = problem(Kind::TimeMissing, 0, r);
            e.Depart = bool(stop.Arrive);
            return e;
        }
        for (const bool depart : {false, true}) {
            const std::optional<int>& t = depart ? stop.Depart : stop.Arrive;
            if (!t) continue;
            if (before && *t < *before) {
                TimetableError e = problem(Kind::TimeGoesBack, 0, r);
                e.Depart = depart;
                e.Value = serviceTimeText(*t);
                e.Before = *before;
                return e;
            }
            before = t;
        }
    }
    return std::nullopt;
}

TimetableResult decodeTimetable(QByteArrayView bytes, std::optional<int> fareRows) {
    if (bytes.size() > kMaxTimetableBytes) return problem(Kind::TooLarge);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    const QString text = QString::fromUtf8(bytes);
    const int rowLimit = fareRows.value_or(kMaxFareRows);

    Timetable timetable;
    std::vector<int> lineOf; // the line of each row
    bool header = false;
    int lineNo = 0;
    int lastLine = 0; // the last line with something on it
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++lineNo;
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.trimmed().isEmpty()) continue;
        const QList<QStringView> fields = line.split(u',');
        lastLine = lineNo;
        if (!header) {
            header = fields.size() == 3 && fields[0].trimmed().compare(u"row", Qt::CaseInsensitive) == 0 &&
                     fields[1].trimmed().compare(u"arrive", Qt::CaseInsensitive) == 0 &&
                     fields[2].trimmed().compare(u"depart", Qt::CaseInsensitive) == 0;
            if (!header) return problem(Kind::BadHeader, lineNo);
            continue;
        }
        if (fields.size() != 3) {
            TimetableError e = problem(Kind::FieldCount, lineNo);
            e.Fields = int(fields.size());
            return e;
        }
        const QStringView rowText = fields[0].trimmed();
        const auto row = digits(rowText, 1, 9);
        if (!row) {
            TimetableError e = problem(Kind::BadRow, lineNo);
            e.Value = rowText.toString();
            return e;
        }
        const int expected = int(timetable.Rows.size()) + 1;
        if (*row == 0 || *row > rowLimit) {
            TimetableError e = problem(Kind::RowOutOfRange, lineNo, *row);
            e.Rows = rowLimit;
            return e;
        }
        if (*row < expected) {
            TimetableError e = problem(Kind::DuplicateRow, lineNo, *row);
            e.FirstLine = lineOf[size_t(*row - 1)];
            return e;
        }
        if (*row > expected) return problem(Kind::RowMissing, lineNo, expected);
        TimetableStop stop;
        for (const bool depart : {false, true}) {
            const QStringView field = fields[depart ? 2 : 1].trimmed();
            if (field.isEmpty()) continue;
            const auto t = parseServiceTime(field);
            if (!t) {
                TimetableError e = problem(Kind::BadTime, lineNo, *row);
                e.Depart = depart;
                e.Value = field.toString();
                return e;
            }
            (depart ? stop.Depart : stop.Arrive) = *t;
        }
        timetable.Rows.push_back(stop);
        lineOf.push_back(lineNo);
    }
    if (!header) return problem(Kind::NoHeader);
    const int rows = int(timetable.Rows.size());
    if (rows < fareRows.value_or(2)) {
        TimetableError e = problem(Kind::TooFewRows, lastLine, rows);
        e.Rows = fareRows.value_or(2);
        return e;
    }
    if (auto e = checkTimes(timetable)) {
        e->Line = lineOf[size_t(e->Row - 1)];
        return *e;
    }
    return timetable;
}

TimetableResult readTimetableFile(const QString& path, std::optional<int> fareRows) {
    // Only a regular file of a timetable's size is read.
    auto read = platform::readRegularFile(path, kMaxTimetableBytes);
    TimetableResult result = problem(Kind::FileUnreadable);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read)) {
        using Failure = platform::ReadFailure::Kind;
        auto& e = std::get<TimetableError>(result);
        if (failure->kind == Failure::Missing) e.Problem = Kind::FileMissing;
        if (failure->kind == Failure::TooLarge) e.Problem = Kind::TooLarge;
        e.Reason = failure->reason();
    } else {
        result = decodeTimetable(std::get<QByteArray>(read), fareRows);
    }
    if (auto* e = std::get_if<TimetableError>(&result)) e->Path = path;
    return result;
}

QByteArray encodeTimetable(const Timetable& timetable) {
    QByteArray out = "row,arrive,depart\r\n";
    auto time = [](const std::optional<int>& t) { return t ? serviceTimeText(*t).toLatin1() : QByteArray(); };
    for (size_t r = 0; r < timetable.Rows.size(); ++r) {
        const TimetableStop& stop = timetable.Rows[r];
        out += QByteArray::number(qulonglong(r) + 1) + ',' + time(stop.Arrive) + ',' + time(stop.Depart) + "\r\n";
    }
    return out;
}

std::optional<QString> writeTimetableFile(const QString& path, const Timetable& timetable) {
    if (auto e = checkTimes(timetable)) return e->message();
    if (auto failure = platform::replaceFile(path, encodeTimetable(timetable)))
        return QStringLiteral("cannot write %1: %2").arg(path, failure->reason);
    return std::nullopt;
}

QString TimetableError::message() const {
    QString where = Path.isEmpty() ? QStringLiteral("timetable") : Path;
    const QString at = Line > 0 ? QStringLiteral("%1: line %2: ").arg(where, QString::number(Line)) : where + QStringLiteral(": ");
    const QString row = QString::number(Row);
    const QString which = Depart ? QStringLiteral("departure") : QStringLiteral("arrival");
    switch (Problem) {
    case Kind::FileMissing:
        return where + QStringLiteral(": no timetable");
    case Kind::FileUnreadable:
        return Reason.isEmpty() ? where + QStringLiteral(": not a file that can be read") : where + u' ' + Reason;
    case Kind::TooLarge:
        return QStringLiteral("%1: larger than %2 KiB, too large for a timetable")
            .arg(where, QString::number(kMaxTimetableBytes / 1024));
    case Kind::NoHeader:
        return where + QStringLiteral(": the file is empty; it needs the header row,arrive,depart");
    case Kind::BadHeader:
        return at + QStringLiteral("the first line must be the header row,arrive,depart");
    case Kind::FieldCount:
        return at + QStringLiteral("%1 field(s); a line is row,arrive,depart").arg(Fields);
    case Kind::BadRow:
        return at + QStringLiteral("\"%1\" is not a row number").arg(Value);
    case Kind::RowOutOfRange:
        if (Row == 0) return at + QStringLiteral("row 0: rows count from 1");
        return at + (Rows == kMaxFareRows
                         ? QStringLiteral("row %1: a route has at most %2 stops").arg(row, QString::number(Rows))
                         : QStringLiteral("row %1: the fare data has %2 stops").arg(row, QString::number(Rows)));
    case Kind::DuplicateRow:
        return at + QStringLiteral("row %1 again (first on line %2)").arg(row, QString::number(FirstLine));
    case Kind::RowMissing:
        return at + QStringLiteral("row %1 is missing (the rows go 1, 2, 3, ... one line each)").arg(row);
    case Kind::BadTime:
        return at + QStringLiteral("row %1: the %2 \"%3\" is not a time HH:MM:SS").arg(row, which, Value);
    case Kind::TimeMissing:
        return at + QStringLiteral("row %1 has no %2 time; only the first and the last stop may leave one out")
                        .arg(row, which);
    case Kind::NoTime:
        return at + QStringLiteral("row %1 has neither an arrival nor a departure time").arg(row);
    case Kind::TimeGoesBack:
        return at + QStringLiteral("row %1: the %2 %3 is earlier than %4 before it")
                        .arg(row, which, Value, serviceTimeText(Before));
    case Kind::TooFewRows:
        return at + (Rows == 2 && Row < 2 ? QStringLiteral("%1 row(s); a route has at least two stops").arg(row)
                                           : QStringLiteral("the timetable ends at row %1; the fare data has %2 stops")
                                                 .arg(row, QString::number(Rows)));
    }
    return where;
}

} // namespace route
