#include "ride/RideMenu.h"

#include "ride/Ride.h"
#include "panel/frmCtl.h"
#include "platform/Seams.h"
#include "route/mdlOrv_000.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace ride {

RideMenu::RideMenu(Ride& ride, frmCtl& panel) : QObject(&panel), ride_(ride), panel_(panel) {
    panel_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&ride_, &Ride::changed, this, [this] { panel_.rideLamp->setVisible(ride_.running()); });
    connect(&panel_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popUp(panel_.mapToGlobal(at)); });
}

void RideMenu::popUp(const QPoint& global) {
    QMenu menu(&panel_);
    QMenu* startMenu = menu.addMenu(QStringLiteral("時刻表で自動運行"));
    for (const protocol::SpeedPreset& preset : protocol::rideSpeedPresets()) {
        const double s = preset.speed;
        connect(startMenu->addAction(preset.caption), &QAction::triggered, this, [this, s] { start(s); });
    }
    QAction* loop = menu.addAction(QStringLiteral("終点で折り返して繰り返す"));
    loop->setCheckable(true);
    loop->setChecked(loop_);
    connect(loop, &QAction::toggled, this, [this](bool on) { loop_ = on; });
    QAction* stop = menu.addAction(QStringLiteral("自動運行を止める"));
    stop->setEnabled(ride_.running());
    connect(stop, &QAction::triggered, this, [this] { ride_.stop(QStringLiteral("止められました")); });
    if (showPhonePage) {
        menu.addSeparator();
        connect(menu.addAction(QStringLiteral("スマートフォンで操作...")), &QAction::triggered, this,
                [this] { showPhonePage(); });
    }
    menu.exec(global);
}

void RideMenu::start(double speed) {
    Ride::Options options;
    if (!ride_.takeRouteOfPanel(options)) {
        platform::MsgBox(QStringLiteral("自動運行する系統をテンキーで入力してください。"), platform::MsgButtons::Ok,
                         platform::MsgIcon::Exclamation, {}, &panel_);
        return;
    }
    options.pace.speed = speed;
    options.loop = loop_;
    if (const auto refusal = ride_.start(options))
        platform::MsgBox(refusal->message, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, {}, &panel_);
}

} // namespace ride
