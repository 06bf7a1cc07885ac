// The panel's state as a plain value: made anew from the run state, the
// switches and what the fare cells were given whenever any of it changes,
// and published with stateChanged().
#include "panel/frmCtl.h"

#include "route/FareTable.h"
#include "route/mdlOrv_000.h"
#include "sound/mdlM_Tape.h"

#include <QCheckBox>
#include <QTimer>

namespace {

// How often the speech engine is asked whether it still speaks, while it does.
constexpr int kSpeechPollMs = 50;

} // namespace

void frmCtl::publishState() {
    // Nothing is published while the panel is still being built.
    if (!Check1 || !Check2 || !Option4[2]) return;
    const mdlOrv_000::RunState& s = mdlOrv_000::state();
    panel::PanelState& p = state_;
    p.routeSet = routeIsSet_;
    p.route = s.RouteText;
    p.section = s.StartSection;
    p.rows = s.RowCount;
    p.stop.reset();
    if (routeIsSet_ && s.CurrentRow >= 0 && s.CurrentRow < route::kMaxFareRows) {
        const route::FareRow& row = s.FareTable[size_t(s.CurrentRow)];
        p.stop = panel::PanelState::Stop{s.CurrentRow + 1, row.StopName, row.TicketNo};
    }
    p.lateNight = Check2->isChecked();
    p.cleared = Check1->isChecked();
    p.backlight = selectedBacklightMode();
    p.announcements.index = mdlM_Tape::TapeIndex();
    p.announcements.count = mdlM_Tape::TapeCount();
    p.entry = {keypad_.route, keypad_.section, keypad_.toRoute};
    emit stateChanged();
}

void frmCtl::noteCellWrites(const std::vector<panel::CellWrite>& writes) {
    for (const panel::CellWrite& w : writes)
        if (w.cell >= 1 && w.cell <= device::kFareCellCount) state_.cells[size_t(w.cell - 1)] = w.value;
}

void frmCtl::noteAnnouncementStarted(bool approaching) {
    state_.announcements.speaking = true;
    state_.announcements.approaching = approaching;
    publishState();
    if (!speechPoll_) {
        speechPoll_ = new QTimer(this);
        speechPoll_->setInterval(kSpeechPollMs);
        connect(speechPoll_, &QTimer::timeout, this, [this] {
            if (mdlM_Tape::TapeSpeaking()) return;
            speechPoll_->stop();
            state_.announcements.speaking = false;
            state_.announcements.approaching = false;
            publishState();
            emit announcementEnded();
        });
    }
    speechPoll_->start();
}
