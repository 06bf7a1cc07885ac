// The strip's rules without a window: unit split, placement, the signs turned
// or moved for vertical writing, and the typeface chosen per character.
#include "display/ChimeiLayout.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace display::chimei;

namespace {

QByteArray sj(const char* utf8) { return cp932::encode(QString::fromUtf8(utf8)); }

std::vector<int> topsOf(const NameLayout& l) {
    std::vector<int> tops;
    for (const auto& u : l.units) tops.push_back(u.top);
    return tops;
}

} // namespace

TEST(ChimeiLayout, ShortNamesAreSpreadOverTheStrip) {
    EXPECT_EQ(topsOf(layoutName(sj("駅"), 2)), std::vector<int>({80}));
    EXPECT_EQ(topsOf(layoutName(sj("中央"), 2)), std::vector<int>({48, 112}));
    EXPECT_EQ(topsOf(layoutName(sj("中央"), 0)), std::vector<int>({32, 128}));
    EXPECT_EQ(topsOf(layoutName(sj("中央"), 7)), std::vector<int>({32, 128}));
    EXPECT_EQ(topsOf(layoutName(sj("市役所"), 2)), std::vector<int>({16, 80, 144}));
    EXPECT_EQ(topsOf(layoutName(sj("市役所前"), 2)), std::vector<int>({8, 56, 104, 152}));
    EXPECT_EQ(topsOf(layoutName(sj("中央病院前"), 2)), std::vector<int>({4, 42, 80, 118, 156}));

    const NameLayout six = layoutName(sj("中央病院前駅"), 2);
    EXPECT_EQ(topsOf(six), std::vector<int>({0, 32, 64, 96, 128, 160}));
    EXPECT_FALSE(six.scrolls);
    EXPECT_EQ(six.canvasHeight, 192);
}

TEST(ChimeiLayout, SevenUnitsAndMoreScrollOnACanvasAsTallAsTheName) {
    const NameLayout seven = layoutName(sj("中央病院前駅北"), 2);
    EXPECT_TRUE(seven.scrolls);
    EXPECT_EQ(seven.canvasHeight, 224);
    EXPECT_EQ(seven.units.size(), 7u);
    EXPECT_EQ(seven.units.back().top, 192);

    QString longName;
    for (int i = 0; i < 300; ++i) longName += QString::fromUtf8("駅");
    const NameLayout l = layoutName(cp932::encode(longName), 2);
    EXPECT_EQ(l.canvasHeight, 300 * 32);
    EXPECT_EQ(l.units.size(), 300u);
}

TEST(ChimeiLayout, BytesArePairedWithoutRegardToCharacterBoundaries) {
    // Two half-width characters share a unit.
    NameLayout l = layoutName(sj("AB駅"), 2);
    ASSERT_EQ(l.units.size(), 2u);
    EXPECT_EQ(l.units[0].bytes, QByteArray("AB"));
    EXPECT_EQ(l.units[1].bytes, sj("駅"));

    // An odd number of one-byte characters in front splits the next
    // double-byte character across two units.
    const QByteArray eki = sj("駅");
    l = layoutName(sj("A駅"), 2);
    ASSERT_EQ(l.units.size(), 2u);
    EXPECT_EQ(l.units[0].bytes, QByteArray("A") + eki.left(1));
    EXPECT_EQ(l.units[1].bytes, eki.mid(1));
}

TEST(ChimeiLayout, AnOddLastByteGetsAPlaceOfItsOwn) {
    // "ABC" is two units: "AB" and "C", not "C" printed over "AB".
    NameLayout l = layoutName("ABC", 2);
    EXPECT_EQ(topsOf(l), std::vector<int>({48, 112}));
    EXPECT_EQ(l.units[1].bytes, QByteArray("C"));
    // A single one-byte character is no whole unit: it stands at the top.
    l = layoutName("A", 2);
    EXPECT_EQ(topsOf(l), std::vector<int>({0}));
    EXPECT_FALSE(l.scrolls);
    EXPECT_EQ(layoutName(sj("ｱ"), 0).units.front().top, 0);
    // Three and five bytes round up to two and three units.
    EXPECT_EQ(topsOf(layoutName(sj("ｱ駅"), 0)), std::vector<int>({32, 128}));
    EXPECT_EQ(topsOf(layoutName("ABCDE", 2)), std::vector<int>({16, 80, 144}));
    // Thirteen bytes: the seventh unit would fall off a standing strip, so
    // the name scrolls and keeps it.
    l = layoutName("ABCDEFGHIJKLM", 2);
    EXPECT_TRUE(l.scrolls);
    EXPECT_EQ(l.canvasHeight, 224);
    EXPECT_EQ(l.units.back().bytes, QByteArray("M"));
    EXPECT_TRUE(layoutName(QByteArray(), 2).units.empty());
}

TEST(ChimeiLayout, AbsurdlyLongTextIsCutToABoundedCanvas) {
    const NameLayout l = layoutName(QByteArray(1'000'000, 'A'), 2);
    EXPECT_EQ(l.unitCount, kMaxUnits);
    EXPECT_EQ(l.canvasHeight, kMaxUnits * kUnitHeight);
}

TEST(ChimeiLayout, SignsAreTurnedMovedOrReplacedForVerticalWriting) {
    GlyphPlan p = planGlyph(sj("ー"), 0);
    EXPECT_EQ(p.text, QString::fromUtf8("丨"));
    EXPECT_TRUE(p.stroke);
    EXPECT_FALSE(p.turned);
    EXPECT_FALSE(planGlyph(sj("丨"), 0).stroke);
    EXPECT_FALSE(planGlyph(sj("ｰ"), 0).stroke); // the half-width mark stays as it is

    ASSERT_EQ(turnedSigns().size(), 26u);
    for (const QString& s : turnedSigns()) {
        p = planGlyph(cp932::encode(s), 0);
        EXPECT_TRUE(p.turned) << s.toStdString();
        EXPECT_EQ(p.offset, QPoint(0, 0));
        EXPECT_EQ(p.text, cp932::decode(cp932::encode(s)));
    }
    // The wave dash in either of its Unicode spellings is the same CP932 code.
    EXPECT_TRUE(planGlyph(cp932::encode(QString(QChar(0x301C))), 0).turned);

    for (const char* s : {"。", "、"}) {
        p = planGlyph(sj(s), 1);
        EXPECT_EQ(p.offset, QPoint(10, -10)) << s;
        EXPECT_FALSE(p.turned);
    }
    for (const char* s : {"駅", "A", "AB", "丸", "・"}) {
        p = planGlyph(sj(s), 0);
        EXPECT_EQ(p.offset, QPoint(0, 0)) << s;
        EXPECT_FALSE(p.turned) << s;
    }
}

TEST(ChimeiLayout, ShinAndYamaMoveOneDotRightOnlyWhenTheyComeInGothic) {
    for (const char* s : {"申", "山"})
        for (int mode = 0; mode <= 4; ++mode)
            EXPECT_EQ(planGlyph(sj(s), std::int16_t(mode)).offset, mode == 0 || mode == 2 ? QPoint(1, 0) : QPoint(0, 0))
                << s << " in mode " << mode;
}

TEST(ChimeiLayout, CharacterCodeIsTheSignedShiftJisCodeOfTheFirstCharacter) {
    EXPECT_EQ(characterCode(sj("駅")), std::int16_t(quint16(0x8977)));
    EXPECT_LT(characterCode(sj("駅")), 0);
    EXPECT_EQ(characterCode("AB"), 0x41);
    EXPECT_EQ(characterCode(sj("ｱ")), 0xB1);
    EXPECT_EQ(characterCode(QByteArray()), 0);
    // A lone lead byte at the end of a name is a one-byte character.
    EXPECT_EQ(characterCode(sj("駅").left(1)), 0x89);
}

TEST(ChimeiLayout, TypefacePerCharacterFollowsFontMode) {
    const auto G = Typeface::Gothic;
    const auto M = Typeface::Mincho;
    struct Row {
        int mode;
        const char* characters;
        Typeface face;
    };
    const Row rows[] = {
        {0, "あ駅A", G}, {-1, "あ", G}, {5, "あ", G}, {100, "あ", G}, {1, "駅A", M},
        // Mode 2: kanji of both levels in Gothic (亜 0x889F the first level-1
        // kanji, 腕 the last, 弌 the first level-2), kana and signs in Mincho,
        // and every one-byte character counts as kanji. Mode 3 the other way round.
        {2, "駅亜腕弌Aｱ", G}, {2, "あＡ", M}, {3, "あ", G}, {3, "駅A", M},
        // Mode 4: full-width letters and digits in Gothic, everything else
        // Mincho ("ぁ" is 0x829F, just past "ｚ").
        {4, "Ａ０ｚ", G}, {4, "A1駅ぁ", M},
    };
    for (const Row& r : rows)
        for (const QChar c : QString::fromUtf8(r.characters))
            EXPECT_EQ(typefaceFor(std::int16_t(r.mode), characterCode(cp932::encode(QString(c)))), r.face)
                << "mode " << r.mode << ": " << QString(c).toStdString();

    // The long-vowel mark is drawn as the stroke "丨", a kanji code (0xFA68),
    // and takes that character's typeface, not the mark's own.
    for (const auto& [mode, face] : {std::pair{0, G}, {1, M}, {2, G}, {3, M}, {4, M}})
        EXPECT_EQ(planGlyph(sj("ー"), std::int16_t(mode)).typeface, face) << mode;
}
