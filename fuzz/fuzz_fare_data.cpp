// Any bytes as a fare data file: the reader must either give rows that write
// back as the very bytes they came from, or say what is wrong.
#include "route/FareDataFile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto result = route::decodeFareData(bytes);
    if (auto* e = std::get_if<route::FareDataError>(&result)) {
        if (e->message().isEmpty() || e->userMessage().isEmpty()) std::abort();
        return 0;
    }
    const auto& rows = std::get<route::FareData>(result).Rows;
    if (rows.empty() || rows.size() > size_t(route::kMaxFareRows)) std::abort();
    const QByteArray again = route::encodeFareData(std::get<route::FareData>(result));
    if (size_t(again.size()) > size || std::memcmp(again.constData(), data, size_t(again.size())) != 0) std::abort();
    for (const auto& r : rows) (void)r.toFareRow();
    return 0;
}
