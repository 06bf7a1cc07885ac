// The sound slots: the exact command texts sent for each case, the two
// selection rules, and a synchronous sound timed on the real mixer.
#include "sound/mdlSndAPI.h"

#include "platform/MciCommand.h"
#include "platform/ProgramIdentity.h"
#include "audio/SdlAudio.h"
#include "route/FareTable.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SoundFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mdlSndAPI;

namespace {

class SndPlayTest : public ::testing::Test {
protected:
    QString sound(const QString& name) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(testing_sound::writeFile(path, testing_sound::sineWav(50)));
        return path;
    }
    QStringList& sent() { return audio.commands(); }

    QTemporaryDir dir;
    platform::testing::ScopedProgramIdentity identity{dir.path(), QStringLiteral("LED-84")};
    platform::testing::ScopedAudio audio;
    platform::testing::ScopedFakeTime time;
};

} // namespace

TEST_F(SndPlayTest, AnEmptyOrMissingPathSendsNothingAtAll) {
    SndPlay(QString(), kSlotS1, 0, 0);
    SndPlay(dir.filePath(QStringLiteral("gone.wav")), kSlotS1, 0, 0);
    SndPlay(dir.path(), kSlotS1, 0, 0); // a folder is no sound file
    EXPECT_TRUE(sent().isEmpty());
    EXPECT_TRUE(time->sleeps.empty());
}

TEST_F(SndPlayTest, APathFromAWindowsSettingsFileOpensTheFileFound) {
    QDir(dir.path()).mkdir(QStringLiteral("sounds"));
    sound(QStringLiteral("sounds/chime.wav"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    SndPlay(QStringLiteral("Sounds\\Chime.WAV"), kSlotS1, 0, 0);
    QDir::setCurrent(previous);
    ASSERT_EQ(sent().size(), 4);
    EXPECT_EQ(sent()[1], QStringLiteral("open \"sounds/chime.wav\" type waveaudio alias LED-84S1 wait"));
}

TEST_F(SndPlayTest, TheEndingChoosesTheDeviceWhateverItsCase) {
    for (const char* name : {"chime.wav", "CHIME.WAV", "chime.Wav"}) {
        sent().clear();
        const QString path = sound(QString::fromLatin1(name));
        SndPlay(path, kSlotS1, 0, 0);
        EXPECT_EQ(sent(), QStringList({QStringLiteral("close LED-84S1"),
                                       QStringLiteral("open \"%1\" type waveaudio alias LED-84S1 wait").arg(path),
                                       QStringLiteral("stop LED-84S1"), QStringLiteral("play LED-84S1 from 0")}))
            << name;
    }
    EXPECT_EQ(time->sleeps, std::vector<int>({0, 0, 0})) << "an asynchronous play yields once";

    sent().clear();
    SndPlay(sound(QStringLiteral("a.mp3")), kSlotS3, 0, 0);
    SndPlay(sound(QStringLiteral("b.MID")), kSlotS2, 0, 0);
    EXPECT_TRUE(sent()[1].endsWith(QStringLiteral("\" type mpegvideo alias LED-84S3 wait")));
    EXPECT_TRUE(sent()[5].endsWith(QStringLiteral("\" type sequencer alias LED-84S2 wait")));

    // "song.midi" ends in "IDI": the slot's previous sound is closed, nothing
    // is opened.
    sent().clear();
    SndPlay(sound(QStringLiteral("song.midi")), kSlotS1, 0, 0);
    EXPECT_EQ(sent(), QStringList({QStringLiteral("close LED-84S1")}));
}

TEST_F(SndPlayTest, ASynchronousPlayWaitsThenPauses) {
    const QString path = sound(QStringLiteral("advance.wav"));
    SndPlay(path, kSlotS2, 1, 150);
    EXPECT_EQ(sent(), QStringList({QStringLiteral("close LED-84S2"),
                                   QStringLiteral("open \"%1\" type waveaudio alias LED-84S2 wait").arg(path),
                                   QStringLiteral("play LED-84S2 from 0 wait")}));
    EXPECT_EQ(time->sleeps, std::vector<int>({150}));
    // Any non-zero flag means synchronous.
    sent().clear();
    SndPlay(path, kSlotS2, -1, 0);
    EXPECT_EQ(sent().last(), QStringLiteral("play LED-84S2 from 0 wait"));
}

TEST_F(SndPlayTest, AFailingOpenEndsThePlaySilently) {
    audio->onCommand = [](const QString& c) { return c.startsWith(u"open") ? platform::mci::kInvalidFile : 0; };
    SndPlay(sound(QStringLiteral("broken.wav")), kSlotS1, 1, 100);
    ASSERT_EQ(sent().size(), 2);
    EXPECT_TRUE(sent()[1].startsWith(QStringLiteral("open")));
    EXPECT_TRUE(time->sleeps.empty());
}

TEST_F(SndPlayTest, TwoQuickKeyPressesCloseAndReopenS1) {
    const QString click = sound(QStringLiteral("click.wav"));
    SndPlay(click, kSlotS1, 0, 0);
    SndPlay(click, kSlotS1, 0, 0);
    ASSERT_EQ(sent().size(), 8);
    EXPECT_EQ(sent().mid(4), sent().mid(0, 4)) << "the second press closes the first sound and starts anew";
    EXPECT_EQ(sent()[4], QStringLiteral("close LED-84S1"));
}

TEST_F(SndPlayTest, CloseAllClosesTheFourSlotsInOrder) {
    SndCloseAll();
    EXPECT_EQ(sent(), QStringList({QStringLiteral("close LED-84S1"), QStringLiteral("close LED-84S2"),
                                   QStringLiteral("close LED-84S3"), QStringLiteral("close LED-84S4")}));
}

TEST(SoundRules, TheAdvanceSoundByColumnPlaysOnlyForOneToThree) {
    AdvanceSoundSettings s;
    s.file = QStringLiteral("always.wav");
    s.byValue = {QStringLiteral("one.wav"), QStringLiteral("two.wav"), QStringLiteral("three.wav")};
    s.columnIndex = 149; // column 150
    route::FareRow row;
    for (std::int16_t v : {0, 4, -1, 100}) {
        row.Cols[149] = v;
        EXPECT_TRUE(AdvanceSoundFile(s, row).isEmpty()) << v;
    }
    row.Cols[149] = 2;
    EXPECT_EQ(AdvanceSoundFile(s, row), QStringLiteral("two.wav"));
    row.Cols[0] = 3;
    s.columnIndex = 0;
    EXPECT_EQ(AdvanceSoundFile(s, row), QStringLiteral("three.wav"));
    // No column chosen, or one beyond the table: nothing.
    s.columnIndex = -1;
    EXPECT_TRUE(AdvanceSoundFile(s, row).isEmpty());
    s.columnIndex = 150;
    EXPECT_TRUE(AdvanceSoundFile(s, row).isEmpty());
    // Always: the one file, whatever the row holds.
    s.always = true;
    EXPECT_EQ(AdvanceSoundFile(s, row), QStringLiteral("always.wav"));
}

TEST(SoundRules, AlwaysAppliesToNextOnlyBackGoesByTheFlag) {
    AnnounceSoundSettings s;
    s.always = true;
    s.file = QStringLiteral("always.wav");
    s.byFlag = {QStringLiteral("f1.wav"), QStringLiteral("f2.wav"), QStringLiteral("f3.wav")};
    EXPECT_EQ(PreBroadcastSoundFile(s, TapeStep::Next, 2), QStringLiteral("always.wav"));
    EXPECT_EQ(PreBroadcastSoundFile(s, TapeStep::Next, 0), QStringLiteral("always.wav"));
    EXPECT_EQ(PreBroadcastSoundFile(s, TapeStep::Back, 2), QStringLiteral("f2.wav"));
    EXPECT_TRUE(PreBroadcastSoundFile(s, TapeStep::Back, 0).isEmpty());
    s.always = false;
    EXPECT_EQ(PreBroadcastSoundFile(s, TapeStep::Next, 3), QStringLiteral("f3.wav"));
    EXPECT_TRUE(PreBroadcastSoundFile(s, TapeStep::Next, 4).isEmpty());
    EXPECT_EQ(PreBroadcastSlot(TapeStep::Next), QStringLiteral("S3"));
    EXPECT_EQ(PreBroadcastSlot(TapeStep::Back), QStringLiteral("S2"));
}

// On the real mixer (its dummy driver, silent but timed like a sound card):
// a synchronous advance sound holds the caller for the sound's length, an
// asynchronous one does not.
TEST(PanelSoundsTiming, ASynchronousAdvanceSoundReturnsOnlyWhenItHasEnded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("advance.wav"));
    ASSERT_TRUE(testing_sound::writeFile(path, testing_sound::sineWav(300)));
    auto previous = platform::install(std::make_unique<audio::SdlAudio>(audio::SdlAudioOptions{"dummy", {}, {}}));
    settings::AdvanceSoundSettings advance;
    advance.always = true;
    advance.file = path;
    advance.sync = true;

    route::FareRow row;
    QElapsedTimer t;
    t.start();
    PlayAdvanceSound(advance, row);
    EXPECT_GE(t.elapsed(), 300 - 30); // less one mixing buffer
    advance.sync = false;
    t.restart();
    PlayAdvanceSound(advance, row);
    EXPECT_LT(t.elapsed(), 100);
    SndCloseAll();
    platform::install(std::move(previous));
}
