#include "route/DataIo.h"

#include "route/mdlOrv_000.h"

#include <limits>
#include <string>

namespace DataIo {

namespace {
constexpr int kColumnCount = 2 + route::kFareColumns; // 152

// "<reason>（行 r、列 c）": what is wrong and where, as route setting shows it.
RangeError refusal(const char* reason, int row, int column) {
    return RangeError(row, column,
                      std::string(reason) + "（行 " + std::to_string(row) + "、列 " + std::to_string(column) + "）");
}

route::FareRow& rowFor(int row, int column) {
    if (row < 1 || row > route::kMaxFareRows || column < 1 || column > kColumnCount)
        throw refusal("運賃テーブルの範囲外です", row, column);
    return mdlOrv_000::state().FareTable[size_t(row - 1)];
}

void storeNumber(int row, int column, long long number) {
    route::FareRow& target = rowFor(row, column);
    if (column == 1) {
        target.StopName = QString::number(number);
        return;
    }
    if (number < std::numeric_limits<std::int16_t>::min() || number > std::numeric_limits<std::int16_t>::max())
        throw refusal("値が16ビットの範囲外です", row, column);
    const auto v = static_cast<std::int16_t>(number);
    if (column == 2)
        target.TicketNo = v;
    else
        target.Cols[size_t(column - 3)] = v;
}

} // namespace

void SetTableData(int row, int column, int value) { storeNumber(row, column, value); }

void SetTableData(int row, int column, const QString& value) {
    route::FareRow& target = rowFor(row, column);
    if (column == 1) {
        target.StopName = value;
        return;
    }
    bool ok = false;
    const long long number = value.trimmed().toLongLong(&ok);
    if (!ok) throw refusal("数値ではありません", row, column);
    storeNumber(row, column, number);
}

void SetTableData(int row, int column, const QVariant& value) {
    if (value.typeId() == QMetaType::QString) return SetTableData(row, column, value.toString());
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok) {
        rowFor(row, column); // a bad place is reported as such first
        if (column == 1) return SetTableData(row, column, value.toString());
        throw refusal("数値ではありません", row, column);
    }
    storeNumber(row, column, number);
}

void ClearTableData() {
    for (route::FareRow& row : mdlOrv_000::state().FareTable) {
        row.StopName.clear();
        row.TicketNo = 0;
        row.Cols.fill(0);
    }
}

void StoreFareData(const route::FareData& data) {
    ClearTableData();
    int r = 0;
    for (const route::FareRecord& record : data.Rows) {
        ++r;
        const route::FareRow decoded = record.toFareRow();
        SetTableData(r, 1, decoded.StopName);
        SetTableData(r, 2, int(decoded.TicketNo));
        for (int c = 3; c <= kColumnCount; ++c) SetTableData(r, c, int(decoded.Cols[size_t(c - 3)]));
    }
}

} // namespace DataIo
