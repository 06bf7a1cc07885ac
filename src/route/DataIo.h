#pragma once
// The fare table store: the only way rows get into mdlOrv_000's fare table.
// Route setting clears the table and then stores every field of every row of
// the route's fare data file, one call per field.

#include "route/FareDataFile.h"

#include <QVariant>
#include <stdexcept>

namespace DataIo {

// A row or column outside the table. Route setting shows what() to the user.
class RangeError : public std::out_of_range {
public:
    RangeError(int row, int column, const std::string& what) : std::out_of_range(what), row_(row), column_(column) {}
    int row() const { return row_; }
    int column() const { return column_; }

private:
    int row_;
    int column_;
};

// row 1..301, column 1..152: column 1 is the stop name, 2 the ticket number,
// 3..152 the fare columns 1..150. A value for a numeric column must be a whole
// number that fits in 16 bits; anything else is refused with RangeError and
// the table is left as it was.
void SetTableData(int row, int column, const QVariant& value);
// The same for a number or a text already in hand (route setting stores some
// 45,000 fields, so these skip the QVariant).
void SetTableData(int row, int column, int value);
void SetTableData(int row, int column, const QString& value);

// Every row back to an empty name and zeros.
void ClearTableData();

// Route setting's fill: clears the table, then stores rows 1..N in file order.
// A row beyond the table raises RangeError with the rows before it stored.
void StoreFareData(const route::FareData& data);

} // namespace DataIo
