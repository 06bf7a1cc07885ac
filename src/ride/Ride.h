#pragma once
// A trip ridden by itself, for exhibitions and videos and for watching a
// route's data: the route set, a wait at each stop for its dwell, the next
// stop's announcement as the bus leaves, the display moved on at the next
// stop's arrival, and at the end a stop or a new start.
//
// The timetable is the clock: every departure and arrival keeps its place,
// counted from where the ride began, at any speed. An announcement already
// speaking is never cut off; above real speed one that would not end before
// the next stop is skipped, and the display moves at the stop's time as it
// does without announcements. So a late step never makes the rest late.
//
// Everything goes through the panel's own operations, as commands of the
// panel driver like any other program's: the route setting with its sound
// and lamp test, "データ送り" with the advance sound rules, "送り" for the
// announcements, late night and display clear as they are set. A hand on the
// panel wins: a stop moved by hand is where the ride carries on from, by its
// times, with the announcements cued to the stop ahead; display clear pauses
// the ride and unclearing resumes it; another route set ends it.
//
// One timer on the event loop drives it; the times come from the program's
// clock, so a test rides with a fake one.

#include "panel/PanelDriver.h"
#include "protocol/ControlProtocol.h"
#include "ride/RidePlan.h"

#include <QJsonArray>
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
        QString section = protocol::defaultOf(QStringLiteral("ride"), QStringLiteral("section")).toString();
        RidePace pace;
        bool loop = false;               // at the last stop, set the route again and ride on
    };

    // A checked "ride" command's arguments as a ride's options (what is left
    // out, the command's defaults).
    static Options optionsOf(const CommandCall& call);

    Ride(PanelDriver& driver, frmCtl& panel, QObject* parent = nullptr);
    ~Ride() override;

    // The "ride" command: do=start with the options, or do=stop.
    std::optional<Refusal> command(const CommandCall& call);

    // Starts a ride: its route is set before this returns. Refused, with the
    // reason, for a timetable that does not fit the route (its line and
    // what is wrong), or with the route setting's refusal (the display
    // cleared, no such route, a section past its end). A ride that runs is
    // ended first.
    std::optional<Refusal> start(const Options& options);
    // The route and section keyed in on the panel, else the route that is
    // set, into `options`; false where there is neither.
    bool takeRouteOfPanel(Options& options) const;
    void stop(const QString& reason = QString());
    bool running() const { return phase_ != Phase::Idle; }

    // For the control interface's state: running, speed, the timetable or
    // the interval, the next stop with its name, its time and the seconds
    // to it, the announcements skipped since the last stop, why the last
    // ride ended.
    QJsonObject state() const;

    // Does what is due by the clock now. The timer calls it; a test with a
    // fake clock calls it after moving the clock on.
    void tick();

signals:
    // "rideStarted", "rideDeparted", "rideArrived", "rideAnnouncementSkipped",
    // "rideEnded".
    void changed(const QString& event);

private:
    enum class Phase {
        Idle,
        Setting,    // the route setting asked for, not yet done
        Dwelling,   // at `row_` until its departure
        Travelling, // left `row_`: its announcements, then the next stop's arrival
    };

    void submit(const QString& name, const QVariantMap& args);
    void onReply(const QString& name, const std::optional<Refusal>& refusal);
    void onRouteSet();
    void at(int row, qint64 arrivalNs);
    void arrive(int row);
    void depart();
    void travel();
    bool fits(std::int32_t announcement, qint64 nowNs) const;
    void skip(std::int32_t announcement);
    void arriveNext();
    void setDeadline(qint64 atNs);
    void armTimer();
    qint64 nowNs() const;
    int currentRow() const;
    qint64 arrivalNs(int row) const;
    qint64 departureNs(int row) const;
    bool fast() const { return options_.pace.speed > 1; }

    PanelDriver& driver_;
    frmCtl& panel_;
    QTimer timer_;
    Options options_;
    std::optional<RidePlan> plan_;
    Phase phase_ = Phase::Idle;
    bool paused_ = false;
    bool waiting_ = false;        // one of our commands is on its way
    bool settingRoute_ = false;   // the route setting is ours: its signals are not a hand's
    bool starting_ = false;       // ...and it begins the ride
    int row_ = 0;                 // the stop the bus is at (or left)
    // Where the ride stands on the timetable's clock: its arrival at
    // `anchorRow_` was at `anchorNs_`. Moved only where the ride begins and
    // where a hand moves the bus.
    int anchorRow_ = 0;
    qint64 anchorNs_ = 0;
    qint64 deadlineNs_ = 0;
    // The announcements of the leg under way, by number: the next to play or
    // skip, and the last (the one that moves the display on). None when
    // next > last.
    std::int32_t nextAnnouncement_ = 0;
    std::int32_t lastAnnouncement_ = -1;
    bool movedByAnnouncement_ = false;
    qint64 voiceWaitSinceNs_ = 0; // since when the leg waits for the voice
    QJsonArray skipped_;          // this leg's skipped announcements
    QString ended_;               // why the last ride ended
    // The ride as a client of the panel's command queue: never gone.
    std::shared_ptr<panel::ClientTicket> ticket_ = std::make_shared<panel::ClientTicket>();
};

} // namespace ride
