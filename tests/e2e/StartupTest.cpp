#include "tests/e2e/ProgramFixture.h"
#include "tests/support/FakeSeams.h"
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "app/Program.h"
#include "platform/ProgramIdentity.h"
#include "tests/support/QtPrinters.h"
#include "settings/SettingsCodec.h"
#include "panel/frmCtl.h"
#include "options/frmOption.h"
#include "options/OptionWidgets.h"
#include "sound/mdlM_Tape.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/DialogFields.h"
#include "tests/support/FileBytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using platform::MsgAnswer;
using platform::testing::ScopedFakeTime;
using platform::testing::ScopedMessageBoxes;

namespace {

class Startup : public ProgramTest {};

QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }

} // namespace

TEST_F(Startup, FirstRunPlacesWindowsInTheCornersWithoutAMessage) {
    auto program = startProgram();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(program->display().isVisible());
    EXPECT_TRUE(program->panel().isVisible());
    EXPECT_FALSE(program->options().isVisible());

    EXPECT_EQ(program->display().pos(), screenRect().topLeft());
    EXPECT_EQ(program->display().size(), QSize(806, 307));
    EXPECT_TRUE(program->display().windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(program->panel().frameGeometry().bottomRight(), screenRect().bottomRight());

    EXPECT_EQ(program->display().windowTitle(), QStringLiteral("Ferrotab - 型番:LED-84"));
    EXPECT_EQ(program->panel().windowTitle(), QStringLiteral("集中操作盤"));
    // The rounded shape leaves out the corner pixels only.
    const QRegion mask = program->display().mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(805, 306)));
    EXPECT_TRUE(mask.contains(QPoint(1, 0)));
    EXPECT_TRUE(mask.contains(QPoint(400, 150)));
}

TEST_F(Startup, QuitQuestionNoKeepsEverythingYesWritesTheSettings) {
    auto program = startProgram();

    boxes.answer(MsgAnswer::No);
    EXPECT_FALSE(program->panel().close());
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& q = boxes.shown()[0];
    EXPECT_EQ(q.title, QStringLiteral("Ferrotabの終了確認"));
    EXPECT_EQ(q.text, QStringLiteral("Ferrotabを終了しますか？"));
    EXPECT_EQ(q.icon, platform::MsgIcon::Question);
    EXPECT_EQ(q.buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(program->panel().isVisible());
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(QFile::exists(settingsFile));

    // Yes, with no route ever set: the file is written all the same, with the
    // day of the start as the fixed ticket date, and the program ends.
    const auto saved = quitAndReadSettings(*program);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(settingsBytes().size(), 752);
    EXPECT_EQ(saved.TicketFixedDate, QStringLiteral("2026/12/06"));
    EXPECT_EQ(saved.DisplayLeft, screenRect().left() * 15);
    EXPECT_EQ(saved.DigitLitColor, 0x72D2F8u);
    EXPECT_EQ(saved.StopNameFontMode, -1);
    EXPECT_EQ(boxes.shown().size(), 2u);
}

TEST_F(Startup, SavedPositionsAndUnknownFieldsSurviveARestart) {
    auto record = settings::SettingsRecord::initial(QDate(2025, 1, 2));
    record.DisplayLeft = 150 * 15;
    record.DisplayTop = 40 * 15;
    record.CtlLeft = 300 * 15;
    record.CtlTop = 200 * 15;
    record.CtlPageBack = 1;
    record.BroadcastDataDir = QStringLiteral("D:\\放送");
    writeSettings(record);
    auto program = startProgram();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(program->display().pos(), QPoint(150, 40));
    EXPECT_EQ(program->panel().frameGeometry().topLeft(), QPoint(300, 200));
    EXPECT_EQ(program->panel().PageBack, 1);

    const auto saved = quitAndReadSettings(*program);
    // Fields that no control holds come back as they were read.
    EXPECT_EQ(saved.BroadcastDataDir, QStringLiteral("D:\\放送"));
    EXPECT_EQ(saved.TicketFixedDate, QStringLiteral("2025/01/02"));
    EXPECT_EQ(saved.DisplayLeft, 150 * 15);
    EXPECT_EQ(saved.CtlTop, 200 * 15);
}

TEST_F(Startup, ASettingsFileCutShortStartsAUsableDeviceWithWhatItHolds) {
    auto record = settings::SettingsRecord::initial(QDate(2025, 1, 2));
    record.FareDataDir = QStringLiteral("/data/運賃");
    record.SoundResetFile = QStringLiteral("ピンポン.wav");
    record.TicketPluginFile = QStringLiteral("/data/ticket.4SP");
    record.DigitBackColor = 0x123456;
    record.DigitLitColor = 0x0000FF;
    record.CtlLeft = 300 * 15;
    record.CtlTop = 200 * 15;
    const QByteArray whole = settings::encodeSettings(record);
    const qsizetype digitColours = whole.indexOf(QByteArray("\x56\x34\x12\x00", 4));
    const qsizetype panelPlace = whole.size() - 504 - 2 - 68 - 8 - 8; // CtlLeft
    ASSERT_GT(digitColours, 0);
    // Cut after the digits' background colour, before the panel's place, and
    // in the cell formats.
    for (const qsizetype cut : {digitColours + 5, panelPlace, whole.size() - 3}) {
        SCOPED_TRACE(cut);
        testing_files::writeFile(settingsFile, whole.left(cut));
        auto program = startProgram();
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_EQ(testing_files::readFile(settingsFile + QStringLiteral(".bad")), whole.left(cut));

        settings::SettingsRecord shown;
        program->options().GetOptionInfo(shown);
        EXPECT_EQ(shown.FareDataDir, record.FareDataDir);
        EXPECT_EQ(shown.SoundResetFile, cut > digitColours + 5 ? record.SoundResetFile : QString());
        EXPECT_EQ(shown.TicketPluginFile, cut >= panelPlace ? record.TicketPluginFile : QString());
        const M_Degit& cell = *program->display().Degit[1];
        EXPECT_EQ(cell.BackColor(), 0x123456);
        EXPECT_EQ(cell.DegitForeColor(), cut > digitColours + 5 ? 0x0000FF : 0x72D2F8) << "never black";
        EXPECT_EQ(cell.BaseForeColor(), cut > digitColours + 5 ? record.DigitBaseColor : 0x969696);
        // The panel where the file put it, or else in its corner: on the screen.
        EXPECT_EQ(program->panel().frameGeometry().topLeft() == QPoint(300, 200), cut > panelPlace);
        EXPECT_TRUE(screenRect().contains(program->panel().frameGeometry()));
        boxes.log().shown.clear();
    }
}

TEST_F(Startup, ACopyUnderAnotherNameIsAnotherModelWhateverItsExtension) {
    platform::setProgramIdentity(
        platform::identityFromArgv0(home.filePath(QStringLiteral("LED-9.bin")), QStringLiteral("/usr/bin/ferrotab")));
    settingsFile = mdlIniIo::settingsPath();
    EXPECT_EQ(settingsFile, home.filePath(QStringLiteral("LED-9.in4")));
    auto program = startProgram();
    EXPECT_EQ(program->display().windowTitle(), QStringLiteral("Ferrotab - 型番:LED-9"));
    boxes.answer(MsgAnswer::Yes);
    program->panel().close();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(QFile(home.filePath(QStringLiteral("LED-9.in4"))).size(), 752);
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("LED-9.bin.in4"))));
}

TEST_F(Startup, UnwritableSettingsStillEndTheProgram) {
    settingsFile = home.path() + QStringLiteral("/missing-folder/LED-84.in4");
    auto program = startProgram();
    boxes.answer(MsgAnswer::Yes);
    program->panel().close();
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(boxes.shown()[1].text.startsWith(QStringLiteral("エラー Code:")));
}

// ---- the options dialog's settings across a run --------------------------------------------

using settings::testing::dialogFieldsOf;

TEST_F(Startup, AStoredPositionOutsideItsListStopsLoadingThere) {
    auto record = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    record.FareDataDir = QStringLiteral("/data/運賃");
    record.TicketNumAutoShow = 0;
    record.TicketNumScheme = 12; // the list has 0..11
    record.StopNameForeColor = 0x00FF00;
    record.StopNameBackColor = 0x000000;
    writeSettings(record);
    auto program = startProgram();
    ASSERT_EQ(boxes.shown().size(), 1u);
    const QString text = boxes.shown()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("エラー Code:380\r\n内容:"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nモジュール:mdlIniIo.LoadIni()")));
    // Applied before the refused list: the cells' and strip's colours, the
    // folder, the labels switch; after it, the factory values stay.
    settings::SettingsRecord shown;
    program->options().GetOptionInfo(shown);
    const auto factory = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    EXPECT_EQ(shown.FareDataDir, QStringLiteral("/data/運賃"));
    EXPECT_EQ(shown.TicketNumAutoShow, 0);
    EXPECT_EQ(shown.TicketNumScheme, factory.TicketNumScheme);
    EXPECT_EQ(shown.StopNameForeColor, factory.StopNameForeColor);
    EXPECT_EQ(program->display().ChimeiCtl->ForeColor(), 0x00FF00);
    // The display was not given the half-loaded settings again.
    EXPECT_TRUE(program->display().lblSeiriNum[1]->isVisible());
}

TEST_F(Startup, QuittingClosesTheSoundSlotsThenReleasesTheVoiceThenWritesTheSettings) {
    platform::testing::ScopedAudio audio;
    sound::testing::ScopedSpeechEngine speech;
    auto program = startProgram();
    // The panel's load step made the speech engine.
    ASSERT_EQ(speech->alive, 1);

    QStringList steps;
    audio->onCommand = [&](const QString& command) {
        steps << command + (QFile::exists(settingsFile) ? QStringLiteral(" (saved)") : QString()) +
                     (speech->alive ? QString() : QStringLiteral(" (released)"));
        return 0;
    };
    speech->onRelease = [&] { steps << (QFile::exists(settingsFile) ? QStringLiteral("release (saved)") : QStringLiteral("release")); };
    boxes.answer(MsgAnswer::Yes);
    program->panel().close();
    EXPECT_EQ(steps, QStringList({QStringLiteral("close LED-84S1"), QStringLiteral("close LED-84S2"),
                                  QStringLiteral("close LED-84S3"), QStringLiteral("close LED-84S4"),
                                  QStringLiteral("release")}));
    EXPECT_TRUE(QFile::exists(settingsFile));
    EXPECT_EQ(ended, 1);
}
