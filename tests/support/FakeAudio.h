#pragma once
// A recording sound output for tests: every command string is kept in order
// and answered by a handler (by default: success), and the speech voice keeps
// what it is given. Nothing sounds. ScopedAudio installs it and puts the
// previous output back.

#include "platform/Audio.h"
#include "tests/support/ScopedSeam.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::testing {

struct AudioScript {
    QStringList commands;
    // The result of a command; unset: 0 for every command.
    std::function<int(const QString& command)> onCommand;
};

// The speech voice: the samples of each utterance, by ticket.
class RecordingVoice final : public VoiceOutput {
public:
    std::uint64_t begin(int sampleRate) override {
        std::lock_guard lock(mutex_);
        if (refuse) return 0;
        current_ = ++last_;
        rate = sampleRate;
        utterances[current_];
        ++begins;
        return current_;
    }
    bool write(std::uint64_t ticket, const std::int16_t* samples, std::size_t count) override {
        std::lock_guard lock(mutex_);
        if (ticket != current_ || finished_.count(ticket)) return false;
        auto& u = utterances[ticket];
        u.insert(u.end(), samples, samples + count);
        return true;
    }
    void finish(std::uint64_t ticket) override {
        std::lock_guard lock(mutex_);
        if (ticket == current_) finished_[ticket] = true;
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        current_ = 0;
        ++stops;
    }
    bool busy() const override {
        std::lock_guard lock(mutex_);
        return current_ != 0 && (!finished_.count(current_) || holding);
    }
    // While holding, a finished utterance still counts as sounding, as on a
    // real device where the last samples are still to be played.
    void hold(bool on) {
        std::lock_guard lock(mutex_);
        holding = on;
    }
    bool finished(std::uint64_t ticket) const {
        std::lock_guard lock(mutex_);
        return finished_.count(ticket) > 0;
    }
    std::vector<std::int16_t> samples(std::uint64_t ticket) const {
        std::lock_guard lock(mutex_);
        const auto it = utterances.find(ticket);
        return it == utterances.end() ? std::vector<std::int16_t>{} : it->second;
    }
    std::uint64_t lastTicket() const {
        std::lock_guard lock(mutex_);
        return last_;
    }

    bool refuse = false; // begin fails, as a voice without a device
    int rate = 0;
    int begins = 0;
    int stops = 0;

private:
    bool holding = false;
    mutable std::mutex mutex_;
    std::uint64_t last_ = 0, current_ = 0;
    std::map<std::uint64_t, std::vector<std::int16_t>> utterances;
    std::map<std::uint64_t, bool> finished_;
};

class RecordingAudio final : public Audio {
public:
    using Seam = Audio;
    explicit RecordingAudio(std::shared_ptr<AudioScript> s) : s_(std::move(s)) {}
    int sendString(const QString& command) override {
        s_->commands << command;
        return s_->onCommand ? s_->onCommand(command) : 0;
    }
    VoiceOutput* voice() override { return &voice_; }

private:
    std::shared_ptr<AudioScript> s_;
    RecordingVoice voice_;
};

class ScopedAudio : public testing_support::ScopedSeam<AudioScript, RecordingAudio> {
public:
    QStringList& commands() { return s_->commands; }
};

} // namespace platform::testing
