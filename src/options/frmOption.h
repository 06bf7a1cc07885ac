#pragma once
// The options dialog (オプション). Created hidden at start and kept for the
// whole run; shown modally from the operation panel. There is no cancel: its
// controls ARE the live settings. The other windows ask it for a setting by
// name at the moment they need it (the data folders, the sounds, the
// information digits, the ticket date...) and get plain values; nothing
// outside the dialog looks at its controls. "OK" (or closing the dialog any
// other way) applies the display settings to the fare display (SetProp) and
// hides the dialog; the settings file is written only when the program ends.
//
// Six pages, one widget class each, shown one at a time and chosen by the
// page buttons Option1[0..5]. Controls carry the names the settings file's
// fields are documented by; arrays are indexed as those names are
// (options/ControlIndex.h names the indices).

#include "options/Backlight.h"
#include "platform/Color.h"
#include "settings/LiveSettings.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class Form1;
class M_Degit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
namespace settings {
struct SettingsRecord;
}
namespace options {
class ColorButton;
class DigitsPage;
class FoldersPage;
class PageButton;
class PanelPage;
class SoundsPage;
class StopNamePage;
class TicketPreviewPage;
} // namespace options

class frmOption : public QDialog {
    Q_OBJECT
public:
    // `display`: the fare display the settings are applied to.
    explicit frmOption(Form1* display = nullptr, QWidget* parent = nullptr);
    ~frmOption() override;

    // The operation panel's backlight buttons, whose selected mode decides
    // the label colour and picture. Without them the mode is OFF.
    void setBacklightSwitch(options::BacklightSwitch* backlight) { backlight_ = backlight; }
    Form1* display() const { return display_; }
    // The operation panel's ticket preview picture, sized for the chosen
    // plug-in, and its company list, filled by it.
    void setTicketPreview(QWidget* picture, QComboBox* companies);

    // ---- the settings, by name, as they stand now -------------------------------------
    settings::DataFolders dataFolders() const;
    // The data folders put in as if typed on the first page.
    void setDataFolders(const settings::DataFolders& folders);
    settings::KeySounds keySounds() const;
    settings::AdvanceSoundSettings advanceSound() const;
    settings::AnnounceSoundSettings announceSound() const;
    settings::InfoDigits infoDigits() const;
    settings::TicketDateSettings ticketDate() const;
    settings::TicketPreviewSettings ticketPreview() const;
    // What backlight mode 0..2 shows: its label colour, and the user's
    // picture file when the mode uses one.
    options::BacklightLook backlightLook(std::int16_t mode) const;

    // ---- the pages --------------------------------------------------------------------
    // Page buttons: data folders (0), panel and ticket numbers (1), digit parts
    // and information digits (2), stop name (3), sounds (4), ticket preview (5).
    std::array<options::PageButton*, 6> Option1{};
    options::FoldersPage* folders;
    options::PanelPage* panelPage;
    options::DigitsPage* digits;
    options::StopNamePage* stopName;
    options::SoundsPage* sounds;
    options::TicketPreviewPage* ticketPage;
    std::array<QWidget*, 6> Frame1{}; // the pages, in the same order
    QStackedWidget* pages = nullptr;  // shows the page of the selected button

    // ---- the controls, by the names the settings are documented by --------------------
    // page 0: data folders
    std::array<QLineEdit*, 2>& Text2;
    std::array<QPushButton*, 2>& Command3;
    std::array<QPushButton*, 2>& Command10;
    // page 1: panel pictures and ticket numbers
    QCheckBox*& Check1;
    QWidget*& Frame3;
    std::array<options::ColorButton*, 3>& Command5;
    QComboBox*& Combo2;
    QCheckBox*& Check2;
    std::array<QRadioButton*, 8>& Option3;
    std::array<QGroupBox*, 3>& Frame6;
    std::array<QLineEdit*, 3>& txtSelectPanel;
    std::array<QPushButton*, 3>& Command6;
    // page 2: digit cells and information digits
    std::array<options::ColorButton*, 3>& Command8;
    M_Degit*& M_Degit1;
    std::array<QCheckBox*, 5>& Check3;
    std::array<QComboBox*, 5>& Combo4;
    // page 3: stop name
    std::array<options::ColorButton*, 2>& Command9;
    QComboBox*& Combo3;
    QCheckBox*& Check4;
    // page 4: sounds
    std::array<QLineEdit*, 11>& txtSelectSound;
    std::array<QPushButton*, 11>& cmdSelectSound;
    std::array<options::PageButton*, 2>& Option5;
    std::array<QGroupBox*, 2>& Frame2;
    QStackedWidget*& soundPages;
    std::array<QRadioButton*, 2>& Option6;
    std::array<QRadioButton*, 4>& Option2;
    QComboBox*& Combo1;
    std::array<QRadioButton*, 2>& Option7;
    // page 5: ticket preview
    QCheckBox*& chkUseSeiriPrev;
    QGroupBox*& Frame10;
    QLineEdit*& txtSeiriPlgDir;
    QPushButton*& Command1;
    QPushButton*& Command11;
    QListWidget*& List1;
    QPlainTextEdit*& txtPlginComment;
    QGroupBox*& Frame7;
    std::array<QRadioButton*, 3>& Option4;
    QLabel*& Label10;
    QPushButton*& Command7;

    QPushButton* Command4 = nullptr; // "OK": applies and hides

    // ---- methods --------------------------------------------------------------------------
    // Describes the plug-in at `path` on page 5 and prepares the panel for
    // it. False, with nothing changed, when the path names no usable plug-in.
    bool SetPlgin(const QString& path);

    // The controls to fields 1-61 of the record, and back. SetOptionInfo runs
    // every change handler as a user's change would, then has the backlight
    // mode applied again and the preview cell recoloured. A value a control
    // refuses ends it there with mdlIniIo::SettingsError; the controls set
    // before keep their new values.
    void GetOptionInfo(settings::SettingsRecord& record) const;
    void SetOptionInfo(const settings::SettingsRecord& record);

    // The display settings onto the fare display: label visibility, numbering
    // and colour, cell and clock colours, the strip's colours and font, then
    // the backlight mode again.
    void SetProp();

    // The mode selected on the operation panel (0 OFF, 1 ON1, 2 ON2).
    std::int16_t backlightMode() const;

    void Option1_Click(int index);
    void Command4_Click();

    // Escape and the window's close box end the dialog as "OK" does: there is
    // no cancel, so what was changed counts everywhere.
    void reject() override;

private:
    class Fields;
    // The record's fields 1-61 into the controls, in the stored order; with
    // `followUps` also what depends on them outside the dialog.
    void applyRecord(const settings::SettingsRecord& record, bool followUps);
    void updateDependents();
    void reapplyBacklight();

    Form1* display_ = nullptr;
    options::BacklightSwitch* backlight_ = nullptr;
};
