#pragma once
// The driver's central operation panel (集中操作盤). It drives the fare
// display: the route and section are entered on one of two entry pages (digit
// wheels, or a ten-key pad), "リセット" reads the route's fare data and shows
// the start stop, "データ送り" and "データ戻し" move the bus stop by stop. The
// display-clear and late-night switches, the stop-name scroll sliders, the
// backlight buttons, the options, the version box and the numbered-ticket
// preview pane are here too. Closing the panel ends the program, after asking.
//
// Settings are asked of the options dialog, by name, at the moment they are
// used, never kept in a copy.

#include "options/Backlight.h"
#include "panel/PanelLogic.h"
#include "panel/PanelState.h"
#include "platform/Twips.h"

#include <QRegion>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class Form1;
class frmOption;
class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedWidget;
class QTimer;
namespace settings {
struct SettingsRecord;
}
namespace panel {
class DigitWheel;
class EntryPage;
class KeyCap;
class PreviewPicture;
} // namespace panel

class frmCtl : public QWidget, public options::BacklightSwitch {
    Q_OBJECT
public:
    // The panel's widths: narrow, and widened to show the ticket preview pane.
    static constexpr int kNarrowWidth = platform::twipsToPixels(5385);
    static constexpr int kWideWidth = platform::twipsToPixels(9000);

    // `options`: the options dialog, which holds the settings the panel's
    // operations read.
    explicit frmCtl(Form1* display, frmOption* options = nullptr, QWidget* parent = nullptr);
    ~frmCtl() override;

    // ---- entry pages --------------------------------------------------------------------
    // The list page (0) and the keypad page (1), one over the other; a
    // double-click sends the page in front to the back.
    std::array<panel::EntryPage*, 2> Frame1{};
    QStackedWidget* entryPages = nullptr; // shows the page in front
    std::int16_t PageBack = 0;            // entry page last sent to the back (0 or 1)

    // List page: route digit wheels (most significant first), section digit
    // wheels, and the captions "系統設定", "系　統", "区間".
    std::array<panel::DigitWheel*, 5> List2{};
    std::array<panel::DigitWheel*, 3> List3{};
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;

    // Keypad page: digit keys 0..9 (index = digit), "系統" (10), "区間" (11);
    // the route display (0), "-" (1), the section display (2).
    std::array<panel::KeyCap*, 12> CommandButton1{};
    std::array<QRegion, 12> KeyRegions; // the rounded region each key is cut to
    std::array<QLabel*, 3> Label2{};
    // Route setting: from the list page (0), from the keypad page (1).
    std::array<QPushButton*, 2> Command1{};
    // True: the keypad's digits go to the route display; false: to the section.
    bool EntryToRoute() const { return keypad_.toRoute; }

    // ---- the ride ---------------------------------------------------------------------------
    std::array<QPushButton*, 2> Command2{}; // data back (0), data forward (1)
    QCheckBox* Check1 = nullptr;            // display clear
    QGroupBox* Frame6 = nullptr;            // late night and the scroll sliders
    QLabel* rideLamp = nullptr;             // 自動運行中: shown while a ride by the timetable runs
    QCheckBox* Check2 = nullptr;            // late-night fare
    // Stop-name scroll speed (0, 1..2000) and start wait (1, 0..3000 ms),
    // their captions "ｽｸﾛｰﾙ速度", "ｽｸﾛｰﾙ間隔" and value labels.
    std::array<QScrollBar*, 2> HScroll1{};
    std::array<QLabel*, 2> Label3{};
    std::array<QLabel*, 2> Label1{};

    // Announcements: next, previous, voice adjustment, stop.
    QGroupBox* grpM_Tape = nullptr;
    QPushButton* cmdTapeNext = nullptr;
    QPushButton* cmdTapeBack = nullptr;
    QPushButton* cmdTapeSet = nullptr;
    QPushButton* cmdTapeStop = nullptr;

    // The backlight: OFF (0), ON1 (1), ON2 (2) in the frame "バックライト";
    // OFF at every start (the mode is not saved).
    QGroupBox* backlightFrame = nullptr;
    std::array<QRadioButton*, 3> Option4{};

    QPushButton* Command8 = nullptr; // version box
    QPushButton* Command4 = nullptr; // the options dialog
    QPushButton* Check4 = nullptr;   // ticket preview pane open (">>" / "<<"), a toggle

    // The ticket preview pane, beside the narrow panel: its title, the
    // picture the ticket plug-in draws into, the plug-in's entry list, and
    // the picture's pop-up menu with "コピー(&C)".
    QLabel* Label4 = nullptr;
    panel::PreviewPicture* picSeirikenPrev = nullptr;
    QComboBox* Combo1 = nullptr;
    QMenu* MnuHide = nullptr;
    QAction* MnuHideCopy = nullptr;

    // The ticket date kept at the last route setting ("mm-dd-yyyy").
    QString TicketDateText;

    // ---- operations -----------------------------------------------------------------------
    // The panel's load step: runs when the panel is first shown.
    void Load();

    // A keypad key; a click in a route or section wheel; a page switch.
    void CommandButton1_Click(int index);
    void List2_Click(int index);
    void List3_Click(int index);
    void Frame1_DblClick(int index);

    // Route setting from the list page (0) or the keypad page (1). A route
    // that cannot be set is told in a message box.
    void Command1_Click(int index);
    // Route setting's steps without the box: the reason the route could not
    // be set, empty once it is set.
    QString routeSetting(int index);

    // Puts row n (1..301) of the fare table on the device: fares, information
    // digits, the ticket preview and the stop name.
    void DispData(int n);
    // The ticket preview for row n: cleared, and drawn by the ticket plug-in
    // when the preview is on, with today's or the kept date, the time, the
    // route, the row's ticket number and name, n and the chosen company.
    void drawTicketPreview(int n);
    // The current stop's ticket again, while a route is set (a route setting
    // has succeeded in this run) and the device is not cleared.
    void redrawCurrentTicket();
    // True once a route setting has succeeded in this run.
    bool routeIsSet() const { return routeIsSet_; }
    // The fare data folder as the options dialog holds it now.
    QString fareDataFolder() const;
    // Another company chosen: the current stop's ticket again.
    void Combo1_Click();

    // Data back (0) or forward (1).
    void Command2_Click(int index);
    // Where data back and forward would do nothing: the first row, the
    // route's last stop (or the table's last row).
    bool atFirstStop() const;
    bool atLastStop() const;
    // Display clear switched on or off.
    void Check1_Click();
    // Announcements: next and previous (moving the bus along where the
    // announcement says so), the voice adjustment, silence.
    void cmdTapeNext_Click();
    void cmdTapeBack_Click();
    void cmdTapeSet_Click();
    void cmdTapeStop_Click();
    // A scroll slider moved (or was set to another value).
    void HScroll1_Change(int index);
    // Version box; preview pane open or closed; options dialog; preview copy.
    void Command8_Click();
    void Check4_Click();
    void Command4_Click();
    void MnuHideCopy_Click();
    void picSeirikenPrev_MouseDown(Qt::MouseButton button, QPoint pos) const;

    // The date the ticket plug-in prints on this stop's ticket.
    QString ticketDateForPrint() const;
    // The version box's text, lines separated by CR LF.
    static QString versionText();

    // Selecting a backlight mode: the display's panel picture and label colour.
    void Option4_Click(std::int16_t index) override;
    std::int16_t selectedBacklightMode() const override;

    // Panel state to and from the settings record: the position (the outer
    // top-left corner, frame included), the sliders, the page, the preview
    // pane and late night. Restoring a slider or the pane to another value
    // runs its handler. A check state the record cannot hold stops restoring
    // with mdlIniIo::SettingsError.
    void GetCtrlDataInfo(settings::SettingsRecord& record) const;
    void SetCtrlDataInfo(const settings::SettingsRecord& record);
    // Puts the panel's outer top-left at `outerTopLeft` (pixels), or where a
    // first start puts it, at the primary screen's bottom-right corner. A
    // place where no part of the title bar would be on any screen counts as
    // none.
    void placeWindow(std::optional<QPoint> outerTopLeft);

    // What a confirmed quit runs: the shut-down steps and the end of the
    // program. Set by the program at start.
    std::function<void()> onQuitConfirmed;

    // ---- driven from other programs (panel/frmCtlRemote.cpp) ------------------------------
    // The route and section keyed into the keypad page's displays, as the
    // keys would put them (without their clicks): "系統", the digits, "区間",
    // the digits.
    void enterRoute(const QString& route, const QString& section);
    // The bus put at row n (1..the route's rows) without passing the stops
    // between: the row's fares and name as DispData shows them, no advance
    // sound. Nothing happens without a route, while the display is cleared,
    // or for a row the route does not have.
    void goToRow(int n);
    // A note on the panel about the control interface (the address in use,
    // or why it is off), shown as the version button's tooltip.
    void setRemoteControlNote(const QString& note);
    // Which settings file is in use, shown there too.
    void setSettingsFileNote(const QString& note);

    // What the device shows and how the panel stands, as last published.
    const panel::PanelState& panelState() const { return state_; }

signals:
    // The fares and the ticket of row n are shown and its name goes to the
    // strip next (DispData).
    void stopShown(int n);
    // A route setting succeeded; its start stop is shown next.
    void routeSet();
    // Display clear switched on (the device is dark) or off (its stop is
    // shown next).
    void displayClearChanged(bool on);
    void lateNightChanged(bool on);
    void backlightChanged(int mode);
    // The options dialog closed, its settings applied.
    void settingsApplied();
    // An announcement is being spoken, reached by "送り" (next) or "戻し";
    // the voice has stopped.
    void announcementStarted(int index, bool next);
    void announcementEnded();
    // The keypad page's displays show another entry, or the other one takes
    // the digits.
    void keypadEntryChanged();
    // panelState() changed; it is published before the signals above.
    void stateChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The keys the focused control leaves: Return or Enter press a focused
    // button, box or option; the page keys move the bus; digits and the
    // entry keys work the keypad while its page is in front.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildListPage();
    QWidget* buildKeypadPage();
    QWidget* buildRideControls();
    QWidget* buildPreviewPane();
    void showKeypadEntry();
    // The keys that work the panel without a mouse, and the Tab order.
    void setUpKeyboard();
    // The button a key that reached the panel works, if any.
    QAbstractButton* keyboardButton(const QKeyEvent& event) const;
    bool lateNight() const;
    // The panel's state made anew and published (panel/frmCtlState.cpp).
    void publishState();
    void noteCellWrites(const std::vector<panel::CellWrite>& writes);
    void noteAnnouncementStarted(bool approaching);
    QString setRoute(int index);
    void showVersionButtonNotes();

    Form1* display_;
    frmOption* options_;
    panel::KeypadEntry keypad_;
    bool routeIsSet_ = false;
    QWidget* mainColumn_ = nullptr;
    QWidget* previewPane_ = nullptr;
    panel::PanelState state_;
    QTimer* speechPoll_ = nullptr;
    QString remoteControlNote_;
    QString settingsFileNote_;
};
