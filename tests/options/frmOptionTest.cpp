// The options dialog as a user meets it: pages, lists, the rules between its
// controls, the choosers, "OK".
#include "tests/options/OptionFixture.h"
#include "display/M_Degit.h"
#include "options/OptionWidgets.h"
#include "options/TicketLabels.h"
#include "platform/Cp932.h"
#include "settings/mdlIniIo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>
#include <functional>

using ZelP4Res::SystemTime;

TEST_F(OptionTest, DependentControlsFollowTheirSwitches) {
    // Labels on: their settings usable; off: not.
    EXPECT_TRUE(dialog->Frame3->isEnabled());
    dialog->Check1->click();
    EXPECT_FALSE(dialog->Frame3->isEnabled());
    dialog->Check1->click();
    EXPECT_TRUE(dialog->Frame3->isEnabled());

    // Information digits.
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(dialog->Combo4[size_t(i)]->isEnabled()) << i;
    EXPECT_FALSE(dialog->Check3[4]->isEnabled());
    dialog->Check3[0]->click();
    EXPECT_TRUE(dialog->Combo4[0]->isEnabled());
    EXPECT_TRUE(dialog->Check3[4]->isEnabled());
    dialog->Check3[3]->click();
    EXPECT_TRUE(dialog->Combo4[3]->isEnabled());
    EXPECT_TRUE(dialog->Combo4[4]->isEnabled());
    EXPECT_FALSE(dialog->Combo4[1]->isEnabled());
    dialog->Check3[3]->click();
    EXPECT_FALSE(dialog->Combo4[3]->isEnabled());
    EXPECT_FALSE(dialog->Combo4[4]->isEnabled());
    dialog->Check3[1]->click();
    dialog->Check3[2]->click();
    EXPECT_TRUE(dialog->Combo4[1]->isEnabled() && dialog->Combo4[2]->isEnabled());
    // "0から数える" switches nothing.
    dialog->Check3[4]->click();
    EXPECT_TRUE(dialog->Combo4[0]->isEnabled());

    // Per-mode pictures only when set individually.
    for (QGroupBox* f : dialog->Frame6) EXPECT_TRUE(f->isHidden());
    dialog->Option3[1]->click();
    for (QGroupBox* f : dialog->Frame6) {
        EXPECT_FALSE(f->isHidden());
        EXPECT_TRUE(f->isEnabled());
    }
    dialog->Option3[0]->click();
    for (QGroupBox* f : dialog->Frame6) {
        EXPECT_TRUE(f->isHidden());
        EXPECT_FALSE(f->isEnabled());
    }

    // Plug-in and date frames only with the preview on.
    EXPECT_TRUE(dialog->Frame10->isHidden());
    EXPECT_TRUE(dialog->Frame7->isHidden());
    dialog->chkUseSeiriPrev->click();
    EXPECT_FALSE(dialog->Frame10->isHidden());
    EXPECT_TRUE(dialog->Frame7->isEnabled());
    dialog->chkUseSeiriPrev->click();
    EXPECT_TRUE(dialog->Frame10->isHidden());
    EXPECT_FALSE(dialog->Frame7->isEnabled());
}

TEST_F(OptionTest, OpenShowsTheFolderAndIgnoresEveryFailure) {
    dialog->Text2[1]->setText(QStringLiteral("/data/放送"));
    shell->answer = false; // no file manager
    dialog->Command10[1]->click();
    dialog->Command10[0]->click(); // empty: nothing to ask
    EXPECT_EQ(shell->opened, QStringList{QStringLiteral("/data/放送")});
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(OptionTest, DateChooserSetsTheFixedDateUnlessCancelled) {
    dialog->chkUseSeiriPrev->click();
    dialog->Command7->click(); // cancelled
    EXPECT_EQ(dialog->Label10->text(), QStringLiteral("2026/12/06"));
    SystemTime offered;
    library->onDlg111 = [&](SystemTime& date) {
        offered = date;
        date.wYear = 2009;
        date.wMonth = 3;
        date.wDay = 5;
        return 1;
    };
    dialog->Command7->click();
    EXPECT_EQ(dialog->Label10->text(), QStringLiteral("2009/03/05"));
    // The chooser starts at the date shown.
    EXPECT_EQ(offered.wYear, 2026);
    EXPECT_EQ(offered.wMonth, 12);
    EXPECT_EQ(offered.wDay, 6);
    EXPECT_EQ(library->dlg111.back(), dialog.get());
}

TEST_F(OptionTest, OkEscapeAndTheCloseBoxAllApplyTheSettingsAndHide) {
    // There is no cancel: however the dialog is left, what was changed in it
    // reaches the display.
    const std::function<void()> leave[3] = {
        [&] { QTest::mouseClick(dialog->Command4, Qt::LeftButton); },
        [&] { QTest::keyClick(dialog.get(), Qt::Key_Escape); },
        [&] { dialog->close(); },
    };
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->Command8[1]->setBackColor(0x010203 + way);
        dialog->Combo2->setCurrentIndex(1 + way);
        backlight.clicks.clear();
        leave[way]();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(display.Degit[40]->BaseForeColor(), 0x010203 + way);
        EXPECT_EQ(display.lblSeiriNum[3]->text(), way == 2 ? QStringLiteral("３") : QStringLiteral("２"));
        EXPECT_EQ(backlight.clicks, std::vector<std::int16_t>{0});
    }
}
