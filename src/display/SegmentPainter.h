#pragma once
// Seven-segment lamps drawn by geometry. A digit position is drawn as a small
// translucent sprite: all seven segments in the unlit colour for the painted
// "8" pattern behind the window, or the segments of one character in the lit
// colour with the soft glow of an LED. Sprites are built once per style, size,
// colour and character and kept, so that a cell's redraw is a few blits.

#include <QImage>
#include <QPainterPath>
#include <QRgb>
#include <QSize>
#include <array>
#include <cstdint>

namespace display::segments {

// The three lamp faces a cell can have.
enum class Style {
    Slim,      // narrow segments with pointed ends
    Bevelled,  // broad segments with mitred corners, like large fare-board lamps
    Slanted,   // leaning segments with pointed ends
};

Style styleFor(int degitStyle); // 1: Bevelled, 2: Slanted, anything else: Slim

// Segment bits: a (top) = bit 0, b (top right), c (bottom right), d (bottom),
// e (bottom left), f (top left), g (middle) = bit 6.
inline constexpr std::uint8_t kAllSegments = 0x7F;

// The segments lit for a character; 0 for the blank and for characters the
// lamps cannot form.
std::uint8_t segmentsFor(QChar c);

// Outlines of the seven segments (a..g) of one digit position of the given
// pixel size. `bold` selects the full segment width; without it the segments
// are narrower.
std::array<QPainterPath, 7> segmentOutlines(Style style, QSize digit, bool bold);

// The sprite of one digit position: the segments in `mask` in colour `rgb`,
// premultiplied ARGB on a transparent ground. `lit` adds the glow and the
// bright core of a lamp that is on. The reference stays valid until the
// next call.
const QImage& sprite(Style style, QSize digit, bool bold, QRgb rgb, std::uint8_t mask, bool lit);

} // namespace display::segments
