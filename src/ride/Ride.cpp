#include "ride/Ride.h"

#include "panel/PanelDriver.h"
#include "panel/PanelLogic.h"
#include "panel/frmCtl.h"
#include "platform/Files.h"
#include "platform/Seams.h"
#include "route/FareDataFile.h"
#include "route/RouteFiles.h"
#include "route/mdlOrv_000.h"
#include "sound/mdlM_Tape.h"

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace ride {

namespace {

// How often a ride waiting for the voice to end asks again.
constexpr qint64 kVoicePollMs = 100;
// How soon a step the panel could not take (a dialog open on it) is tried again.
constexpr qint64 kRetryMs = 500;
// The pause at the terminal before a ride that loops begins again, when the
// timetable gives none (real time, within the longest wait).
constexpr qint64 kTerminalPauseMs = 3000;


} // namespace

Ride::Options Ride::optionsOf(const CommandCall& call) {
    Options o;
    const QVariantMap& a = call.args;
    o.route = a.value(QStringLiteral("route")).toString();
    o.section = a.value(QStringLiteral("section"), QStringLiteral("1")).toString();
    o.pace.speed = a.value(QStringLiteral("speed"), 1.0).toDouble();
    o.pace.intervalSeconds = a.value(QStringLiteral("interval"), 60.0).toDouble();
    o.pace.maxGapSeconds = a.value(QStringLiteral("maxGap"), 30.0).toDouble();
    o.loop = a.value(QStringLiteral("loop"), false).toBool();
    return o;
}

std::optional<Refusal> Ride::command(const CommandCall& call) {
    if (call.args.value(QStringLiteral("do")).toString() == u"stop") {
        stop(QStringLiteral("止められました"));
        return std::nullopt;
    }
    if (!call.args.contains(QStringLiteral("route")))
        return protocol::refuse(protocol::RefusalKind::MissingParameter, QStringLiteral("route がありません"));
    return start(optionsOf(call));
}

Ride::Ride(PanelDriver& driver, frmCtl& panel, QObject* parent) : QObject(parent), driver_(driver), panel_(panel) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Ride::tick);
    // What happens on the panel besides the ride's own steps: a hand.
    connect(&panel_, &frmCtl::stopShown, this, [this](int n) {
        if (running() && !waiting_ && phase_ != Phase::Setting) arrived(n, nowNs());
    });
    connect(&panel_, &frmCtl::routeSet, this, [this] {
        if (running() && !waiting_) stop(QStringLiteral("別の系統が設定されました"));
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
    if (panel_.Check1->isChecked()) return protocol::refuse(protocol::RefusalKind::Cleared, QStringLiteral("表示消去中です"));

    // The route's rows, for the timetable beside its fare data. A route
    // without fare data is left to the route setting, which says why.
    const QString folder = panel_.fareDataFolder();
    const QString number = panel::routeNumberText(options.route);
    auto fileOf = [&](route::RouteFile kind) {
        return platform::findFileIgnoringCase(platform::dataFilePath(folder, route::routeFileName(kind, number)));
    };
    std::optional<int> rows;
    const route::FareDataResult fares = route::readFareDataFile(fileOf(route::RouteFile::FareData));
    if (const auto* data = std::get_if<route::FareData>(&fares)) rows = int(data->Rows.size());

    std::optional<route::Timetable> timetable;
    const QString timetablePath = fileOf(route::RouteFile::Timetable);
    const route::TimetableResult read = route::readTimetableFile(timetablePath, rows);
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
    submit(QStringLiteral("route"), {{QStringLiteral("route"), options.route}, {QStringLiteral("section"), options.section}});
    emit changed(QStringLiteral("rideStarted"));
    return std::nullopt;
}

void Ride::stop(const QString& reason) {
    if (!running()) return;
    phase_ = Phase::Idle;
    timer_.stop();
    ended_ = reason;
    emit changed(QStringLiteral("rideEnded"));
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
    if (name == u"route") {
        if (refusal) {
            stop(refusal->message);
            return;
        }
        // The timetable is the route's: its rows now count.
        std::optional<route::Timetable> timetable = plan_->timetable();
        plan_.emplace(std::move(timetable), mdlOrv_000::state().RowCount, options_.pace);
        arrived(currentRow(), nowNs());
        return;
    }
    if (name == u"next") {
        if (!refusal || refusal->kind == protocol::RefusalKind::LastStop) {
            arrived(currentRow(), arrivalNs_);
        } else if (refusal->kind == protocol::RefusalKind::PanelBusy) {
            setDeadline(kRetryMs);
        } else if (refusal->kind != protocol::RefusalKind::Cleared) {
            stop(refusal->message);
        }
        return;
    }
    // An announcement: it may have moved the bus already.
    if (!refusal && currentRow() > row_) {
        movedByAnnouncement_ = true;
    } else if (!refusal && announcementsAhead()) {
        // It was one that does not move the bus (a greeting): the next
        // stop's follows once the voice is free.
        voiceWaitSinceNs_ = nowNs();
        setDeadline(0);
        return;
    }
    travel(nowNs());
}

void Ride::arrived(int row, qint64 atNs) {
    row_ = row;
    movedByAnnouncement_ = false;
    phase_ = Phase::Dwelling;
    qint64 wait = plan_->dwellMs(row);
    if (row >= plan_->rows() && options_.loop && wait == 0)
        wait = std::min(kTerminalPauseMs, qint64(options_.pace.maxGapSeconds * 1000));
    // From when the bus came, not from when this was noticed: late steps do
    // not add up along the route.
    deadlineNs_ = atNs + wait * 1'000'000;
    armTimer();
}

bool Ride::announcementsAhead() const {
    // After an announcement that does not move the bus, one later that does.
    const std::int32_t played = mdlM_Tape::TapeIndex();
    if (mdlM_Tape::TapeAdvanceFlag(played) == 1) return false;
    for (std::int32_t n = played + 1; n <= mdlM_Tape::TapeCount(); ++n)
        if (mdlM_Tape::TapeAdvanceFlag(n) == 1) return true;
    return false;
}

void Ride::depart() {
    if (row_ >= plan_->rows()) {
        // The terminal.
        if (!options_.loop) {
            stop(QStringLiteral("終点に着きました"));
            return;
        }
        phase_ = Phase::Setting;
        submit(QStringLiteral("route"),
               {{QStringLiteral("route"), options_.route}, {QStringLiteral("section"), options_.section}});
        return;
    }
    const bool announcements = panel_.cmdTapeNext->isEnabled() && mdlM_Tape::TapeIndex() < mdlM_Tape::TapeCount();
    if (announcements) {
        phase_ = Phase::Leaving;
        voiceWaitSinceNs_ = nowNs();
        setDeadline(0);
        return;
    }
    travel(deadlineNs_);
}

void Ride::travel(qint64 leftNs) {
    arrivalNs_ = leftNs + plan_->legMs(row_) * 1'000'000;
    phase_ = Phase::Travelling;
    deadlineNs_ = arrivalNs_;
    armTimer();
}

void Ride::announce() {
    // A voice still speaking is not cut off: the bus leaves once it has
    // ended, so each stop keeps its own announcement. A voice that never
    // ends (an engine that hangs) is not waited for past the longest wait.
    if (mdlM_Tape::TapeSpeaking()) {
        const qint64 waitedMs = (nowNs() - voiceWaitSinceNs_) / 1'000'000;
        if (waitedMs < qint64(options_.pace.maxGapSeconds * 1000)) {
            setDeadline(kVoicePollMs);
            return;
        }
        travel(nowNs());
        return;
    }
    submit(QStringLiteral("announce"), {{QStringLiteral("do"), QStringLiteral("next")}});
}

void Ride::arriveNext() {
    if (movedByAnnouncement_ || currentRow() > row_) {
        arrived(currentRow(), arrivalNs_);
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
    case Phase::Leaving: announce(); break;
    case Phase::Travelling: arriveNext(); break;
    case Phase::Setting:
    case Phase::Idle: break;
    }
}

void Ride::setDeadline(qint64 fromNowMs) {
    deadlineNs_ = nowNs() + fromNowMs * 1'000'000;
    armTimer();
}

void Ride::armTimer() {
    if (!running() || paused_ || waiting_) {
        timer_.stop();
        return;
    }
    const qint64 remainingMs = std::max<qint64>(0, (deadlineNs_ - nowNs() + 999'999) / 1'000'000);
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
    if (phase_ != Phase::Setting && row_ < plan_->rows()) {
        const qint64 now = nowNs();
        const qint64 legNs = plan_->legMs(row_) * 1'000'000;
        const qint64 toNextNs = phase_ == Phase::Dwelling   ? std::max<qint64>(0, deadlineNs_ - now) + legNs
                                : phase_ == Phase::Leaving ? legNs
                                                           : std::max<qint64>(0, arrivalNs_ - now);
        o[QStringLiteral("nextStop")] = row_ + 1;
        o[QStringLiteral("secondsToNext")] = std::round(double(toNextNs) / 1e6) / 1000.0;
    }
    return o;
}

} // namespace ride
