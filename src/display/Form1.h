#pragma once
// The fare display: the device that hangs at the front of the bus. A
// borderless window whose face is the panel picture, moved by dragging it.

#include <QWidget>
#include <cstdint>

namespace settings {
struct SettingsRecord;
}

class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 806;  // 12090 twips
    static constexpr int kClientHeight = 307; // 4605 twips

    explicit Form1(QWidget* parent = nullptr);

    // Shapes the window to a rounded rectangle over its client area (corner
    // ellipse 2 x 2 pixels) and repaints it.
    void applyRoundRegion();

    // Window position in twips, to and from the settings record.
    void GetFormInfo(settings::SettingsRecord& record) const;
    void SetFormInfo(const settings::SettingsRecord& record);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
