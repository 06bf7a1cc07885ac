#include "sound/EspeakSynth.h"

#include <QByteArray>
#include <atomic>
#include <espeak-ng/speak_lib.h>

namespace sound {

namespace {

std::atomic<bool> instanceAlive{false};

// The pieces the samples come in, in milliseconds of speech. The first piece
// of an announcement reaches the loudspeaker only when it is complete, so a
// small piece starts the voice sooner.
constexpr int kPieceMs = 20;

struct Run {
    const EspeakSynth::Sink* sink = nullptr;
    bool stopped = false;
};

int onSamples(short* samples, int count, espeak_EVENT* events) {
    auto* run = events ? static_cast<Run*>(events->user_data) : nullptr;
    if (!run || !samples || count <= 0) return 0;
    static_assert(sizeof(short) == sizeof(std::int16_t));
    if (!(*run->sink)(reinterpret_cast<const std::int16_t*>(samples), std::size_t(count))) {
        run->stopped = true;
        return 1; // abandon the rest
    }
    return 0;
}

// espeak-ng is started once and stays for the life of the process: version
// 1.51 hangs in espeak_Terminate once it has been initialised a second time
// (its queue thread is never woken), so it is neither terminated nor
// started again. Returns the sample rate, or 0 when it cannot start or has
// no Japanese voice.
int startLibrary() {
    static const int rate = [] {
        const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kPieceMs, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (r <= 0 || espeak_SetVoiceByName("ja") != EE_OK) return 0;
        espeak_SetSynthCallback(&onSamples);
        return r;
    }();
    return rate;
}

bool isLatinLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// What may continue a run of English words.
bool continuesLatin(QChar c) {
    return isLatinLetter(c) || (c >= u'0' && c <= u'9') || c == u' ' || c == u'.' || c == u',' || c == u'\'' ||
           c == u'-' || c == u'!' || c == u'?' || c == u':' || c == u';';
}

void appendEscaped(QString& out, QChar c) {
    if (c == u'&') out += QStringLiteral("&amp;");
    else if (c == u'<') out += QStringLiteral("&lt;");
    else if (c == u'>') out += QStringLiteral("&gt;");
    else out += c;
}

} // namespace

QString speechMarkup(const QString& reading) {
    QString out;
    qsizetype i = 0;
    while (i < reading.size()) {
        if (isLatinLetter(reading[i])) {
            out += QStringLiteral("<voice name=\"en\">");
            while (i < reading.size() && continuesLatin(reading[i])) appendEscaped(out, reading[i++]);
            out += QStringLiteral("</voice>");
        } else {
            appendEscaped(out, reading[i++]);
        }
    }
    return out;
}

std::unique_ptr<EspeakSynth> EspeakSynth::create() {
    if (instanceAlive.exchange(true)) return nullptr;
    const int rate = startLibrary();
    if (rate <= 0) {
        instanceAlive = false;
        return nullptr;
    }
    auto synth = std::unique_ptr<EspeakSynth>(new EspeakSynth(rate));
    synth->setVoice(VoiceSettings{});
    return synth;
}

EspeakSynth::~EspeakSynth() { instanceAlive = false; }

void EspeakSynth::setVoice(const VoiceSettings& voice) {
    espeak_SetParameter(espeakRATE, voice.rate, 0);
    espeak_SetParameter(espeakPITCH, voice.pitch, 0);
    espeak_SetParameter(espeakVOLUME, voice.volume, 0);
}

bool EspeakSynth::synthesize(const QString& reading, const Sink& sink) {
    Run run;
    run.sink = &sink;
    const QByteArray text = speechMarkup(reading).toUtf8();
    const espeak_ERROR result = espeak_Synth(text.constData(), size_t(text.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8 | espeakSSML, nullptr, &run);
    return result == EE_OK && !run.stopped;
}

} // namespace sound
