#pragma once
// Run-time state shared by the operation panel's procedures: where the bus is
// on which route. None of it is saved; every start begins empty.

#include "route/FareTable.h"

#include <QString>
#include <array>
#include <cstdint>

namespace mdlOrv_000 {

struct RunState {
    QString RouteText;             // route number as entered, leading zeros kept ("00012")
    std::int16_t StartSection = 0; // stop order number entered at route setting, 1..300
    std::int16_t RowCount = 0;     // rows in the current route's fare data file
    std::int16_t CurrentRow = 0;   // 0-based position of the bus; the row shown is CurrentRow + 1
    std::array<route::FareRow, route::kMaxFareRows> FareTable{}; // rows 1..301 at index 0..300
};

RunState& state();
// The rows of the route set, 1..lastRow(): its fare data's count, within the
// table. Everything that asks whether a row is on the route asks this.
int lastRow();
// Back to the state of a fresh start.
void resetState();

} // namespace mdlOrv_000
