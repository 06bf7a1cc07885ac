#pragma once
// The fare display: the device that hangs at the front of the bus. A
// borderless window whose face is the panel picture, carrying 84 fare cells
// in 7 rows of 12 with a numbered-ticket label above each, the vertical
// stop-name strip at the left and a two-cell clock the layout keeps hidden.
// Dragging the face moves the window; a double-click on a fare cell sets how
// all fare cells format zeros.

#include "platform/Color.h"
#include "platform/Device.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class M_Degit;
class ChimeiCtl_B;
class QLabel;
namespace settings {
struct SettingsRecord;
}

class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = device::kFaceWidth;
    static constexpr int kClientHeight = device::kFaceHeight;

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Fare cells: Degit[k] is the cell of numbered ticket k (1..84); Degit[0]
    // is a hidden cell of the layout that nothing addresses.
    std::array<M_Degit*, device::kFareCellCount + 1> Degit{};
    // Numbered-ticket labels above the cells, same numbering; [0] hidden.
    std::array<QLabel*, device::kFareCellCount + 1> lblSeiriNum{};
    // The clock: hours (0) and minutes (1); hidden in the layout.
    std::array<M_Degit*, 2> TimeDegit{};
    // The stop-name dot-matrix strip.
    ChimeiCtl_B* ChimeiCtl = nullptr;
    // Panel pictures of the backlight modes OFF (0), ON1 (1), ON2 (2).
    std::array<QImage, 3> imgRes;
    // Ticks the clock once a second.
    QTimer Timer1;

    // The window's face. The picture is drawn at the top-left corner.
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);
    // The built-in picture of backlight mode 0..2 as the face.
    void showBuiltInPicture(int mode);

    // ---- what the device does, as the other windows ask for it -------------------
    // The lamp test: every segment of every fare cell lit; when it ends, every
    // fare cell shows 0 until the fares come.
    void setLampTest(bool on);
    // The device dark: no stop name, no fares, no clock. The ticket labels,
    // the face and the strip's loop stay as they are. Back from dark, the
    // clock runs again where it is shown (its cells fill at its next tick);
    // the fares and the name come with the next stop shown.
    void setDark(bool dark);
    // Colours of all fare cells and the clock cells: background, unlit and
    // lit segments.
    void setCellColours(platform::Color back, platform::Color base, platform::Color lit);
    // The stop-name strip's colours, typeface option and bold.
    void setStopNameStyle(platform::Color back, platform::Color fore, std::int16_t fontMode, bool bold);
    // The numbered-ticket labels: shown or not; their text colour; their
    // texts (texts[k] for label k, 1..84; none leaves a label's text) with
    // label 1's type size.
    void setTicketLabelsShown(bool shown);
    void setTicketLabelColour(platform::Color colour);
    using TicketLabelTexts = std::array<std::optional<QString>, device::kFareCellCount + 1>;
    void setTicketLabelTexts(const TicketLabelTexts& texts, double firstLabelPoints);

    // The window that is disabled while a cell's settings dialog is open (the
    // operation panel).
    void setOperationPanel(QWidget* panel) { operationPanel_ = panel; }

    // Shapes the window to a rounded rectangle over its client area (corner
    // ellipses 2 x 2 pixels) and repaints it.
    void applyRoundRegion();

    // Window position in twips, to and from the settings record: the
    // window's outer top-left corner.
    void GetFormInfo(settings::SettingsRecord& record) const;
    void SetFormInfo(const settings::SettingsRecord& record);
    // Puts the window's outer top-left at `outerTopLeft` (pixels), or where a
    // first start puts it, at the primary screen's top-left corner. A place
    // where no part of the face would be on any screen counts as none.
    void placeWindow(std::optional<QPoint> outerTopLeft);

    // The double-click on fare cell k: the cell's settings dialog, and on
    // confirmation its zero handling, shift and zero fill on all 84 cells.
    void Degit_DblClick(int k);

    // One clock tick: hours and minutes into the clock cells.
    void Timer1_Timer();

    // Hands the window to the window system to be moved with the mouse.
    std::function<void()> startDrag;

protected:
    // The device has no switch of its own: a close request from the window
    // system (Alt+F4, a task bar's close) is refused. The program ends only
    // through the operation panel's quit question.
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    QWidget* operationPanel_ = nullptr;
};
