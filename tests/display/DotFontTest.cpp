// The glyph source of the dot strip: real 16-dot bitmap faces, unsmoothed,
// with an outline fallback for characters they lack.
#include "platform/Cp932.h"
#include "display/DotFont.h"

#include <gtest/gtest.h>

using display::DotFont;
using display::kGothicTypeface;
using display::kMinchoTypeface;

namespace {

int blackCount(const QImage& box) {
    int n = 0;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) n += (box.pixel(x, y) & 0xFFFFFF) == 0;
    return n;
}

// True when every pixel is pure black or pure white: the dot strip lights
// exactly the black ones, so grey would lose parts of a glyph.
bool onlyBlackAndWhite(const QImage& box) {
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QRgb c = box.pixel(x, y) & 0xFFFFFF;
            if (c != 0 && c != 0xFFFFFF) return false;
        }
    return true;
}

QRect inkBounds(const QImage& box) {
    QRect r;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            if ((box.pixel(x, y) & 0xFFFFFF) == 0) r |= QRect(x, y, 1, 1);
    return r;
}

} // namespace

TEST(DotFont, ShiftJisToJisCodes) {
    // 駅, the ideographic space, 亜, a level-2 kanji, 熙 the last JIS X 0208
    // kanji; then 0x7F, no trail byte, a one-byte code and the user-defined area.
    for (const auto& [sjis, jis] : {std::pair{0x8977u, 0x3158u}, {0x8140u, 0x2121u}, {0x889Fu, 0x3021u},
                                    {0xE040u, 0x5F21u}, {0xEAA4u, 0x7426u}, {0x817Fu, 0u}, {0x0041u, 0u}, {0xF040u, 0u}})
        EXPECT_EQ(display::sjisToJis(sjis), jis) << std::hex << sjis;
}

TEST(DotFont, EachCharacterIsLookedForInTheFaceOfItsKind) {
    using Kind = display::GlyphSource::Kind;
    display::TypefaceSource src;
    src.fullWidth = QStringLiteral("full");
    src.fullWidthBold = QStringLiteral("full-bold");
    src.halfWidth = QStringLiteral("half");
    src.halfWidthBold = QStringLiteral("half-bold");
    src.halfKana = QStringLiteral("kana");
    src.halfKanaBold = QStringLiteral("kana-bold");
    src.outlineFamily = QStringLiteral("outline");
    struct Row {
        const char* text;
        bool bold;
        Kind kind;
        const char* face;
        int advance;
    };
    const Row rows[] = {
        {"駅", false, Kind::Bitmap, "full", 16}, {"駅", true, Kind::Bitmap, "full-bold", 16},
        {"A", false, Kind::Bitmap, "half", 8},   {"~", true, Kind::Bitmap, "half-bold", 8},
        {" ", false, Kind::Bitmap, "half", 8},
        // Half-width katakana, the whole range from "｡" to "ﾟ".
        {"｡", false, Kind::Bitmap, "kana", 8},   {"ｱ", false, Kind::Bitmap, "kana", 8},
        {"ﾟ", false, Kind::Bitmap, "kana", 8},   {"ｱ", true, Kind::Bitmap, "kana-bold", 8},
        // Control characters and characters outside the code page have no
        // place in a bitmap face; the user-defined area (U+E000, CP932 0xF040)
        // has no JIS code.
        {"\t", false, Kind::Outline, "", 8},     {"\x7F", false, Kind::Outline, "", 8},
        {"😀", false, Kind::Outline, "", 8},     {"\xEE\x80\x80", false, Kind::Outline, "", 16},
        // A broken half of a double-byte code is an empty half-width cell.
        {"\xEF\xBF\xBD", false, Kind::Nothing, "", 8},
    };
    for (const Row& r : rows) {
        const auto g = display::chooseGlyphSource(QString::fromUtf8(r.text), src, r.bold);
        EXPECT_EQ(g.kind, r.kind) << r.text;
        EXPECT_EQ(g.face, QString::fromLatin1(r.face)) << r.text;
        EXPECT_EQ(g.advance, r.advance) << r.text;
    }
    EXPECT_EQ(display::chooseGlyphSource(QString::fromUtf8("駅"), src, false).code, 0x3158u);
    EXPECT_EQ(display::chooseGlyphSource(QStringLiteral("A"), src, false).code, 0x41u);

    // A typeface without bitmap faces draws everything from its outlines.
    display::TypefaceSource outlineOnly;
    outlineOnly.outlineFamily = QStringLiteral("outline");
    for (const char* s : {"駅", "A", "ｱ"})
        EXPECT_EQ(display::chooseGlyphSource(QString::fromUtf8(s), outlineOnly, false).kind, Kind::Outline) << s;
}

TEST(DotFont, BitmapFacesServeTheJisCharactersAndTheOutlinesTheRest) {
    using Kind = display::GlyphSource::Kind;
    DotFont font;
    ASSERT_TRUE(font.bitmapFacesAvailable()) << "xfonts-shinonome is not installed";
    auto inBitmapFace = [&](const char* s, const QString& typeface, bool bold = false) {
        const auto g = display::chooseGlyphSource(QString::fromUtf8(s), display::resolveTypeface(typeface), bold);
        return g.kind == Kind::Bitmap && font.bitmapFaceHas(g.face, g.code);
    };
    for (const char* s : {"駅", "あ", "ア", "Ａ", "（", "。"}) {
        EXPECT_TRUE(inBitmapFace(s, kGothicTypeface)) << s;
        EXPECT_TRUE(inBitmapFace(s, kMinchoTypeface)) << s;
        EXPECT_TRUE(inBitmapFace(s, kGothicTypeface, true)) << s;
    }
    EXPECT_TRUE(inBitmapFace("A", kGothicTypeface));
    EXPECT_TRUE(inBitmapFace("ｱ", kGothicTypeface, true));
    // The Mincho has no half-width bitmap face.
    EXPECT_FALSE(inBitmapFace("A", kMinchoTypeface));
    // NEC extension row and a JIS X 0212 kanji: not in the bitmap faces, yet
    // drawn (from the outline fallback), still without smoothing.
    for (const char* s : {"①", "丨", "㈱"}) {
        EXPECT_FALSE(inBitmapFace(s, kGothicTypeface)) << s;
        const QImage box = font.glyphBox(QString::fromUtf8(s), kGothicTypeface);
        EXPECT_GT(blackCount(box), 8) << s;
        EXPECT_TRUE(onlyBlackAndWhite(box)) << s;
    }
}

TEST(DotFont, GlyphsArePureBlackOnWhiteAndStayInTheirCell) {
    DotFont font;
    for (const QString& face : {kGothicTypeface, kMinchoTypeface})
        for (bool bold : {false, true})
            for (const char* s : {"駅", "あ", "A", "g", "ｱ", "ー"}) {
                const QImage box = font.glyphBox(QString::fromUtf8(s), face, bold);
                EXPECT_TRUE(onlyBlackAndWhite(box)) << s;
                EXPECT_GT(blackCount(box), 4) << s;
            }
    // Half-width characters take the left 8 columns.
    EXPECT_LT(inkBounds(font.glyphBox(QStringLiteral("A"), kGothicTypeface)).right(), 8);
    EXPECT_LT(inkBounds(font.glyphBox(QString::fromUtf8("ｱ"), kGothicTypeface)).right(), 8);
    EXPECT_LT(inkBounds(font.glyphBox(QStringLiteral("A"), kMinchoTypeface)).right(), 8);
    // Two half-width characters fill the cell side by side.
    const QImage pair = font.glyphBox(QStringLiteral("AB"), kGothicTypeface);
    EXPECT_GE(inkBounds(pair).right(), 8);
    EXPECT_EQ(pair.copy(0, 0, 8, 16), font.glyphBox(QStringLiteral("A"), kGothicTypeface).copy(0, 0, 8, 16));
}

TEST(DotFont, PrintingAtAnOffsetShiftsTheGlyphAndClipsAtTheBox) {
    DotFont font;
    const QImage plain = font.glyphBox(QString::fromUtf8("。"), kGothicTypeface);
    QImage moved(16, 16, QImage::Format_RGB32);
    moved.fill(Qt::white);
    font.print(moved, QPoint(10, -10), QString::fromUtf8("。"), kGothicTypeface, false);
    const QRect a = inkBounds(plain);
    const QRect b = inkBounds(moved);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_EQ(b.topLeft(), a.topLeft() + QPoint(10, -10));
    EXPECT_EQ(moved.copy(10, 0, 6, 6), plain.copy(0, 10, 6, 6));

    // Far outside: nothing drawn, nothing broken.
    QImage off(16, 16, QImage::Format_RGB32);
    off.fill(Qt::white);
    font.print(off, QPoint(-1000, 5000), QString::fromUtf8("駅①"), kGothicTypeface, false);
    EXPECT_EQ(blackCount(off), 0);
}

TEST(DotFont, ABrokenHalfOfADoubleByteCodePrintsNothing) {
    DotFont font;
    const QString broken = cp932::decode(cp932::encode(QString::fromUtf8("駅")).left(1));
    EXPECT_EQ(blackCount(font.glyphBox(broken, kGothicTypeface)), 0);
    EXPECT_EQ(blackCount(font.glyphBox(QString(), kGothicTypeface)), 0);
}
