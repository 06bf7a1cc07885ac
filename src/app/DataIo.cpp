#include "DataIo.h"

#include "mdlOrv_000.h"

#include <limits>
#include <string>

namespace DataIo {

namespace {
constexpr int kColumnCount = 2 + app::kFareColumns; // 152

std::string rangeText(int row, int column) {
    // The same words whatever went wrong: the caller only needs to know that
    // the data did not fit the table, and where.
    return "運賃テーブルの範囲外です（行 " + std::to_string(row) + "、列 " + std::to_string(column) + "）";
}
} // namespace

void SetTableData(int row, int column, const QVariant& value) {
    if (row < 1 || row > app::kMaxFareRows || column < 1 || column > kColumnCount)
        throw RangeError(row, column, rangeText(row, column));
    app::FareRow& target = mdlOrv_000::state().FareTable[size_t(row - 1)];
    if (column == 1) {
        target.StopName = value.toString();
        return;
    }
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<std::int16_t>::min() || number > std::numeric_limits<std::int16_t>::max())
        throw RangeError(row, column,
                         "値が16ビットの範囲外です（行 " + std::to_string(row) + "、列 " + std::to_string(column) + "）");
    const auto v = static_cast<std::int16_t>(number);
    if (column == 2)
        target.TicketNo = v;
    else
        target.Cols[size_t(column - 3)] = v;
}

void ClearTableData() {
    for (app::FareRow& row : mdlOrv_000::state().FareTable) {
        row.StopName.clear();
        row.TicketNo = 0;
        row.Cols.fill(0);
    }
}

void StoreFareData(const app::FareData& data) {
    ClearTableData();
    int r = 0;
    for (const app::FareRecord& record : data.Rows) {
        ++r;
        const app::FareRow decoded = record.toFareRow();
        SetTableData(r, 1, decoded.StopName);
        SetTableData(r, 2, int(decoded.TicketNo));
        for (int c = 3; c <= kColumnCount; ++c) SetTableData(r, c, int(decoded.Cols[size_t(c - 3)]));
    }
}

} // namespace DataIo
