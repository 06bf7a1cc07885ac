#include "ride/Ride.h"

#include "panel/PanelDriver.h"
#include "panel/PanelLogic.h"
#include "panel/frmCtl.h"
#include "platform/Seams.h"
#include "route/FareDataFile.h"
#include "route/RouteFiles.h"
#include "route/mdlOrv_000.h"
#include "sound/mdlM_Tape.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

namespace ride {

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
// How often a leg waiting for the voice to end asks again.
constexpr qint64 kVoicePollMs = 50;
// How soon a step the panel could not take (a dialog open on it) is tried again.
constexpr qint64 kRetryMs = 500;
// The pause at the terminal before a ride that loops begins again, when the
// timetable gives none (real time, within the longest wait).
constexpr qint64 kTerminalPauseMs = 3000;

// The announcements that belong to the leg from `row` to the next stop, as
// the first and last number (none when first > last). Each announcement
// that moves the display on (advance flag 1) ends a leg: the leg from row r
// runs after the (r - 1)th of them up to the r-th, greetings before it
// included. A route whose announcements never move the display has one for
// each leg, in order.
std::pair<std::int32_t, std::int32_t> legAnnouncements(int row) {
    const std::int32_t count = mdlM_Tape::TapeCount();
    std::vector<std::int32_t> movers;
    for (std::int32_t n = 1; n <= count; ++n)
        if (mdlM_Tape::TapeAdvanceFlag(n) == 1) movers.push_back(n);
    if (movers.empty()) return {row, std::min(row, count)};
    if (row - 1 > int(movers.size())) return {1, 0};
    const std::int32_t after = row == 1 ? 0 : movers[size_t(row - 2)];
    const std::int32_t last = row <= int(movers.size()) ? movers[size_t(row - 1)] : count;
    return {after + 1, last};
}

} // namespace

Ride::Options Ride::optionsOf(const CommandCall& call) {
    Options o;
    const QVariantMap& a = call.args;
    o.route = a.value(QStringLiteral("route")).toString();
    o.section = a.value(QStringLiteral("section"), o.section).toString();
    o.pace.speed = a.value(QStringLiteral("speed"), o.pace.speed).toDouble();
    o.pace.intervalSeconds = a.value(QStringLiteral("interval"), o.pace.intervalSeconds).toDouble();
    o.pace.maxGapSeconds = a.value(QStringLiteral("maxGap"), o.pace.maxGapSeconds).toDouble();
    o.loop = a.value(QStringLiteral("loop"), o.loop).toBool();
    return o;
}

std::optional<Refusal> Ride::command(const CommandCall& call) {
    if (call.args.value(QStringLiteral("do")).toString() == u"stop") {
        stop(QStringLiteral("止められました"));
        return std::nullopt;
    }
    Options options = optionsOf(call);
    // Left out, the route is the one keyed in or set, as the panel's menu
    // takes it.
    if (!call.args.contains(QStringLiteral("route")) && !takeRouteOfPanel(options))
        return protocol::refuse(protocol::RefusalKind::MissingParameter,
                                QStringLiteral("自動運行する系統をテンキーで入力してください"));
    return start(options);
}

bool Ride::takeRouteOfPanel(Options& options) const {
    options.route = panel_.Label2[0]->text();
    options.section = panel_.Label2[2]->text();
    if (options.route.isEmpty()) {
        options.route = mdlOrv_000::state().RouteText;
        options.section = QString::number(mdlOrv_000::state().StartSection);
    }
    if (options.section.isEmpty() || options.section == u"0") options.section = QStringLiteral("1");
    return !options.route.isEmpty();
}

Ride::Ride(PanelDriver& driver, frmCtl& panel, QObject* parent) : QObject(parent), driver_(driver), panel_(panel) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Ride::tick);
    connect(&panel_, &frmCtl::routeSet, this, &Ride::onRouteSet);
    // What happens on the panel besides the ride's own steps: a hand.
    connect(&panel_, &frmCtl::stopShown, this, [this](int n) {
        if (running() && !waiting_ && phase_ != Phase::Setting) at(n, nowNs());
    });
    connect(&panel_, &frmCtl::displayClearChanged, this, [this](bool on) {
        // Cleared, the ride waits; unclearing shows the stop again, which
        // the ride takes as where it is.
        paused_ = on;
        armTimer();
    });
}

Ride::~Ride() = default;

qint64 Ride::nowNs() const { return platform::clock().monotonicNs(); }

int Ride::currentRow() const { return mdlOrv_000::state().CurrentRow + 1; }

std::optional<Refusal> Ride::start(const Options& options) {
    if (running()) stop(QStringLiteral("新しい自動運行が始まりました"));

    // The route's rows, for the timetable beside its fare data. A route
    // without fare data is left to the route setting, which says why.
    const QString folder = panel_.fareDataFolder();
    const QString number = panel::routeNumberText(options.route);
    std::optional<int> rows;
    const route::FareDataResult fares =
        route::readFareDataFile(route::routeFilePath(folder, route::RouteFile::FareData, number));
    if (const auto* data = std::get_if<route::FareData>(&fares)) rows = int(data->Rows.size());

    std::optional<route::Timetable> timetable;
    const route::TimetableResult read =
        route::readTimetableFile(route::routeFilePath(folder, route::RouteFile::Timetable, number), rows);
    if (const auto* t = std::get_if<route::Timetable>(&read)) {
        timetable = *t;
    } else if (const auto& e = std::get<route::TimetableError>(read);
               e.Problem != route::TimetableError::Kind::FileMissing) {
        return protocol::refuse(protocol::RefusalKind::BadTimetable, QStringLiteral("時刻表を使えません: ") + e.message());
    }

    options_ = options;
    plan_.emplace(std::move(timetable), rows.value_or(route::kMaxFareRows), options.pace);
    ended_.clear();
    paused_ = false;
    phase_ = Phase::Setting;
    settingRoute_ = starting_ = true;
    // Set now, as the "route" command sets it, so that a ride that cannot
    // start says why instead of starting. The ride begins as the route is
    // set (onRouteSet), which may be before this returns: a first stop whose
    // name scrolls keeps the call until a later name ends it.
    std::optional<Refusal> refusal = driver_.setRoute(options.route, options.section);
    if (refusal && phase_ == Phase::Setting) {
        phase_ = Phase::Idle;
        settingRoute_ = starting_ = false;
        timer_.stop();
        return refusal;
    }
    return std::nullopt;
}

void Ride::onRouteSet() {
    if (!running()) return;
    if (!settingRoute_) {
        if (!waiting_) stop(QStringLiteral("別の系統が設定されました"));
        return;
    }
    settingRoute_ = false;
    // The timetable is the route's: its rows now count.
    std::optional<route::Timetable> timetable = plan_->timetable();
    plan_.emplace(std::move(timetable), mdlOrv_000::lastRow(), options_.pace);
    at(currentRow(), nowNs());
    if (std::exchange(starting_, false)) emit changed(protocol::eventName(protocol::Event::RideStarted));
}

void Ride::stop(const QString& reason) {
    if (!running()) return;
    phase_ = Phase::Idle;
    settingRoute_ = starting_ = false;
    timer_.stop();
    ended_ = reason;
    emit changed(protocol::eventName(protocol::Event::RideEnded));
}

void Ride::submit(const QString& name, const QVariantMap& args) {
    waiting_ = true;
    timer_.stop();
    QPointer<Ride> alive(this);
    // The answer is taken once the panel's signals of it have gone round,
    // so the ride does not take its own step for a hand's.
    driver_.submit({name, args}, ticket_, [this, alive, name](const Outcome& outcome) {
        if (!alive) return;
        QMetaObject::invokeMethod(
            this, [this, name, refusal = outcome.refusal] { onReply(name, refusal); }, Qt::QueuedConnection);
    });
}

void Ride::onReply(const QString& name, const std::optional<Refusal>& refusal) {
    waiting_ = false;
    if (!running()) return;
    const bool busy = refusal && refusal->kind == protocol::RefusalKind::PanelBusy;
    if (name == u"route") {
        // Set, the ride went on from onRouteSet.
        if (refusal) stop(refusal->message);
    } else if (name == u"next") {
        if (!refusal || refusal->kind == protocol::RefusalKind::LastStop) {
            arrive(currentRow());
            return;
        }
        if (busy) {
            setDeadline(nowNs() + kRetryMs * kNsPerMs);
            return;
        }
        if (refusal->kind != protocol::RefusalKind::Cleared) stop(refusal->message);
    } else if (busy) {
        // An announcement the panel could not take: once more shortly.
        --nextAnnouncement_;
        setDeadline(nowNs() + kRetryMs * kNsPerMs);
        return;
    } else {
        if (refusal) {
            // The announcements are off (cleared, or gone): this leg goes without.
            nextAnnouncement_ = lastAnnouncement_ + 1;
        } else {
            // An announcement that advances has moved the bus already.
            movedByAnnouncement_ = currentRow() > row_;
            voiceWaitSinceNs_ = nowNs();
        }
        travel();
        return;
    }
    armTimer();
}

qint64 Ride::arrivalNs(int row) const { return anchorNs_ + plan_->arrivalMs(anchorRow_, row) * kNsPerMs; }

qint64 Ride::departureNs(int row) const {
    qint64 wait = plan_->dwellMs(row);
    if (row >= plan_->rows() && options_.loop && wait == 0)
        wait = std::min(kTerminalPauseMs, qint64(options_.pace.maxGapSeconds * 1000));
    return arrivalNs(row) + wait * kNsPerMs;
}

void Ride::at(int row, qint64 arrivalNs) {
    // The timetable's clock, set again from here: where the ride began or
    // where a hand put the bus.
    anchorRow_ = row;
    anchorNs_ = arrivalNs;
    row_ = row;
    phase_ = Phase::Dwelling;
    setDeadline(departureNs(row));
}

void Ride::arrive(int row) {
    row_ = row;
    phase_ = Phase::Dwelling;
    emit changed(protocol::eventName(protocol::Event::RideArrived));
    if (running()) setDeadline(departureNs(row));
}

void Ride::depart() {
    if (row_ >= plan_->rows()) {
        // The terminal.
        if (!options_.loop) {
            stop(QStringLiteral("終点に着きました"));
            return;
        }
        phase_ = Phase::Setting;
        settingRoute_ = true;
        submit(QStringLiteral("route"),
               {{QStringLiteral("route"), options_.route}, {QStringLiteral("section"), options_.section}});
        return;
    }
    phase_ = Phase::Travelling;
    movedByAnnouncement_ = false;
    skipped_ = {};
    voiceWaitSinceNs_ = nowNs();
    const bool announcements = panel_.cmdTapeNext->isEnabled() && mdlM_Tape::TapeCount() > 0;
    std::tie(nextAnnouncement_, lastAnnouncement_) = announcements ? legAnnouncements(row_) : std::pair{1, 0};
    // The announcements cued to this leg, as a driver steps 送り or 戻し to
    // the stop ahead after moving the bus by hand: 送り speaks the next.
    if (nextAnnouncement_ <= lastAnnouncement_) mdlM_Tape::TapeCue(nextAnnouncement_ - 1);
    emit changed(protocol::eventName(protocol::Event::RideDeparted));
    if (running()) travel();
}

bool Ride::fits(std::int32_t announcement, qint64 nowNs) const {
    // At real speed (and slower) every announcement plays.
    if (!fast()) return true;
    const qint64 arrival = arrivalNs(row_ + 1);
    auto endsBy = [&](qint64 ms) { return nowNs + ms * kNsPerMs <= arrival; };
    qint64 needMs = mdlM_Tape::TapeSpeakingMs(announcement);
    // The next stop's own announcement comes first: one before it (a
    // greeting) plays only where that one still fits after it.
    const qint64 ownMs = mdlM_Tape::TapeSpeakingMs(lastAnnouncement_);
    if (announcement < lastAnnouncement_ && mdlM_Tape::TapeAdvanceFlag(lastAnnouncement_) == 1 && endsBy(ownMs))
        needMs += ownMs;
    return endsBy(needMs);
}

void Ride::skip(std::int32_t announcement) {
    // Stepped over without a sound; the display moves at the stop's time.
    mdlM_Tape::TapeCue(announcement);
    skipped_.append(QJsonObject{{QStringLiteral("index"), announcement},
                                {QStringLiteral("text"), mdlM_Tape::TapeText(announcement)}});
    emit changed(protocol::eventName(protocol::Event::RideAnnouncementSkipped));
}

void Ride::travel() {
    const qint64 now = nowNs();
    while (running() && phase_ == Phase::Travelling && !movedByAnnouncement_ &&
           nextAnnouncement_ <= lastAnnouncement_) {
        if (mdlM_Tape::TapeSpeaking()) {
            // A voice still speaking is not cut off. Above real speed what
            // could not start before the next stop is skipped; a voice that
            // never ends (an engine that hangs) is not waited for past the
            // longest wait.
            const bool noRoom = fast() && now >= arrivalNs(row_ + 1);
            const bool hung = now - voiceWaitSinceNs_ >= qint64(options_.pace.maxGapSeconds * 1000) * kNsPerMs;
            if (!noRoom && !hung) {
                setDeadline(now + kVoicePollMs * kNsPerMs);
                return;
            }
            while (running() && nextAnnouncement_ <= lastAnnouncement_) skip(nextAnnouncement_++);
            break;
        }
        const std::int32_t n = nextAnnouncement_++;
        if (fits(n, now)) {
            submit(QStringLiteral("announce"), {{QStringLiteral("do"), QStringLiteral("next")}});
            return;
        }
        skip(n);
    }
    if (running() && phase_ == Phase::Travelling) setDeadline(arrivalNs(row_ + 1));
}

void Ride::arriveNext() {
    if (movedByAnnouncement_ || currentRow() > row_) {
        arrive(currentRow());
        return;
    }
    submit(QStringLiteral("next"), {});
}

void Ride::tick() {
    if (!running() || paused_ || waiting_) return;
    if (nowNs() < deadlineNs_) {
        armTimer();
        return;
    }
    switch (phase_) {
    case Phase::Dwelling: depart(); break;
    case Phase::Travelling:
        if (!movedByAnnouncement_ && nextAnnouncement_ <= lastAnnouncement_)
            travel();
        else
            arriveNext();
        break;
    case Phase::Setting:
    case Phase::Idle: break;
    }
}

void Ride::setDeadline(qint64 atNs) {
    deadlineNs_ = atNs;
    armTimer();
}

void Ride::armTimer() {
    if (!running() || paused_ || waiting_) {
        timer_.stop();
        return;
    }
    const qint64 remainingMs = std::max<qint64>(0, (deadlineNs_ - nowNs() + kNsPerMs - 1) / kNsPerMs);
    timer_.start(int(std::min<qint64>(remainingMs, 24LL * 3600 * 1000)));
}

QJsonObject Ride::state() const {
    QJsonObject o{{QStringLiteral("running"), running()}};
    if (!running()) {
        if (!ended_.isEmpty()) o[QStringLiteral("ended")] = ended_;
        return o;
    }
    o[QStringLiteral("route")] = options_.route;
    o[QStringLiteral("speed")] = options_.pace.speed;
    o[QStringLiteral("loop")] = options_.loop;
    o[QStringLiteral("timetable")] = plan_->hasTimetable();
    if (!plan_->hasTimetable()) o[QStringLiteral("interval")] = options_.pace.intervalSeconds;
    o[QStringLiteral("maxGap")] = options_.pace.maxGapSeconds;
    o[QStringLiteral("paused")] = paused_;
    o[QStringLiteral("moving")] = phase_ == Phase::Travelling;
    o[QStringLiteral("skipped")] = skipped_;
    if (phase_ != Phase::Setting && row_ < plan_->rows()) {
        const int next = row_ + 1;
        o[QStringLiteral("nextStop")] = next;
        o[QStringLiteral("nextStopName")] = mdlOrv_000::state().FareTable[size_t(next - 1)].StopName;
        if (const auto time = plan_->timeAt(next)) o[QStringLiteral("nextStopTime")] = route::serviceTimeText(*time);
        const qint64 toNextNs = std::max<qint64>(0, arrivalNs(next) - nowNs());
        o[QStringLiteral("secondsToNext")] = std::round(double(toNextNs) / 1e6) / 1000.0;
    }
    return o;
}

} // namespace ride
