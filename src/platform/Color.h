#pragma once
// Colours as the device keeps them: 32-bit values 0x00BBGGRR, red in the low
// byte. The settings file stores them in this form and the display components
// take them in this form; only the drawing turns them into Qt's colours
// (platform_ui/QtColor.h).

#include <cstdint>

namespace platform {

using Color = std::int32_t;

constexpr Color rgbColor(int red, int green, int blue) {
    return Color(std::uint32_t(red & 0xFF) | (std::uint32_t(green & 0xFF) << 8) | (std::uint32_t(blue & 0xFF) << 16));
}
constexpr int redOf(Color c) { return int(std::uint32_t(c) & 0xFF); }
constexpr int greenOf(Color c) { return int((std::uint32_t(c) >> 8) & 0xFF); }
constexpr int blueOf(Color c) { return int((std::uint32_t(c) >> 16) & 0xFF); }

} // namespace platform
