#pragma once
// The control interface as the program runs it: switched on by the control
// file or the command line, its token made on first use and kept in the
// file, the address shown on the panel, the running device announced to
// ferrotab-ctl, and the end of the program told to every client.
//
// The server runs on a thread of its own. The device stays on the
// user-interface thread, where its waits belong; it publishes its state
// (and, while somebody looks, its picture) whenever it changes, and the
// server answers reads from what was published. Commands cross to the
// device's thread and wait their turn there, as a hand would.

#include "panel/PanelDriver.h"
#include "platform/Activity.h"
#include "platform/ControlFile.h"
#include "remote/ControlServer.h"
#include "remote/PhonePanelWindow.h"
#include "remote/Published.h"
#include "ride/Ride.h"
#include "ride/RideMenu.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class Form1;
class frmCtl;

namespace remote {

// What the command line asks of the interface for this run; unset values
// come from the control file.
struct ControlChoice {
    bool enable = false;
    std::optional<quint16> port;
    std::optional<QString> listen;
};

class ControlService : public QObject {
    Q_OBJECT
public:
    ControlService(frmCtl& panel, Form1& display, QString controlFile, ServerLimits limits = {},
                   QObject* parent = nullptr);
    ~ControlService() override;

    // Starts the interface when the file or `choice` switches it on. What
    // goes wrong (a damaged file, a port in use) is said on the error output
    // and on the panel, and the program runs on without the interface.
    void start(const ControlChoice& choice);
    // The program ends: every client hears "quit", the server's thread ends,
    // and the announcement goes.
    void shutDown();

    // Whether the interface runs, and where.
    bool listening() const { return thread_ != nullptr; }
    quint16 port() const { return port_; }
    panel::PanelDriver& driver() { return driver_; }
    // The timetable ride, there with the interface on or off.
    ride::Ride& ride() { return ride_; }
    // What the device last published.
    const Published& published() const { return published_; }
    // Why the interface is off, when it was asked for and could not start.
    const QString& problem() const { return problem_; }
    // The phone panel page's address with the token; empty while the
    // interface is off.
    const QString& pageAddress() const { return pageUrl_; }
    // The window that offers it as a QR code, once opened.
    PhonePanelWindow* phoneWindow() { return phoneWindow_.get(); }
    void showPhoneWindow();

private:
    class Link;
    class ServerThread;

    void fail(const QString& why);
    std::variant<QByteArray, QString> renewToken();
    // `picture`: a page that follows may want the display's picture of it
    // (not for the strip's motion alone, which the page moves itself).
    std::shared_ptr<const StateSnapshot> publish(bool picture = true);
    void publishEvent(const QString& event, bool picture = true);
    // A page fetched the display's picture within the last minute.
    bool pageFollows() const;
    void onActivity(platform::Activity activity);
    void pictureWanted();
    void takePicture();
    QJsonObject displayObject() const;
    void onStripMoved();

    frmCtl& panel_;
    Form1& display_;
    QString controlFile_;
    ServerLimits limits_;
    Published published_;
    std::unique_ptr<Link> link_; // before the driver: its replies go through it
    panel::PanelDriver driver_;
    ride::Ride ride_;
    ride::RideMenu rideMenu_;
    std::unique_ptr<ServerThread> thread_;
    quint16 port_ = 0;
    platform::Activity activity_ = platform::Activity::None;
    QTimer pictureTimer_; // while somebody reads the picture
    QTimer pictureSoon_;  // after a change
    qint64 lastPictureMs_ = -1;
    quint64 publishedCanvas_ = 0; // the strip's canvas last published
    std::unique_ptr<PhonePanelWindow> phoneWindow_;
    QString pageHost_;
    QString pageUrl_;
    platform::control::ControlSettings settings_;
    QString problem_;
    bool announced_ = false;
    bool shutDown_ = false;
};

} // namespace remote
