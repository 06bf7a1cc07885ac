#include "display/DotFont.h"

#include "platform/Cp932.h"
#include "display/Typefaces.h"

#include <QFont>
#include <QPainter>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

namespace display {

// ---- typeface names to glyph sources ------------------------------------------

#ifdef Q_OS_WIN
TypefaceSource resolveTypeface(const QString& typefaceName) {
    // The system's own Japanese fonts are drawn by name; Windows renders them
    // from their embedded 16-pixel bitmaps when smoothing is off.
    TypefaceSource s;
    s.outlineFamily = typefaceFamily(typefaceName.isEmpty() ? kGothicTypeface : typefaceName);
    return s;
}
#else
TypefaceSource resolveTypeface(const QString& typefaceName) {
    const QString dir = QStringLiteral("/usr/share/fonts/X11/misc/");
    TypefaceSource s;
    if (typefaceName == kMinchoTypeface) {
        s.fullWidth = dir + QStringLiteral("shnmk16min.pcf.gz");
        s.fullWidthBold = dir + QStringLiteral("shnmk16minb.pcf.gz");
        // Shinonome has no half-width Mincho: those come from the outline face.
        s.outlineFamily = typefaceFamily(kMinchoTypeface);
    } else {
        s.fullWidth = dir + QStringLiteral("shnmk16.pcf.gz");
        s.fullWidthBold = dir + QStringLiteral("shnmk16b.pcf.gz");
        s.halfWidth = dir + QStringLiteral("shnm8x16a.pcf.gz");
        s.halfWidthBold = dir + QStringLiteral("shnm8x16ab.pcf.gz");
        s.halfKana = dir + QStringLiteral("shnm8x16r.pcf.gz");
        s.halfKanaBold = dir + QStringLiteral("shnm8x16rb.pcf.gz");
        s.outlineFamily = typefaceFamily(kGothicTypeface);
    }
    return s;
}
#endif

unsigned sjisToJis(unsigned sjis) {
    unsigned lead = (sjis >> 8) & 0xFF;
    const unsigned trail = sjis & 0xFF;
    const bool leadOk = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
    if (!leadOk || trail < 0x40 || trail > 0xFC || trail == 0x7F) return 0;
    if (lead >= 0xE0) lead -= 0x40;
    unsigned row = (lead - 0x81) * 2 + 0x21;
    unsigned cell;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x7E;
    } else {
        cell = trail - (trail >= 0x80 ? 0x20 : 0x1F);
    }
    return (row << 8) | cell;
}

GlyphSource chooseGlyphSource(const QString& ch, const TypefaceSource& source, bool bold) {
    GlyphSource glyph;
    if (ch == QStringLiteral("\uFFFD")) {
        glyph.kind = GlyphSource::Kind::Nothing;
        return glyph;
    }
    const QByteArray bytes = cp932::encode(ch);
    glyph.advance = bytes.size() == 2 ? 16 : 8;
    if (!cp932::canEncode(ch)) return glyph;
    if (bytes.size() == 2) {
        glyph.face = bold ? source.fullWidthBold : source.fullWidth;
        glyph.code = sjisToJis((unsigned(quint8(bytes[0])) << 8) | quint8(bytes[1]));
    } else if (bytes.size() == 1) {
        const unsigned b = quint8(bytes[0]);
        glyph.code = b;
        if (b >= 0xA1 && b <= 0xDF)
            glyph.face = bold ? source.halfKanaBold : source.halfKana;
        else if (b >= 0x20 && b < 0x7F)
            glyph.face = bold ? source.halfWidthBold : source.halfWidth;
    }
    if (!glyph.face.isEmpty() && glyph.code != 0) {
        glyph.kind = GlyphSource::Kind::Bitmap;
    } else {
        glyph.face.clear();
        glyph.code = 0;
    }
    return glyph;
}

// ---- FreeType faces --------------------------------------------------------------

namespace {

// The contents of a gzip-packed font file ("*.pcf.gz"); empty for any other
// file or when it cannot be read.
QByteArray unpackedFontFile(const QByteArray& path) {
    if (!path.endsWith(".gz")) return {};
    gzFile in = gzopen(path.constData(), "rb");
    if (!in) return {};
    QByteArray out;
    char chunk[65536];
    int n = 0;
    while ((n = gzread(in, chunk, int(sizeof chunk))) > 0) out.append(chunk, n);
    const bool complete = n == 0;
    gzclose(in);
    return complete ? out : QByteArray();
}

} // namespace

struct DotFont::Library {
    FT_Library ft = nullptr;
    Library() {
        if (FT_Init_FreeType(&ft) != 0) ft = nullptr;
    }
    ~Library() {
        if (ft) FT_Done_FreeType(ft);
    }
};

struct DotFont::Face {
    FT_Face ft = nullptr;
    int ascent = 14;
    QByteArray bytes; // the whole font file, unpacked, for faces read from memory
    ~Face() {
        if (ft) FT_Done_Face(ft);
    }
};

DotFont::DotFont() : library_(std::make_unique<Library>()) {}
DotFont::~DotFont() {
    faces_.clear(); // faces before the library that owns them
}

DotFont::Face* DotFont::face(const QString& path) {
    if (path.isEmpty() || !library_->ft) return nullptr;
    auto it = faces_.find(path);
    if (it == faces_.end()) {
        auto f = std::make_unique<Face>();
        const QByteArray file = path.toLocal8Bit();
        // A packed font is unpacked once into memory: read from the packed
        // file, every glyph would unpack the file again from its start.
        f->bytes = unpackedFontFile(file);
        const int opened =
            f->bytes.isEmpty()
                ? FT_New_Face(library_->ft, file.constData(), 0, &f->ft)
                : FT_New_Memory_Face(library_->ft, reinterpret_cast<const FT_Byte*>(f->bytes.constData()),
                                     FT_Long(f->bytes.size()), 0, &f->ft);
        if (opened != 0) {
            f->ft = nullptr;
        } else if (f->ft->num_fixed_sizes < 1 || FT_Select_Size(f->ft, 0) != 0 || f->ft->num_charmaps < 1) {
            FT_Done_Face(f->ft);
            f->ft = nullptr;
        } else {
            // The PCF files carry their native encoding (JIS X 0208, ISO 8859-1
            // or JIS X 0201) as the first map; FreeType does not pick it by
            // itself for the JIS ones.
            FT_Set_Charmap(f->ft, f->ft->charmaps[0]);
            f->ascent = int(f->ft->size->metrics.ascender >> 6);
            if (f->ascent <= 0) f->ascent = 14;
        }
        it = faces_.emplace(path, std::move(f)).first;
    }
    return it->second->ft ? it->second.get() : nullptr;
}

bool DotFont::printBitmap(QImage& box, QPoint at, Face* f, unsigned code) {
    if (!f || code == 0) return false;
    const FT_UInt index = FT_Get_Char_Index(f->ft, code);
    if (index == 0) return false;
    if (FT_Load_Glyph(f->ft, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
    const FT_GlyphSlot slot = f->ft->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return false;
    const int left = at.x() + slot->bitmap_left;
    const int top = at.y() + f->ascent - slot->bitmap_top;
    const QRgb black = qRgb(0, 0, 0);
    for (unsigned row = 0; row < bm.rows; ++row) {
        const unsigned char* line = bm.buffer + qsizetype(row) * bm.pitch;
        const int y = top + int(row);
        if (y < 0 || y >= box.height()) continue;
        for (unsigned col = 0; col < bm.width; ++col) {
            if (!(line[col >> 3] & (0x80 >> (col & 7)))) continue;
            const int x = left + int(col);
            if (x < 0 || x >= box.width()) continue;
            box.setPixel(x, y, black);
        }
    }
    return true;
}

void DotFont::printOutline(QImage& box, QPoint at, const QString& ch, const QString& family, bool bold,
                           int cellWidth) {
    if (family.isEmpty()) return;
    QFont font(family);
    font.setPixelSize(16);
    font.setBold(bold);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    QPainter p(&box);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(Qt::black);
    // The outline faces are taller than 16 pixels; put the baseline where the
    // bitmap faces have it so both kinds of glyph line up in a cell.
    p.setClipRect(QRect(at.x(), at.y(), cellWidth, 16).intersected(box.rect()));
    p.drawText(QPoint(at.x(), at.y() + 14), ch);
}

void DotFont::print(QImage& box, QPoint topLeft, const QString& text, const QString& typefaceName, bool bold) {
    if (box.isNull() || text.isEmpty()) return;
    if (box.format() != QImage::Format_RGB32 && box.format() != QImage::Format_ARGB32)
        box = box.convertToFormat(QImage::Format_RGB32);
    const TypefaceSource src = resolveTypeface(typefaceName);
    QPoint at = topLeft;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString ch = text.mid(i, 1);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) ch = text.mid(i++, 2);
        const GlyphSource glyph = chooseGlyphSource(ch, src, bold);
        bool drawn = glyph.kind == GlyphSource::Kind::Nothing;
        if (glyph.kind == GlyphSource::Kind::Bitmap) drawn = printBitmap(box, at, face(glyph.face), glyph.code);
        if (!drawn) printOutline(box, at, ch, src.outlineFamily, bold, glyph.advance);
        at.rx() += glyph.advance;
    }
}

QImage DotFont::glyphBox(const QString& text, const QString& typefaceName, bool bold) {
    QImage box(16, 16, QImage::Format_RGB32);
    box.fill(Qt::white);
    print(box, QPoint(0, 0), text, typefaceName, bold);
    return box;
}

bool DotFont::bitmapFaceHas(const QString& path, unsigned code) {
    Face* f = face(path);
    return f && code != 0 && FT_Get_Char_Index(f->ft, code) != 0;
}

bool DotFont::bitmapFacesAvailable() { return face(resolveTypeface(kGothicTypeface).fullWidth) != nullptr; }

} // namespace display
