#pragma once
// Facts about the simulated device that several parts of the program share:
// how many fare cells it has, its factory colours, the size of its face.

#include "platform/Color.h"

namespace device {

// Fare cells, one per numbered ticket 1..84, in 7 rows of 12.
inline constexpr int kFareCellCount = 84;
inline constexpr int kGridColumns = 12;
inline constexpr int kGridRows = 7;

// Rows of a route's fare table: stops 1..301.
inline constexpr int kMaxFareRows = 301;

// The keypad page's route display holds up to 5 digits, its section display
// up to 3.
inline constexpr int kRouteDigits = 5;
inline constexpr int kSectionDigits = 3;

// The colour chooser's table of custom colours kept in the settings.
inline constexpr int kCustomColorCount = 17;

// Factory colours of a digit cell: its window, its unlit segments, its lit
// segments.
inline constexpr platform::Color kDigitBackColor = 0x808080;
inline constexpr platform::Color kDigitBaseColor = 0x969696;
inline constexpr platform::Color kDigitLitColor = 0x72D2F8;

// The face of the fare display, and so the built-in panel picture, in pixels
// (12090 x 4605 twips).
inline constexpr int kFaceWidth = 806;
inline constexpr int kFaceHeight = 307;

} // namespace device
