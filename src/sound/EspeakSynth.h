#pragma once
// espeak-ng's Japanese voice, turning kana into samples. espeak-ng is one
// per process, so there is at most one of these at a time, and all its calls
// must come from one thread.

#include "sound/VoiceSettings.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace sound {

// The markup the synthesiser is given for a reading: the text escaped, and
// each run of words in Latin letters ("Next stop, Honmachi.") handed to the
// English voice, which reads it as words where the Japanese voice would spell
// it out letter by letter. Runs of digits alone stay Japanese (1 is イチ).
QString speechMarkup(const QString& reading);

class EspeakSynth {
public:
    // Takes samples as they are made; returns false to stop the synthesis.
    using Sink = std::function<bool(const std::int16_t* samples, std::size_t count)>;

    // Null when espeak-ng, its data or its Japanese voice cannot be loaded, or
    // another instance exists.
    static std::unique_ptr<EspeakSynth> create();
    ~EspeakSynth();
    EspeakSynth(const EspeakSynth&) = delete;
    EspeakSynth& operator=(const EspeakSynth&) = delete;

    int sampleRate() const { return sampleRate_; } // mono, 16-bit
    void setVoice(const VoiceSettings& voice);

    // Synthesises `reading` (kana, perhaps with words in Latin letters),
    // handing the samples to `sink` in pieces as they come. Returns false when
    // the synthesis failed or was stopped by the sink.
    bool synthesize(const QString& reading, const Sink& sink);

private:
    explicit EspeakSynth(int sampleRate) : sampleRate_(sampleRate) {}
    int sampleRate_;
};

} // namespace sound
