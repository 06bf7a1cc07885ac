#pragma once
// Recording fakes of the seams, for tests. Each Scoped* object installs its
// fakes on construction and puts the previous implementations back when it
// goes out of scope.

#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "tests/support/ScopedSeam.h"

#include <QCoreApplication>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace platform::testing {

// ---- message boxes -------------------------------------------------------------

struct MessageLog {
    std::vector<MessageRequest> shown;
    std::deque<MsgAnswer> answers; // given in order; when empty, the first button's answer
    std::function<void(const MessageRequest&)> onShow; // runs before the answer is returned
};

class RecordingMessageBoxes final : public MessageBoxes {
public:
    using Seam = MessageBoxes;
    explicit RecordingMessageBoxes(std::shared_ptr<MessageLog> log) : log_(std::move(log)) {}
    MsgAnswer show(const MessageRequest& request) override {
        log_->shown.push_back(request);
        if (log_->onShow) log_->onShow(request);
        if (!log_->answers.empty()) {
            const MsgAnswer a = log_->answers.front();
            log_->answers.pop_front();
            return a;
        }
        switch (request.buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
        case MsgButtons::RetryCancel: return MsgAnswer::Retry;
        default: return MsgAnswer::Ok;
        }
    }

private:
    std::shared_ptr<MessageLog> log_;
};

class ScopedMessageBoxes : public testing_support::ScopedSeam<MessageLog, RecordingMessageBoxes> {
public:
    MessageLog& log() { return *s_; }
    const std::vector<MessageRequest>& shown() const { return s_->shown; }
    void answer(MsgAnswer a) { s_->answers.push_back(a); }
};

// ---- time: waits and the clock together -------------------------------------------

struct FakeTimeState {
    QDateTime wall = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 0));
    qint64 monotonicNs = 1'000'000'000;
    std::vector<int> sleeps;     // every Sleep, in milliseconds
    int eventRounds = 0;         // DoEvents and WaitForEvents calls
    bool processRealEvents = false; // also let Qt handle its pending events
    std::function<void()> onEvents; // runs on every DoEvents / WaitForEvents
    std::function<void()> onWait;   // runs on every WaitForEvents only (a loop idling for input)
    std::function<void(int)> onSleep; // runs on every Sleep, with its milliseconds

    void advance(qint64 ms) {
        wall = wall.addMSecs(ms);
        monotonicNs += ms * 1'000'000;
    }
};

class FakeWaits final : public Waits {
public:
    using Seam = Waits;
    explicit FakeWaits(std::shared_ptr<FakeTimeState> s) : s_(std::move(s)) {}
    void Sleep(int ms) override {
        s_->sleeps.push_back(ms);
        s_->advance(ms);
        if (s_->onSleep) {
            auto hook = s_->onSleep;
            hook(ms);
        }
    }
    void DoEvents() override { events(); }
    void WaitForEvents(int ms) override {
        s_->advance(ms);
        events();
        if (s_->onWait) {
            auto hook = s_->onWait;
            hook();
        }
    }

private:
    void events() {
        ++s_->eventRounds;
        if (s_->processRealEvents) QCoreApplication::processEvents();
        if (s_->onEvents) {
            // Copy first: the hook may replace itself.
            auto hook = s_->onEvents;
            hook();
        }
    }
    std::shared_ptr<FakeTimeState> s_;
};

class FakeClock final : public Clock {
public:
    using Seam = Clock;
    explicit FakeClock(std::shared_ptr<FakeTimeState> s) : s_(std::move(s)) {}
    QDateTime now() const override { return s_->wall; }
    qint64 monotonicNs() const override { return s_->monotonicNs; }

private:
    std::shared_ptr<FakeTimeState> s_;
};

class ScopedFakeTime : public testing_support::ScopedSeam<FakeTimeState, FakeWaits, FakeClock> {
public:
    FakeTimeState& state() { return *s_; }
};

// ---- the program's identity ----------------------------------------------------

// The program as the model `model` living in `folder` (its settings file and
// sound aliases follow), the previous identity back at the end of the scope.
class ScopedProgramIdentity {
public:
    ScopedProgramIdentity(const QString& folder, const QString& model) : previous_(programIdentity()) {
        setProgramIdentity({folder, model});
    }
    ~ScopedProgramIdentity() { setProgramIdentity(previous_); }
    ScopedProgramIdentity(const ScopedProgramIdentity&) = delete;
    ScopedProgramIdentity& operator=(const ScopedProgramIdentity&) = delete;

private:
    ProgramIdentity previous_;
};

} // namespace platform::testing
