// The stop-name strip as a person sees it: which dots light where, and how a
// long name runs through the strip. Dots are compared with the glyph source,
// the scroll loop is driven by the fake clock.
#include "display/ChimeiCtl_B.h"
#include "platform/Cp932.h"
#include "platform_ui/QtColor.h"
#include "display/DotFont.h"
#include "support/FakeSeams.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using display::kGothicTypeface;
using display::kMinchoTypeface;
using platform::testing::ScopedFakeTime;

namespace {

constexpr std::int32_t kFore = 0x00BEFF;

struct Dots {
    bool lit[16][16] = {};
    bool operator==(const Dots& o) const {
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                if (lit[x][y] != o.lit[x][y]) return false;
        return true;
    }
    int count() const {
        int n = 0;
        for (const auto& col : lit)
            for (bool b : col) n += b;
        return n;
    }
    std::string art() const {
        std::string s = "\n";
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) s += lit[x][y] ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

// The 16 x 16 dots of the unit whose first dot is at canvas row `top`.
Dots dotsAt(const ChimeiCtl_B& ctl, int top) {
    Dots d;
    const QImage& img = ctl.canvasImage();
    const QRgb lit = platform_ui::toQRgb(ctl.ForeColor());
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) {
            const int cx = 2 + 2 * x, cy = top + 2 * y;
            d.lit[x][y] = cy >= 0 && cy < img.height() && img.pixel(cx, cy) == lit;
        }
    return d;
}

// What the glyph source prints for `text` at `offset`, as dots.
Dots expected(display::DotFont& font, const QString& text, const QString& face, QPoint offset = {},
              bool turned = false) {
    QImage box(16, 16, QImage::Format_RGB32);
    box.fill(Qt::white);
    font.print(box, offset, text, face, false);
    Dots d;
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            (turned ? d.lit[y][x] : d.lit[x][y]) = (box.pixel(x, y) & 0xFFFFFF) == 0;
    return d;
}

// Canvas rows that hold at least one lit pixel.
std::vector<int> litRows(const ChimeiCtl_B& ctl) {
    std::vector<int> rows;
    const QImage& img = ctl.canvasImage();
    const QRgb lit = platform_ui::toQRgb(ctl.ForeColor());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == lit) {
                rows.push_back(y);
                break;
            }
    return rows;
}

bool allBackground(const ChimeiCtl_B& ctl) {
    const QImage& img = ctl.canvasImage();
    const QRgb back = platform_ui::toQRgb(ctl.BackColor());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != back) return false;
    return true;
}

QString sevenUnits() { return QString::fromUtf8("中央病院前駅北"); }

} // namespace

// ---- layout on the canvas ---------------------------------------------------------

TEST(ChimeiCtl_B, ShortNamesStandStillAtTheirPlaces) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;

    ctl.SetChimei(QString::fromUtf8("駅"));
    EXPECT_EQ(ctl.canvasTop(), 0);
    EXPECT_EQ(dotsAt(ctl, 80), expected(font, QString::fromUtf8("駅"), kGothicTypeface));
    std::vector<int> rows = litRows(ctl);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 80);
    EXPECT_LT(rows.back(), 112);

    ctl.SetChimei(QString::fromUtf8("中央"));
    EXPECT_EQ(dotsAt(ctl, 48), expected(font, QString::fromUtf8("中"), kGothicTypeface));
    EXPECT_EQ(dotsAt(ctl, 112), expected(font, QString::fromUtf8("央"), kGothicTypeface));
    ctl.setMode(0);
    ctl.SetChimei(QString::fromUtf8("中央"));
    EXPECT_EQ(dotsAt(ctl, 32), expected(font, QString::fromUtf8("中"), kGothicTypeface));
    EXPECT_EQ(dotsAt(ctl, 128), expected(font, QString::fromUtf8("央"), kGothicTypeface));
    EXPECT_EQ(dotsAt(ctl, 80).count(), 0); // nothing between the two

    // A name of one single byte is no whole unit: it stands at the top. From
    // three bytes on, an odd last byte gets a place of its own.
    ctl.SetChimei(QStringLiteral("A"));
    EXPECT_EQ(dotsAt(ctl, 0), expected(font, QStringLiteral("A"), kGothicTypeface));
    rows = litRows(ctl);
    ASSERT_FALSE(rows.empty());
    EXPECT_LT(rows.back(), 32);
    ctl.SetChimei(QStringLiteral("ABC"));
    EXPECT_EQ(dotsAt(ctl, 32), expected(font, QStringLiteral("AB"), kGothicTypeface));
    EXPECT_EQ(dotsAt(ctl, 128), expected(font, QStringLiteral("C"), kGothicTypeface));

    // Six units fill the strip: "駅" reaches its bottom dot row, 190.
    ctl.SetChimei(QString::fromUtf8("中央病院前駅"));
    EXPECT_EQ(ctl.canvasHeight(), 192);
    EXPECT_EQ(ctl.canvasTop(), 0);
    EXPECT_FALSE(ctl.isScrolling());
    rows = litRows(ctl);
    EXPECT_EQ(rows.back(), 190);
    EXPECT_EQ(dotsAt(ctl, 160), expected(font, QString::fromUtf8("駅"), kGothicTypeface));
    // Nothing was slept: a standing name does not wait.
    EXPECT_TRUE(time->sleeps.empty());
}

// ---- dots -------------------------------------------------------------------------------

TEST(ChimeiCtl_B, VerticalWritingTurnsMovesAndReplacesSigns) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;

    // The long-vowel mark becomes a vertical stroke: one column of dots.
    ctl.SetChimei(QString::fromUtf8("ー"));
    Dots d = dotsAt(ctl, 80);
    EXPECT_EQ(d, expected(font, QString::fromUtf8("丨"), kGothicTypeface)) << d.art();
    int columns = 0, rows = 0;
    for (int x = 0; x < 16; ++x) {
        bool any = false;
        for (int y = 0; y < 16; ++y) any |= d.lit[x][y];
        columns += any;
    }
    for (int y = 0; y < 16; ++y) {
        bool any = false;
        for (int x = 0; x < 16; ++x) any |= d.lit[x][y];
        rows += any;
    }
    EXPECT_LE(columns, 2) << d.art();
    EXPECT_GE(rows, 12) << d.art();

    // The opening bracket is turned into an arch over the text: wide and flat,
    // open at the bottom.
    ctl.SetChimei(QString::fromUtf8("（"));
    d = dotsAt(ctl, 80);
    EXPECT_EQ(d, expected(font, QString::fromUtf8("（"), kGothicTypeface, {}, true)) << d.art();
    EXPECT_NE(d, expected(font, QString::fromUtf8("（"), kGothicTypeface)) << d.art();
    QRect ink;
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            if (d.lit[x][y]) ink |= QRect(x, y, 1, 1);
    EXPECT_GT(ink.width(), 2 * ink.height()) << d.art();
    // The ends of the arch hang lower than its middle.
    int endRow = -1, midRow = 99;
    for (int y = 0; y < 16; ++y) {
        if (d.lit[ink.left()][y]) endRow = std::max(endRow, y);
        if (d.lit[ink.center().x()][y]) midRow = std::min(midRow, y);
    }
    EXPECT_GT(endRow, midRow) << d.art();

    // The full stop goes to the upper right of its cell.
    ctl.SetChimei(QString::fromUtf8("。"));
    d = dotsAt(ctl, 80);
    EXPECT_EQ(d, expected(font, QString::fromUtf8("。"), kGothicTypeface, QPoint(10, -10))) << d.art();
    ASSERT_GT(d.count(), 0);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y)
            if (d.lit[x][y]) {
                EXPECT_GE(x, 8) << d.art();
                EXPECT_LT(y, 8) << d.art();
            }
}

TEST(ChimeiCtl_B, FontModeChoosesTheTypefacePerCharacter) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;
    const Dots gothicA = expected(font, QStringLiteral("A"), kGothicTypeface);
    const Dots minchoA = expected(font, QStringLiteral("A"), kMinchoTypeface);
    ASSERT_NE(gothicA, minchoA);
    const Dots gothicKana = expected(font, QString::fromUtf8("あ"), kGothicTypeface);
    const Dots minchoKana = expected(font, QString::fromUtf8("あ"), kMinchoTypeface);
    ASSERT_NE(gothicKana, minchoKana);

    ctl.setFontMode(4);
    ctl.SetChimei(QString::fromUtf8("Ａ"));
    EXPECT_EQ(dotsAt(ctl, 80), expected(font, QString::fromUtf8("Ａ"), kGothicTypeface));
    // A single one-byte character stands at the top of the strip.
    ctl.SetChimei(QStringLiteral("A"));
    EXPECT_EQ(dotsAt(ctl, 0), minchoA);

    ctl.setFontMode(2);
    ctl.SetChimei(QStringLiteral("A"));
    EXPECT_EQ(dotsAt(ctl, 0), gothicA);
    ctl.SetChimei(QString::fromUtf8("あ"));
    EXPECT_EQ(dotsAt(ctl, 80), minchoKana);

    ctl.setFontMode(0);
    ctl.SetChimei(QString::fromUtf8("あ"));
    EXPECT_EQ(dotsAt(ctl, 80), gothicKana);

    // The long-vowel mark is drawn as the stroke "丨" in the typeface the
    // stroke takes: a kanji, so Gothic under mode 2 and Mincho under mode 3.
    const QString stroke = QString::fromUtf8("丨");
    const Dots gothicStroke = expected(font, stroke, kGothicTypeface);
    const Dots minchoStroke = expected(font, stroke, kMinchoTypeface);
    ASSERT_NE(gothicStroke, minchoStroke);
    ctl.setFontMode(2);
    ctl.SetChimei(QString::fromUtf8("ー"));
    EXPECT_EQ(dotsAt(ctl, 80), gothicStroke) << dotsAt(ctl, 80).art();
    ctl.setFontMode(3);
    ctl.SetChimei(QString::fromUtf8("ー"));
    EXPECT_EQ(dotsAt(ctl, 80), minchoStroke) << dotsAt(ctl, 80).art();

    ctl.setFontMode(0);
    ctl.SetChimei(QString::fromUtf8("あ"));
    // Bold takes effect with the next name.
    ctl.setFontBold(true);
    const Dots before = dotsAt(ctl, 80);
    EXPECT_EQ(before, gothicKana);
    ctl.SetChimei(QString::fromUtf8("あ"));
    EXPECT_GT(dotsAt(ctl, 80).count(), gothicKana.count());
}

TEST(ChimeiCtl_B, ColoursApplyAsTheDeviceDoes) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    EXPECT_EQ(ctl.BackColor(), 0x808080);
    EXPECT_EQ(ctl.ForeColor(), kFore);
    ctl.SetChimei(QString::fromUtf8("駅"));
    const int litBefore = dotsAt(ctl, 80).count();
    ASSERT_GT(litBefore, 0);
    // Red in the low byte.
    EXPECT_EQ(platform_ui::toQColor(kFore), QColor(255, 190, 0));

    // A new lit colour leaves the dots already drawn alone.
    ctl.setForeColor(0x0000FF);
    const QImage& img = ctl.canvasImage();
    int oldColour = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) oldColour += img.pixel(x, y) == QColor(255, 190, 0).rgb();
    EXPECT_EQ(oldColour, litBefore);

    // A new background blanks the strip, viewport and canvas alike.
    ctl.setBackColor(0x203040);
    EXPECT_EQ(ctl.BackColor(), 0x203040);
    EXPECT_TRUE(allBackground(ctl));
    ctl.resize(35, 192);
    const QImage shot = ctl.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 100), QColor(0x40, 0x30, 0x20));
}

// ---- persistence ---------------------------------------------------------------------

TEST(ChimeiCtl_B, SettingsAreSavedInOrderWithoutDefaultsAndRestored) {
    ChimeiCtl_B ctl;
    display::PropertyBag untouched;
    ctl.WriteProperties(untouched);
    EXPECT_TRUE(untouched.entries().empty());

    ctl.setForeColor(0x00FFFF);
    ctl.setSpeed(40);
    ctl.setFontMode(3);
    ctl.setFontBold(true);
    display::PropertyBag bag;
    ctl.WriteProperties(bag);
    const auto& saved = bag.entries();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0].first, "ForeColor");
    EXPECT_EQ(saved[0].second.toInt(), 0x00FFFF);
    EXPECT_EQ(saved[1].first, "Speed");
    EXPECT_EQ(saved[2].first, "FontMode");
    EXPECT_EQ(saved[3].first, "FontBold");

    ChimeiCtl_B restored;
    display::PropertyBag layout;
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, int>>{
             {"backcolor", 0x112233}, {"speed", 40}, {"appearance", 0}, {"FONTMODE", 3}, {"scrollstartwait", 0}})
        layout.set(QString::fromLatin1(key), value);
    restored.ReadProperties(layout);
    EXPECT_EQ(restored.BackColor(), 0x112233);
    EXPECT_EQ(restored.Speed(), 40);
    EXPECT_EQ(restored.ScrollStartWait(), 0);
    EXPECT_EQ(restored.FontMode(), 3);
    EXPECT_EQ(restored.Mode(), 2);
    EXPECT_EQ(restored.Appearance(), 0);
    // Restoring the border style leaves the strip its full height ...
    EXPECT_EQ(restored.viewportHeight(), 192);
    // ... while writing it at run time resizes the viewport.
    restored.setAppearance(0);
    EXPECT_EQ(restored.viewportHeight(), 185);
    restored.setAppearance(1);
    EXPECT_EQ(restored.viewportHeight(), 195);
}

// ---- scrolling ----------------------------------------------------------------------

TEST(ChimeiCtl_B, ALongNameRunsThroughTheStripByTheClock) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;
    std::vector<std::pair<qint64, int>> tops; // (ms since start, canvas top)
    const qint64 start = time->monotonicNs;
    bool sawBlank = false;
    time->onEvents = [&] {
        if (!ctl.isScrolling()) return;
        tops.emplace_back((time->monotonicNs - start) / 1'000'000, ctl.canvasTop());
        // Past one full cycle: ring in a short name, which ends the loop.
        if (time->sleeps.size() >= 2 && !sawBlank) {
            sawBlank = true;
            time->onEvents = [&] {
                time->onEvents = nullptr;
                ctl.SetChimei(QString::fromUtf8("駅"));
            };
        }
    };
    ctl.SetChimei(sevenUnits());

    EXPECT_FALSE(ctl.isScrolling());
    EXPECT_EQ(ctl.canvasHeight(), 192); // the short name that ended it
    EXPECT_EQ(ctl.canvasTop(), 0);      // and it stands where it belongs
    EXPECT_EQ(dotsAt(ctl, 80), expected(font, QString::fromUtf8("駅"), kGothicTypeface));

    // Start wait, then a second one after the first cycle.
    ASSERT_GE(time->sleeps.size(), 2u);
    EXPECT_EQ(time->sleeps[0], 1500);
    EXPECT_EQ(time->sleeps[1], 1500);

    // After the start wait the name enters at the bottom and rises at the
    // nominal rate: Speed 5 is 2500 * 5 / 200 = 62.5 pixels a second.
    ASSERT_FALSE(tops.empty());
    EXPECT_EQ(tops.front().second, 192);
    auto topAt = [&](qint64 ms) {
        for (const auto& [t, top] : tops)
            if (t >= ms) return top;
        return 9999;
    };
    EXPECT_NEAR(topAt(1500 + 1000), 192 - 62, 3);
    EXPECT_NEAR(topAt(1500 + 4000), 192 - 250, 3);
    // One cycle: from the strip's bottom until the name's bottom is one strip
    // height above the top: 192 + 224 + 192 = 608 pixels, 9.73 seconds.
    int lowest = 0;
    for (const auto& [t, top] : tops) lowest = std::min(lowest, top);
    EXPECT_EQ(lowest, -224 - 192 + 1); // the last position before the wrap
    // Never more than one move per frame.
    int moves = 0;
    for (std::size_t i = 1; i < tops.size(); ++i) moves += tops[i].second != tops[i - 1].second;
    const double seconds = double(tops.back().first - tops.front().first) / 1000.0;
    EXPECT_LE(moves, int(seconds * 61) + 1);
}

TEST(ChimeiCtl_B, SpeedZeroBecomesOneAndSpeedIsReadOnEveryPass) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    ctl.setSpeed(0);
    ctl.setScrollStartWait(0);
    int topAfterTwoSeconds = 0;
    const qint64 start = time->monotonicNs;
    time->onEvents = [&] {
        if (!ctl.isScrolling()) return;
        const qint64 ms = (time->monotonicNs - start) / 1'000'000;
        if (ms >= 2000 && topAfterTwoSeconds == 0) {
            topAfterTwoSeconds = ctl.canvasTop();
            ctl.setSpeed(200); // 2500 pixels a second from now on
        }
        if (ms >= 2100) {
            time->onEvents = nullptr;
            ctl.SetChimei(QStringLiteral("X"));
        }
    };
    ctl.SetChimei(sevenUnits());
    EXPECT_EQ(ctl.Speed(), 200);
    // 12.5 pixels a second at Speed 1.
    EXPECT_NEAR(topAfterTwoSeconds, 192 - 25, 2);
}

TEST(ChimeiCtl_B, ANestedLongNameEndsTheOuterLoopOnlyAfterItsOwn) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;
    std::vector<std::string> order;
    int outerRounds = 0;
    int innerRounds = 0;
    time->onEvents = [&] {
        if (++outerRounds < 50) return;
        // A stop change while the first name scrolls: another long name.
        time->onEvents = [&] {
            if (++innerRounds < 50) return;
            time->onEvents = nullptr;
            EXPECT_TRUE(ctl.isScrolling());
            ctl.SetChimei(QString::fromUtf8("終点"));
            order.push_back("short set");
        };
        ctl.SetChimei(QString::fromUtf8("市立中央病院前経由駅前行"));
        order.push_back("inner returned");
        EXPECT_EQ(ctl.canvasTop(), 0);
    };
    ctl.SetChimei(sevenUnits());
    order.push_back("outer returned");

    EXPECT_EQ(order, (std::vector<std::string>{"short set", "inner returned", "outer returned"}));
    EXPECT_GE(innerRounds, 50);
    EXPECT_FALSE(ctl.isScrolling());
    EXPECT_EQ(ctl.canvasTop(), 0);
    EXPECT_EQ(dotsAt(ctl, 48), expected(font, QString::fromUtf8("終"), kGothicTypeface));
}

TEST(ChimeiCtl_B, AnOlderNameNeverOverwritesANewerOne) {
    display::DotFont font;
    // The newer request comes from the events handled before the older name
    // is drawn (round 1) or after it is drawn, before its loop (round 2).
    for (int round : {1, 2}) {
        for (const QString& older : {QString::fromUtf8("駅"), sevenUnits()}) {
            ScopedFakeTime time;
            ChimeiCtl_B ctl;
            int rounds = 0;
            bool olderScrolled = false;
            time->onEvents = [&] {
                if (++rounds == round) {
                    ctl.SetChimei(QString::fromUtf8("終点"));
                } else if (ctl.isScrolling() && !olderScrolled) {
                    // The older name's loop runs after all: end it.
                    olderScrolled = true;
                    ctl.SetChimei(QString::fromUtf8("終点"));
                }
            };
            ctl.SetChimei(older);
            const std::string what = "round " + std::to_string(round) + ", older " + older.toStdString();
            EXPECT_FALSE(olderScrolled) << what;
            EXPECT_FALSE(ctl.isScrolling()) << what;
            EXPECT_EQ(ctl.canvasHeight(), 192) << what;
            EXPECT_EQ(ctl.canvasTop(), 0) << what;
            EXPECT_EQ(dotsAt(ctl, 48), expected(font, QString::fromUtf8("終"), kGothicTypeface)) << what;
            EXPECT_EQ(dotsAt(ctl, 112), expected(font, QString::fromUtf8("点"), kGothicTypeface)) << what;
            EXPECT_EQ(dotsAt(ctl, 80).count(), 0) << what; // no "駅" drawn over it
            EXPECT_TRUE(time->sleeps.empty()) << what;      // no scroll of the older name began
        }
    }
}

TEST(ChimeiCtl_B, AClearAskedForWhileANameIsStartingLeavesTheStripBlank) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    time->onEvents = [&] {
        time->onEvents = nullptr;
        ctl.SetChimei(QString());
    };
    ctl.SetChimei(QString::fromUtf8("駅"));
    EXPECT_TRUE(allBackground(ctl));
    EXPECT_FALSE(ctl.isScrolling());
}

TEST(ChimeiCtl_B, TheEmptyTextClearsTheStripButLeavesTheLoopRunning) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    ctl.setScrollStartWait(0);
    int rounds = 0;
    int roundsAfterClear = 0;
    bool blankWhileRunning = false;
    time->onEvents = [&] {
        ++rounds;
        if (rounds == 40) {
            ctl.SetChimei(QString());
            blankWhileRunning = allBackground(ctl);
        } else if (rounds > 40) {
            EXPECT_TRUE(ctl.isScrolling());
            if (++roundsAfterClear == 200) {
                time->onEvents = nullptr;
                ctl.SetChimei(QString::fromUtf8("駅"));
            }
        }
    };
    ctl.SetChimei(sevenUnits());
    EXPECT_TRUE(blankWhileRunning);
    EXPECT_EQ(roundsAfterClear, 200);
    EXPECT_FALSE(ctl.isScrolling());
}

TEST(ChimeiCtl_B, TheStartWaitIsAPlainWaitBeforeAnythingMoves) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    ctl.setScrollStartWait(2500);
    bool checked = false;
    time->onEvents = [&] {
        if (!ctl.isScrolling() || checked) return;
        checked = true;
        ASSERT_EQ(time->sleeps.size(), 1u);
        EXPECT_EQ(time->sleeps[0], 2500);
        EXPECT_EQ(ctl.canvasTop(), 192); // still below the strip
        time->onEvents = nullptr;
        ctl.SetChimei(QStringLiteral("A"));
    };
    ctl.SetChimei(sevenUnits());
    EXPECT_TRUE(checked);
}

// ---- bad input ------------------------------------------------------------------------

TEST(ChimeiCtl_B, AnyTextDrawsWithoutHarm) {
    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    // Scrolling names are ended at once by the next event round.
    bool inside = false;
    time->onEvents = [&] {
        if (!ctl.isScrolling() || inside) return;
        inside = true;
        ctl.SetChimei(QString::fromUtf8("駅"));
        inside = false;
    };
    const QString texts[] = {
        QStringLiteral("ABC"),                                 // odd byte count
        QString::fromUtf8("Aあ"),                              // splits a double-byte code
        QString::fromUtf8("aあbいcうdえeお"),                  // mixed widths, odd pairing
        QString::fromUtf8("ｶﾞｲﾄﾞ駅"),                          // half-width katakana
        QString::fromUtf8("😀☃ü名前\u0000\t"),               // not in the code page, controls
        QString::fromUtf8("①②③㈱髙﨑"),                         // extension rows
        QString(5000, QChar(0x3042)),                          // hundreds and thousands of characters
        QString(200001, QLatin1Char('Z')),                     // absurd length, odd
    };
    for (const QString& t : texts) {
        ctl.SetChimei(t);
        EXPECT_FALSE(ctl.isScrolling());
        EXPECT_GE(ctl.canvasHeight(), 192);
        EXPECT_LE(ctl.canvasHeight(), 4096 * 32);
    }
    // Even odd count: the last half-width character is shown, not lost.
    ctl.SetChimei(QStringLiteral("ABCDEFGHIJK")); // 11 bytes: six units
    EXPECT_EQ(litRows(ctl).back() / 32, 5);
    // DrawDot16 is public and copes with anything it is handed.
    QByteArray junk("\x81");
    ctl.DrawDot16(-50, 100000, junk);
    ctl.DrawDot16(2, 0, QString::fromUtf8("駅"));
}

TEST(ChimeiCtl_B, DeletingTheStripFromInsideItsLoopEndsTheLoopSafely) {
    ScopedFakeTime time;
    auto* ctl = new ChimeiCtl_B;
    int rounds = 0;
    time->onEvents = [&] {
        if (++rounds == 30) {
            time->onEvents = nullptr;
            delete ctl;
        }
    };
    ctl->SetChimei(sevenUnits());
    EXPECT_EQ(rounds, 30);
}
