#pragma once
// Glyphs for the stop-name dot matrix. The strip prints one character unit in
// a 16-pixel Japanese typeface into a small white box and lights a dot for
// every pure black pixel, so the typeface must be drawn without smoothing.
//
// The device names two typefaces, "ＭＳ ゴシック" and "ＭＳ 明朝". On Windows
// they stand as named. Elsewhere they are resolved to the Shinonome 16-dot
// bitmap faces (real LED-sign style glyphs, the same dots on every machine),
// read directly from their PCF files and looked up by JIS code; characters
// the bitmap faces lack (the NEC and IBM extension rows such as "①", or JIS
// X 0212 kanji) come from the IPA outline fonts at 16 pixels, unsmoothed.

#include "display/Typefaces.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

namespace display {

// Where the glyphs of a named typeface come from on this platform.
struct TypefaceSource {
    // PCF bitmap faces, full paths; empty where the platform has none.
    QString fullWidth;     // JIS X 0208 16 x 16
    QString fullWidthBold;
    QString halfWidth;     // 8 x 16, ISO 8859-1 (letters, digits, signs)
    QString halfWidthBold;
    QString halfKana;      // 8 x 16, JIS X 0201 (half-width katakana)
    QString halfKanaBold;
    // Outline family drawn through Qt for everything the bitmap faces lack.
    QString outlineFamily;
};

// One mapping per platform from the device's typeface names to glyph
// sources. An unknown name resolves like the Gothic.
TypefaceSource resolveTypeface(const QString& typefaceName);

// Where the glyph of one character is looked for first.
struct GlyphSource {
    enum class Kind {
        Nothing, // a broken half of a double-byte code: an empty half-width cell
        Bitmap,  // the bitmap face `face`, at `code` in the face's own encoding
        Outline, // the outline family drawn through Qt
    };
    Kind kind = Kind::Outline;
    QString face;
    unsigned code = 0;
    int advance = 8; // pixels to the next character: 16 for a double-byte one
};

// The choice for one character (one code point) of a typeface's sources.
// A double-byte character is looked for in the full-width face by its JIS
// code, a half-width katakana in the kana face, a printable ASCII character
// in the half-width face; everything else, and every character of a
// typeface without bitmap faces, goes to the outline family. A bitmap face
// that turns out to lack the code leaves the character to the outline too.
GlyphSource chooseGlyphSource(const QString& ch, const TypefaceSource& source, bool bold);

class DotFont {
public:
    DotFont();
    ~DotFont();
    DotFont(const DotFont&) = delete;
    DotFont& operator=(const DotFont&) = delete;

    // Prints `text` in black into `box` (which the caller has cleared to
    // white) with the top-left of the first character cell at `topLeft`,
    // like printing at a current position: one-byte characters advance 8
    // pixels, double-byte ones 16. Pixels outside the box are clipped. A
    // replacement character (a broken half of a double-byte code) prints
    // nothing.
    void print(QImage& box, QPoint topLeft, const QString& text, const QString& typefaceName, bool bold);

    // A fresh 16 x 16 white box with `text` printed at 0, 0.
    QImage glyphBox(const QString& text, const QString& typefaceName, bool bold = false);

    // True when the bitmap face file at `path` holds a glyph for `code`.
    bool bitmapFaceHas(const QString& path, unsigned code);

    // True when the bitmap files of at least the Gothic could be opened.
    bool bitmapFacesAvailable();

private:
    struct Face;
    Face* face(const QString& path);
    bool printBitmap(QImage& box, QPoint at, Face* face, unsigned code);
    void printOutline(QImage& box, QPoint at, const QString& ch, const QString& family, bool bold, int cellWidth);

    struct Library;
    std::unique_ptr<Library> library_;
    std::map<QString, std::unique_ptr<Face>> faces_;
};

// Shift-JIS double-byte code (lead << 8 | trail) to its JIS X 0208 row and
// cell code (0x2121..0x7E7E); 0 when the bytes are no valid double-byte code.
unsigned sjisToJis(unsigned sjis);

} // namespace display
