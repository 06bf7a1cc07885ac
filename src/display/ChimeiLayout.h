#pragma once
// The rules of the stop-name strip that need no window: how a name is cut
// into character units, where each unit goes on the canvas, which signs are
// turned or moved for vertical writing, and which typeface draws a unit.
//
// A name is handled as its code page 932 bytes, two bytes to a unit: a
// full-width character is one unit, two half-width characters share one.

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <vector>

namespace display::chimei {

inline constexpr int kStripHeight = 192; // the visible strip and the shortest canvas
inline constexpr int kUnitHeight = 32;   // 16 dots at a pitch of 2 pixels
inline constexpr int kUnitLeft = 2;      // left edge of every unit on the canvas
inline constexpr int kMaxStandingUnits = 6;
// Longest name drawn, in units (a canvas of 131,072 pixels). Text beyond it
// is no stop name; it is left off rather than exhausting memory.
inline constexpr int kMaxUnits = 4096;

struct PlacedUnit {
    QByteArray bytes; // one or two CP932 bytes
    int top = 0;      // canvas row of the unit's first dot
};

struct NameLayout {
    int unitCount = 0;    // character units (the last one may hold one byte)
    int firstTop = 0;     // y0
    int pitch = 0;        // p
    int canvasHeight = kStripHeight;
    bool scrolls = false; // more than six units: the name runs through the strip
    std::vector<PlacedUnit> units;
};

// Cuts the CP932 bytes of a name into units and places them. Names of up to
// six units are spread over the strip by a fixed table (`mode` 2 sets a
// two-unit name closer together); longer ones are stacked at 32-pixel pitch
// on a canvas as tall as the name.
//
// The bytes are paired without regard to character boundaries. An odd byte
// count leaves a last unit holding one byte; it is counted as a unit of its
// own so that it gets a place of its own and is not drawn over another or
// cut off below the canvas. A name of one single byte is placed as a name of
// no units: at the top of the strip.
NameLayout layoutName(const QByteArray& cp932Name, std::int16_t mode);

enum class Typeface { Gothic, Mincho };

// How one unit is printed into the glyph box.
struct GlyphPlan {
    QString text;          // what is printed
    QPoint offset;         // print position in the 16 x 16 glyph box
    bool turned = false;   // mirrored across the main diagonal for vertical writing
    bool stroke = false;   // the long-vowel mark, printed as the vertical stroke "丨"
    Typeface typeface = Typeface::Gothic;
};

// The long-vowel mark is replaced before anything else is decided, so the
// stroke takes the typeface a kanji would.
GlyphPlan planGlyph(const QByteArray& unit, std::int16_t fontMode);

// The Shift-JIS code of the unit's first character as a signed 16-bit value:
// a double-byte code 0xHHLL is the value 0xHHLL (negative), a one-byte
// character its byte; 0 for an empty unit.
std::int16_t characterCode(const QByteArray& unit);

// Everything from the first level-1 kanji (0x889F) up counts, and so does
// every one-byte character, since the comparison is signed.
bool countsAsKanji(std::int16_t code);
// "０" .. "ｚ" (0x824F .. 0x829A); one-byte letters and digits do not count.
bool isFullWidthLetterOrDigit(std::int16_t code);

Typeface typefaceFor(std::int16_t fontMode, std::int16_t code);

// The 26 signs drawn turned.
const std::vector<QString>& turnedSigns();

} // namespace display::chimei
