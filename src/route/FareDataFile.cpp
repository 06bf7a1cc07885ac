#include "route/FareDataFile.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/LittleEndian.h"

#include <QFileInfo>
#include <cstring>

namespace route {

namespace {

std::int16_t readInt16(const unsigned char* p) {
    return platform::readLittleEndian<std::int16_t>(reinterpret_cast<const char*>(p));
}
std::uint16_t readUInt16(const unsigned char* p) {
    return platform::readLittleEndian<std::uint16_t>(reinterpret_cast<const char*>(p));
}

FareDataError makeError(FareDataError::Kind kind, std::int64_t size) {
    FareDataError e;
    e.Problem = kind;
    e.FileSize = size;
    return e;
}

} // namespace

FareRow FareRecord::toFareRow() const {
    FareRow row;
    row.StopName = cp932::decode(NameBytes);
    row.TicketNo = TicketNo;
    row.Cols = Cols;
    return row;
}

FareRecord FareRecord::fromFareRow(const FareRow& row) {
    FareRecord r;
    r.NameBytes = cp932::encode(row.StopName);
    r.TicketNo = row.TicketNo;
    r.Cols = row.Cols;
    return r;
}

FareDataResult decodeFareData(std::string_view bytes) {
    using Kind = FareDataError::Kind;
    const auto size = static_cast<std::int64_t>(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (size < 2) return makeError(Kind::NoRowCount, size);

    const int count = readInt16(data);
    auto fail = [&](Kind kind, int row, std::int64_t offset) {
        FareDataError e = makeError(kind, size);
        e.RowCount = count;
        e.Row = row;
        e.Offset = offset;
        return e;
    };
    if (count == 0) return fail(Kind::NoRows, 0, 0);
    if (count < 0) return fail(Kind::NegativeRowCount, 0, 0);
    if (count > kMaxFareRows) return fail(Kind::TooManyRows, kMaxFareRows + 1, 0);

    FareData out;
    out.Rows.resize(size_t(count));
    std::int64_t pos = 2;
    for (int r = 1; r <= count; ++r) {
        const std::int64_t rowStart = pos;
        if (size - pos < 2) return fail(Kind::RowCutOff, r, rowStart);
        const int nameLength = readUInt16(data + pos);
        pos += 2;
        if (size - pos < nameLength) {
            FareDataError e = fail(Kind::NameRunsPastEnd, r, rowStart);
            e.NameLength = nameLength;
            return e;
        }
        FareRecord& rec = out.Rows[size_t(r - 1)];
        rec.NameBytes = QByteArray(bytes.data() + pos, nameLength);
        pos += nameLength;
        if (size - pos < 2 + 2 * kFareColumns) return fail(Kind::RowCutOff, r, rowStart);
        rec.TicketNo = readInt16(data + pos);
        pos += 2;
        for (int c = 0; c < kFareColumns; ++c) rec.Cols[size_t(c)] = readInt16(data + pos + 2 * qsizetype(c));
        pos += 2 * qsizetype(kFareColumns);
    }
    return out;
}

FareDataResult readFareDataFile(const QString& path) {
    using Kind = FareDataError::Kind;
    // Only the rows a file may hold are of interest; a huge file with a small
    // count is read no further than its rows can reach. A pipe or a device is
    // not read at all.
    auto read = platform::readRegularFileStart(path, kLargestFareDataFile);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read)) {
        FareDataError e = makeError(
            failure->kind == platform::ReadFailure::Kind::Missing ? Kind::FileMissing : Kind::FileUnreadable, 0);
        e.Path = path;
        e.Reason = failure->reason();
        return e;
    }
    FareDataResult result = decodeFareData(std::get<QByteArray>(read));
    if (auto* e = std::get_if<FareDataError>(&result)) {
        e->Path = path;
        e->FileSize = QFileInfo(path).size();
    }
    return result;
}

QByteArray encodeFareData(const FareData& data) {
    qsizetype total = 2;
    for (const FareRecord& r : data.Rows) total += kFareRowFixedBytes + r.NameBytes.size();
    QByteArray out;
    out.reserve(total);
    platform::appendLittleEndian(out, static_cast<std::int16_t>(data.Rows.size()));
    for (const FareRecord& r : data.Rows) {
        platform::appendLittleEndian(out, static_cast<std::uint16_t>(r.NameBytes.size()));
        out.append(r.NameBytes);
        platform::appendLittleEndian(out, r.TicketNo);
        for (std::int16_t v : r.Cols) platform::appendLittleEndian(out, v);
    }
    return out;
}

std::optional<QString> checkWritable(const FareData& data) {
    if (data.Rows.empty()) return QStringLiteral("there are no rows; a route needs at least one stop");
    if (data.Rows.size() > size_t(kMaxFareRows))
        return QStringLiteral("%1 rows; a route holds at most %2").arg(data.Rows.size()).arg(kMaxFareRows);
    for (size_t i = 0; i < data.Rows.size(); ++i)
        if (data.Rows[i].NameBytes.size() > 0xFFFF)
            return QStringLiteral("row %1: the stop name is %2 bytes long; at most 65535 fit")
                .arg(i + 1)
                .arg(data.Rows[i].NameBytes.size());
    return std::nullopt;
}

std::optional<QString> writeFareDataFile(const QString& path, const FareData& data) {
    if (auto why = checkWritable(data)) return why;
    if (auto failure = platform::replaceFile(path, encodeFareData(data)))
        return QStringLiteral("cannot write %1: %2").arg(path, failure->reason);
    return std::nullopt;
}

QString FareDataError::message() const {
    // One pass over each pattern: a path holding "%1" is not read as a place
    // for the next value.
    QString where = Path.isEmpty() ? QStringLiteral("fare data") : Path;
    const QString row = QString::number(Row), count = QString::number(RowCount), offset = QString::number(Offset),
                  size = QString::number(FileSize);
    switch (Problem) {
    case Kind::FileMissing:
        return where + QStringLiteral(": no such file");
    case Kind::FileUnreadable:
        return Reason.isEmpty() ? where + QStringLiteral(": cannot be opened for reading") : where + u' ' + Reason;
    case Kind::NoRowCount:
        return QStringLiteral("%1: damaged file: %2 bytes, too short to hold the 2-byte row count").arg(where, size);
    case Kind::NoRows:
        return where + QStringLiteral(": the row count is 0 (the route may not be registered)");
    case Kind::NegativeRowCount:
        return QStringLiteral("%1: damaged file: the row count at byte 0 is %2, below zero").arg(where, count);
    case Kind::TooManyRows:
        return QStringLiteral("%1: the row count at byte 0 is %2; the fare table holds at most %3 rows")
            .arg(where, count, QString::number(kMaxFareRows));
    case Kind::RowCutOff:
        return QStringLiteral("%1: damaged file: row %2 of %3, starting at byte %4, is cut off by the end of the "
                              "file at byte %5")
            .arg(where, row, count, offset, size);
    case Kind::NameRunsPastEnd:
        return QStringLiteral("%1: damaged file: row %2 of %3, at byte %4, gives a stop name of %5 bytes, which "
                              "runs past the end of the file at byte %6")
            .arg(where, row, count, offset, QString::number(NameLength), size);
    }
    return where;
}

QString FareDataError::userMessage() const {
    switch (Problem) {
    case Kind::FileMissing:
        return QStringLiteral("指定した系統のデータがありません...");
    case Kind::NoRows:
        return QStringLiteral("指定した系統はデータの数が0(未登録)の可能性があります...");
    case Kind::FileUnreadable:
        return QStringLiteral("運賃データファイルを読み込めません。\n") + Path;
    case Kind::TooManyRows:
        return QStringLiteral("運賃データの行数が多すぎます（%1行、最大%2行）。").arg(RowCount).arg(kMaxFareRows);
    case Kind::NoRowCount:
    case Kind::NegativeRowCount:
        return QStringLiteral("運賃データファイルが壊れています（行数が読めません）。");
    case Kind::RowCutOff:
        return QStringLiteral("運賃データファイルが壊れています（%1行目の途中でファイルが終わっています：%2バイト目）。")
            .arg(Row)
            .arg(Offset);
    case Kind::NameRunsPastEnd:
        return QStringLiteral("運賃データファイルが壊れています（%1行目の停留所名の長さ%2バイトがファイルの終わりを越えています：%3バイト目）。")
            .arg(Row)
            .arg(NameLength)
            .arg(Offset);
    }
    return {};
}

} // namespace route
