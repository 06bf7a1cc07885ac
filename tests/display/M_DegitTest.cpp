// The digit cell as a person sees it: grabbed faces sampled pixel by pixel,
// the write rules, the settings dialog round trip and the kept settings.
#include "display/M_Degit.h"

#include "platform_ui/QtColor.h"
#include "tests/support/FakeResourceLibrary.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using ZelP4Res::testing::ScopedResourceLibrary;

// Colours far apart so every pixel can be told: background, unlit, lit.
constexpr std::int32_t kBack = 0x000000;   // black
constexpr std::int32_t kUnlit = 0x00FF00;  // green
constexpr std::int32_t kLit = 0x0000FF;    // red

struct PositionCount {
    int lit = 0;   // pixels close to the lit colour
    int unlit = 0; // pixels close to the unlit colour
};

bool near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Counts lit and unlit pixels per digit position of a grabbed face.
std::vector<PositionCount> countPositions(const QImage& image, int digitWidth, int keta) {
    std::vector<PositionCount> counts(static_cast<std::size_t>(keta));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < std::min(image.width(), digitWidth * keta); ++x) {
            const QRgb c = image.pixel(x, y);
            auto& bucket = counts[std::size_t(x / digitWidth)];
            if (near(c, platform_ui::toQRgb(kLit))) ++bucket.lit;
            else if (near(c, platform_ui::toQRgb(kUnlit))) ++bucket.unlit;
        }
    }
    return counts;
}

class CellTest : public ::testing::Test {
protected:
    void SetUp() override {
        cell.setBackColor(kBack);
        cell.setBaseForeColor(kUnlit);
        cell.setDegitForeColor(kLit);
    }
    std::vector<PositionCount> grabbed() {
        return countPositions(cell.grab().toImage(), M_Degit::digitPixelSize(cell.DegitSize()).width(), cell.Keta());
    }
    std::vector<bool> litPositions() {
        std::vector<bool> lit;
        for (const auto& c : grabbed()) lit.push_back(c.lit > 0);
        return lit;
    }
    M_Degit cell;
};

} // namespace

TEST_F(CellTest, ShiftedValueLightsOnlyItsPositionsOverTheUnlitPattern) {
    cell.setShift(1);
    cell.setValue(12);
    const auto counts = grabbed();
    ASSERT_EQ(counts.size(), 4u);
    EXPECT_EQ(counts[0].lit, 0);
    EXPECT_GT(counts[1].lit, 10);
    EXPECT_GT(counts[2].lit, 10);
    EXPECT_EQ(counts[3].lit, 0);
    // Every position shows the painted pattern: the unlit positions whole,
    // the lit ones in the segments the value leaves dark ("1" leaves five).
    for (const auto& c : counts) EXPECT_GT(c.unlit, 5);
    EXPECT_GT(counts[0].unlit, counts[1].unlit);
}

TEST_F(CellTest, DigitsLightDifferentSegmentsAndMinusOnlyTheMiddle) {
    cell.setKeta(1);
    std::vector<int> litCounts;
    for (const char* text : {"8", "1", "7", "-", " ", "?"}) {
        cell.setValue(QString::fromLatin1(text));
        litCounts.push_back(grabbed()[0].lit);
    }
    EXPECT_GT(litCounts[0], litCounts[2]); // 8 > 7
    EXPECT_GT(litCounts[2], litCounts[1]); // 7 > 1
    EXPECT_GT(litCounts[3], 0);
    EXPECT_LT(litCounts[3], litCounts[1] + 5); // one bar, about one segment
    EXPECT_EQ(litCounts[4], 0);                // blank: unlit position
    EXPECT_EQ(litCounts[5], 0);                // unknown character: unlit position

    // The middle bar of "-" sits in the middle row band of the position.
    cell.setValue(QStringLiteral("-"));
    const QImage face = cell.grab().toImage();
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            if (near(face.pixel(x, y), platform_ui::toQRgb(kLit))) {
                EXPECT_GT(y, face.height() / 3);
                EXPECT_LT(y, face.height() * 2 / 3);
            }
        }
    }
}

TEST_F(CellTest, WriteRulesOfTheFormattingProperties) {
    // Zero mode: 4 and above are 0, negative modes are kept; zero fill: at
    // most 4, no lower bound; shift 0 to 3; any style.
    cell.setZeroMode(-1);
    EXPECT_EQ(cell.ZeroMode(), -1);
    cell.setZeroMode(7);
    EXPECT_EQ(cell.ZeroMode(), 0);
    cell.setFillZero(9);
    EXPECT_EQ(cell.FillZero(), 4);
    cell.setFillZero(-2);
    EXPECT_EQ(cell.FillZero(), -2);
    cell.setShift(5);
    EXPECT_EQ(cell.Shift(), 3);
    cell.setShift(-1);
    EXPECT_EQ(cell.Shift(), 0);
    cell.setDegitStyle(-7);
    EXPECT_EQ(cell.DegitStyle(), -7);

    // The formatting applies at the next value; the value is kept as assigned.
    cell.setFillZero(3);
    cell.setValue(7);
    EXPECT_EQ(litPositions(), (std::vector<bool>{false, true, true, true}));
    cell.setFillZero(0);
    cell.setValue(123456);
    EXPECT_EQ(cell.shownText(), QStringLiteral("3456"));
    EXPECT_EQ(cell.Value(), QVariant(123456));
    cell.setValue(QStringLiteral("12"));
    EXPECT_EQ(cell.Value().typeId(), QMetaType::QString);
}

TEST_F(CellTest, ShiftAloneDoesNotRedrawButTheNextValueDoes) {
    cell.setValue(12);
    const QImage before = cell.grab().toImage();
    cell.setShift(1);
    EXPECT_EQ(cell.grab().toImage(), before);
    cell.setValue(cell.Value());
    EXPECT_NE(cell.grab().toImage(), before);
    EXPECT_EQ(litPositions(), (std::vector<bool>{false, true, true, false}));
}

TEST_F(CellTest, LampTestAndBlankIgnoreTheFormattingAndKeepIt) {
    cell.setKeta(3);
    cell.setShift(1);
    cell.setZeroMode(3);
    cell.setFillZero(2);
    cell.ResetDegit(true);
    EXPECT_EQ(litPositions(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(cell.Value(), QVariant(QStringLiteral("888")));
    EXPECT_EQ(cell.Shift(), 1);
    EXPECT_EQ(cell.ZeroMode(), 3);
    EXPECT_EQ(cell.FillZero(), 2);

    cell.ResetDegit(false);
    EXPECT_EQ(litPositions(), (std::vector<bool>{false, false, false}));
    for (const auto& c : grabbed()) EXPECT_GT(c.unlit, 20);
    EXPECT_EQ(cell.Value(), QVariant(QString()));
}

TEST_F(CellTest, SettingsDialogResultAndValuesComeBackAsTheDialogLeftThem) {
    ScopedResourceLibrary library;
    library->onDlg100 = [](std::int16_t, std::int16_t& zeroMode, std::int16_t& shift, std::int16_t& fillZero) {
        zeroMode = 2;
        shift = 9; // beyond the digit count: kept as returned
        fillZero = 3;
        return 7;
    };
    cell.setZeroMode(1);
    cell.setShift(2);
    cell.setFillZero(1);
    cell.setValue(5);
    EXPECT_EQ(cell.ShowSetDlg(), 7);
    ASSERT_EQ(library->dlg100.size(), 1u);
    const auto& call = library->dlg100.front();
    EXPECT_EQ(call.owner, cell.hwnd());
    EXPECT_EQ(call.keta, 4);
    EXPECT_EQ(call.zeroMode, 1);
    EXPECT_EQ(call.shift, 2);
    EXPECT_EQ(call.fillZero, 1);
    EXPECT_EQ(cell.ZeroMode(), 2);
    EXPECT_EQ(cell.Shift(), 9);
    EXPECT_EQ(cell.FillZero(), 3);
    // Redrawn with the stored value: "005" moved out past the left edge.
    EXPECT_EQ(cell.shownText(), QStringLiteral("    "));

    // Cancel leaves the values as they were and says so.
    library->onDlg100 = nullptr;
    EXPECT_EQ(cell.ShowSetDlg(), 0);
    EXPECT_EQ(cell.Shift(), 9);
}

TEST(M_DegitProperties, KeptSettingsSkipDefaultsKeepOrderAndIgnoreCase) {
    M_Degit cell;
    M_Degit::PropertyBag empty;
    cell.WriteProperties(empty);
    EXPECT_TRUE(empty.entries().empty());

    cell.setKeta(3);
    cell.setDegitStyle(1);
    cell.setValue(QStringLiteral("12"));
    cell.setUserSet(false);
    cell.setBackColor(0x123456);
    M_Degit::PropertyBag bag;
    cell.WriteProperties(bag);
    QStringList keys;
    for (const auto& [k, v] : bag.entries()) keys << k;
    EXPECT_EQ(keys, (QStringList{"Keta", "DegitStyle", "Value", "UserSet", "BackColor"}));

    // Layout data in lower case, with values outside the write rules: they
    // are taken as they stand, the size is the container's, no redraw.
    M_Degit::PropertyBag layout;
    layout.set("keta", 0);
    layout.set("shift", 12);
    layout.set("zeromode", 9);
    layout.set("value", QStringLiteral(""));
    layout.set("backcolor", 0x0000FF);
    M_Degit restored;
    restored.resize(52, 20);
    restored.ReadProperties(layout);
    EXPECT_EQ(restored.Keta(), 0);
    EXPECT_EQ(restored.Shift(), 12);
    EXPECT_EQ(restored.ZeroMode(), 9);
    EXPECT_EQ(restored.Value(), QVariant(QString()));
    EXPECT_EQ(restored.BaseForeColor(), M_Degit::kDefaultBaseForeColor);
    EXPECT_TRUE(restored.UserSet());
    EXPECT_EQ(restored.size(), QSize(52, 20));
    const QImage face = restored.grab().toImage();
    EXPECT_EQ(face.pixel(10, 10), qRgb(255, 0, 0)); // plain background, red
    EXPECT_EQ(face.pixel(40, 5), qRgb(255, 0, 0));
}
