#include "Program.h"

#include "Form1.h"
#include "Seams.h"
#include "SettingsRecord.h"
#include "frmCtl.h"
#include "frmOption.h"
#include "mdlIniIo.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

// Moves the settings record between the file and the windows. The order
// matters: later steps apply what earlier ones set. Fields whose controls do
// not exist in this build stay in the record as read (or as initialised), so
// they are written back unchanged.
class Program::Exchange final : public mdlIniIo::Exchange {
public:
    explicit Exchange(Program& p) : p_(p) {}

    void gather(settings::SettingsRecord& r) override {
        p_.ctl_->GetCtrlDataInfo(r);
        p_.form1_->GetFormInfo(r);
    }

    void apply(const settings::SettingsRecord& r) override {
        p_.ctl_->SetCtrlDataInfo(r);
        p_.form1_->SetFormInfo(r);
    }

private:
    Program& p_;
};

Program::Program(QString settingsFile)
    : endProcess([] {
          // Nothing may run after the settings are written: not the rest of a
          // nested scroll loop, not a pending timer. Leave now.
          std::fflush(nullptr);
          std::_Exit(0);
      }),
      settingsFile_(std::move(settingsFile)), form1_(std::make_unique<Form1>()), exchange_(std::make_unique<Exchange>(*this)) {
}

Program::~Program() = default;

void Program::start() {
    // 1-2. Cells and factory defaults. The record starts as the options
    // dialog's design values; the fixed ticket date is the day it is created.
    mdlIniIo::record() = settings::SettingsRecord::initial(platform::clock().now().date());

    // 3. The options dialog, loaded but not shown.
    option_ = std::make_unique<frmOption>(form1_.get());
    option_->hide();

    // 4-5. The operation panel, shown modeless and raised; its load step runs
    // as it comes up.
    ctl_ = std::make_unique<frmCtl>(form1_.get());
    ctl_->onQuitConfirmed = [this] { shutDown(); };
    ctl_->Load();
    ctl_->show();
    ctl_->raise();

    // 6-7. Display to the top-left corner, panel to the bottom-right.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    form1_->move(s.topLeft());
    const QSize panelSize = ctl_->frameGeometry().size();
    ctl_->move(s.left() + s.width() - panelSize.width(), s.top() + s.height() - panelSize.height());

    // 8. The display's rounded shape.
    form1_->applyRoundRegion();

    // 9. Settings file, if there is one.
    mdlIniIo::LoadIni(*exchange_, settingsFile_);

    form1_->show();
}

void Program::shutDown() {
    mdlIniIo::SaveIni(*exchange_, settingsFile_);
    if (endProcess) endProcess();
}
