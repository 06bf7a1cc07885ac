// The announcement module with a recording speech engine: loading the
// broadcast data, stepping with "送り" and "戻し", the pre-broadcast sounds,
// the engine calls, and the group's caption and enabled state.
#include "sound/mdlM_Tape.h"

#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"
#include "route/TapeData.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeResourceLibrary.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/NonRegularFiles.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mdlM_Tape;

namespace {

class TapeTest : public ::testing::Test {
protected:
    TapeTest() {
        group.setTitle(kCaptionUnavailable);
        group.setEnabled(false);
        for (QPushButton* b : buttons()) b->setEnabled(false);
    }
    ~TapeTest() override { TapeRelease(); }

    std::vector<QPushButton*> buttons() { return {&next, &back, &adjust, &stop}; }
    TapeWiring wiring() {
        return TapeWiring{&panel, &group, &next, &back, &adjust, &stop, [this] { return announceSound; }};
    }
    void init() { TapeInit(wiring()); }

    // A broadcast file of `lines` announcements "案内k", k = 1.., in CP932.
    void writeTape(const QString& name, int lines, const QList<QByteArray>& custom = {}) {
        QByteArray bytes;
        for (const QByteArray& l : custom) bytes += l + "\r\n";
        for (int k = int(custom.size()) + 1; k <= lines; ++k)
            bytes += cp932::encode(QStringLiteral("案内%1").arg(k)) + ",0,0\r\n";
        ASSERT_TRUE(testing_sound::writeFile(dir.filePath(name), bytes));
    }
    QString folder() const { return dir.path() + u'/'; }
    QStringList spoken() const { return speech.spoken(); }

    QTemporaryDir dir;
    platform::testing::ScopedProgramIdentity identity{dir.path(), QStringLiteral("LED-84")};
    platform::testing::ScopedAudio audio;
    platform::testing::ScopedFakeTime time;
    platform::testing::ScopedMessageBoxes boxes;
    ZelP4Res::testing::ScopedResourceLibrary library;
    sound::testing::ScopedSpeechEngine speech;
    settings::AnnounceSoundSettings announceSound;
    QWidget panel;
    QGroupBox group{&panel};
    QPushButton next{QStringLiteral("送り"), &group}, back{QStringLiteral("戻し"), &group},
        adjust{QStringLiteral("調整"), &group}, stop{QStringLiteral("■"), &group};
};

} // namespace

TEST_F(TapeTest, AWorkingEngineMakesTheGroupAvailableAndALoadEnablesTheButtons) {
    init();
    EXPECT_TRUE(TapeEngineOK());
    EXPECT_EQ(group.title(), QStringLiteral("音合使用可"));
    EXPECT_TRUE(group.isEnabled());
    EXPECT_FALSE(next.isEnabled()) << "the buttons wait for announcements";

    writeTape(QStringLiteral("12tp.csv"), 3);
    TapeLoad(folder(), QStringLiteral("12"));
    EXPECT_EQ(TapeCount(), 3);
    EXPECT_EQ(TapeIndex(), 0);
    for (QPushButton* b : buttons()) EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(TapeTest, WithoutAnEngineTheGroupIsUnavailableAndSaysNothing) {
    speech->refuseToStart = true;
    group.setTitle(QStringLiteral("?"));
    group.setEnabled(true);
    init();
    EXPECT_FALSE(TapeEngineOK());
    EXPECT_EQ(group.title(), QStringLiteral("音合使用不可"));
    EXPECT_FALSE(group.isEnabled());
    // A load still reads the table but enables nothing.
    writeTape(QStringLiteral("1tp.csv"), 2);
    TapeLoad(folder(), QStringLiteral("1"));
    EXPECT_EQ(TapeCount(), 2);
    EXPECT_FALSE(group.isEnabled());
    EXPECT_FALSE(next.isEnabled());
    cmdTapeNext_Click({}); // nothing to speak with, nothing breaks
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(TapeTest, OnWindowsVistaTheGroupIsUnavailableAndNoFileIsRead) {
    library->osName = "Windows Vista";
    init();
    EXPECT_EQ(speech->made, 0);
    EXPECT_EQ(group.title(), QStringLiteral("音合使用不可"));
    EXPECT_FALSE(group.isEnabled());
    writeTape(QStringLiteral("1tp.csv"), 4);
    TapeLoad(folder(), QStringLiteral("1"));
    EXPECT_EQ(TapeCount(), 0);
}

TEST_F(TapeTest, NextAfterRouteSettingSpeaksEntryOneBackThenSpeaksNothing) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 4);
    TapeLoad(folder(), QStringLiteral("1"));

    cmdTapeNext_Click({});
    EXPECT_EQ(TapeIndex(), 1);
    EXPECT_EQ(spoken(), QStringList({QStringLiteral("案内1")}));
    // Every announcement: silence what is being said, speak, read the status.
    EXPECT_EQ(speech->calls, QStringList({QStringLiteral("stop"), QStringLiteral("speak:案内1"), QStringLiteral("status")}));

    // Fresh load: "戻し" before any "送り" stays at 1, silent; "送り" then
    // speaks entry 2.
    TapeLoad(folder(), QStringLiteral("1"));
    speech->calls.clear();
    cmdTapeBack_Click({});
    EXPECT_EQ(TapeIndex(), 1);
    EXPECT_TRUE(speech->calls.isEmpty());
    cmdTapeNext_Click({});
    EXPECT_EQ(spoken(), QStringList({QStringLiteral("案内2")}));
    cmdTapeBack_Click({});
    EXPECT_EQ(spoken(), QStringList({QStringLiteral("案内2"), QStringLiteral("案内1")}));
}

TEST_F(TapeTest, TheAdvanceFlagMovesTheFaresEvenAtTheEnds) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 3,
              {cp932::encode(QStringLiteral("発車します")) + ",1,0", cp932::encode(QStringLiteral("次は本町")) + ",0,0",
               cp932::encode(QStringLiteral("終点です")) + ",1,0"});
    TapeLoad(folder(), QStringLiteral("1"));
    int forward = 0, backward = 0;
    auto dataForward = [&forward] { ++forward; };
    auto dataBack = [&backward] { ++backward; };

    cmdTapeNext_Click(dataForward); // entry 1, flag 1
    EXPECT_EQ(forward, 1);
    cmdTapeNext_Click(dataForward); // entry 2, flag 0
    EXPECT_EQ(forward, 1);
    cmdTapeNext_Click(dataForward); // entry 3, flag 1
    EXPECT_EQ(forward, 2);
    speech->calls.clear();
    // At the last entry: nothing is spoken, but its flag moves the fares once more.
    cmdTapeNext_Click(dataForward);
    EXPECT_EQ(TapeIndex(), 3);
    EXPECT_TRUE(speech->calls.isEmpty());
    EXPECT_EQ(forward, 3);

    cmdTapeBack_Click(dataBack); // entry 2, flag 0
    EXPECT_EQ(backward, 0);
    cmdTapeBack_Click(dataBack); // entry 1, flag 1: spoken, then the fares go back
    EXPECT_EQ(backward, 1);
    cmdTapeBack_Click(dataBack); // stays at 1, silent, flag still 1
    EXPECT_EQ(TapeIndex(), 1);
    EXPECT_EQ(backward, 2);
    EXPECT_EQ(spoken().last(), QStringLiteral("発車します"));
}

TEST_F(TapeTest, ALoadReplacesTheTableAndStartsBeforeTheFirstAnnouncement) {
    init();
    writeTape(QStringLiteral("9tp.csv"), 9);
    writeTape(QStringLiteral("5tp.csv"), 5);
    TapeLoad(folder(), QStringLiteral("9"));
    for (int k = 0; k < 7; ++k) cmdTapeNext_Click({});
    EXPECT_EQ(TapeIndex(), 7);
    TapeLoad(folder(), QStringLiteral("5"));
    EXPECT_EQ(TapeCount(), 5);
    EXPECT_EQ(TapeIndex(), 0);
    EXPECT_EQ(TapeText(6), QString());
    EXPECT_EQ(TapeAdvanceFlag(6), 0);
}

TEST_F(TapeTest, AMissingOrBadFileDisablesTheGroupAGoodOneEnablesItAgain) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 3);
    TapeLoad(folder(), QStringLiteral("1"));
    cmdTapeNext_Click({});
    ASSERT_TRUE(group.isEnabled());

    TapeLoad(folder(), QStringLiteral("2"));
    EXPECT_FALSE(group.isEnabled());
    EXPECT_EQ(TapeCount(), 0);
    EXPECT_EQ(TapeIndex(), 1) << "the position is left as the failure found it";

    // A flag that is no number on line 3 of 4: counted, read up to there.
    writeTape(QStringLiteral("3tp.csv"), 4, {"a,1,0", "b,0,2", "c,x,0"});
    TapeLoad(folder(), QStringLiteral("3"));
    EXPECT_FALSE(group.isEnabled());
    EXPECT_EQ(TapeCount(), 4);
    EXPECT_EQ(TapeSoundFlag(2), 2);
    EXPECT_EQ(TapeText(3), QString());

    TapeLoad(folder(), QStringLiteral("1"));
    EXPECT_TRUE(group.isEnabled());
    EXPECT_EQ(TapeIndex(), 0);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(TapeTest, APipeADeviceAFolderOrAHugeFileIsNoBroadcastData) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 3);
    for (const auto& f : testing_files::makeNonRegularFiles(dir.path(), QStringLiteral("7tp.csv"), route::kMaxTapeDataBytes + 1)) {
        TapeLoad(folder(), QStringLiteral("1"));
        ASSERT_TRUE(group.isEnabled());
        TapeLoad(f.folder + u'/', QStringLiteral("7"));
        EXPECT_FALSE(group.isEnabled()) << f.what;
        EXPECT_EQ(TapeCount(), 0) << f.what;
    }
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(TapeTest, TheFileIsFoundWhateverItsCaseAndWhateverTheFolderEndsWith) {
    init();
    writeTape(QStringLiteral("12TP.CSV"), 2);
    TapeLoad(folder(), QStringLiteral("12"));
    EXPECT_EQ(TapeCount(), 2);
    // Route setting appends "\" to the folder, as on Windows.
    TapeLoad(dir.path() + u'\\', QStringLiteral("12"));
    EXPECT_EQ(TapeCount(), 2);
    EXPECT_TRUE(group.isEnabled());
}

TEST_F(TapeTest, AQuotedTextKeepsItsCommas) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 1, {cp932::encode(QStringLiteral("\"次は、本町です。Next, Honmachi.\",1,0"))});
    TapeLoad(folder(), QStringLiteral("1"));
    cmdTapeNext_Click({});
    EXPECT_EQ(spoken(), QStringList({QStringLiteral("次は、本町です。Next, Honmachi.")}));
}

TEST_F(TapeTest, AnEngineThatCannotStartIsStoppedAgain) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 2);
    TapeLoad(folder(), QStringLiteral("1"));
    speech->status = -1;
    cmdTapeNext_Click({});
    EXPECT_EQ(speech->calls, QStringList({QStringLiteral("stop"), QStringLiteral("speak:案内1"), QStringLiteral("status"),
                                          QStringLiteral("stop")}));
    speech->status = 1; // speaking: left alone
    speech->calls.clear();
    cmdTapeNext_Click({});
    EXPECT_EQ(speech->calls.size(), 3);
}

TEST_F(TapeTest, PreBroadcastSoundsComeBeforeTheVoice) {
    init();
    writeTape(QStringLiteral("1tp.csv"), 2, {"a,0,2", "b,0,0"});
    TapeLoad(folder(), QStringLiteral("1"));
    const QString chime = dir.filePath(QStringLiteral("chime.wav"));
    const QString two = dir.filePath(QStringLiteral("two.wav"));
    ASSERT_TRUE(testing_sound::writeFile(chime, testing_sound::sineWav(50)));
    ASSERT_TRUE(testing_sound::writeFile(two, testing_sound::sineWav(50)));
    announceSound.always = true;
    announceSound.file = chime;
    announceSound.byFlag[1] = two;
    announceSound.sync = true;
    // The voice must not start before the sound has ended.
    QStringList speechAtPlay;
    audio->onCommand = [&](const QString& c) {
        if (c.startsWith(u"play")) speechAtPlay = speech->calls;
        return 0;
    };

    cmdTapeNext_Click({}); // "always": the chime in S3, synchronously
    EXPECT_TRUE(audio.commands().contains(QStringLiteral("open \"%1\" type waveaudio alias LED-84S3 wait").arg(chime)));
    EXPECT_EQ(audio.commands().last(), QStringLiteral("play LED-84S3 from 0 wait"));
    EXPECT_TRUE(speechAtPlay.isEmpty());
    EXPECT_EQ(spoken(), QStringList({QStringLiteral("a")}));

    cmdTapeNext_Click({});
    audio.commands().clear();
    cmdTapeBack_Click({}); // back to entry 1, flag 2: the flag's file in S2
    EXPECT_TRUE(audio.commands().contains(QStringLiteral("open \"%1\" type waveaudio alias LED-84S2 wait").arg(two)));
}

TEST_F(TapeTest, StopAdjustAndRelease) {
    init();
    cmdTapeStop_Click();
    cmdTapeSet_Click();
    EXPECT_EQ(speech->calls, QStringList({QStringLiteral("stop"), QStringLiteral("adjust:音声の調節")}));
    ASSERT_EQ(speech->adjustOwners.size(), 1u);
    EXPECT_EQ(speech->adjustOwners[0], &panel);
    EXPECT_EQ(speech->alive, 1);
    TapeRelease();
    EXPECT_EQ(speech->alive, 0);
    TapeSpeak(1); // harmless once the engine is gone
    TapeStop();
}
