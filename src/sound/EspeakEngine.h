#pragma once
// The speech engine that reads the announcements: MeCab turns the text into
// its kana reading, espeak-ng's Japanese voice turns that into samples, and
// the samples stream into the sound output's voice channel, over whatever
// the sound slots are playing.
//
// Reading and synthesis run on a thread of the engine's own, so a long
// announcement never holds up the operation panel: Speak returns at once and
// the voice starts with the first piece of speech, while the rest is still
// being made. A new Speak or a Stop cuts the voice off at once and abandons
// the synthesis in progress.

#include "sound/SpeechEngine.h"
#include "sound/VoiceSettings.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {
class VoiceOutput;
}

namespace sound {

class EspeakEngine final : public SpeechEngine {
public:
    // The engine speaking on `voice`, holding a share of it. Null when there
    // is no voice, or the synthesiser, its Japanese voice or the reading
    // dictionary cannot be loaded, or another engine is alive.
    static std::unique_ptr<EspeakEngine> create(std::shared_ptr<platform::VoiceOutput> voice);
    ~EspeakEngine() override;
    EspeakEngine(const EspeakEngine&) = delete;
    EspeakEngine& operator=(const EspeakEngine&) = delete;

    void Speak(const QString& text) override;
    void Stop() override;
    std::int32_t Status() override;
    void AdjustDialog(QWidget* owner, const QString& title) override;
    // Exact for a text spoken to its end at the voice's speed as it is now;
    // estimated otherwise.
    qint64 speakingMs(const QString& text) override;

    // The voice's speed, pitch and volume, for the texts spoken from now on.
    VoiceSettings voiceSettings() const;
    void setVoiceSettings(const VoiceSettings& settings);

    // What the dialog's trial button speaks.
    static QString trialText();

private:
    explicit EspeakEngine(std::shared_ptr<platform::VoiceOutput> voice) : voice_(std::move(voice)) {}
    void run(std::promise<bool> ready);
    void remember(const QString& text, int rate, qint64 ms);

    struct Job {
        std::uint64_t ticket = 0;
        QString text;
    };

    const std::shared_ptr<platform::VoiceOutput> voice_;
    std::thread worker_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> pending_; // under mutex_
    bool quit_ = false;          // under mutex_
    VoiceSettings settings_;     // under mutex_
    // How long the texts synthesised to their end took, at the speed
    // `spokenRate_`; at most kMaxSpokenLengths of them. Under mutex_.
    static constexpr int kMaxSpokenLengths = 1024;
    QHash<QString, qint64> spokenMs_;
    int spokenRate_ = 0;
    std::atomic<int> sampleRate_{0};
    bool lastStartFailed_ = false; // the user-interface thread's
};

// Installs the maker of this engine as the program's speech engine: each
// engine speaks on the voice of the sound output installed when it is made.
void installEspeakEngine();

} // namespace sound
