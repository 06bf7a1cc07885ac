#include "remote/ControlService.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "platform/Device.h"
#include "platform_ui/QtColor.h"
#include "panel/frmCtl.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "remote/PageAddress.h"
#include "remote/StateJson.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace remote {

namespace pc = platform::control;

namespace {

// While somebody reads the picture, it is taken anew this often at most, and
// kept up for this long after the last reading.
constexpr int kPictureEveryMs = 250;
constexpr qint64 kPictureWatchMs = 3000;
// While a page has fetched the picture in the last minute, each change of
// the state takes one at once, so the page's fetch after the event finds it
// ready (a picture costs a few milliseconds; states change a few times a
// minute), and no more often than every kPictureGapMs, so a burst of
// commands does not become a burst of pictures.
constexpr qint64 kPictureFollowMs = 60000;
constexpr qint64 kPictureGapMs = 100;
// How long the end of the program waits for the server's thread.
constexpr int kServerEndMs = 5000;

// Where the fare grid (cells and ticket-number labels) and the strip's
// viewport are in the display's picture.
QJsonObject displayLayout(const Form1& display) {
    const auto rect = [](const QRect& r) {
        return QJsonObject{{QStringLiteral("x"), r.x()},
                           {QStringLiteral("y"), r.y()},
                           {QStringLiteral("width"), r.width()},
                           {QStringLiteral("height"), r.height()}};
    };
    QRect fares;
    for (int k = 1; k <= device::kFareCellCount; ++k)
        for (const QWidget* w : {static_cast<const QWidget*>(display.Degit[size_t(k)]),
                                 static_cast<const QWidget*>(display.lblSeiriNum[size_t(k)])})
            if (w) fares |= QRect(w->mapTo(&display, QPoint()), w->size());
    const ChimeiCtl_B& strip = *display.ChimeiCtl;
    return {{QStringLiteral("width"), display.width()},
            {QStringLiteral("height"), display.height()},
            {QStringLiteral("fares"), rect(fares)},
            {QStringLiteral("strip"), rect(QRect(strip.mapTo(&display, QPoint()), strip.viewportSize()))}};
}

// The machine's steady clock: the server and the device compare moments
// they each noted (when a picture was last wanted).
qint64 nowMs() { return platform::steadyMs(); }

} // namespace

// The server's way to the device and back. Calls from the server's thread
// are queued to the device's; answers are queued back to the server while it
// runs, and dropped once it has gone.
class ControlService::Link final : public DeviceLink {
public:
    explicit Link(ControlService& service) : service_(service) {}

    void submit(const protocol::CommandCall& call, std::shared_ptr<panel::ClientTicket> client,
                std::function<void(const panel::Outcome&, std::shared_ptr<const StateSnapshot>)> done) override {
        QMetaObject::invokeMethod(
            &service_.driver_,
            [this, call, client = std::move(client), done = std::move(done)] {
                service_.driver_.submit(call, client, [this, done](const panel::Outcome& outcome) {
                    toServer([done, outcome, state = service_.published_.state()](ControlServer&) { done(outcome, state); });
                });
            },
            Qt::QueuedConnection);
    }

    void renewToken(std::function<void(const std::variant<QByteArray, QString>&)> done) override {
        QMetaObject::invokeMethod(
            &service_,
            [this, done = std::move(done)] {
                const auto made = service_.renewToken();
                toServer([done, made](ControlServer&) { done(made); });
            },
            Qt::QueuedConnection);
    }

    void refreshPicture() override {
        QMetaObject::invokeMethod(&service_, [this] { service_.pictureWanted(); }, Qt::QueuedConnection);
    }

    // From the device's thread.
    void toServer(std::function<void(ControlServer&)> work) {
        QMutexLocker lock(&mutex_);
        if (server_)
            QMetaObject::invokeMethod(
                server_, [server = server_, work = std::move(work)] { work(*server); }, Qt::QueuedConnection);
    }
    // From the server's thread, as it starts and as it ends.
    void attach(ControlServer* server) {
        QMutexLocker lock(&mutex_);
        server_ = server;
    }
    ControlServer* server() {
        QMutexLocker lock(&mutex_);
        return server_;
    }

private:
    ControlService& service_;
    QMutex mutex_;
    ControlServer* server_ = nullptr;
};

// The server's thread: the server is made, listens, serves and is done away
// with on it.
class ControlService::ServerThread final : public QThread {
public:
    ServerThread(ControlService& service, QString listen, quint16 port, QByteArray token)
        : service_(service), listen_(std::move(listen)), port_(port), token_(std::move(token)) {}

    // Starts it and waits until it listens, or says why it cannot.
    std::optional<QString> launch() {
        start();
        ready_.acquire();
        if (problem_) wait();
        return problem_;
    }
    quint16 port() const { return port_; }
    const QString& url() const { return url_; }

protected:
    void run() override {
        ControlServer server(service_.published_, *service_.link_, service_.limits_);
        server.allowOrigins(service_.settings_.allowedOrigins);
        problem_ = server.start(listen_, port_, token_);
        port_ = server.port();
        url_ = server.url();
        if (!problem_) service_.link_->attach(&server);
        ready_.release();
        if (problem_) return;
        exec();
        service_.link_->attach(nullptr);
    }

private:
    ControlService& service_;
    QString listen_;
    quint16 port_;
    QByteArray token_;
    QString url_;
    std::optional<QString> problem_;
    QSemaphore ready_;
};

ControlService::ControlService(frmCtl& panel, Form1& display, QString controlFile, ServerLimits limits,
                               QObject* parent)
    : QObject(parent), panel_(panel), display_(display), controlFile_(std::move(controlFile)), limits_(limits),
      link_(std::make_unique<Link>(*this)), driver_(panel, display), ride_(driver_, panel), rideMenu_(ride_, panel) {
    driver_.rideCommand = [this](const protocol::CommandCall& call) { return ride_.command(call); };
    connect(&ride_, &ride::Ride::changed, &driver_, &panel::PanelDriver::notify);
    pictureSoon_.setSingleShot(true);
    connect(&pictureSoon_, &QTimer::timeout, this, &ControlService::takePicture);
    pictureTimer_.setInterval(kPictureEveryMs);
    connect(&pictureTimer_, &QTimer::timeout, this, [this] {
        if (nowMs() - published_.pictureWantedMs() > kPictureWatchMs) {
            pictureTimer_.stop();
            return;
        }
        takePicture();
    });
}

ControlService::~ControlService() { shutDown(); }

void ControlService::fail(const QString& why) {
    problem_ = why;
    std::fprintf(stderr, "ferrotab: %s\n", qPrintable(why));
    panel_.setRemoteControlNote(QStringLiteral("外部制御は使えません: ") + why);
}

void ControlService::start(const ControlChoice& choice) {
    pc::LoadedControlFile file = pc::loadControlFile(controlFile_);
    if (file.damage) {
        const QString why = QStringLiteral("制御ファイル %1 が壊れています（%2）").arg(controlFile_, *file.damage);
        if (!choice.enable) {
            // Whether it asked for the interface cannot be known: off, and
            // the file is left as it is for the user to look at.
            fail(why);
            return;
        }
        std::fprintf(stderr, "ferrotab: %s; %s.bad として残し、作り直します\n", qPrintable(why), qPrintable(controlFile_));
        pc::keepDamagedFile(controlFile_);
        file = {};
    }
    settings_ = file.settings;
    // The token is the user's alone: a file others could read is made the
    // owner's again, and the user told once.
    if (const auto widened = pc::keepOwnerOnly(controlFile_)) {
        std::fprintf(stderr, "ferrotab: %s\n", qPrintable(*widened));
        platform::MsgBox(*widened, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
    }
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

    // The device publishes from here on; the server starts with the state
    // and the picture as they are.
    connect(&panel_, &frmCtl::stateChanged, this, [this] { publish(); });
    connect(display_.ChimeiCtl, &ChimeiCtl_B::motionChanged, this, &ControlService::onStripMoved);
    publishedCanvas_ = display_.ChimeiCtl->motion().canvas;
    published_.publishStrip(publishedCanvas_, display_.ChimeiCtl->canvasImage().copy());
    connect(&driver_, &panel::PanelDriver::changed, this, [this](const QString& event) { publishEvent(event); });
    platform::watchActivity([this](platform::Activity a) { onActivity(a); });
    publish();
    takePicture();

    thread_ = std::make_unique<ServerThread>(*this, listen, port, settings_.token);
    if (const auto why = thread_->launch()) {
        thread_.reset();
        platform::watchActivity(nullptr);
        disconnect(&panel_, nullptr, this, nullptr);
        disconnect(&driver_, nullptr, this, nullptr);
        fail(*why);
        return;
    }
    port_ = thread_->port();
    pageHost_ = pageHost(listen, machineAddresses());
    pageUrl_ = pc::pageUrl(pageHost_, port_, settings_.token);
    panel_.setRemoteControlNote(
        QStringLiteral("外部制御: %1（ferrotab-ctl で操作できます。スマートフォンでは右クリックのメニューから）")
            .arg(thread_->url()));
    rideMenu_.showPhonePage = [this] { showPhoneWindow(); };
    announced_ = pc::announce({controlFile_, pc::clientHost(listen), port_, QCoreApplication::applicationPid(),
                               pageHost_, platform::programIdentity().model});
    // Opened to a network on purpose: the phone is what it is for.
    if (!pc::isLoopbackListen(listen)) {
        std::fprintf(stderr, "ferrotab: 外部制御を http://%s:%d/ で開いています。暗号化はされません\n",
                     qPrintable(pageHost_), int(port_));
        showPhoneWindow();
    }
}

// ---- what the device publishes -------------------------------------------------------------

std::shared_ptr<const StateSnapshot> ControlService::publish(bool picture) {
    auto snapshot =
        published_.publishState(stateObject(panel_.panelState(), ride_.state(), activity_, displayObject()), picture);
    // While somebody looks at the picture, it follows the state, once the
    // device has painted what changed.
    if (picture && !pictureSoon_.isActive() && pageFollows() && activity_ == platform::Activity::None) {
        const qint64 since = lastPictureMs_ < 0 ? kPictureGapMs : nowMs() - lastPictureMs_;
        pictureSoon_.start(int(std::max<qint64>(0, kPictureGapMs - since)));
    }
    return snapshot;
}

void ControlService::publishEvent(const QString& event, bool picture) {
    const auto snapshot = publish(picture);
    link_->toServer([event, snapshot](ControlServer& server) { server.broadcast(event, snapshot); });
}

void ControlService::onActivity(platform::Activity activity) {
    // The lamp test and a sound played to its end are told as they begin and
    // end (a picture of the display changes with them); the strip's start
    // wait is told by the strip's own events.
    const bool told = activity == platform::Activity::LampTest || activity == platform::Activity::Sound ||
                      activity_ == platform::Activity::LampTest || activity_ == platform::Activity::Sound;
    activity_ = activity;
    if (told)
        publishEvent(protocol::eventName(protocol::Event::Busy));
    else
        publish();
    // What the device shows while it stands still is the picture to serve
    // meanwhile: always for the lamp test and a sound; for the strip's start
    // wait (a blank strip under the new stop's fares) only while a page
    // follows, as it comes with every scroll of a long name.
    if (activity == platform::Activity::LampTest || activity == platform::Activity::Sound ||
        (activity == platform::Activity::StripWait && pageFollows()))
        takePicture();
}

bool ControlService::pageFollows() const {
    return published_.pictureWantedMs() >= 0 && nowMs() - published_.pictureWantedMs() <= kPictureFollowMs;
}

void ControlService::pictureWanted() {
    if (!pictureTimer_.isActive()) pictureTimer_.start();
    // A picture older than the state is taken at once (a reader waits for
    // it); otherwise no more often than the timer's half period.
    if (lastPictureMs_ < 0 || published_.picture()->stateVersion < published_.state()->pictureVersion ||
        nowMs() - lastPictureMs_ >= kPictureEveryMs / 2)
        takePicture();
}

void ControlService::takePicture() {
    lastPictureMs_ = nowMs();
    // The device as it is cut out (its rounded corners), nothing around it.
    QImage picture(display_.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    display_.render(&picture, QPoint(), display_.mask().isEmpty() ? QRegion(display_.rect()) : display_.mask());
    // When it was taken, on the clock the strip's phases are told by.
    picture.setText(QStringLiteral("takenMs"), QString::number(platform::steadyMs()));
    published_.publishPicture(picture);
    link_->toServer([](ControlServer& server) { server.picturePublished(); });
}

QJsonObject ControlService::displayObject() const {
    const ChimeiCtl_B& strip = *display_.ChimeiCtl;
    const ChimeiCtl_B::Motion& m = strip.motion();
    const char* phase = m.phase == ChimeiCtl_B::Motion::Phase::Moving    ? "moving"
                        : m.phase == ChimeiCtl_B::Motion::Phase::Waiting ? "waiting"
                                                                         : "still";
    QJsonObject o = displayLayout(display_);
    QJsonObject s = o.value(QStringLiteral("strip")).toObject();
    s[QStringLiteral("background")] = platform_ui::toQColor(strip.BackColor()).name();
    s[QStringLiteral("canvas")] = double(m.canvas);
    s[QStringLiteral("canvasHeight")] = strip.canvasHeight();
    s[QStringLiteral("viewportHeight")] = strip.viewportHeight();
    s[QStringLiteral("scrolls")] = m.scrolls;
    s[QStringLiteral("phase")] = QString::fromLatin1(phase);
    s[QStringLiteral("phaseSinceMs")] = double(m.sinceMs);
    s[QStringLiteral("speed")] = strip.Speed();
    s[QStringLiteral("startWaitMs")] = strip.ScrollStartWait();
    s[QStringLiteral("passesPerSecond")] = ChimeiCtl_B::kScrollPassesPerSecond;
    o[QStringLiteral("strip")] = s;
    return o;
}

void ControlService::onStripMoved() {
    const ChimeiCtl_B& strip = *display_.ChimeiCtl;
    if (strip.motion().canvas != publishedCanvas_) {
        publishedCanvas_ = strip.motion().canvas;
        published_.publishStrip(publishedCanvas_, strip.canvasImage().copy());
    }
    publishEvent(protocol::eventName(protocol::Event::Strip), false);
}

// ---- the rest --------------------------------------------------------------------------------

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
    if (thread_) pageUrl_ = pc::pageUrl(pageHost_, port_, settings_.token);
    if (phoneWindow_) phoneWindow_->setAddress(pageUrl_);
    return renewed.token;
}

void ControlService::shutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    // Gone from the runtime folder before anybody hears "quit".
    if (announced_) pc::withdraw(QCoreApplication::applicationPid());
    announced_ = false;
    if (thread_) {
        platform::watchActivity(nullptr);
        pictureTimer_.stop();
        const auto snapshot = publish();
        // Every client hears "quit" and its connection is closed, on the
        // server's thread; then the thread ends, whatever the peers do.
        if (ControlServer* server = link_->server())
            QMetaObject::invokeMethod(
                server, [server, snapshot] { server->farewell(protocol::eventName(protocol::Event::Quit), snapshot); },
                Qt::BlockingQueuedConnection);
        thread_->quit();
        if (!thread_->wait(kServerEndMs)) {
            std::fprintf(stderr, "ferrotab: 外部制御のスレッドが終わりません\n");
            (void)thread_.release(); // still running: left to the end of the process
        }
        thread_.reset();
    }
}

} // namespace remote
