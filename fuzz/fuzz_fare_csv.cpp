// Any bytes as a fare CSV: rows or a reason; rows written as CSV read back to
// the same fare data.
#include "tools/FareCsv.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto result = faretool::fareDataFromCsv(bytes);
    if (auto* e = std::get_if<faretool::CsvError>(&result)) {
        if (e->message().isEmpty()) std::abort();
        return 0;
    }
    const auto& fare = std::get<route::FareData>(result);
    auto again = faretool::fareDataFromCsv(faretool::fareDataToCsv(fare));
    if (!std::holds_alternative<route::FareData>(again) || std::get<route::FareData>(again) != fare) std::abort();
    return 0;
}
