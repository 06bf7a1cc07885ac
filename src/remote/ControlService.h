#pragma once
// The control interface as the program runs it: switched on by the control
// file or the command line, its token made on first use and kept in the
// file, the address shown on the panel, the running device announced to
// ferrotab-ctl, and the end of the program told to every client.

#include "remote/ControlServer.h"
#include "panel/PanelDriver.h"
#include "remote/PhonePanelWindow.h"
#include "ride/Ride.h"
#include "ride/RideMenu.h"
#include "platform/ControlFile.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class Form1;
class frmCtl;

namespace remote {

using panel::PanelDriver;
using protocol::CommandCall;
using ride::Ride;
using ride::RideMenu;

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
    // The program ends: every client hears "quit", and the announcement goes.
    void shutDown();

    ControlServer* server() { return server_.get(); }
    PanelDriver& driver() { return driver_; }
    // The timetable ride, there with the interface on or off.
    Ride& ride() { return ride_; }
    // Why the interface is off, when it was asked for and could not start.
    const QString& problem() const { return problem_; }
    // The phone panel page's address with the token; empty while the
    // interface is off.
    const QString& pageAddress() const { return pageUrl_; }
    // The window that offers it as a QR code, once opened.
    PhonePanelWindow* phoneWindow() { return phoneWindow_.get(); }
    void showPhoneWindow();

private:
    void fail(const QString& why);
    std::variant<QByteArray, QString> renewToken();

    frmCtl& panel_;
    QString controlFile_;
    ServerLimits limits_;
    PanelDriver driver_;
    Ride ride_;
    RideMenu rideMenu_;
    Form1& display_;
    std::unique_ptr<ControlServer> server_;
    std::unique_ptr<PhonePanelWindow> phoneWindow_;
    QString pageHost_;
    QString pageUrl_;
    platform::control::ControlSettings settings_;
    QString problem_;
    bool announced_ = false;
    bool shutDown_ = false;
};

} // namespace remote
