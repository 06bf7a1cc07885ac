#include "app/Program.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "platform/Seams.h"
#include "platform/SettingsPlace.h"
#include "settings/SettingsRecord.h"
#include "panel/frmCtl.h"
#include "options/frmOption.h"
#include "settings/mdlIniIo.h"
#include "sound/mdlM_Tape.h"
#include "sound/mdlSndAPI.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>

// Moves the settings record between the file and the windows. The order
// matters: later steps apply what earlier ones set. Fields that no window
// holds stay in the record as read (or as initialised), so they are written
// back unchanged.
class Program::Exchange final : public mdlIniIo::Exchange {
public:
    explicit Exchange(Program& p) : p_(p) {}

    void gather(settings::SettingsRecord& r) override {
        Form1& f = *p_.form1_;
        for (int i = 1; i <= device::kFareCellCount; ++i) {
            const M_Degit& cell = *f.Degit[size_t(i)];
            r.CellFormat[size_t(i - 1)] = {cell.Shift(), cell.ZeroMode(), cell.FillZero()};
        }
        p_.option_->GetOptionInfo(r);
        // A folder for this run only is not the settings' own.
        if (p_.fareDataFolderForThisRun == r.FareDataDir) r.FareDataDir = p_.storedDataFolders_.fareData;
        if (p_.broadcastDataFolderForThisRun == r.BroadcastDataDir)
            r.BroadcastDataDir = p_.storedDataFolders_.broadcastData;
        p_.ctl_->GetCtrlDataInfo(r);
        f.GetFormInfo(r);
    }

    void apply(const settings::SettingsRecord& r) override {
        Form1& f = *p_.form1_;
        // The fare cells: formatting first, then colours, then a blank value
        // so every cell is redrawn in its new form.
        for (int i = 1; i <= device::kFareCellCount; ++i) {
            M_Degit& cell = *f.Degit[size_t(i)];
            const settings::CellFormatEntry& e = r.CellFormat[size_t(i - 1)];
            cell.setZeroMode(e.ZeroMode);
            cell.setShift(e.Shift);
            cell.setFillZero(e.FillZero);
            paintCell(cell, r);
            cell.setValue(QStringLiteral(" "));
        }
        for (M_Degit* clockCell : f.TimeDegit) paintCell(*clockCell, r);
        f.ChimeiCtl->setBackColor(r.StopNameBackColor);
        f.ChimeiCtl->setForeColor(r.StopNameForeColor);

        // The options dialog's settings, which stop at a refused value with
        // an error; then the panel, the display's place, and the dialog's
        // settings applied to the display once more, completely.
        p_.option_->SetOptionInfo(r);
        p_.ctl_->SetCtrlDataInfo(r);
        f.SetFormInfo(r);
        p_.option_->SetProp();
    }

private:
    static void paintCell(M_Degit& cell, const settings::SettingsRecord& r) {
        cell.setBackColor(r.DigitBackColor);
        cell.setBaseForeColor(r.DigitBaseColor);
        cell.setDegitForeColor(r.DigitLitColor);
    }

    Program& p_;
};

Program::Program(const QString& settingsFile) : Program(platform::SettingsPlace{{}, settingsFile, settingsFile}) {}

Program::Program(const platform::SettingsPlace& place)
    : endProcess([] {
          // Nothing may run after the settings are written: not the rest of a
          // nested scroll loop, not a pending timer. Leave now.
          std::fflush(nullptr);
          std::_Exit(0);
      }),
      place_(place), form1_(std::make_unique<Form1>()), exchange_(std::make_unique<Exchange>(*this)) {
}

Program::~Program() = default;

void Program::start() {
    // 1. Every fare cell in the bevelled lamp style, blank.
    for (int k = 1; k <= device::kFareCellCount; ++k) {
        form1_->Degit[size_t(k)]->setDegitStyle(1);
        form1_->Degit[size_t(k)]->ResetDegit(false);
    }

    // 2. Factory defaults. The built-in panel picture is the face in every
    // backlight mode until the user chooses others. The record starts as the
    // options dialog's design values; the fixed ticket date is the day it is
    // created. The dialog comes up holding the factory settings, and they are
    // applied to the display under the panel's backlight mode (OFF).
    form1_->setPicture(form1_->imgRes[0]);
    form1_->imgRes[1] = form1_->imgRes[0];
    form1_->imgRes[2] = form1_->imgRes[0];
    mdlIniIo::record() = settings::SettingsRecord::initial(platform::clock().now().date());
    option_ = std::make_unique<frmOption>(form1_.get());
    ctl_ = std::make_unique<frmCtl>(form1_.get(), option_.get());
    option_->setBacklightSwitch(ctl_.get());
    option_->SetProp();

    // 3. The options dialog, loaded but not shown.
    option_->hide();

    // 4-5. The operation panel, shown modeless and raised; its load step runs
    // as it comes up.
    ctl_->onQuitConfirmed = [this] { shutDown(); };
    form1_->setOperationPanel(ctl_.get());
    ctl_->Load();
    ctl_->setSettingsFileNote(platform::settingsFileNote(place_));
    ctl_->show();
    ctl_->raise();

    // 6-7. Display to the top-left corner, panel to the bottom-right.
    form1_->placeWindow(std::nullopt);
    ctl_->placeWindow(std::nullopt);

    // 8. The display's rounded shape.
    form1_->applyRoundRegion();

    // 9. Settings file, if there is one; then the data folders of this run.
    mdlIniIo::LoadIni(*exchange_, place_.settingsFileToRead);
    storedDataFolders_ = option_->dataFolders();
    if (fareDataFolderForThisRun || broadcastDataFolderForThisRun)
        option_->setDataFolders({fareDataFolderForThisRun.value_or(storedDataFolders_.fareData),
                                 broadcastDataFolderForThisRun.value_or(storedDataFolders_.broadcastData)});

    form1_->show();
}

void Program::shutDown() {
    if (beforeShutDown) beforeShutDown();
    // The strip is emptied first; a running scroll loop ends with the process.
    form1_->ChimeiCtl->SetChimei(QString());
    // Every sound slot closed, then the speech engine let go, then the
    // settings written.
    mdlSndAPI::SndCloseAll();
    mdlM_Tape::TapeRelease();
    // The user's configuration folder is made by the first quit that needs it.
    if (!place_.folder.isEmpty()) QDir().mkpath(place_.folder);
    mdlIniIo::SaveIni(*exchange_, place_.settingsFile);
    if (endProcess) endProcess();
}
