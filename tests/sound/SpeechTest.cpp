// The real speech engine: MeCab's reading, espeak-ng's samples, the engine's
// thread feeding a recording voice, how long a text speaks, and the
// adjustment dialog.
#include "sound/EspeakEngine.h"
#include "sound/EspeakSynth.h"
#include "sound/JapaneseReading.h"
#include "sound/VoiceAdjustDialog.h"

#include "tests/support/FakeAudio.h"
#include "tests/support/QtPrinters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using sound::EspeakEngine;
using sound::EspeakSynth;
using sound::JapaneseReading;
using sound::VoiceSettings;

namespace {

bool isKanaOrPunctuation(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x30A0 && u <= 0x30FF) || (u >= 0x3040 && u <= 0x309F) || u == u'、' || u == u'。' ||
           u == u'（' || u == u'）' || u == u' ';
}

std::vector<std::int16_t> synthesize(EspeakSynth& synth, const QString& kana) {
    std::vector<std::int16_t> out;
    EXPECT_TRUE(synth.synthesize(kana, [&out](const std::int16_t* s, std::size_t n) {
        out.insert(out.end(), s, s + n);
        return true;
    }));
    return out;
}

// The synthesis thread is real; it takes a few tens of milliseconds.
bool waitUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10000) QThread::msleep(2);
    return done();
}

} // namespace

TEST(JapaneseReading, AKanjiSentenceReadsAsKana) {
    JapaneseReading reading;
    ASSERT_TRUE(reading.ok()) << "MeCab's IPA dictionary is needed (mecab-ipadic-utf8)";
    // Pronounced, not spelled: the particle は sounds ワ, long vowels are drawn out.
    EXPECT_EQ(reading.reading(QStringLiteral("次は、中央駅前です。")), QStringLiteral("ツギワ、チューオーエキマエデス。"));
    const QString stop = reading.reading(QStringLiteral("次は、県立桜川病院（正面玄関）です。"));
    for (QChar c : stop) EXPECT_TRUE(isKanaOrPunctuation(c)) << stop.toStdString();
    // The small ケ of a place name, and words of other scripts kept apart.
    EXPECT_EQ(reading.reading(QStringLiteral("朝日ヶ丘")), QStringLiteral("アサヒガオカ"));
    EXPECT_EQ(reading.reading(QStringLiteral("Next stop")), QStringLiteral("Next stop"));
}

TEST(EspeakSynth, EnglishWordsGoToTheEnglishVoiceAndTheRestIsEscaped) {
    EXPECT_EQ(sound::speechMarkup(QStringLiteral("ツギワ、ホンマチデス。Next stop, Honmachi.")),
              QStringLiteral("ツギワ、ホンマチデス。<voice name=\"en\">Next stop, Honmachi.</voice>"));
    EXPECT_EQ(sound::speechMarkup(QStringLiteral("1チョーメ")), QStringLiteral("1チョーメ"));
    EXPECT_EQ(sound::speechMarkup(QStringLiteral("<A&B>")),
              QStringLiteral("&lt;<voice name=\"en\">A</voice>&amp;<voice name=\"en\">B</voice>&gt;"));

    // Read as words, the English is far shorter than spelt out.
    auto synth = EspeakSynth::create();
    ASSERT_TRUE(synth);
    const auto words = synthesize(*synth, QStringLiteral("Next stop, Honmachi."));
    EXPECT_LT(double(words.size()) / synth->sampleRate(), 2.5);
}

TEST(EspeakSynth, ASentenceGivesMoreSpeechThanOneWord) {
    JapaneseReading reading;
    auto synth = EspeakSynth::create();
    ASSERT_TRUE(synth) << "espeak-ng with its Japanese voice is needed";
    EXPECT_FALSE(EspeakSynth::create()) << "one synthesiser per process";
    const auto word = synthesize(*synth, reading.reading(QStringLiteral("駅")));
    const auto sentence = synthesize(*synth, reading.reading(QStringLiteral("次は、中央駅前です。")));
    EXPECT_FALSE(word.empty());
    EXPECT_GT(sentence.size(), 2 * word.size());
    // Not silence: speech has some loudness.
    int peak = 0;
    for (std::int16_t s : sentence) peak = std::max(peak, std::abs(int(s)));
    EXPECT_GT(peak, 3000);
    // More than a second of speech at the synthesiser's rate.
    EXPECT_GT(double(sentence.size()) / synth->sampleRate(), 1.0);

    // A slower voice takes longer over the same words.
    synth->setVoice(VoiceSettings{100, 50, 100});
    EXPECT_GT(synthesize(*synth, reading.reading(QStringLiteral("次は、中央駅前です。"))).size(), sentence.size());
}

TEST(EspeakEngine, SpeaksOnItsThreadIntoTheVoice) {
    const auto shared = std::make_shared<platform::testing::RecordingVoice>();
    auto& voice = *shared;
    auto engine = EspeakEngine::create(shared);
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->Status(), 0);
    voice.hold(true);
    engine->Speak(QStringLiteral("次は、中央駅前です。"));
    EXPECT_EQ(engine->Status(), 1) << "preparing counts as speaking, never as a failure";
    const std::uint64_t ticket = voice.lastTicket();
    ASSERT_TRUE(waitUntil([&] { return voice.finished(ticket); }));
    EXPECT_GT(double(voice.samples(ticket).size()) / voice.rate, 1.0);
    EXPECT_EQ(engine->Status(), 1) << "speaking to the end";
    voice.hold(false);
    EXPECT_EQ(engine->Status(), 0);
}

TEST(EspeakEngine, StopCutsTheVoiceOffAndANewTextReplacesTheOld) {
    const auto shared = std::make_shared<platform::testing::RecordingVoice>();
    auto& voice = *shared;
    auto engine = EspeakEngine::create(shared);
    ASSERT_TRUE(engine);
    const QString longText = QStringLiteral("ご乗車ありがとうございます。このバスは、朝日ヶ丘、桜川港経由、みなと台営業所行きです。");
    engine->Speak(longText);
    const std::uint64_t first = voice.lastTicket();
    engine->Stop();
    EXPECT_EQ(engine->Status(), 0);
    EXPECT_FALSE(voice.busy());

    engine->Speak(longText);
    const std::uint64_t second = voice.lastTicket();
    engine->Speak(QStringLiteral("終点です。"));
    const std::uint64_t third = voice.lastTicket();
    ASSERT_TRUE(waitUntil([&] { return voice.finished(third); }));
    EXPECT_FALSE(voice.finished(first));
    EXPECT_FALSE(voice.finished(second));
    EXPECT_FALSE(voice.samples(third).empty());
}

TEST(EspeakEngine, NoVoiceNoEngineAndAVoiceThatCannotSoundGivesMinusOne) {
    EXPECT_FALSE(EspeakEngine::create(nullptr));
    const auto shared = std::make_shared<platform::testing::RecordingVoice>();
    auto& voice = *shared;
    voice.refuse = true;
    auto engine = EspeakEngine::create(shared);
    ASSERT_TRUE(engine);
    engine->Speak(QStringLiteral("次は"));
    EXPECT_EQ(engine->Status(), -1);
    EXPECT_FALSE(EspeakEngine::create(shared)) << "one engine at a time";
}

// The program's engine speaks on the output installed when it was made; a
// test (or anything else) installing another output meanwhile must not pull
// the voice from under the engine's thread.
TEST(EspeakEngine, AnOutputReplacedWhileSpeakingLivesUntilTheEngineLetsGo) {
    auto first = std::make_shared<platform::testing::RecordingAudio>(std::make_shared<platform::testing::AudioScript>());
    auto* voice = static_cast<platform::testing::RecordingVoice*>(first->voice());
    const std::weak_ptr<platform::Audio> watch = first;
    auto previous = platform::install(std::move(first));
    sound::installEspeakEngine();
    auto engine = sound::CreateSpeechEngine();
    ASSERT_TRUE(engine);
    engine->Speak(QStringLiteral("ご乗車ありがとうございます。このバスは、みなと台営業所行きです。"));
    platform::install(nullptr); // the output goes while the engine's thread writes to it
    EXPECT_FALSE(watch.expired());
    const std::uint64_t ticket = voice->lastTicket();
    ASSERT_TRUE(waitUntil([&] { return voice->finished(ticket); }));
    EXPECT_FALSE(voice->samples(ticket).empty()) << "the speech went on into the old voice";
    engine.reset();
    EXPECT_TRUE(watch.expired());
    platform::install(std::move(previous));
    sound::installSpeechEngineMaker({});
}

TEST(EspeakEngine, TheAdjustmentIsKeptOnOkAndDroppedOnCancel) {
    auto engine = EspeakEngine::create(std::make_shared<platform::testing::RecordingVoice>());
    ASSERT_TRUE(engine);
    QWidget owner;
    auto answer = [](bool ok, int rate) {
        QTimer::singleShot(0, [ok, rate] {
            auto* d = qobject_cast<sound::VoiceAdjustDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(d);
            d->rateSlider->setValue(rate);
            (ok ? d->okButton : d->cancelButton)->click();
        });
    };
    answer(true, 250);
    engine->AdjustDialog(&owner, QStringLiteral("音声の調節"));
    EXPECT_EQ(engine->voiceSettings().rate, 250);
    answer(false, 90);
    engine->AdjustDialog(&owner, QStringLiteral("音声の調節"));
    EXPECT_EQ(engine->voiceSettings().rate, 250);
}

// How long each of the sample route's announcements speaks, before and after.
TEST(EspeakEngine, KnowsHowLongATextSpeaks) {
    const auto shared = std::make_shared<platform::testing::RecordingVoice>();
    auto& voice = *shared;
    auto engine = EspeakEngine::create(shared);
    ASSERT_TRUE(engine);
    QFile sample(QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/route1_announcements.csv"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    for (const QString& line : QString::fromUtf8(sample.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        QString text = line.section(u',', 0, -3);
        if (text.startsWith(u'"')) text = text.mid(1).chopped(1);
        const qint64 estimate = engine->speakingMs(text);
        engine->Speak(text);
        const std::uint64_t ticket = voice.lastTicket();
        ASSERT_TRUE(waitUntil([&] { return voice.finished(ticket); }));
        const qint64 spoken = qint64(voice.samples(ticket).size() * 1000 / std::size_t(voice.rate));
        ASSERT_TRUE(waitUntil([&] { return engine->speakingMs(text) == spoken; }));
        // Estimated from the text a little long, never far off; exact once spoken.
        EXPECT_GT(estimate, spoken * 9 / 10) << text.toStdString();
        EXPECT_LT(estimate, spoken * 4 / 3) << text.toStdString();
    }
}
