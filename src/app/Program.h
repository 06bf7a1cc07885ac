#pragma once
// The whole program: its three windows, the order in which they come up and
// the order in which they go. The fare display is the start-up window; its
// load step is `start()`.

#include "settings/mdlIniIo.h"

#include <QString>
#include <functional>
#include <memory>

class Form1;
class frmCtl;
class frmOption;

class Program {
public:
    // `settingsFile`: where LoadIni and SaveIni read and write; by default the
    // program folder's <model>.in4.
    explicit Program(QString settingsFile = mdlIniIo::settingsPath());
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

    // Ends the process at once. The default leaves without running any
    // further event (also from inside a nested event loop); tests replace it.
    std::function<void()> endProcess;

    Form1& display() { return *form1_; }
    frmCtl& panel() { return *ctl_; }
    frmOption& options() { return *option_; }
    const QString& settingsFile() const { return settingsFile_; }

private:
    class Exchange;
    QString settingsFile_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<frmOption> option_;
    std::unique_ptr<frmCtl> ctl_;
    std::unique_ptr<Exchange> exchange_;
};
