// The operation panel as a person uses it: its controls and their names, the
// keypad and the wheels, route setting with its lamp test and messages,
// display clear, the sliders, the version box, the options dialog, the
// preview pane and the panel's settings.
#include "tests/panel/PanelFixture.h"
#include "options/OptionWidgets.h"
#include "panel/PanelWidgets.h"
#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

using platform::MsgButtons;
using platform::MsgIcon;

namespace {

QString accessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(PanelTest, TheWholeRideWorksFromTheKeyboard) {
    writeRoute(QStringLiteral("12.hy3"), {{"本町", {170}}, {"東", {190}}, {"森", {210}}});
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    // Typed straight into the keypad, whatever has the focus.
    panel->Command1[1]->setFocus();
    for (Qt::Key key : {Qt::Key_R, Qt::Key_1, Qt::Key_2, Qt::Key_Slash, Qt::Key_1})
        QTest::keyClick(panel.get(), key);
    EXPECT_EQ(panel->Label2[0]->text(), QStringLiteral("12"));
    EXPECT_EQ(panel->Label2[2]->text(), QStringLiteral("1"));
    // Return presses the focused button: リセット.
    QTest::keyClick(panel->Command1[1], Qt::Key_Return);
    ASSERT_EQ(shown(1), QStringLiteral("170"));
    // The page keys move the bus.
    QTest::keyClick(panel.get(), Qt::Key_PageDown);
    QTest::keyClick(panel.get(), Qt::Key_PageDown);
    EXPECT_EQ(shown(1), QStringLiteral("210"));
    QTest::keyClick(panel.get(), Qt::Key_PageUp);
    EXPECT_EQ(shown(1), QStringLiteral("190"));

    // Tab from リセット goes as a driver works, skips what is hidden or
    // disabled (the announcements without an engine, the closed preview
    // pane's list) and comes round again.
    panel->Command1[1]->setFocus();
    const QList<QWidget*> expected = {panel->Command2[0], panel->Command2[1], panel->Check1,     panel->Check2,
                                      panel->HScroll1[0], panel->HScroll1[1], panel->Option4[0], panel->Command8,
                                      panel->Command4,    panel->Check4,      panel->Command1[1]};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << accessibleName(next).toStdString();
    }
}

TEST_F(PanelTest, AFocusedControlKeepsTheKeysItTakes) {
    writeRoute(QStringLiteral("3.hy3"), {{"本町", {170}}, {"東", {190}}, {"森", {210}}});
    setRoute(QStringLiteral("3"), QStringLiteral("1"));
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    // A focused slider takes the page keys; from a control that does not,
    // they move the bus.
    QScrollBar* speed = panel->HScroll1[0];
    speed->setFocus();
    const int before = speed->value();
    QTest::keyClick(speed, Qt::Key_PageDown);
    EXPECT_GT(speed->value(), before);
    EXPECT_EQ(shown(1), QStringLiteral("170")) << "the bus stayed";
    panel->Check2->setFocus();
    QTest::keyClick(panel->Check2, Qt::Key_PageDown);
    EXPECT_EQ(shown(1), QStringLiteral("190"));

    // With the list page in front, a digit typed into a focused wheel turns it.
    panel->entryPages->setCurrentWidget(panel->Frame1[0]);
    panel->List2[4]->setFocus();
    QTest::keyClick(panel->List2[4], Qt::Key_7);
    EXPECT_EQ(panel->List2[4]->chosenRow(), 7);
}

TEST_F(PanelTest, RouteSettingFromTheWheelsRunsTheLampTest) {
    writeRoute(QStringLiteral("1.hy3"), {{"本町", {170, 180, 190}}, {"市役所前", {200, 210, 220}}, {"東", {}}});
    // A shift kept in a cell does not hide a lamp during the test.
    display.Degit[3]->setShift(2);
    std::vector<QStringList> seen; // the cells at each handling of events, before the wait
    time->onEvents = [&] {
        if (time->sleeps.empty()) seen.push_back({shown(1), display.Degit[3]->shownText(), shown(84)});
    };
    // Only the last route wheel is turned: the others count as 0. No section
    // wheel is: section 0, taken as 1.
    panel->List2[4]->setCurrentRow(1);
    panel->Command1[0]->click();
    time->onEvents = nullptr;

    EXPECT_TRUE(boxes.shown().empty());
    const auto& s = mdlOrv_000::state();
    EXPECT_EQ(s.RouteText, QStringLiteral("00001"));
    EXPECT_EQ(s.StartSection, 1);
    EXPECT_EQ(s.CurrentRow, 0);
    EXPECT_EQ(s.RowCount, 3);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), (QStringList{QStringLiteral("8888"), QStringLiteral("8888"), QStringLiteral("8888")}));
    EXPECT_EQ(time->sleeps, std::vector<int>{3000});
    EXPECT_EQ(display.Degit[3]->Shift(), 2);
    EXPECT_EQ(shown(1), QStringLiteral("170"));
    EXPECT_EQ(shown(3), QStringLiteral("90")) << "the kept shift moves 190 two places left";
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("本町"));
    EXPECT_TRUE(panel->Command2[0]->isEnabled());
    EXPECT_TRUE(panel->Command2[1]->isEnabled());
    EXPECT_TRUE(panel->Check1->isEnabled());
    EXPECT_EQ(panel->TicketDateText, QStringLiteral("12-06-2026"));

    // The route's file copied from Windows keeps its capitals; a folder
    // typed with a closing backslash names the same folder.
    writeRoute(QStringLiteral("12.HY3"), {{"浜", {400}}, {"森", {410}}});
    testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.FareDataDir = folder.path() + QStringLiteral("\\"); });
    setRoute(QStringLiteral("00012"), QStringLiteral("1"));
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(shown(1), QStringLiteral("400"));
}

TEST_F(PanelTest, AFailedRouteSettingTellsWhyAndKeepsTheFares) {
    writeRoute(QStringLiteral("3.hy3"), {{"本町", {170}}, {"東", {190}}});
    setRoute(QStringLiteral("3"), QStringLiteral("1"));
    ASSERT_EQ(shown(1), QStringLiteral("170"));
    time->sleeps.clear();

    setRoute(QStringLiteral("4"), QStringLiteral("1"));
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.text, QStringLiteral("指定した系統のデータがありません..."));
    EXPECT_TRUE(box.title.isEmpty()) << "the program's title";
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.owner, panel.get());
    EXPECT_EQ(shown(1), QStringLiteral("170"));
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("本町"));
    EXPECT_TRUE(time->sleeps.empty()) << "no lamp test";

    // A damaged file: its own description, and nothing changes.
    QFile damaged(folder.filePath(QStringLiteral("5.hy3")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("\x03\x00\x02\x00", 4));
    damaged.close();
    setRoute(QStringLiteral("5"), QStringLiteral("1"));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(boxes.shown()[1].text.contains(QStringLiteral("壊れています")));
    EXPECT_EQ(mdlOrv_000::state().StartSection, 1);
    EXPECT_EQ(mdlOrv_000::state().RowCount, 2);
    EXPECT_EQ(mdlOrv_000::state().RouteText, QStringLiteral("4"));
    EXPECT_EQ(shown(1), QStringLiteral("170"));

    // A named pipe by the route's name is never opened (that would wait for
    // a writer for ever): it is a file that cannot be read.
    const QString pipe = folder.filePath(QStringLiteral("6.hy3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    setRoute(QStringLiteral("6"), QStringLiteral("1"));
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[2].text, QStringLiteral("運賃データファイルを読み込めません。\n") + pipe);
    EXPECT_EQ(shown(1), QStringLiteral("170"));
}

TEST_F(PanelTest, DisplayClearDarkensTheDeviceAndLocksTheRide) {
    writeRoute(QStringLiteral("2.hy3"), {{"本町", {170, 230, -1}}, {"東", {190}}});
    testing_settings::change(*dialog, [](settings::SettingsRecord& r) { r.InfoTicketNumOn = 1; }); // in cell 1
    panel->Check2->setChecked(true);     // late night: no change until the next display
    setRoute(QStringLiteral("2"), QStringLiteral("1"));
    ASSERT_EQ(shown(2), QStringLiteral("460"));
    EXPECT_EQ(shown(3), QStringLiteral("-1"));
    EXPECT_EQ(shown(1), QStringLiteral("1"));
    display.Timer1.start();

    panel->Check1->click();
    for (int k : {1, 2, 3, 84}) EXPECT_TRUE(shown(k).isEmpty()) << k;
    EXPECT_TRUE(display.ChimeiCtl->accessibleDescription().isEmpty());
    EXPECT_FALSE(display.Timer1.isActive());
    EXPECT_EQ(display.TimeDegit[0]->Value(), QVariant(QString()));
    EXPECT_EQ(display.TimeDegit[1]->Value(), QVariant(QString()));
    for (QWidget* w : {static_cast<QWidget*>(panel->Frame1[0]), static_cast<QWidget*>(panel->Frame1[1]),
                       static_cast<QWidget*>(panel->Command2[0]), static_cast<QWidget*>(panel->Command2[1]),
                       static_cast<QWidget*>(panel->Frame6), static_cast<QWidget*>(panel->grpM_Tape)})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_FALSE(panel->Check2->isEnabled());
    EXPECT_FALSE(panel->Command1[1]->isEnabled()) << "no route setting while the device is dark";
    EXPECT_TRUE(panel->Check1->isEnabled());
    EXPECT_TRUE(panel->Command4->isEnabled());
    EXPECT_TRUE(panel->backlightFrame->isEnabled());

    panel->Check1->click();
    EXPECT_EQ(shown(2), QStringLiteral("460"));
    EXPECT_EQ(shown(1), QStringLiteral("1"));
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("本町"));
    EXPECT_TRUE(panel->Frame6->isEnabled());
    EXPECT_TRUE(panel->Command2[1]->isEnabled());
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    // The clock is not in use in this layout: it stays stopped.
    EXPECT_FALSE(display.TimeDegit[0]->isVisibleTo(&display));
    EXPECT_FALSE(display.Timer1.isActive());
    // Where the clock is shown, it runs again.
    display.TimeDegit[0]->show();
    panel->Check1->click();
    panel->Check1->click();
    EXPECT_TRUE(display.Timer1.isActive());
}

TEST_F(PanelTest, PanelStateGoesToTheRecordAndComesBack) {
    panel->HScroll1[0]->setValue(25);
    panel->HScroll1[1]->setValue(900);
    panel->Frame1_DblClick(1);
    panel->Check4->setChecked(true);
    panel->Check2->setChecked(true);
    settings::SettingsRecord saved;
    panel->GetCtrlDataInfo(saved);
    EXPECT_EQ(saved.ScrollSpeed, 25);
    EXPECT_EQ(saved.ScrollStartWait, 900);
    EXPECT_EQ(saved.CtlPageBack, 1);
    EXPECT_EQ(saved.TicketPreviewShown, 1);
    EXPECT_EQ(saved.LateNightFare, 1);

    frmCtl fresh(&display, dialog.get());
    fresh.SetCtrlDataInfo(saved);
    EXPECT_EQ(fresh.HScroll1[0]->value(), 25);
    EXPECT_EQ(fresh.HScroll1[1]->value(), 900);
    EXPECT_EQ(fresh.PageBack, 1);
    EXPECT_EQ(fresh.entryPages->currentWidget(), fresh.Frame1[0]);
    EXPECT_TRUE(fresh.Check4->isChecked());
    EXPECT_EQ(fresh.width(), 600);
    EXPECT_EQ(fresh.Check2->checkState(), Qt::Checked);

    // A page number that names no page leaves the pages as they are, and is
    // written back as it was read.
    saved.CtlPageBack = 7;
    fresh.SetCtrlDataInfo(saved);
    EXPECT_EQ(fresh.entryPages->currentWidget(), fresh.Frame1[0]);
    settings::SettingsRecord again;
    fresh.GetCtrlDataInfo(again);
    EXPECT_EQ(again.CtlPageBack, 7);

    // A state no check box holds stops the restoring there.
    saved.LateNightFare = 5;
    saved.ScrollSpeed = 30;
    try {
        fresh.SetCtrlDataInfo(saved);
        ADD_FAILURE() << "accepted a check state of 5";
    } catch (const mdlIniIo::SettingsError& e) {
        EXPECT_EQ(e.code, 380);
    }
    EXPECT_EQ(fresh.HScroll1[0]->value(), 30);
    EXPECT_EQ(fresh.Check2->checkState(), Qt::Checked);
}

TEST_F(PanelTest, TheVersionBoxAndTheOptionsLockTheOtherWindows) {
    const platform::testing::ScopedProgramIdentity identity(folder.path(), QStringLiteral("LED-84"));
    bool displayEnabledMeanwhile = true;
    library->onDlg110 = [&] { displayEnabledMeanwhile = display.isEnabled(); };
    panel->Command8->click();
    ASSERT_EQ(library->dlg110.size(), 1u);
    EXPECT_EQ(library->dlg110[0].owner, panel.get());
    EXPECT_EQ(library->dlg110[0].kind, 1);
    const QString text = cp932::decode(library->dlg110[0].text);
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("型番：LED-84"));
    EXPECT_EQ(lines[1], QStringLiteral("バージョン：4.0.0"));
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    EXPECT_FALSE(displayEnabledMeanwhile);
    EXPECT_TRUE(display.isEnabled());

    writeRoute(QStringLiteral("8.hy3"), {{"本町", {170}}, {"東", {190}}});
    setRoute(QStringLiteral("8"), QStringLiteral("1"));
    panel->Check1->click(); // display clear on
    display.ChimeiCtl->setForeColor(0x0000FF);
    bool lockedMeanwhile = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        lockedMeanwhile = dialog->isVisible() && dialog->isModal() && !display.isEnabled() && !panel->isEnabled();
        testing_settings::change(*dialog, [](settings::SettingsRecord& r) { r.StopNameForeColor = 0x00FF00; });
        dialog->Command4_Click(); // "OK"
    });
    panel->Command4->click();
    EXPECT_TRUE(lockedMeanwhile);
    EXPECT_TRUE(display.isEnabled());
    EXPECT_TRUE(panel->isEnabled());
    // The stop name comes back in the new colour; the cells stay dark.
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("本町"));
    EXPECT_EQ(display.ChimeiCtl->ForeColor(), 0x00FF00);
    EXPECT_TRUE(shown(1).isEmpty());
}

TEST(DigitWheel, TheDigitShownIsTheDigitChosen) {
    panel::DigitWheel wheel;
    wheel.resize(wheel.sizeHint());
    wheel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wheel));
    int clicks = 0;
    QObject::connect(&wheel, &panel::DigitWheel::clickedDigit, [&] { ++clicks; });
    QScrollBar* bar = wheel.verticalScrollBar();
    ASSERT_EQ(bar->maximum(), 9) << "one digit shows at a time";
    EXPECT_EQ(wheel.chosenRow(), -1);

    // Coming into focus chooses nothing.
    wheel.setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(wheel.chosenRow(), -1);

    // Chosen as a screen reader chooses: the wheel turns to it.
    wheel.item(7)->setSelected(true);
    EXPECT_EQ(wheel.chosenRow(), 7);
    EXPECT_EQ(bar->value(), 7);
    EXPECT_EQ(clicks, 1);
    // Turned by its scroll bar or the keys: the digit shown is chosen.
    bar->setValue(3);
    EXPECT_EQ(wheel.chosenRow(), 3);
    EXPECT_EQ(clicks, 2);
    QTest::keyClick(&wheel, Qt::Key_Down);
    EXPECT_EQ(wheel.chosenRow(), 4);
    EXPECT_EQ(bar->value(), 4);
    EXPECT_EQ(clicks, 3);
}
