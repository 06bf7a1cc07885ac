#include "panel/frmCtl.h"

#include "display/Form1.h"
#include "options/frmOption.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "settings/SettingsRecord.h"
#include "platform/Twips.h"
#include "platform_ui/WindowPlacer.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>

frmCtl::frmCtl(Form1* display, frmOption* options, QWidget* parent)
    : QWidget(parent, Qt::Window), display_(display), options_(options) {
    setWindowTitle(QStringLiteral("集中操作盤"));
    // Fixed, like the real panel.
    setFixedSize(330, 260);

    backlightFrame = new QGroupBox(QStringLiteral("バックライト"), this);
    auto* row = new QHBoxLayout(backlightFrame);
    auto* modes = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("OFF"), QStringLiteral("ON1"), QStringLiteral("ON2")};
    for (int i = 0; i < 3; ++i) {
        Option4[size_t(i)] = new QRadioButton(captions[i], backlightFrame);
        modes->addButton(Option4[size_t(i)]);
        row->addWidget(Option4[size_t(i)]);
    }
    Option4[0]->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        connect(Option4[size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Option4_Click(std::int16_t(i));
        });
    }
    backlightFrame->adjustSize();
    backlightFrame->move(8, height() - backlightFrame->height() - 8);
}

void frmCtl::Option4_Click(std::int16_t index) {
    if (options_ && display_) options::applyBacklightMode(*options_, *display_, index, this);
}

std::int16_t frmCtl::selectedBacklightMode() const {
    if (Option4[0]->isChecked()) return 0;
    if (Option4[1]->isChecked()) return 1;
    return 2;
}

void frmCtl::Load() {
    if (display_)
        display_->setWindowTitle(QStringLiteral("Ferrotab - 型番:") + platform::programIdentity().model);
}

void frmCtl::GetCtrlDataInfo(settings::SettingsRecord& record) const {
    const QPoint p = platform_ui::outerTopLeft(*this);
    record.CtlLeft = platform::pixelsToTwips(p.x());
    record.CtlTop = platform::pixelsToTwips(p.y());
    record.CtlPageBack = PageBack;
}

void frmCtl::SetCtrlDataInfo(const settings::SettingsRecord& record) {
    placeWindow(platform::twipsToPixels(record.CtlLeft, record.CtlTop));
    // Only 0 and 1 name a page; any other stored index leaves the pages as they are.
    if (record.CtlPageBack == 0 || record.CtlPageBack == 1) PageBack = record.CtlPageBack;
}

void frmCtl::placeWindow(std::optional<QPoint> outerTopLeft) {
    platform_ui::placeWindow(*this, {outerTopLeft, platform::Corner::BottomRight, platform::GrabHandle::TitleBar});
}

void frmCtl::closeEvent(QCloseEvent* event) {
    // Asked whatever closes the panel: its close box, the window manager, the
    // end of the session.
    const auto answer = platform::MsgBox(QStringLiteral("Ferrotabを終了しますか？"), platform::MsgButtons::YesNo,
                                         platform::MsgIcon::Question, QStringLiteral("Ferrotabの終了確認"), this);
    if (answer != platform::MsgAnswer::Yes) {
        event->ignore();
        return;
    }
    event->ignore(); // the quit procedure ends the program itself
    if (onQuitConfirmed) onQuitConfirmed();
}
