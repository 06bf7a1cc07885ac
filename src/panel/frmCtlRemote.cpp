// The panel's operations that other programs use to drive it, as a hand on
// the panel would. They reach the device only through the panel's own steps.
#include "panel/frmCtl.h"

#include "platform/Seams.h"
#include "route/mdlOrv_000.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

void frmCtl::Command1_Click(int index) {
    const QString refusal = routeSetting(index);
    if (!refusal.isEmpty())
        platform::MsgBox(refusal, platform::MsgButtons::Ok, platform::MsgIcon::None, QString(), this);
}

bool frmCtl::atFirstStop() const {
    return mdlOrv_000::state().CurrentRow <= 0;
}

bool frmCtl::atLastStop() const {
    return mdlOrv_000::state().CurrentRow + 1 >= mdlOrv_000::lastRow();
}

void frmCtl::enterRoute(const QString& route, const QString& section) {
    keypad_.press(panel::kKeyRoute);
    for (const QChar digit : route)
        keypad_.press(digit.digitValue());
    keypad_.press(panel::kKeySection);
    for (const QChar digit : section)
        keypad_.press(digit.digitValue());
    showKeypadEntry();
}

void frmCtl::goToRow(int n) {
    mdlOrv_000::RunState& s = mdlOrv_000::state();
    if (!routeIsSet_ || Check1->isChecked() || n < 1 || n > mdlOrv_000::lastRow()) return;
    s.CurrentRow = std::int16_t(n - 1);
    DispData(n);
}

void frmCtl::setRemoteControlNote(const QString& note) {
    remoteControlNote_ = note;
    showVersionButtonNotes();
}

void frmCtl::setSettingsFileNote(const QString& note) {
    settingsFileNote_ = note;
    showVersionButtonNotes();
}

void frmCtl::showVersionButtonNotes() {
    QStringList notes;
    for (const QString& note : {settingsFileNote_, remoteControlNote_})
        if (!note.isEmpty()) notes.append(note);
    Command8->setToolTip(notes.join(u'\n'));
    Command8->setAccessibleDescription(Command8->toolTip());
}
