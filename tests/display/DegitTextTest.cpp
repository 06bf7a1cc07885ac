// The value-to-shown-text rules of the digit cell, without a widget.
#include "display/DegitText.h"

#include <gtest/gtest.h>

using display::DegitFormat;
using display::degitShownText;

namespace {
QString shown(const QVariant& v, int zeroMode, int fillZero = 0, int shift = 0, int keta = 4) {
    return degitShownText(v, DegitFormat{zeroMode, fillZero, shift, keta});
}
} // namespace

TEST(DegitText, ZeroMinusOneAndEmptyByZeroMode) {
    struct Row {
        int mode;
        QString forZero, forMinusOne, forEmpty;
    };
    const Row rows[] = {
        {0, "", "-1", ""},
        {1, "0", "-1", "0"},
        {2, "", "0", ""},
        {3, "0", "0", "0"},
        {-1, "0", "-1", ""},
        {-5, "0", "-1", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(shown(0, r.mode), r.forZero) << "mode " << r.mode;
        EXPECT_EQ(shown(-1, r.mode), r.forMinusOne) << "mode " << r.mode;
        EXPECT_EQ(shown(QString(), r.mode), r.forEmpty) << "mode " << r.mode;
        EXPECT_EQ(shown(250, r.mode), "250") << "mode " << r.mode;
    }
    // Numbers of any type, and texts that read as numbers, count as numbers.
    EXPECT_EQ(shown(0.0, 0), "");
    EXPECT_EQ(shown(qint64(-1), 2), "0");
    EXPECT_EQ(shown(std::int16_t(0), 1), "0");
    EXPECT_EQ(shown(QStringLiteral(" 0 "), 0), "");
    // A single blank is not a number and not empty: shown as it is.
    EXPECT_EQ(shown(QStringLiteral(" "), 0), " ");
    EXPECT_EQ(shown(QStringLiteral(" "), 3), " ");
}

TEST(DegitText, ZeroFillPadsNumbersOnly) {
    EXPECT_EQ(shown(7, 0, 3), "007");
    EXPECT_EQ(shown(5, 1, 3), "005");
    EXPECT_EQ(shown(1234, 1, 3), "1234");
    EXPECT_EQ(shown(0, 0, 3), "");    // emptied before the fill
    EXPECT_EQ(shown(0, 1, 3), "000"); // mode 1 turns it into the number 0 first
    EXPECT_EQ(shown(-1, 2, 2), "00");
    EXPECT_EQ(shown(QStringLiteral("12"), 0, 4), "0012");
    EXPECT_EQ(shown(2.5, 0, 2), "03"); // a whole number, halves away from zero
    EXPECT_EQ(shown(-5, 0, 3), "-005");
    EXPECT_EQ(shown(QStringLiteral("88"), 0, 4), "0088");
    EXPECT_EQ(shown(QStringLiteral("ab"), 0, 4), "ab"); // not a number: unchanged
    EXPECT_EQ(shown(7, 0, -3), "7");                    // a negative count pads nothing
}

TEST(DegitText, ShiftAndDigitCountCut) {
    EXPECT_EQ(shown(12, 0, 0, 1), "12 ");
    EXPECT_EQ(shown(123456, 0), "3456");
    EXPECT_EQ(shown(1234, 0, 0, 2), "34  ");
    EXPECT_EQ(shown(QStringLiteral("888"), 0, 0, 0, 3), "888");
    EXPECT_EQ(shown(0, 1, 0, 3), "0   ");
    EXPECT_EQ(shown(0, 0, 0, 3), "   "); // only blanks: nothing lit
    EXPECT_EQ(shown(5, 1, 3, 9), "    "); // a shift beyond the cell hides the value
    EXPECT_EQ(shown(5, 1, 0, -2), "5");   // a negative shift adds nothing
    EXPECT_EQ(shown(123, 1, 0, 0, 0), ""); // no positions
    EXPECT_EQ(shown(1.5, 1), "1.5");
}

TEST(DegitText, NumericTexts) {
    double x = 0;
    EXPECT_TRUE(display::degitValueIsNumeric(QStringLiteral(" -12.5 "), &x));
    EXPECT_EQ(x, -12.5);
    EXPECT_TRUE(display::degitValueIsNumeric(QStringLiteral("1e3"), &x));
    EXPECT_EQ(x, 1000);
    for (const char* t : {"", " ", "12a", "-", "8 8", "0x10"}) {
        EXPECT_FALSE(display::degitValueIsNumeric(QString::fromLatin1(t))) << t;
    }
    EXPECT_FALSE(display::degitValueIsNumeric(QVariant()));
}

TEST(DegitText, PlatformTextAdjustment) {
    EXPECT_EQ(display::textAdjustmentFor(1, 4).extraSpacing, 1);
    EXPECT_FALSE(display::textAdjustmentFor(1, 4).bold);
    EXPECT_EQ(display::textAdjustmentFor(2, 4).extraSpacing, 1); // NT 4
    EXPECT_EQ(display::textAdjustmentFor(2, 10).extraSpacing, 0);
    EXPECT_TRUE(display::textAdjustmentFor(2, 10).bold);
}
