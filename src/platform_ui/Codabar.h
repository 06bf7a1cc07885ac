#pragma once
// NW-7 (Codabar), the barcode Japanese bus tickets carry, encoded by the Zint
// barcode library.

#include <QByteArray>
#include <vector>

namespace platform_ui {

// The symbol's modules from its first bar to its last, true for a bar: the data with its
// start and stop letters (A to D), and with `checkDigit` the modulo-16 check
// character before the stop letter. Empty when Zint refuses the data.
std::vector<bool> codabarModules(const QByteArray& data, bool checkDigit);

} // namespace platform_ui
