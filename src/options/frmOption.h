#pragma once
// The options dialog (オプション). Created hidden at start and kept for the
// whole run; shown modally from the operation panel. There is no cancel: its
// controls ARE the live settings. Every other part of the program reads a
// setting from its control at the moment it needs it (the fare data folder
// from Text2[0], the sound files from txtSelectSound[i], ...), so nothing here
// keeps a copy. "OK" applies the display settings to the fare display
// (SetProp) and hides the dialog; the settings file is written only when the
// program ends.
//
// Six pages, one shown at a time, chosen by the page buttons Option1[0..5].
// Controls carry the names the settings file's fields are documented by;
// arrays are indexed as those names are.

#include "platform/Color.h"

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
class BacklightSwitch;
class ColorButton;
class PageButton;
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
    void setTicketPreview(QWidget* picture, QComboBox* companies) {
        ticketPicture_ = picture;
        companyList_ = companies;
    }

    // ---- page selection ---------------------------------------------------------------
    // Page buttons: data folders (0), panel and ticket numbers (1), digit parts
    // and information digits (2), stop name (3), sounds (4), ticket preview (5).
    std::array<options::PageButton*, 6> Option1{};
    std::array<QWidget*, 6> Frame1{}; // the pages, in the same order
    QStackedWidget* pages = nullptr;  // shows the page of the selected button

    // ---- page 0: data folders -----------------------------------------------------------
    std::array<QLineEdit*, 2> Text2{};        // fare data folder (0), broadcast data folder (1)
    std::array<QPushButton*, 2> Command3{};   // "...": folder chooser into Text2[i]
    std::array<QPushButton*, 2> Command10{};  // opens Text2[i] in the file manager

    // ---- page 1: panel pictures and ticket numbers ----------------------------------------
    QCheckBox* Check1 = nullptr;                   // ticket-number labels shown
    QWidget* Frame3 = nullptr;                     // enabled while Check1 is marked
    std::array<options::ColorButton*, 3> Command5{}; // label colour in OFF (0), ON1 (1), ON2 (2)
    QComboBox* Combo2 = nullptr;                   // numbering scheme 0..11
    QCheckBox* Check2 = nullptr;                   // leading 0 for one-digit numbers
    // Panel pictures: automatic built-in (0) or individual (1); per mode
    // built-in or user picture: OFF user (6) / built-in (7), ON1 user (2) /
    // built-in (3), ON2 built-in (4) / user (5).
    std::array<QRadioButton*, 8> Option3{};
    std::array<QGroupBox*, 3> Frame6{};       // per-mode picture choice OFF, ON1, ON2; shown while Option3[1]
    std::array<QLineEdit*, 3> txtSelectPanel{}; // user picture file of OFF, ON1, ON2
    std::array<QPushButton*, 3> Command6{};     // "...": picture chooser into txtSelectPanel[i]

    // ---- page 2: digit cells and information digits ---------------------------------------
    std::array<options::ColorButton*, 3> Command8{}; // cell background (0), unlit (1), lit (2) segments
    M_Degit* M_Degit1 = nullptr;                     // preview of the three colours
    // Information digits on: stop order (0), ticket number (1), route number
    // (2), a fare data column (3); stop order counted from 0 (4).
    std::array<QCheckBox*, 5> Check3{};
    // Cell of the stop order (0), ticket number (1), route number (2),
    // column value (3): "1".."84"; the column (4): "1".."150".
    std::array<QComboBox*, 5> Combo4{};

    // ---- page 3: stop name ------------------------------------------------------------------
    std::array<options::ColorButton*, 2> Command9{}; // strip background (0), lit dots (1)
    QComboBox* Combo3 = nullptr;                     // font option 0..4, none chosen -1
    QCheckBox* Check4 = nullptr;                     // bold (only when checked, not grey)

    // ---- page 4: sounds ---------------------------------------------------------------------
    // Sound files: route set (0), reset (1), before an announcement always (3)
    // or by flag 1..3 (4..6), on data forward/back always (7) or by column
    // value 1..3 (8..10). There is no element 2.
    std::array<QLineEdit*, 11> txtSelectSound{};
    std::array<QPushButton*, 11> cmdSelectSound{}; // "...": sound chooser into txtSelectSound[i]
    std::array<options::PageButton*, 2> Option5{}; // sub-page: before announcements (0), forward/back (1)
    std::array<QGroupBox*, 2> Frame2{};            // the sub-pages
    QStackedWidget* soundPages = nullptr;
    std::array<QRadioButton*, 2> Option6{}; // forward/back sound: synchronous (0), asynchronous (1)
    // Forward/back sound always (0) or by fare data column (1); announcement
    // sound always (2) or by the broadcast line's flag (3).
    std::array<QRadioButton*, 4> Option2{};
    QComboBox* Combo1 = nullptr;            // fare data column "1".."150" that selects the sound
    std::array<QRadioButton*, 2> Option7{}; // announcement sound: synchronous (0), asynchronous (1)

    // ---- page 5: ticket preview ----------------------------------------------------------------
    QCheckBox* chkUseSeiriPrev = nullptr;   // ticket preview on; shows Frame10 and Frame7
    QGroupBox* Frame10 = nullptr;           // ticket plug-in
    QLineEdit* txtSeiriPlgDir = nullptr;    // plug-in file (*.4SP)
    QPushButton* Command1 = nullptr;        // "...": plug-in chooser
    QPushButton* Command11 = nullptr;       // clears the plug-in
    QListWidget* List1 = nullptr;           // the plug-in's properties
    QPlainTextEdit* txtPlginComment = nullptr; // the plug-in's remarks
    QGroupBox* Frame7 = nullptr;            // ticket date
    // Ticket date: system date at each print (0), at route setting (1), fixed (2).
    std::array<QRadioButton*, 3> Option4{};
    QLabel* Label10 = nullptr;              // the fixed date, "yyyy/mm/dd"
    QPushButton* Command7 = nullptr;        // date chooser into Label10

    QPushButton* Command4 = nullptr; // "OK": applies and hides

    // ---- methods --------------------------------------------------------------------------------
    // Fills the numbering scheme list and selects its first entry.
    void AddComboItem();
    // The folder chooser; the chosen folder, or the empty text when cancelled.
    // The argument is not used.
    QString GetPathString(const QString& defaultPath = QString());
    // The colour chooser on a colour button's colour, with the settings'
    // custom colours; a chosen colour becomes the button's.
    void GetBtnColor(options::ColorButton* button);
    // Describes the plug-in at `path` (its properties and remarks) and
    // prepares the panel for it (the preview's size, the company names).
    // False, with nothing changed, when the path names no usable plug-in.
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

    // ---- event handlers -------------------------------------------------------------------------
    void Option1_Click(int index);
    void Option5_Click(int index);
    void Command3_Click(int index);
    void Command10_Click(int index);
    void cmdSelectSound_Click(int index);
    void Command6_Click(int index);
    void Command5_Click(int index);
    void Command8_Click(int index);
    void Command9_Click(int index);
    void Command7_Click();
    void Command1_Click();  // choose a plug-in
    void Command11_Click() const; // clear the plug-in
    void Command4_Click();

private:
    void buildPage0();
    void buildPage1();
    void buildPage2();
    void buildPage3();
    void buildPage4();
    void buildPage5();
    void Load();
    // The record's fields 1-61 into the controls, in the stored order; with
    // `followUps` also what depends on them outside the dialog.
    void applyRecord(const settings::SettingsRecord& record, bool followUps);
    // Enabled and shown states of the dependent controls, from the states of
    // the boxes and buttons they depend on.
    void updateDependents();
    void updatePreviewColours();
    void reapplyBacklight();

    Form1* display_ = nullptr;
    options::BacklightSwitch* backlight_ = nullptr;
    QWidget* ticketPicture_ = nullptr;
    QComboBox* companyList_ = nullptr;
};
