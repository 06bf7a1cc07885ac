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
    connect(&panel_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popUp(panel_.mapToGlobal(at)); });
}

void RideMenu::popUp(const QPoint& global) {
    QMenu menu(&panel_);
    QMenu* startMenu = menu.addMenu(QStringLiteral("時刻表で自動運行"));
    const std::pair<const char*, double> speeds[] = {
        {"実時間（×1）", 1}, {"×10", 10}, {"×30", 30}, {"×60（1分を1秒で）", 60}};
    for (const auto& [caption, speed] : speeds) {
        const double s = speed;
        connect(startMenu->addAction(QString::fromUtf8(caption)), &QAction::triggered, this, [this, s] { start(s); });
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
    // What is keyed in, else the route that is set.
    Ride::Options options;
    options.route = panel_.Label2[0]->text();
    options.section = panel_.Label2[2]->text();
    if (options.route.isEmpty()) {
        options.route = mdlOrv_000::state().RouteText;
        options.section = QString::number(mdlOrv_000::state().StartSection);
    }
    if (options.section.isEmpty() || options.section == u"0") options.section = QStringLiteral("1");
    if (options.route.isEmpty()) {
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
