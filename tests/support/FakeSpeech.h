#pragma once
// A recording speech engine for tests: its calls are kept in order as short
// texts ("stop", "speak:<text>", "status", "adjust:<title>"), the status it
// answers is set by the test, and making one can be refused. A voice of set
// lengths: a text given a length speaks for that long on the program's
// clock (Status answers 1 until then) and says so when asked.
// ScopedSpeechEngine installs its maker and puts the previous one back.

#include "platform/Seams.h"
#include "sound/SpeechEngine.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace sound::testing {

struct SpeechScript {
    QStringList calls;
    std::vector<QWidget*> adjustOwners;
    std::int32_t status = 0;  // what Status answers
    bool refuseToStart = false; // no engine can be made
    int made = 0;
    int alive = 0;
    std::function<void()> onRelease; // runs as an engine goes
    QHash<QString, qint64> lengthsMs; // texts that speak for a set time
    qint64 speakingUntilNs = 0;
};

class RecordingSpeechEngine final : public SpeechEngine {
public:
    explicit RecordingSpeechEngine(std::shared_ptr<SpeechScript> s) : s_(std::move(s)) { ++s_->alive; }
    ~RecordingSpeechEngine() override {
        --s_->alive;
        if (s_->onRelease) s_->onRelease();
    }
    void Speak(const QString& text) override {
        s_->calls << QStringLiteral("speak:") + text;
        if (s_->lengthsMs.contains(text)) {
            s_->speakingUntilNs = platform::clock().monotonicNs() + s_->lengthsMs.value(text) * 1'000'000;
            s_->status = 1;
        }
    }
    void Stop() override {
        s_->calls << QStringLiteral("stop");
        if (!s_->lengthsMs.isEmpty()) s_->status = 0;
    }
    std::int32_t Status() override {
        s_->calls << QStringLiteral("status");
        if (s_->status == 1 && !s_->lengthsMs.isEmpty() && platform::clock().monotonicNs() >= s_->speakingUntilNs)
            s_->status = 0;
        return s_->status;
    }
    qint64 speakingMs(const QString& text) override {
        return s_->lengthsMs.contains(text) ? s_->lengthsMs.value(text) : SpeechEngine::speakingMs(text);
    }
    void AdjustDialog(QWidget* owner, const QString& title) override {
        s_->calls << QStringLiteral("adjust:") + title;
        s_->adjustOwners.push_back(owner);
    }

private:
    std::shared_ptr<SpeechScript> s_;
};

class ScopedSpeechEngine {
public:
    ScopedSpeechEngine() : s_(std::make_shared<SpeechScript>()) {
        previous_ = installSpeechEngineMaker([s = s_]() -> std::unique_ptr<SpeechEngine> {
            if (s->refuseToStart) return nullptr;
            ++s->made;
            return std::make_unique<RecordingSpeechEngine>(s);
        });
    }
    ~ScopedSpeechEngine() { installSpeechEngineMaker(std::move(previous_)); }
    ScopedSpeechEngine(const ScopedSpeechEngine&) = delete;
    ScopedSpeechEngine& operator=(const ScopedSpeechEngine&) = delete;

    SpeechScript& script() { return *s_; }
    SpeechScript* operator->() { return s_.get(); }
    // The texts spoken, in order.
    QStringList spoken() const {
        QStringList out;
        for (const QString& c : s_->calls)
            if (c.startsWith(u"speak:")) out << c.mid(6);
        return out;
    }

private:
    std::shared_ptr<SpeechScript> s_;
    SpeechEngineMaker previous_;
};

} // namespace sound::testing
