#include "display/Form1Layout.h"

#include "platform/Twips.h"

namespace display {

namespace {
constexpr std::array<int, kGridColumns> kCellLeft = {1425, 2295, 3150, 4020, 4890, 5745,
                                                     6615, 7485, 8340, 9195, 10065, 10935};
constexpr std::array<int, kGridColumns> kLabelLeft = {1425, 2295, 3150, 4020, 4875, 5745,
                                                      6600, 7470, 8325, 9195, 10065, 10950};
constexpr std::array<int, kGridRows> kCellTop = {600, 1170, 1725, 2265, 2835, 3375, 3945};
constexpr std::array<int, kGridRows> kLabelTop = {375, 945, 1500, 2040, 2610, 3165, 3720};

constexpr int column(int k) { return (k - 1) % kGridColumns; }
constexpr int row(int k) { return (k - 1) / kGridColumns; }
constexpr bool valid(int k) { return k >= 1 && k <= kFareCellCount; }
} // namespace

QRect fareCellRect(int k) {
    if (!valid(k)) return {};
    return platform::twipsRect(kCellLeft[size_t(column(k))], kCellTop[size_t(row(k))], 780, 300);
}

QRect ticketLabelRect(int k) {
    if (!valid(k)) return {};
    return platform::twipsRect(kLabelLeft[size_t(column(k))], kLabelTop[size_t(row(k))], 780, 240);
}

QRect stopNameRect() { return platform::twipsRect(480, 885, 525, 2880); }
QRect hiddenCellRect() { return platform::twipsRect(2100, 30, 780, 300); }
QRect hiddenLabelRect() { return platform::twipsRect(1185, 45, 780, 240); }
QRect clockCellRect(int i) { return platform::twipsRect(i == 0 ? 5445 : 5850, 30, 390, 300); }

} // namespace display
