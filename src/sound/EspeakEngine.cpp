#include "sound/EspeakEngine.h"

#include "platform/Audio.h"
#include "sound/EspeakSynth.h"
#include "sound/JapaneseReading.h"
#include "sound/VoiceAdjustDialog.h"

namespace sound {

std::unique_ptr<EspeakEngine> EspeakEngine::create(std::shared_ptr<platform::VoiceOutput> voice) {
    if (!voice) return nullptr;
    std::unique_ptr<EspeakEngine> engine(new EspeakEngine(std::move(voice)));
    std::promise<bool> ready;
    std::future<bool> started = ready.get_future();
    engine->worker_ = std::thread(&EspeakEngine::run, engine.get(), std::move(ready));
    if (!started.get()) return nullptr; // the thread has ended; the destructor joins it
    return engine;
}

EspeakEngine::~EspeakEngine() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.reset();
    }
    voice_->stop(); // also ends a synthesis in progress at its next piece
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void EspeakEngine::run(std::promise<bool> ready) {
    // Everything of espeak-ng and MeCab lives on this thread.
    JapaneseReading reading;
    std::unique_ptr<EspeakSynth> synth = reading.ok() ? EspeakSynth::create() : nullptr;
    if (!synth) {
        ready.set_value(false);
        return;
    }
    sampleRate_ = synth->sampleRate();
    ready.set_value(true);

    while (true) {
        Job job;
        VoiceSettings settings;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_.has_value(); });
            if (quit_) return;
            job = std::move(*pending_);
            pending_.reset();
            settings = settings_;
        }
        const QString kana = reading.reading(job.text);
        synth->setVoice(settings);
        std::size_t made = 0;
        const bool whole =
            synth->synthesize(kana, [this, &made, ticket = job.ticket](const std::int16_t* samples, std::size_t count) {
                made += count;
                return voice_->write(ticket, samples, count);
            });
        voice_->finish(job.ticket);
        if (whole && sampleRate_ > 0) remember(job.text, settings.rate, qint64(made * 1000 / std::size_t(sampleRate_)));
    }
}

void EspeakEngine::Speak(const QString& text) {
    // The ticket is taken here, on the caller's thread: whatever was being
    // said stops now, and the status reads "speaking" from this moment on.
    const std::uint64_t ticket = voice_->begin(sampleRate_);
    lastStartFailed_ = ticket == 0;
    if (lastStartFailed_) return;
    {
        std::lock_guard lock(mutex_);
        pending_ = Job{ticket, text};
    }
    wake_.notify_one();
}

void EspeakEngine::Stop() {
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
    }
    voice_->stop();
}

std::int32_t EspeakEngine::Status() {
    if (lastStartFailed_) return -1;
    return voice_->busy() ? 1 : 0;
}

void EspeakEngine::remember(const QString& text, int rate, qint64 ms) {
    std::lock_guard lock(mutex_);
    if (rate != spokenRate_ || spokenMs_.size() >= kMaxSpokenLengths) {
        spokenMs_.clear();
        spokenRate_ = rate;
    }
    spokenMs_.insert(text, ms);
}

qint64 EspeakEngine::speakingMs(const QString& text) {
    std::lock_guard lock(mutex_);
    if (settings_.rate == spokenRate_) {
        if (const auto known = spokenMs_.constFind(text); known != spokenMs_.cend()) return *known;
    }
    return estimatedSpeakingMs(text, settings_.rate);
}

VoiceSettings EspeakEngine::voiceSettings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void EspeakEngine::setVoiceSettings(const VoiceSettings& settings) {
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

QString EspeakEngine::trialText() { return QStringLiteral("次は、中央駅前です。"); }

void EspeakEngine::AdjustDialog(QWidget* owner, const QString& title) {
    const VoiceSettings before = voiceSettings();
    VoiceAdjustDialog dialog(owner, title, before, [this](const VoiceSettings& trial) {
        setVoiceSettings(trial);
        Speak(trialText());
    });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    setVoiceSettings(accepted ? dialog.settings() : before);
}

void installEspeakEngine() {
    installSpeechEngineMaker([]() -> std::unique_ptr<SpeechEngine> { return EspeakEngine::create(platform::sharedVoice()); });
}

} // namespace sound
