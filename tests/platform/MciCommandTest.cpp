#include "platform/MciCommand.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::mci::Command;
using platform::mci::DeviceType;
using platform::mci::parseCommand;
using Verb = Command::Verb;

TEST(MciCommand, TheFourFormsTheSoundSlotsSend) {
    auto c = parseCommand(QStringLiteral(R"(open "/snd/chime.wav" type waveaudio alias LED-84S1 wait)"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->verb, Verb::Open);
    EXPECT_EQ(c->path, QStringLiteral("/snd/chime.wav"));
    EXPECT_EQ(c->type, DeviceType::WaveAudio);
    EXPECT_EQ(c->alias, QStringLiteral("LED-84S1"));

    c = parseCommand(QStringLiteral(R"(open "C:\バス\案内 1.mp3" type mpegvideo alias busS3 wait)"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->path, QStringLiteral("C:\\バス\\案内 1.mp3"));
    EXPECT_EQ(c->type, DeviceType::MpegVideo);
    c = parseCommand(QStringLiteral(R"(open "song.mid" type sequencer alias busS2 wait)"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->type, DeviceType::Sequencer);

    c = parseCommand(QStringLiteral("play busS2 from 0 wait"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->verb, Verb::Play);
    EXPECT_TRUE(c->wait);
    c = parseCommand(QStringLiteral("play busS2 from 0"));
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->wait);
    EXPECT_EQ(parseCommand(QStringLiteral("stop busS2"))->verb, Verb::Stop);
    EXPECT_EQ(parseCommand(QStringLiteral("close busS4"))->verb, Verb::Close);

    // Keywords in any case, as the classic interface takes them; a model
    // whose name holds a space keeps it in the alias.
    c = parseCommand(QStringLiteral(R"(OPEN "a.wav" Type WaveAudio ALIAS LED 84S1 Wait)"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->alias, QStringLiteral("LED 84S1"));
    EXPECT_EQ(parseCommand(QStringLiteral("Play LED 84S1 From 0"))->alias, QStringLiteral("LED 84S1"));
}

TEST(MciCommand, AnythingElseIsRefusedWhole) {
    const char* refused[] = {
        // A path holding a quote would end the quotes early and add
        // keywords of its own.
        R"(open "x.wav" type sequencer alias evil wait" type waveaudio alias busS1 wait)",
        R"(open "a"".wav" type waveaudio alias busS1 wait)",
        "open \"a.wav\" type waveaudio alias busS1 wait\nclose busS2",
        // Incomplete or unknown forms.
        R"(open "a.wav" type waveaudio alias busS1)",
        R"(open a.wav type waveaudio alias busS1 wait)",
        R"(open "" type waveaudio alias busS1 wait)",
        R"(open "a.wav" type cdaudio alias busS1 wait)",
        R"(open "a.wav" type waveaudio alias  wait)",
        "play busS1",
        "play busS1 from 10",
        "play busS1 from 0 notify",
        "stop busS1 wait",
        "close",
        "set busS1 audio all off",
        "status busS1 mode",
        "capability busS1 can play",
        "",
    };
    for (const char* text : refused) EXPECT_FALSE(parseCommand(QString::fromUtf8(text))) << text;
}
