#include "Seams.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <thread>

namespace platform {

namespace {

class QtMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(const MessageRequest& r) override {
        QMessageBox box(r.owner);
        box.setWindowTitle(r.title.isEmpty() ? kAppTitle : r.title);
        box.setText(r.text);
        switch (r.icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton escape = QMessageBox::NoButton;
        switch (r.buttons) {
        case MsgButtons::Ok: buttons = QMessageBox::Ok; escape = QMessageBox::Ok; break;
        case MsgButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; escape = QMessageBox::Cancel; break;
        case MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; escape = QMessageBox::No; break;
        case MsgButtons::YesNoCancel:
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case MsgButtons::RetryCancel:
            buttons = QMessageBox::Retry | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        }
        box.setStandardButtons(buttons);
        if (escape != QMessageBox::NoButton) box.setEscapeButton(escape);
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        case QMessageBox::Retry: return MsgAnswer::Retry;
        default: break;
        }
        // Closed by the window manager: the answer a Cancel or No would give.
        if (r.buttons == MsgButtons::YesNo) return MsgAnswer::No;
        if (r.buttons == MsgButtons::Ok) return MsgAnswer::Ok;
        return MsgAnswer::Cancel;
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
        // sleep.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
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

template <class T, class Real> struct Slot {
    std::unique_ptr<T> impl = std::make_unique<Real>();
    std::unique_ptr<T> replace(std::unique_ptr<T> next) {
        if (!next) next = std::make_unique<Real>();
        std::swap(impl, next);
        return next;
    }
};

Slot<MessageBoxes, QtMessageBoxes>& boxSlot() {
    static Slot<MessageBoxes, QtMessageBoxes> s;
    return s;
}
Slot<Waits, RealWaits>& waitSlot() {
    static Slot<Waits, RealWaits> s;
    return s;
}
Slot<Clock, RealClock>& clockSlot() {
    static Slot<Clock, RealClock> s;
    return s;
}

} // namespace

MessageBoxes& messageBoxes() { return *boxSlot().impl; }
Waits& waits() { return *waitSlot().impl; }
Clock& clock() { return *clockSlot().impl; }

std::unique_ptr<MessageBoxes> install(std::unique_ptr<MessageBoxes> impl) { return boxSlot().replace(std::move(impl)); }
std::unique_ptr<Waits> install(std::unique_ptr<Waits> impl) { return waitSlot().replace(std::move(impl)); }
std::unique_ptr<Clock> install(std::unique_ptr<Clock> impl) { return clockSlot().replace(std::move(impl)); }

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title, QWidget* owner) {
    return messageBoxes().show(MessageRequest{owner, text, title, icon, buttons});
}

} // namespace platform
