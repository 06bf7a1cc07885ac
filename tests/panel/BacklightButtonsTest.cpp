// The panel's backlight buttons switch the display's picture and label colour.
#include "display/Form1.h"
#include "options/OptionWidgets.h"
#include "options/frmOption.h"
#include "panel/frmCtl.h"
#include "tests/support/Settings.h"
#include "tests/support/FakeSeams.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(BacklightButtons, OffAtStartAndEachModeRecoloursTheLabels) {
    platform::testing::ScopedFakeTime time;
    platform::testing::ScopedMessageBoxes boxes;
    Form1 display;
    // As at start-up: the built-in picture in every mode.
    display.imgRes[1] = display.imgRes[0];
    display.imgRes[2] = display.imgRes[0];
    frmOption dialog(&display);
    frmCtl panel(&display, &dialog);
    dialog.setBacklightSwitch(&panel);
    testing_settings::change(dialog, [](settings::SettingsRecord& r) {
        r.TicketNumColorOff = 0x0000FF;
        r.TicketNumColorOn1 = 0x00FF00;
        r.TicketNumColorOn2 = 0xFF0000;
    });

    EXPECT_EQ(panel.backlightFrame->title(), QStringLiteral("バックライト"));
    EXPECT_EQ(panel.Option4[0]->text(), QStringLiteral("OFF"));
    EXPECT_EQ(panel.Option4[1]->text(), QStringLiteral("ON1"));
    EXPECT_EQ(panel.Option4[2]->text(), QStringLiteral("ON2"));
    EXPECT_TRUE(panel.Option4[0]->isChecked());
    EXPECT_EQ(panel.selectedBacklightMode(), 0);

    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    auto colour = [&] { return display.lblSeiriNum[30]->palette().color(QPalette::WindowText); };
    const QImage face = display.picture();
    QTest::mouseClick(panel.Option4[1], Qt::LeftButton);
    EXPECT_EQ(panel.selectedBacklightMode(), 1);
    EXPECT_EQ(colour(), QColor(0, 255, 0));
    QTest::mouseClick(panel.Option4[2], Qt::LeftButton);
    EXPECT_EQ(colour(), QColor(0, 0, 255));
    EXPECT_EQ(display.picture(), face);

    // The options dialog's "OK" keeps the mode and applies it again.
    testing_settings::change(dialog, [](settings::SettingsRecord& r) { r.TicketNumColorOn2 = 0x00FFFF; });
    dialog.Command4_Click();
    EXPECT_TRUE(panel.Option4[2]->isChecked());
    EXPECT_EQ(colour(), QColor(255, 255, 0));
    EXPECT_TRUE(boxes.shown().empty());
}
