#pragma once
// A trip ridden by itself, for exhibitions and videos and for watching a
// route's data: the route set, a wait at each stop for its dwell, the next
// stop's announcement shortly after leaving, the display moved on at the
// next stop's arrival, and at the end a stop or a new start.
//
// Everything goes through the panel's own operations, as commands of the
// panel driver like any other program's: the route setting with its sound
// and lamp test, "データ送り" with the advance sound rules, "送り" for the
// announcements, late night and display clear as they are set. A hand on the
// panel wins: a stop moved by hand is where the ride carries on from, by its
// times; display clear pauses the ride and unclearing resumes it; another
// route set ends it.
//
// One timer on the event loop drives it; the times come from the program's
// clock, so a test rides with a fake one.

#include "panel/PanelDriver.h"
#include "protocol/ControlProtocol.h"
#include "ride/RidePlan.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class frmCtl;

namespace ride {

using panel::Outcome;
using panel::PanelDriver;
using protocol::CommandCall;
using protocol::Refusal;

class Ride : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString route;                   // as keyed in: up to five digits
        QString section = QStringLiteral("1");
        RidePace pace;
        bool loop = false;               // at the last stop, set the route again and ride on
    };

    // A checked "ride" command's arguments as a ride's options (defaults:
    // section 1, speed 1, an interval of 60 s, a longest wait of 30 s).
    static Options optionsOf(const CommandCall& call);

    Ride(PanelDriver& driver, frmCtl& panel, QObject* parent = nullptr);
    ~Ride() override;

    // The "ride" command: do=start with the options, or do=stop.
    std::optional<Refusal> command(const CommandCall& call);

    // Starts a ride. Refused at once, with the reason, while the display is
    // cleared, for a route without fare data, or for a timetable that does
    // not fit the route (its line and what is wrong). A ride that runs is
    // ended first.
    std::optional<Refusal> start(const Options& options);
    void stop(const QString& reason = QString());
    bool running() const { return phase_ != Phase::Idle; }

    // For the control interface's state: running, speed, the timetable or
    // the interval, the next stop and the seconds to it, why the last ride
    // ended.
    QJsonObject state() const;

    // Does what is due by the clock now. The timer calls it; a test with a
    // fake clock calls it after moving the clock on.
    void tick();

signals:
    // "rideStarted", "rideEnded".
    void changed(const QString& event);

private:
    enum class Phase {
        Idle,
        Setting,    // the route setting asked for, not yet done
        Dwelling,   // at `row_` until the deadline
        Leaving,    // about to leave: the next stop's announcement, once the voice is free
        Travelling, // between `row_` and the next stop until the arrival
    };

    void submit(const QString& name, const QVariantMap& args);
    void onReply(const QString& name, const std::optional<Refusal>& refusal);
    void arrived(int row, qint64 atNs);
    void depart();
    void announce();
    void travel(qint64 leftNs);
    void arriveNext();
    void setDeadline(qint64 fromNowMs);
    void armTimer();
    qint64 nowNs() const;
    int currentRow() const;
    bool announcementsAhead() const;

    PanelDriver& driver_;
    frmCtl& panel_;
    QTimer timer_;
    Options options_;
    std::optional<RidePlan> plan_;
    Phase phase_ = Phase::Idle;
    bool paused_ = false;
    bool waiting_ = false;        // one of our commands is on its way
    int row_ = 0;                 // the stop the bus is at (or left)
    bool movedByAnnouncement_ = false;
    qint64 deadlineNs_ = 0;
    qint64 arrivalNs_ = 0;        // when the bus reaches the next stop
    qint64 voiceWaitSinceNs_ = 0; // since when the next announcement waits for the voice
    QString ended_;               // why the last ride ended
    // The ride as a client of the panel's command queue: never gone.
    std::shared_ptr<panel::ClientTicket> ticket_ = std::make_shared<panel::ClientTicket>();
};

} // namespace ride
