#include "tests/support/FakeResourceLibrary.h"
#include "tests/support/FakeSeams.h"
#include "display/Form1.h"
#include "display/Form1Layout.h"
#include "display/M_Degit.h"
#include "display/PanelPicture.h"
#include "tests/support/QtPrinters.h"
#include "settings/SettingsRecord.h"

#include <QLabel>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using ZelP4Res::testing::ScopedResourceLibrary;

TEST(Form1Layout, PanelPictureLinesUpWithTheCells) {
    const QImage picture = display::builtInPanelPicture();
    ASSERT_EQ(picture.size(), QSize(806, 307));
    const QRgb digitWindow = qRgb(0x80, 0x80, 0x80);
    // The frame is light, the panel black.
    EXPECT_GT(qGray(picture.pixel(1, 150)), 150);
    EXPECT_LT(qGray(picture.pixel(20, 40)), 30);
    for (int k = 1; k <= 84; ++k) {
        const QRect cell = display::fareCellRect(k);
        const QRect label = display::ticketLabelRect(k);
        // Every corner of the cell lies on its grey window, so no black
        // panel shows between the picture's window and the cell laid on it.
        for (QPoint corner : {cell.topLeft(), cell.topRight(), cell.bottomLeft(), cell.bottomRight()})
            EXPECT_EQ(picture.pixel(corner), digitWindow) << "cell " << k;
        // The label's middle lies on the dark strip, darker than the window
        // and brighter than the panel.
        const int strip = qGray(picture.pixel(label.center()));
        EXPECT_GT(strip, 20) << k;
        EXPECT_LT(strip, 80) << k;
    }
    // The stop-name strip sits in its tall grey window.
    const QRect strip = display::stopNameRect();
    for (QPoint corner : {strip.topLeft(), strip.bottomRight()}) EXPECT_EQ(picture.pixel(corner), digitWindow);
    // Captions: light text above and below the strip's window.
    auto hasCaption = [&](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(picture.pixel(x, y)) > 180) return true;
        return false;
    };
    EXPECT_TRUE(hasCaption(QRect(strip.left(), 22, strip.width(), strip.top() - 26)));  // 運賃は
    EXPECT_TRUE(hasCaption(QRect(strip.left(), strip.bottom() + 5, strip.width(), 40))); // まで
    EXPECT_TRUE(hasCaption(QRect(10, 6, 80, 15)));                                      // 整理券番号→
}

namespace {
class Form1DoubleClick : public ::testing::Test {
protected:
    void SetUp() override { form.setOperationPanel(&panel); }
    ScopedResourceLibrary library;
    Form1 form;
    QWidget panel;
};
} // namespace

TEST_F(Form1DoubleClick, UserSetFalseOpensNothing) {
    form.Degit[5]->setUserSet(false);
    form.Degit_DblClick(5);
    EXPECT_TRUE(library->dlg100.empty());
    EXPECT_TRUE(panel.isEnabled());
}

TEST_F(Form1DoubleClick, ConfirmedSettingsGoToEveryCellAndRedrawThem) {
    for (int k = 1; k <= 84; ++k) form.Degit[size_t(k)]->setValue(k == 84 ? 0 : k * 10);
    bool panelDisabledDuringDialog = false;
    library->onDlg100 = [&](std::int16_t keta, std::int16_t& zeroMode, std::int16_t& shift, std::int16_t& fillZero) {
        EXPECT_EQ(keta, 4);
        panelDisabledDuringDialog = !panel.isEnabled();
        zeroMode = 2;
        shift = 1;
        fillZero = 3;
        return 1;
    };
    form.Degit_DblClick(37);
    ASSERT_EQ(library->dlg100.size(), 1u);
    EXPECT_TRUE(panelDisabledDuringDialog);
    EXPECT_TRUE(panel.isEnabled());
    for (int k = 1; k <= 84; ++k) {
        const M_Degit& cell = *form.Degit[size_t(k)];
        EXPECT_EQ(cell.ZeroMode(), 2) << k;
        EXPECT_EQ(cell.Shift(), 1) << k;
        EXPECT_EQ(cell.FillZero(), 3) << k;
        EXPECT_EQ(cell.Value(), QVariant(k == 84 ? 0 : k * 10)) << k;
    }
    // Redrawn in the new form: zero fill 3 and one blank at the right.
    EXPECT_EQ(form.Degit[1]->shownText(), QStringLiteral("010 "));
    EXPECT_EQ(form.Degit[37]->shownText(), QStringLiteral("370 "));
}

TEST_F(Form1DoubleClick, CancelledDialogChangesNoOtherCell) {
    library->onDlg100 = [&](std::int16_t, std::int16_t& zeroMode, std::int16_t& shift, std::int16_t& fillZero) {
        zeroMode = 3;
        shift = 2;
        fillZero = 1;
        return 0;
    };
    form.Degit_DblClick(37);
    // The clicked cell keeps what the dialog left; the others are untouched.
    EXPECT_EQ(form.Degit[37]->ZeroMode(), 3);
    EXPECT_EQ(form.Degit[37]->Shift(), 2);
    for (int k : {1, 36, 38, 84}) {
        EXPECT_EQ(form.Degit[size_t(k)]->ZeroMode(), 0) << k;
        EXPECT_EQ(form.Degit[size_t(k)]->Shift(), 0) << k;
        EXPECT_EQ(form.Degit[size_t(k)]->FillZero(), 0) << k;
    }
    EXPECT_TRUE(panel.isEnabled());
}

TEST(Form1Clock, TickPutsHoursAndMinutesIntoTheClockCells) {
    platform::testing::ScopedFakeTime time;
    time->wall = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 42));
    Form1 form;
    form.Timer1_Timer();
    EXPECT_EQ(form.TimeDegit[0]->Value().toInt(), 9);
    EXPECT_EQ(form.TimeDegit[1]->Value().toInt(), 5);
}

TEST(Form1Window, PositionInTwipsAndRoundedShape) {
    Form1 form;
    settings::SettingsRecord r;
    r.DisplayLeft = 1500;
    r.DisplayTop = 600;
    form.SetFormInfo(r);
    EXPECT_EQ(form.pos(), QPoint(100, 40));
    settings::SettingsRecord back;
    form.GetFormInfo(back);
    EXPECT_EQ(back.DisplayLeft, 1500);
    EXPECT_EQ(back.DisplayTop, 600);

    form.applyRoundRegion();
    EXPECT_FALSE(form.mask().contains(QPoint(0, 306)));
    EXPECT_TRUE(form.mask().contains(QPoint(0, 1)));
}

TEST(Form1Window, ACloseRequestFromTheWindowSystemIsRefused) {
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    // Through the window system, the way the window manager's request
    // (Alt+F4) comes in.
    ASSERT_TRUE(form.windowHandle());
    EXPECT_FALSE(form.windowHandle()->close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowHandle()->isVisible());
}
