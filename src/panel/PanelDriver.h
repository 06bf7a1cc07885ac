#pragma once
// Presses the operation panel's buttons for other programs, one command at a
// time in the order they came, and tells them what the device now shows.
//
// Every command goes through the panel's own operations, as a hand on the
// panel would, and meets what a hand would meet: a disabled button or switch
// (no route set, the display cleared), the last stop, a dialog open on the
// panel. Those are refused before anything is pressed.
//
// The panel's operations block the one user-interface thread inside their
// handlers: the lamp test, a sound played to its end, and the stop-name
// strip, whose first long name scrolls inside the call that set it until a
// later name ends it. So a command is answered as soon as its effect is on
// the device (the fares shown, its name going to the strip), not when its
// call returns; and the next command runs only where a hand's click would be
// handled: from the program's event loop or from inside the strip's scroll
// loop, never from the brief event handling in the middle of an operation,
// which would nest one command inside another without end.

#include "protocol/ControlProtocol.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <deque>
#include <memory>
#include <functional>
#include <optional>
#include <vector>

class Form1;
class frmCtl;

namespace panel {

using protocol::CommandCall;
using protocol::Refusal;

// What a command came to: done, or why it was refused.
struct Outcome {
    std::optional<Refusal> refusal;
};

// Whoever sends commands: a program at the other end of a connection, or the
// ride. Once it has gone, its commands still waiting are dropped, not run.
struct ClientTicket {
    std::atomic<bool> present{true};
};

class PanelDriver : public QObject {
    Q_OBJECT
public:
    // Commands a single client may have waiting; more are refused as busy.
    static constexpr int kMaxWaitingPerClient = 64;

    PanelDriver(frmCtl& panel, Form1& display, QObject* parent = nullptr);
    ~PanelDriver() override;

    // Queues a command of `client`; `reply` runs once, with its outcome, when
    // the command's effect is shown or it was refused. A command whose client
    // has gone before its turn is dropped without a reply; one under way is
    // completed all the same.
    using Reply = std::function<void(const Outcome&)>;
    void submit(const CommandCall& call, std::shared_ptr<ClientTicket> client, Reply reply);

    // The route setting of the "route" command, run at once: for the ride's
    // start, which answers only once it knows how the setting went. Refused
    // while the display is cleared; a setting that fails gives the panel's
    // message on one line.
    std::optional<Refusal> setRoute(const QString& route, const QString& section);

    // The timetable ride's command, given by whoever keeps the ride.
    std::function<std::optional<Refusal>(const CommandCall&)> rideCommand;
    // Tells the watchers of a change that is not the panel's own.
    void notify(const QString& event) { emit changed(event); }

signals:
    // Something changed on the device: "routeSet", "stopChanged",
    // "displayClear", "lateNight", "backlight", "announcementStarted",
    // "announcementEnded", "settingsApplied", the ride's ("rideStarted",
    // "rideDeparted", "rideArrived", "rideAnnouncementSkipped", "rideEnded"),
    // "entry" (the keypad page's displays).
    void changed(const QString& event);

private:
    struct Waiting {
        CommandCall call;
        std::shared_ptr<ClientTicket> client;
        Reply reply;
        quint64 serial = 0;
    };
    struct Handler {
        std::function<std::optional<Refusal>(const CommandCall&)> refusal; // before acting
        std::function<std::optional<Refusal>(const CommandCall&)> act;     // its own failure
    };

    void addHandlers();
    void schedule();
    void runNext();
    bool mayStartNow() const;
    void finishRunning(const std::optional<Refusal>& refusal);
    void forget(const Waiting& done);
    void onStopShown();
    std::optional<Refusal> panelBusy() const;
    std::optional<Refusal> rideRefusal() const;

    frmCtl& panel_;
    Form1& display_;
    QHash<QString, Handler> handlers_;
    std::deque<Waiting> queue_;
    QHash<const ClientTicket*, int> waitingPerClient_;
    std::optional<Waiting> running_; // started, not yet answered
    // The operations whose calls have not returned, innermost last: whether
    // the strip was scrolling when each began.
    std::vector<bool> calls_;
    QTimer retry_;
    bool posted_ = false;
    quint64 serial_ = 0;
    QString pendingEvent_; // what the next shown stop completes
};

} // namespace panel
