// The stop-name strip as a person sees it: which dots light where, and how a
// long name runs through the strip. Dots are compared with the glyph source,
// the scroll loop is driven by the fake clock.
#include "display/ChimeiCtl_B.h"
#include "display/DotFont.h"
#include "platform_ui/QtColor.h"
#include "tests/support/FakeSeams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using display::kGothicTypeface;
using display::kMinchoTypeface;
using platform::testing::ScopedFakeTime;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

struct Dots {
    bool lit[16][16] = {};
    bool operator==(const Dots&) const = default;
    int count() const {
        int n = 0;
        for (const auto& col : lit)
            for (bool b : col) n += b;
        return n;
    }
    QRect ink() const {
        QRect r;
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y)
                if (lit[x][y]) r |= QRect(x, y, 1, 1);
        return r;
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

// Every lit dot of the canvas.
int litDots(const ChimeiCtl_B& ctl) {
    int n = 0;
    for (int top = 0; top < ctl.canvasImage().height(); top += 32) n += dotsAt(ctl, top).count();
    return n;
}

bool allBackground(const ChimeiCtl_B& ctl) {
    const QImage& img = ctl.canvasImage();
    const QRgb back = platform_ui::toQRgb(ctl.BackColor());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != back) return false;
    return true;
}

const QString kSevenUnits = u8("中央病院前駅北");

// What the glyph source prints for `text` at `offset`, as dots; `turned`
// swaps rows and columns.
Dots glyphDots(display::DotFont& font, const QString& text, const QString& face = kGothicTypeface,
               QPoint offset = {}, bool turned = false) {
    QImage box(16, 16, QImage::Format_RGB32);
    box.fill(Qt::white);
    font.print(box, offset, text, face, false);
    Dots d;
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) (turned ? d.lit[y][x] : d.lit[x][y]) = (box.pixel(x, y) & 0xFFFFFF) == 0;
    return d;
}

class StopNameStrip : public ::testing::Test {
protected:
    Dots glyph(const char* utf8, const QString& face = kGothicTypeface) { return glyphDots(font, u8(utf8), face); }
    Dots at(int top) const { return dotsAt(ctl, top); }

    ScopedFakeTime time;
    ChimeiCtl_B ctl;
    display::DotFont font;
};

} // namespace

// ---- layout and dots --------------------------------------------------------------

TEST_F(StopNameStrip, ShortNamesStandStillAtTheirPlacesAndLightNothingElse) {
    struct Row {
        int mode;
        const char* name;
        std::vector<std::pair<int, const char*>> units; // (canvas top, what is printed there)
    };
    const Row rows[] = {
        {2, "駅", {{80, "駅"}}},
        {2, "中央", {{48, "中"}, {112, "央"}}},
        {0, "中央", {{32, "中"}, {128, "央"}}},
        // A name of one single byte is no whole unit: it stands at the top.
        // From three bytes on, an odd last byte gets a place of its own.
        {0, "A", {{0, "A"}}},
        {0, "ABC", {{32, "AB"}, {128, "C"}}},
        // Six units fill the strip.
        {2, "中央病院前駅", {{0, "中"}, {32, "央"}, {64, "病"}, {96, "院"}, {128, "前"}, {160, "駅"}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " in mode " + std::to_string(r.mode));
        ctl.setMode(std::int16_t(r.mode));
        ctl.SetChimei(u8(r.name));
        EXPECT_EQ(ctl.canvasTop(), 0);
        EXPECT_EQ(ctl.canvasHeight(), 192);
        EXPECT_FALSE(ctl.isScrolling());
        int expectedDots = 0;
        for (const auto& [top, text] : r.units) {
            EXPECT_EQ(at(top), glyph(text)) << top;
            expectedDots += glyph(text).count();
        }
        EXPECT_EQ(litDots(ctl), expectedDots);
    }
    // Nothing was slept: a standing name does not wait.
    EXPECT_TRUE(time->sleeps.empty());
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
    QStringList keys;
    for (const auto& [key, value] : bag.entries()) keys << key;
    EXPECT_EQ(keys, (QStringList{"ForeColor", "Speed", "FontMode", "FontBold"}));
    EXPECT_EQ(bag.entries().front().second.toInt(), 0x00FFFF);

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

TEST_F(StopNameStrip, ALongNameRunsThroughTheStripByTheClock) {
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
                ctl.SetChimei(u8("駅"));
            };
        }
    };
    ctl.SetChimei(kSevenUnits);

    EXPECT_FALSE(ctl.isScrolling());
    EXPECT_EQ(ctl.canvasHeight(), 192); // the short name that ended it
    EXPECT_EQ(ctl.canvasTop(), 0);      // and it stands where it belongs
    EXPECT_EQ(at(80), glyph("駅"));

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

TEST_F(StopNameStrip, SpeedZeroBecomesOneAndSpeedIsReadOnEveryPass) {
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
    ctl.SetChimei(kSevenUnits);
    EXPECT_EQ(ctl.Speed(), 200);
    // 12.5 pixels a second at Speed 1.
    EXPECT_NEAR(topAfterTwoSeconds, 192 - 25, 2);
}

TEST_F(StopNameStrip, ALongNameSetInsideTheLoopIsTakenOverByIt) {
    // Stop after stop changed while names scroll, as on a long ride: each
    // new name starts below the strip after the start wait, inside the one
    // loop, so the stack never grows with the ride.
    const QString names[2] = {u8("市立中央病院前経由駅前行"), kSevenUnits};
    int rounds = 0;
    int changes = 0;
    bool movedSinceChange = false;
    time->onEvents = [&] {
        ++rounds;
        if (ctl.canvasTop() < 192) movedSinceChange = true;
        if (rounds % 40 != 0) return;
        if (changes == 2000) {
            time->onEvents = nullptr;
            ctl.SetChimei(u8("終点"));
            return;
        }
        EXPECT_TRUE(movedSinceChange) << "change " << changes;
        const std::size_t sleepsBefore = time->sleeps.size();
        ctl.SetChimei(names[changes % 2]); // returns at once
        ++changes;
        movedSinceChange = false;
        EXPECT_EQ(ctl.canvasTop(), 192);
        EXPECT_EQ(time->sleeps.size(), sleepsBefore); // the start wait is the loop's
    };
    ctl.SetChimei(kSevenUnits);

    EXPECT_EQ(changes, 2000);
    EXPECT_EQ(time->sleeps.size(), 2001u); // one start wait per name
    EXPECT_FALSE(ctl.isScrolling());
    EXPECT_EQ(ctl.canvasTop(), 0);
    EXPECT_EQ(at(48), glyph("終"));
}

TEST(ChimeiCtl_B, AnOlderNameNeverOverwritesANewerOne) {
    display::DotFont font;
    // The newer request comes from the events handled before the older name
    // is drawn (round 1) or after it is drawn, before its loop (round 2).
    for (int round : {1, 2}) {
        for (const QString& older : {u8("駅"), kSevenUnits}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", older " + older.toStdString());
            ScopedFakeTime time;
            ChimeiCtl_B ctl;
            int rounds = 0;
            bool olderScrolled = false;
            time->onEvents = [&] {
                if (++rounds == round) {
                    ctl.SetChimei(u8("終点"));
                } else if (ctl.isScrolling() && !olderScrolled) {
                    // The older name's loop runs after all: end it.
                    olderScrolled = true;
                    ctl.SetChimei(u8("終点"));
                }
            };
            ctl.SetChimei(older);
            EXPECT_FALSE(olderScrolled);
            EXPECT_FALSE(ctl.isScrolling());
            EXPECT_EQ(ctl.canvasHeight(), 192);
            EXPECT_EQ(ctl.canvasTop(), 0);
            EXPECT_EQ(dotsAt(ctl, 48), glyphDots(font, u8("終")));
            EXPECT_EQ(dotsAt(ctl, 112), glyphDots(font, u8("点")));
            EXPECT_EQ(dotsAt(ctl, 80).count(), 0); // no "駅" drawn over it
            EXPECT_TRUE(time->sleeps.empty());      // no scroll of the older name began
        }
    }
}

TEST_F(StopNameStrip, AClearAskedForWhileANameIsStartingLeavesTheStripBlank) {
    time->onEvents = [&] {
        time->onEvents = nullptr;
        ctl.SetChimei(QString());
    };
    ctl.SetChimei(u8("駅"));
    EXPECT_TRUE(allBackground(ctl));
    EXPECT_FALSE(ctl.isScrolling());
}

TEST_F(StopNameStrip, TheEmptyTextClearsTheStripButLeavesTheLoopRunning) {
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
                ctl.SetChimei(u8("駅"));
            }
        }
    };
    ctl.SetChimei(kSevenUnits);
    EXPECT_TRUE(blankWhileRunning);
    EXPECT_EQ(roundsAfterClear, 200);
    EXPECT_FALSE(ctl.isScrolling());
}

TEST_F(StopNameStrip, TheStartWaitIsAPlainWaitBeforeAnythingMoves) {
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
    ctl.SetChimei(kSevenUnits);
    EXPECT_TRUE(checked);
}

// ---- bad input ------------------------------------------------------------------------

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
    ctl->SetChimei(kSevenUnits);
    EXPECT_EQ(rounds, 30);
}
