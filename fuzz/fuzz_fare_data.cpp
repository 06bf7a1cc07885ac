// Any bytes as a fare data file: the reader must either give rows that write
// back as the very bytes they came from, or say what is wrong.
#include "FareDataFile.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto result = app::decodeFareData(bytes);
    if (auto* e = std::get_if<app::FareDataError>(&result)) {
        if (e->message().isEmpty() || e->userMessage().isEmpty()) std::abort();
        return 0;
    }
    const auto& rows = std::get<app::FareData>(result).Rows;
    if (rows.empty() || rows.size() > size_t(app::kMaxFareRows)) std::abort();
    const QByteArray again = app::encodeFareData(std::get<app::FareData>(result));
    if (size_t(again.size()) > size || std::memcmp(again.constData(), data, size_t(again.size())) != 0) std::abort();
    for (const auto& r : rows) (void)r.toFareRow();
    return 0;
}
