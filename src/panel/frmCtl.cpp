#include "panel/frmCtl.h"

#include "display/Form1.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "settings/SettingsRecord.h"
#include "platform/Twips.h"
#include "platform_ui/WindowPlacer.h"

#include <QCloseEvent>

frmCtl::frmCtl(Form1* display, QWidget* parent) : QWidget(parent, Qt::Window), display_(display) {
    setWindowTitle(QStringLiteral("集中操作盤"));
    // Fixed, like the real panel.
    setFixedSize(330, 260);
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
