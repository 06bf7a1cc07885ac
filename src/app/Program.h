#pragma once
// The whole program: its three windows, the order in which they come up and
// the order in which they go. The fare display is the start-up window; its
// load step is `start()`.

#include "platform/SettingsPlace.h"
#include "settings/LiveSettings.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Form1;
class frmCtl;
class frmOption;

class Program {
public:
    // Where LoadIni reads and SaveIni writes: by default this device's
    // settings place (beside the program, or in the user's configuration
    // folder).
    explicit Program(const platform::SettingsPlace& place = platform::settingsPlace());
    // Reads and writes `settingsFile`.
    explicit Program(const QString& settingsFile);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The start-up order: cell style, factory defaults, options dialog loaded
    // hidden, panel shown and raised, windows placed in the screen's corners,
    // display shaped, settings read and applied; then the display is shown.
    void start();

    // The shut-down order after the user confirmed the quit question, ending
    // with `endProcess`.
    void shutDown();

    // Runs first in the shut-down order, while everything still stands (the
    // control interface tells its clients).
    std::function<void()> beforeShutDown;

    // Data folders for this run only (--fare-data, --broadcast-data), set
    // before start(): they replace the settings' folders once the settings
    // are read, and the settings file keeps its own folders unless the user
    // chose others under 設定... meanwhile.
    std::optional<QString> fareDataFolderForThisRun;
    std::optional<QString> broadcastDataFolderForThisRun;

    // Ends the process at once. The default leaves without running any
    // further event (also from inside a nested event loop); tests replace it.
    std::function<void()> endProcess;

    Form1& display() { return *form1_; }
    frmCtl& panel() { return *ctl_; }
    frmOption& options() { return *option_; }
    const QString& settingsFile() const { return place_.settingsFile; }

private:
    class Exchange;
    platform::SettingsPlace place_;
    settings::DataFolders storedDataFolders_; // the settings' own, under those for this run
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<frmOption> option_;
    std::unique_ptr<frmCtl> ctl_;
    std::unique_ptr<Exchange> exchange_;
};
