#pragma once
// The driver's central operation panel (集中操作盤). It drives the fare display;
// closing it ends the program, after asking.

#include "options/Backlight.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class Form1;
class frmOption;
class QGroupBox;
class QRadioButton;
namespace settings {
struct SettingsRecord;
}

class frmCtl : public QWidget, public options::BacklightSwitch {
    Q_OBJECT
public:
    // `options`: the options dialog, whose controls hold the settings the
    // panel's operations read.
    explicit frmCtl(Form1* display, frmOption* options = nullptr, QWidget* parent = nullptr);

    // The backlight: OFF (0), ON1 (1), ON2 (2) in the frame "バックライト";
    // OFF at every start (the mode is not saved).
    QGroupBox* backlightFrame = nullptr;
    std::array<QRadioButton*, 3> Option4{};
    // Selecting a mode: the display's panel picture and label colour of the mode.
    void Option4_Click(std::int16_t index) override;
    std::int16_t selectedBacklightMode() const override;

    std::int16_t PageBack = 0; // entry page last sent to the back (0 or 1)

    // The panel's load step: runs when the panel is first shown.
    void Load();

    // Panel state to and from the settings record: its position (the outer
    // top-left corner, frame included) and page.
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Form1* display_;
    frmOption* options_;
};
