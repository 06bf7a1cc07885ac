#pragma once
// The fare table of the current route: one row per stop, in running order.

#include "platform/Device.h"

#include <QString>
#include <array>
#include <cstdint>

namespace route {

inline constexpr int kMaxFareRows = device::kMaxFareRows; // rows 1..301
inline constexpr int kFareColumns = 150;   // columns 1..150, one per numbered ticket
inline constexpr std::int16_t kNoFare = -1; // a ticket with no fare at this stop

struct FareRow {
    QString StopName;
    std::int16_t TicketNo = 0; // the numbered-ticket number issued at this stop
    std::array<std::int16_t, kFareColumns> Cols{}; // Cols[k - 1] is the fare for ticket k

    bool operator==(const FareRow&) const = default;
};

} // namespace route
