#include "panel/PanelDriver.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "panel/PanelWidgets.h"
#include "panel/frmCtl.h"
#include "platform/Device.h"
#include "platform/ProgramIdentity.h"
#include "route/mdlOrv_000.h"
#include "sound/mdlM_Tape.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace panel {

using protocol::refuse;
using protocol::RefusalKind;
using protocol::tooBusy;

namespace {

// How soon a command that had to wait for an operation in progress is tried again.
constexpr int kRetryMs = 2;


// The panel's message box text, its lines joined, for a program's one line.
Refusal routeNotSet(const QString& message) { return refuse(RefusalKind::RouteNotSet, message.simplified()); }

} // namespace

PanelDriver::PanelDriver(frmCtl& panel, Form1& display, QObject* parent)
    : QObject(parent), panel_(panel), display_(display) {
    addHandlers();
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &PanelDriver::runNext);

    connect(&panel_, &frmCtl::routeSet, this, [this] { pendingEvent_ = protocol::eventName(protocol::Event::RouteSet); });
    connect(&panel_, &frmCtl::stopShown, this, &PanelDriver::onStopShown);
    connect(&panel_, &frmCtl::displayClearChanged, this, [this](bool on) {
        // Switched off, the stop comes back next: the event waits for it.
        if (on)
            emit changed(protocol::eventName(protocol::Event::DisplayClear));
        else
            pendingEvent_ = protocol::eventName(protocol::Event::DisplayClear);
    });
    connect(&panel_, &frmCtl::lateNightChanged, this, [this] { emit changed(protocol::eventName(protocol::Event::LateNight)); });
    connect(&panel_, &frmCtl::backlightChanged, this, [this] { emit changed(protocol::eventName(protocol::Event::Backlight)); });
    connect(&panel_, &frmCtl::keypadEntryChanged, this, [this] { emit changed(protocol::eventName(protocol::Event::Entry)); });
    connect(&panel_, &frmCtl::settingsApplied, this,
            [this] { emit changed(protocol::eventName(protocol::Event::SettingsApplied)); });
    connect(&panel_, &frmCtl::announcementStarted, this,
            [this] { emit changed(protocol::eventName(protocol::Event::AnnouncementStarted)); });
    connect(&panel_, &frmCtl::announcementEnded, this, [this] { emit changed(protocol::eventName(protocol::Event::AnnouncementEnded)); });
}

PanelDriver::~PanelDriver() = default;

// ---- the commands ------------------------------------------------------------------------

std::optional<Refusal> PanelDriver::panelBusy() const {
    // A dialog open on the panel (the options, the version box, a message)
    // holds a hand off the panel's buttons too.
    if (QApplication::activeModalWidget() || !panel_.isEnabled())
        return refuse(RefusalKind::PanelBusy, QStringLiteral("操作盤で別の画面が開いています"));
    return std::nullopt;
}

std::optional<Refusal> PanelDriver::rideRefusal() const {
    if (!panel_.routeIsSet()) return refuse(RefusalKind::NoRoute, QStringLiteral("系統が設定されていません"));
    if (panel_.Check1->isChecked()) return refuse(RefusalKind::Cleared, QStringLiteral("表示消去中です"));
    return std::nullopt;
}

void PanelDriver::addHandlers() {
    using Result = std::optional<Refusal>;
    const auto none = [](const CommandCall&) -> Result { return std::nullopt; };

    handlers_[QStringLiteral("route")] = {none, [this](const CommandCall& c) -> Result {
                                              return setRoute(c.args.value(QStringLiteral("route")).toString(),
                                                              c.args.value(QStringLiteral("section")).toString());
                                          }};
    handlers_[QStringLiteral("keypad")] = {
        [this](const CommandCall&) -> Result {
            // Display clear holds the keypad page back, its keys and its リセット.
            if (!panel_.Frame1[1]->isEnabled()) return refuse(RefusalKind::Cleared, QStringLiteral("表示消去中です"));
            return std::nullopt;
        },
        [this](const CommandCall& c) -> Result {
            const QString key = c.args.value(QStringLiteral("key")).toString();
            if (key == u"reset") {
                const QString message = panel_.routeSetting(1);
                if (!message.isEmpty()) return routeNotSet(message);
            } else if (key == u"route") {
                panel_.CommandButton1_Click(panel::kKeyRoute);
            } else if (key == u"section") {
                panel_.CommandButton1_Click(panel::kKeySection);
            } else {
                panel_.CommandButton1_Click(key.toInt());
            }
            return std::nullopt;
        }};
    handlers_[QStringLiteral("next")] = {[this](const CommandCall&) -> Result {
                                             if (auto r = rideRefusal()) return r;
                                             if (panel_.atLastStop())
                                                 return refuse(RefusalKind::LastStop, QStringLiteral("最後の停留所です"));
                                             return std::nullopt;
                                         },
                                         [this](const CommandCall&) -> Result {
                                             panel_.Command2_Click(1);
                                             return std::nullopt;
                                         }};
    handlers_[QStringLiteral("back")] = {[this](const CommandCall&) -> Result {
                                             if (auto r = rideRefusal()) return r;
                                             if (panel_.atFirstStop())
                                                 return refuse(RefusalKind::FirstStop, QStringLiteral("最初の停留所です"));
                                             return std::nullopt;
                                         },
                                         [this](const CommandCall&) -> Result {
                                             panel_.Command2_Click(0);
                                             return std::nullopt;
                                         }};
    handlers_[QStringLiteral("goto")] = {
        [this](const CommandCall& c) -> Result {
            if (auto r = rideRefusal()) return r;
            const int rows = mdlOrv_000::lastRow();
            if (c.args.value(QStringLiteral("row")).toInt() > rows)
                return refuse(RefusalKind::NoSuchStop, QStringLiteral("この系統の停留所は 1 から %1 までです").arg(rows));
            return std::nullopt;
        },
        [this](const CommandCall& c) -> Result {
            panel_.goToRow(c.args.value(QStringLiteral("row")).toInt());
            return std::nullopt;
        }};
    handlers_[QStringLiteral("clear")] = {
        [this](const CommandCall&) -> Result {
            // The switch works once a route is set.
            if (!panel_.Check1->isEnabled())
                return refuse(RefusalKind::NoRoute, QStringLiteral("系統が設定されていません"));
            return std::nullopt;
        },
        [this](const CommandCall& c) -> Result {
            panel_.Check1->setChecked(c.args.value(QStringLiteral("on")).toBool());
            return std::nullopt;
        }};
    handlers_[QStringLiteral("late")] = {
        [this](const CommandCall&) -> Result {
            if (!panel_.Check2->isEnabled()) return refuse(RefusalKind::Cleared, QStringLiteral("表示消去中です"));
            return std::nullopt;
        },
        [this](const CommandCall& c) -> Result {
            panel_.Check2->setChecked(c.args.value(QStringLiteral("on")).toBool());
            return std::nullopt;
        }};
    handlers_[QStringLiteral("announce")] = {
        [this](const CommandCall& c) -> Result {
            const QString step = c.args.value(QStringLiteral("do")).toString();
            const QPushButton* button = step == u"next"   ? panel_.cmdTapeNext
                                        : step == u"back" ? panel_.cmdTapeBack
                                                          : panel_.cmdTapeStop;
            if (panel_.Check1->isChecked()) return refuse(RefusalKind::Cleared, QStringLiteral("表示消去中です"));
            if (!button->isEnabled())
                return refuse(RefusalKind::NoAnnouncements, mdlM_Tape::TapeEngineOK()
                                        ? QStringLiteral("この系統の放送データが読み込まれていません")
                                        : QStringLiteral("音声合成を使用できません"));
            return std::nullopt;
        },
        [this](const CommandCall& c) -> Result {
            const QString step = c.args.value(QStringLiteral("do")).toString();
            if (step == u"next")
                panel_.cmdTapeNext_Click();
            else if (step == u"back")
                panel_.cmdTapeBack_Click();
            else
                panel_.cmdTapeStop_Click();
            return std::nullopt;
        }};
    handlers_[protocol::eventName(protocol::Event::Backlight)] = {none, [this](const CommandCall& c) -> Result {
                                                  const int mode =
                                                      c.args.value(QStringLiteral("mode")).toInt();
                                                  panel_.Option4[size_t(mode)]->setChecked(true);
                                                  return std::nullopt;
                                              }};
    handlers_[QStringLiteral("ride")] = {none, [this](const CommandCall& c) -> Result {
                                             if (!rideCommand)
                                                 return refuse(RefusalKind::UnknownCommand, QStringLiteral("自動運行は使えません"));
                                             return rideCommand(c);
                                         }};
    handlers_[QStringLiteral("ping")] = {none, none};
    handlers_[QStringLiteral("state")] = {none, none};
}

std::optional<Refusal> PanelDriver::setRoute(const QString& route, const QString& section) {
    // Display clear holds the entry pages back.
    if (panel_.Check1->isChecked()) return refuse(RefusalKind::Cleared, QStringLiteral("表示消去中です"));
    panel_.enterRoute(route, section);
    const QString message = panel_.routeSetting(1);
    if (!message.isEmpty()) return routeNotSet(message);
    return std::nullopt;
}

void PanelDriver::submit(const CommandCall& call, std::shared_ptr<ClientTicket> client, Reply reply) {
    if (!handlers_.contains(call.name)) {
        reply({refuse(RefusalKind::UnknownCommand, QStringLiteral("このコマンドは使えません"))});
        return;
    }
    int& waiting = waitingPerClient_[client.get()];
    if (waiting >= kMaxWaitingPerClient) {
        reply({tooBusy()});
        return;
    }
    ++waiting;
    queue_.push_back({call, std::move(client), std::move(reply), 0});
    schedule();
}

void PanelDriver::schedule() {
    if (running_ || queue_.empty() || posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(this, &PanelDriver::runNext, Qt::QueuedConnection);
}

bool PanelDriver::mayStartNow() const {
    // From the event loop, with no operation in progress; or from the
    // strip's scroll loop that the innermost operation started and is held
    // in (a long name set while the strip stood still). Inside any other
    // operation, the command waits until that operation's call returns.
    return calls_.empty() || (!calls_.back() && display_.ChimeiCtl->isScrolling());
}

void PanelDriver::runNext() {
    posted_ = false;
    if (running_ || queue_.empty()) return;
    if (!mayStartNow()) {
        retry_.start();
        return;
    }
    Waiting next = std::move(queue_.front());
    queue_.pop_front();
    if (!next.client->present) {
        // Its client has gone: nobody waits for it, and a hand would not
        // press what nobody asked for any more.
        forget(next);
        schedule();
        return;
    }
    const Handler handler = handlers_.value(next.call.name);
    std::optional<Refusal> refusal = panelBusy();
    if (!refusal) refusal = handler.refusal(next.call);
    next.serial = ++serial_;
    const quint64 serial = next.serial;
    running_ = std::move(next);
    if (refusal) {
        finishRunning(refusal);
        return;
    }

    calls_.push_back(display_.ChimeiCtl->isScrolling());
    QPointer<PanelDriver> alive(this);
    const std::optional<Refusal> failure = handler.act(running_->call);
    if (!alive) return;
    calls_.pop_back();
    // Operations that never reach a stop's display (a switch, the
    // backlight, a refused route) are answered as their call returns.
    if (running_ && running_->serial == serial) finishRunning(failure);
    schedule();
}

void PanelDriver::finishRunning(const std::optional<Refusal>& refusal) {
    if (!running_) return;
    Waiting done = std::move(*running_);
    running_.reset();
    forget(done);
    done.reply({refusal});
    schedule();
}

void PanelDriver::forget(const Waiting& done) {
    if (int& waiting = waitingPerClient_[done.client.get()]; --waiting <= 0) waitingPerClient_.remove(done.client.get());
}

void PanelDriver::onStopShown() {
    const QString event = pendingEvent_.isEmpty() ? protocol::eventName(protocol::Event::StopChanged) : pendingEvent_;
    pendingEvent_.clear();
    emit changed(event);
    finishRunning(std::nullopt);
}

} // namespace panel
