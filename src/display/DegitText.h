#pragma once
// What a digit cell shows for a value: the zero handling, zero fill, right-end
// blank positions and the cut to the cell's digit count. No drawing here; the
// cell draws the text this returns.

#include <QString>
#include <QVariant>

namespace display {

struct DegitFormat {
    int zeroMode = 0; // 0: 0 and "" blank; 1: 0 and "" show 0; 2: -1 shows 0, 0 blank; 3: -1, 0, "" show 0
    int fillZero = 0; // at least this many digits, padded with "0" on the left (0: no padding)
    int shift = 0;    // blank positions kept at the right end
    int keta = 4;     // digit positions of the cell
};

// True when the value is a number, or a text that reads as one (surrounding
// blanks allowed, optional sign, decimal point and exponent). The number is
// stored in *number when given.
bool degitValueIsNumeric(const QVariant& value, double* number = nullptr);

// The text the cell shows for `value`, at most `format.keta` characters, to be
// drawn right-aligned over the unlit pattern. A blank is an unlit position.
QString degitShownText(const QVariant& value, const DegitFormat& format);

} // namespace display

namespace display {

// The cells' text adjustment for the platform they run on: the Windows 95
// family (platform id 1) and version 4 systems space the positions one pixel
// apart and use the normal weight; every other platform, this one included,
// uses no extra spacing and the bold weight.
struct TextAdjustment {
    int extraSpacing = 0; // pixels between positions
    bool bold = true;
};
TextAdjustment textAdjustmentFor(int platformId, int majorVersion);
// The adjustment for the running system.
TextAdjustment currentTextAdjustment();

} // namespace display
