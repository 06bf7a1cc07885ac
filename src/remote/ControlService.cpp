#include "remote/ControlService.h"

#include "remote/PageAddress.h"
#include "panel/frmCtl.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <cstdio>

namespace remote {

namespace pc = platform::control;

ControlService::ControlService(frmCtl& panel, Form1& display, QString controlFile, ServerLimits limits,
                               QObject* parent)
    : QObject(parent), panel_(panel), controlFile_(std::move(controlFile)), limits_(limits),
      driver_(panel, display), ride_(driver_, panel), rideMenu_(ride_, panel), display_(display) {
    driver_.rideCommand = [this](const CommandCall& call) { return ride_.command(call); };
    driver_.rideState = [this] { return ride_.state(); };
    connect(&ride_, &Ride::changed, &driver_, &PanelDriver::notify);
}

ControlService::~ControlService() {
    shutDown();
}

void ControlService::fail(const QString& why) {
    problem_ = why;
    std::fprintf(stderr, "ferrotab: %s\n", qPrintable(why));
    panel_.setRemoteControlNote(QStringLiteral("外部制御は使えません: ") + why);
}

void ControlService::start(const ControlChoice& choice) {
    pc::LoadedControlFile file = pc::loadControlFile(controlFile_);
    if (file.damage) {
        const QString why =
            QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(controlFile_, *file.damage);
        if (!choice.enable) {
            // Whether it asked for the interface cannot be known: off, and
            // the file is left as it is for the user to look at.
            fail(why);
            return;
        }
        std::fprintf(stderr, "ferrotab: %s; %s.bad として残し、作り直します\n", qPrintable(why),
                     qPrintable(controlFile_));
        pc::keepDamagedFile(controlFile_);
        file = {};
    }
    settings_ = file.settings;
    if (!settings_.enabled && !choice.enable) return;

    // The token is made on first use and kept in the file; the command
    // line's port and address are for this run only.
    if (settings_.token.isEmpty()) {
        settings_.token = pc::makeToken();
        if (const auto why = pc::saveControlFile(controlFile_, settings_)) {
            fail(QStringLiteral("制御ファイル %1 を書けません（%2）").arg(controlFile_, *why));
            return;
        }
    }
    const quint16 port = choice.port.value_or(settings_.port);
    const QString listen = choice.listen.value_or(settings_.listen);

    server_ = std::make_unique<ControlServer>(driver_, display_, limits_);
    server_->renewToken = [this] { return renewToken(); };
    if (const auto why = server_->start(listen, port, settings_.token)) {
        server_.reset();
        fail(*why);
        return;
    }
    connect(&driver_, &PanelDriver::changed, server_.get(),
            [this](const QString& event) { server_->broadcast(event, driver_.state()); });
    pageHost_ = pageHost(listen, machineAddresses());
    pageUrl_ = pc::pageUrl(pageHost_, server_->port(), settings_.token);
    panel_.setRemoteControlNote(
        QStringLiteral("外部制御: %1（ferrotab-ctl で操作できます。スマートフォンでは右クリックのメニューから）")
            .arg(server_->url()));
    rideMenu_.showPhonePage = [this] { showPhoneWindow(); };
    announced_ = pc::announce({controlFile_, pc::clientHost(listen), server_->port(),
                               QCoreApplication::applicationPid(), pageHost_});
    // Opened to a network on purpose: the phone is what it is for.
    if (!pc::isLoopbackListen(listen)) {
        std::fprintf(stderr, "ferrotab: 外部制御を http://%s:%d/ で開いています。暗号化はされません\n",
                     qPrintable(pageHost_), int(server_->port()));
        showPhoneWindow();
    }
}

void ControlService::showPhoneWindow() {
    if (pageUrl_.isEmpty()) return;
    if (!phoneWindow_) phoneWindow_ = std::make_unique<PhonePanelWindow>();
    phoneWindow_->setAddress(pageUrl_);
    phoneWindow_->show();
    phoneWindow_->raise();
}

std::variant<QByteArray, QString> ControlService::renewToken() {
    pc::ControlSettings renewed = settings_;
    renewed.token = pc::makeToken();
    if (const auto why = pc::saveControlFile(controlFile_, renewed)) return *why;
    settings_ = renewed;
    // The old address opens nothing any more.
    if (server_) pageUrl_ = pc::pageUrl(pageHost_, server_->port(), settings_.token);
    if (phoneWindow_) phoneWindow_->setAddress(pageUrl_);
    return renewed.token;
}

void ControlService::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (server_) {
        server_->broadcast(QStringLiteral("quit"), driver_.state());
        server_->flush();
    }
    if (announced_) pc::withdraw(QCoreApplication::applicationPid());
    announced_ = false;
}

} // namespace remote
