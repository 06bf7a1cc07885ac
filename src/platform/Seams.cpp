#include "platform/Seams.h"

#include "platform/SeamSlot.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {

namespace {

// Without a user interface (the command-line tools, tests that install
// nothing) a box is written to the error output and answered with its
// cancelling button, so nothing is ever agreed to unseen. The program
// installs the Qt boxes of platform_ui at start.
class ConsoleMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(const MessageRequest& r) override {
        const QString title = r.title.isEmpty() ? kAppTitle : r.title;
        std::fprintf(stderr, "[%s] %s\n", title.toLocal8Bit().constData(), r.text.toLocal8Bit().constData());
        return cancellingAnswer(r.buttons);
    }
};

class RealWaits final : public Waits {
public:
    void Sleep(int milliseconds) override {
        if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    void DoEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }
    void WaitForEvents(int milliseconds) override {
        if (milliseconds <= 0) {
            DoEvents();
            return;
        }
        // processEvents with WaitForMoreEvents sleeps in the event
        // dispatcher until something arrives; a single-shot timer bounds the
        // sleep (its own event ends the wait; asking the loop to quit would
        // also wake the dispatcher once more for nothing).
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.start(milliseconds);
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (timer.isActive()) timer.stop();
    }
};

class RealClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 monotonicNs() const override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

SeamSlot<MessageBoxes, ConsoleMessageBoxes>& boxSlot() {
    static SeamSlot<MessageBoxes, ConsoleMessageBoxes> s;
    return s;
}
SeamSlot<Waits, RealWaits>& waitSlot() {
    static SeamSlot<Waits, RealWaits> s;
    return s;
}
SeamSlot<Clock, RealClock>& clockSlot() {
    static SeamSlot<Clock, RealClock> s;
    return s;
}

} // namespace

MessageBoxes& messageBoxes() { return *boxSlot().impl; }
Waits& waits() { return *waitSlot().impl; }
Clock& clock() { return *clockSlot().impl; }

std::unique_ptr<MessageBoxes> install(std::unique_ptr<MessageBoxes> impl) { return boxSlot().replace(std::move(impl)); }
std::unique_ptr<Waits> install(std::unique_ptr<Waits> impl) { return waitSlot().replace(std::move(impl)); }
std::unique_ptr<Clock> install(std::unique_ptr<Clock> impl) { return clockSlot().replace(std::move(impl)); }

MsgAnswer cancellingAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    default: return MsgAnswer::Cancel;
    }
}

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title, QWidget* owner) {
    return messageBoxes().show(MessageRequest{owner, text, title, icon, buttons});
}

} // namespace platform
