#pragma once
// Positions in the device's layout and settings are in twips: 1/1440 inch,
// 15 to the pixel at 96 dots per inch.

#include <QPoint>
#include <QRect>
#include <cstdint>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr std::int32_t pixelsToTwips(int pixels) { return std::int32_t(pixels) * kTwipsPerPixel; }
inline QPoint twipsToPixels(std::int32_t left, std::int32_t top) { return {twipsToPixels(left), twipsToPixels(top)}; }
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace platform
