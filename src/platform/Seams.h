#pragma once
// Everything that blocks, asks the user or reads the time goes through one of
// these small interfaces. The waits and the clock are real by default; the
// message boxes are Qt's once platform_ui has installed them (until then a box
// is written to the error output). Tests install recording fakes
// (tests/support/FakeSeams.h) so that no test waits for real, opens a modal
// box or depends on today's date by accident.

#include <QDateTime>
#include <QString>
#include <memory>

class QWidget;

namespace platform {

// ---- message boxes, in the manner of the classic MsgBox ----------------------

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// Title shown by a box that names none.
inline const QString kAppTitle = QStringLiteral("Ferrotab Ver4");

struct MessageRequest {
    QWidget* owner = nullptr;
    QString text;
    QString title; // empty: the application title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

// The answer of a box closed without a choice (Escape, the window manager):
// what its cancelling button gives.
MsgAnswer cancellingAnswer(MsgButtons buttons);

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer show(const MessageRequest& request) = 0;
};

// ---- waits and event processing ------------------------------------------------

class Waits {
public:
    virtual ~Waits() = default;
    // Blocks the user-interface thread: nothing is painted or handled.
    virtual void Sleep(int milliseconds) = 0;
    // Handles the events that are pending now and returns.
    virtual void DoEvents() = 0;
    // Handles events as they come, sleeping while there are none, for at most
    // `milliseconds`; returns early once at least one event was handled after
    // the first wake-up. Used by loops that must stay responsive without
    // spinning a core.
    virtual void WaitForEvents(int milliseconds) = 0;
};

// ---- the clock -----------------------------------------------------------------

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time of day.
    virtual QDateTime now() const = 0;
    // Monotonic time in nanoseconds from an arbitrary origin, for pacing.
    virtual qint64 monotonicNs() const = 0;
};

// ---- the current implementations ---------------------------------------------------

MessageBoxes& messageBoxes();
Waits& waits();
Clock& clock();

// Install an implementation; returns the one it replaces so the caller can put
// it back. Passing null restores the real implementation.
std::unique_ptr<MessageBoxes> install(std::unique_ptr<MessageBoxes> impl);
std::unique_ptr<Waits> install(std::unique_ptr<Waits> impl);
std::unique_ptr<Clock> install(std::unique_ptr<Clock> impl);

// ---- convenience wrappers used throughout the program ------------------------

MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 const QString& title = {}, QWidget* owner = nullptr);
inline void Sleep(int milliseconds) { waits().Sleep(milliseconds); }
inline void DoEvents() { waits().DoEvents(); }

// The machine's steady clock in milliseconds, never faked: for moments that
// another thread compares with its own (the strip's scroll as the control
// server passes it on).
qint64 steadyMs();

} // namespace platform
