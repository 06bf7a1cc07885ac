#include "platform_ui/Codabar.h"

#include <memory>
#include <zint.h>

namespace platform_ui {

std::vector<bool> codabarModules(const QByteArray& data, bool checkDigit) {
    if (data.isEmpty()) return {};
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) return {};
    symbol->symbology = BARCODE_CODABAR;
    symbol->input_mode = DATA_MODE;
    symbol->option_2 = checkDigit ? 1 : 0;
    symbol->show_hrt = 0;
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) >=
        ZINT_ERROR)
        return {};
    // One row; its modules are kept eight to a byte, lowest bit first.
    std::vector<bool> modules(size_t(symbol->width));
    for (int i = 0; i < symbol->width; ++i)
        modules[size_t(i)] = ((symbol->encoded_data[0][i >> 3] >> (i & 7)) & 1) != 0;
    // From the first bar to the last: the quiet zones are the caller's.
    while (!modules.empty() && !modules.back()) modules.pop_back();
    return modules;
}

} // namespace platform_ui
