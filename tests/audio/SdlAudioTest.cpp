// The command interpreter and the speech voice on SDL2_mixer, heard through
// SDL's disk driver: what was played ends up as samples in a file. The disk
// driver runs about ten times faster than real time here, so no test waits
// for the length of its sounds.
#include "platform/MciCommand.h"
#include "audio/SdlAudio.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/NonRegularFiles.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <gtest/gtest.h>
#include <cmath>
#include <memory>

using audio::SdlAudio;
using testing_sound::Recording;
namespace mci = platform::mci;

namespace {

class SdlAudioTest : public ::testing::Test {
protected:
    SdlAudioTest() {
        // 2 ms per 23 ms buffer of the disk driver.
        qputenv("SDL_DISKAUDIODELAY", "2");
        output = dir.filePath(QStringLiteral("out.raw"));
        audio = std::make_unique<SdlAudio>(audio::SdlAudioOptions{"disk", QFile::encodeName(output), {}});
    }
    ~SdlAudioTest() override { qunsetenv("SDL_DISKAUDIODELAY"); }

    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(testing_sound::writeFile(path, bytes));
        return path;
    }
    int send(const QString& command) { return audio->sendString(command); }
    int openAs(const QString& path, const char* type, const char* alias) {
        return send(QStringLiteral("open \"%1\" type %2 alias %3 wait").arg(path, QLatin1String(type), QLatin1String(alias)));
    }
    // Closes the device and reads what it played.
    Recording recording() {
        audio.reset();
        return Recording::read(output);
    }

    QTemporaryDir dir;
    QString output;
    std::unique_ptr<SdlAudio> audio;
};

} // namespace

TEST_F(SdlAudioTest, WavMp3AndMidiPlayToTheEndForAboutTheirLength) {
    struct Case {
        QString path;
        const char* type;
        double seconds, tolerance;
    };
    std::vector<Case> cases;
    cases.push_back({file(QStringLiteral("tone.wav"), testing_sound::sineWav(400)), "waveaudio", 0.4, 0.03});
    cases.push_back({file(QStringLiteral("note.mid"), testing_sound::oneNoteMidi(500)), "sequencer", 0.5, 0.6});
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(testing_sound::makeMp3(mp3, 400)) << "sox with MP3 support is needed (scripts/setup)";
    cases.push_back({mp3, "mpegvideo", 0.4, 0.08});

    for (const Case& c : cases) {
        output = dir.filePath(QFileInfo(c.path).fileName() + QStringLiteral(".raw"));
        audio = std::make_unique<SdlAudio>(audio::SdlAudioOptions{"disk", QFile::encodeName(output), {}});
        ASSERT_EQ(openAs(c.path, c.type, "busS2"), 0) << c.path.toStdString();
        EXPECT_EQ(audio->driverName(), QStringLiteral("disk"));
        EXPECT_EQ(send(QStringLiteral("play busS2 from 0 wait")), 0);
        EXPECT_EQ(send(QStringLiteral("close busS2")), 0);
        const Recording r = recording();
        EXPECT_GT(r.peak(), 0.1) << c.path.toStdString();
        // A MIDI note rings on after its end (the soundfont's release).
        EXPECT_NEAR(r.soundingSeconds(), c.seconds + (c.type == std::string("sequencer") ? 0.3 : 0.0), c.tolerance)
            << c.path.toStdString();
    }
}

TEST_F(SdlAudioTest, APathHoldingAQuoteIsRefusedNotSplit) {
    // The file exists: a name may hold a quote on this system.
    const QString sneaky = file(QStringLiteral("a\" type sequencer alias evil wait.wav"), testing_sound::sineWav(100));
    ASSERT_TRUE(QFileInfo::exists(sneaky));
    EXPECT_NE(openAs(sneaky, "waveaudio", "busS1"), 0);
    // Neither the alias meant nor the one smuggled in was opened.
    EXPECT_EQ(send(QStringLiteral("play busS1 from 0")), mci::kInvalidDeviceName);
    EXPECT_EQ(send(QStringLiteral("play evil from 0")), mci::kInvalidDeviceName);
    EXPECT_EQ(send(QStringLiteral("close all")), mci::kInvalidDeviceName);
    EXPECT_EQ(send(QStringLiteral("status busS1 mode")), mci::kUnrecognizedCommand);
    EXPECT_EQ(recording().peak(), 0.0);
}

TEST_F(SdlAudioTest, ACorruptOrMismatchedFileFailsToOpenAndLeavesTheSlotClosed) {
    QByteArray corrupt = testing_sound::sineWav(200);
    corrupt.replace(12, 24, QByteArray(24, '\xEE')); // the format chunk
    const QString bad = file(QStringLiteral("bad.wav"), corrupt);
    EXPECT_NE(openAs(bad, "waveaudio", "busS1"), 0);
    EXPECT_EQ(send(QStringLiteral("play busS1 from 0 wait")), mci::kInvalidDeviceName);
    EXPECT_EQ(send(QStringLiteral("close busS1")), mci::kInvalidDeviceName);

    // A MIDI file is not a wave file, nor a wave file a MIDI file.
    const QString midi = file(QStringLiteral("n.mid"), testing_sound::oneNoteMidi(100));
    const QString wav = file(QStringLiteral("t.wav"), testing_sound::sineWav(100));
    EXPECT_EQ(openAs(midi, "waveaudio", "busS1"), mci::kInvalidFile);
    EXPECT_EQ(openAs(wav, "sequencer", "busS1"), mci::kInvalidFile);
    EXPECT_EQ(openAs(dir.filePath(QStringLiteral("none.wav")), "waveaudio", "busS1"), mci::kFileNotFound);
    // Nothing but a regular file of a sound's size is read: a pipe would
    // hold the click until something wrote to it, /dev/zero never ends.
    for (const auto& f : testing_files::makeNonRegularFiles(dir.path(), QStringLiteral("c.wav"), platform::kMaxSoundFileBytes + 1))
        EXPECT_EQ(openAs(f.path, "waveaudio", "busS1"), mci::kFileNotFound) << f.what;

    // The slot is free for a good file; opening it twice is refused.
    EXPECT_EQ(openAs(wav, "waveaudio", "busS1"), 0);
    EXPECT_EQ(openAs(wav, "waveaudio", "busS1"), mci::kDuplicateAlias);
    EXPECT_EQ(send(QStringLiteral("close busS1")), 0);
}

TEST_F(SdlAudioTest, TwoSlotsSoundTogether) {
    const QString low = file(QStringLiteral("low.wav"), testing_sound::sineWav(300, 440, 22050, 0.3));
    const QString high = file(QStringLiteral("high.wav"), testing_sound::sineWav(300, 1320, 22050, 0.3));
    ASSERT_EQ(openAs(low, "waveaudio", "busS2"), 0);
    ASSERT_EQ(openAs(high, "waveaudio", "busS1"), 0);
    EXPECT_EQ(send(QStringLiteral("play busS2 from 0")), 0);
    EXPECT_EQ(send(QStringLiteral("play busS1 from 0 wait")), 0);
    EXPECT_EQ(send(QStringLiteral("stop busS2")), 0);
    // Each alone peaks at 0.3; together, above it.
    EXPECT_GT(recording().peak(), 0.4);
}

TEST_F(SdlAudioTest, TheVoiceSpeaksOverTheSlotsAndStopsAtOnce) {
    platform::VoiceOutput& voice = *audio->voice();
    // Half a second of a tone at the speech engine's rate.
    std::vector<std::int16_t> tone(22050 / 2);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = std::int16_t(12000 * std::sin(2 * M_PI * 300 * double(i) / 22050));

    const std::uint64_t first = voice.begin(22050);
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(voice.write(first, tone.data(), tone.size()));
    voice.finish(first);
    EXPECT_TRUE(voice.busy());
    QElapsedTimer t;
    t.start();
    while (voice.busy() && t.elapsed() < 5000) QThread::msleep(5);
    EXPECT_FALSE(voice.busy()) << "the utterance ends once it has sounded";
    const Recording spoken = recording();
    EXPECT_NEAR(spoken.soundingSeconds(), 0.5, 0.03);

    // Ten seconds written, stopped at once: hardly anything sounds (no more
    // than the output played while they were written, which takes longer on
    // a busy or instrumented build), and the stale ticket is refused.
    output = dir.filePath(QStringLiteral("stopped.raw"));
    audio = std::make_unique<SdlAudio>(audio::SdlAudioOptions{"disk", QFile::encodeName(output), {}});
    platform::VoiceOutput& again = *audio->voice();
    t.restart();
    const std::uint64_t second = again.begin(22050);
    for (int k = 0; k < 20; ++k) EXPECT_TRUE(again.write(second, tone.data(), tone.size()));
    again.stop();
    const double writing = double(t.elapsed()) / 1000;
    EXPECT_FALSE(again.busy());
    EXPECT_FALSE(again.write(second, tone.data(), tone.size()));
    EXPECT_LT(recording().soundingSeconds(), writing + 0.2);
}

TEST(SdlAudioTiming, ASynchronousPlayLastsAsLongAsTheSoundOnTheDummyDriver) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.wav"));
    ASSERT_TRUE(testing_sound::writeFile(path, testing_sound::sineWav(300)));
    SdlAudio audio(audio::SdlAudioOptions{"dummy", {}, {}});
    ASSERT_EQ(audio.sendString(QStringLiteral("open \"%1\" type waveaudio alias xS2 wait").arg(path)), 0);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(audio.sendString(QStringLiteral("play xS2 from 0")), 0);
    EXPECT_LT(t.elapsed(), 100) << "without wait the play returns at once";
    EXPECT_EQ(audio.sendString(QStringLiteral("stop xS2")), 0);
    t.restart();
    EXPECT_EQ(audio.sendString(QStringLiteral("play xS2 from 0 wait")), 0);
    // The sound has been mixed to its end one buffer (23 ms) before it is heard to its end.
    EXPECT_GE(t.elapsed(), 300 - 30);
    EXPECT_LT(t.elapsed(), 1000);
}

TEST(SdlAudioTiming, OnlyOneInstanceHoldsTheMixer) {
    SdlAudio first(audio::SdlAudioOptions{"dummy", {}, {}});
    ASSERT_TRUE(first.open());
    SdlAudio second(audio::SdlAudioOptions{"dummy", {}, {}});
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.voice()->begin(22050), 0u);
}

// An output that stops taking samples, as a sound server does when it
// suspends the stream: the disk driver writing into a pipe nobody reads.
TEST(SdlAudioTiming, AWaitOnAnOutputThatStopsTakingSamplesEndsAfterTheSoundAndASecond) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.wav"));
    ASSERT_TRUE(testing_sound::writeFile(path, testing_sound::sineWav(1000)));
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("out.pipe")));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    std::atomic<bool> drain{false};
    std::thread reader([&] {
        const int fd = ::open(pipe.constData(), O_RDONLY);
        while (!drain) QThread::msleep(10);
        char buffer[4096];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    });
    qputenv("SDL_DISKAUDIODELAY", "0");
    auto audio = std::make_unique<SdlAudio>(audio::SdlAudioOptions{"disk", pipe, {}});
    ASSERT_EQ(audio->sendString(QStringLiteral("open \"%1\" type waveaudio alias xS2 wait").arg(path)), 0);
    QElapsedTimer t;
    t.start();
    EXPECT_NE(audio->sendString(QStringLiteral("play xS2 from 0 wait")), 0);
    EXPECT_GE(t.elapsed(), 1900);
    EXPECT_LT(t.elapsed(), 4000);
    drain = true;
    audio.reset();
    reader.join();
    qunsetenv("SDL_DISKAUDIODELAY");
}

// The program ends itself on SIGINT and SIGTERM; SDL must not take them.
TEST(SdlAudioTiming, StartingTheDeviceLeavesTheSignalsAlone) {
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction before {};
        ASSERT_EQ(::sigaction(signal, nullptr, &before), 0);
        ASSERT_EQ(before.sa_handler, SIG_DFL);
    }
    SdlAudio audio(audio::SdlAudioOptions{"dummy", {}, {}});
    ASSERT_TRUE(audio.open());
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction after {};
        ASSERT_EQ(::sigaction(signal, nullptr, &after), 0);
        EXPECT_EQ(after.sa_handler, SIG_DFL) << signal;
    }
}
