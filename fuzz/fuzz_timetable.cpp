// Any bytes as a timetable, alone and against a fare data file of three
// rows: the stops or a reason naming a line, and what was read keeps the
// rules and writes out and reads back the same.
#include "route/Timetable.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Kind = route::TimetableError::Kind;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const std::optional<int> fareRows : {std::optional<int>(), std::optional<int>(3)}) {
        auto result = route::decodeTimetable(bytes, fareRows);
        if (auto* e = std::get_if<route::TimetableError>(&result)) {
            if (e->message().isEmpty()) std::abort();
            if (e->Problem != Kind::NoHeader && e->Problem != Kind::TooLarge && e->Line < 1) std::abort();
            continue;
        }
        const auto& timetable = std::get<route::Timetable>(result);
        if (route::checkTimes(timetable)) std::abort();
        if (fareRows && int(timetable.Rows.size()) != *fareRows) std::abort();
        const auto again = route::decodeTimetable(route::encodeTimetable(timetable), fareRows);
        if (!std::holds_alternative<route::Timetable>(again) || std::get<route::Timetable>(again) != timetable)
            std::abort();
    }
    return 0;
}
