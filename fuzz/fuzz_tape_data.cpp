// Any bytes as a broadcast data file: entries or a reason naming a line, and
// what was read writes out and reads back the same.
#include "route/TapeData.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto result = route::decodeTapeData(std::string_view(reinterpret_cast<const char*>(data), size));
    if (auto* e = std::get_if<route::TapeDataError>(&result)) {
        if (e->message().isEmpty()) std::abort();
        if (e->Problem != route::TapeDataError::Kind::NoLines && e->Line < 1) std::abort();
        return 0;
    }
    const auto& entries = std::get<std::vector<route::TapeEntry>>(result);
    // Texts that came from CP932 encode back; a text with a line break
    // cannot be one line, and the reader never makes one.
    auto again = route::decodeTapeData(route::encodeTapeData(entries));
    if (!std::holds_alternative<std::vector<route::TapeEntry>>(again)) std::abort();
    if (std::get<std::vector<route::TapeEntry>>(again).size() != entries.size()) std::abort();
    return 0;
}
