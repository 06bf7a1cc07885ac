#pragma once
// Page 1 of the options dialog: the numbered-ticket labels above the fare
// cells (shown or not, their colour per backlight mode, the numbering scheme,
// the leading zero) and the panel pictures of the three backlight modes.

#include "options/ControlIndex.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace options {

class ColorButton;

class PanelPage final : public QWidget {
    Q_OBJECT
public:
    explicit PanelPage(QWidget* parent = nullptr);

    QCheckBox* Check1 = nullptr;                      // ticket-number labels shown
    QWidget* Frame3 = nullptr;                        // enabled while Check1 is marked
    std::array<ColorButton*, 3> Command5{};           // label colour in OFF, ON1, ON2
    QComboBox* Combo2 = nullptr;                      // numbering scheme 0..11
    QCheckBox* Check2 = nullptr;                      // leading 0 for one-digit numbers
    std::array<QRadioButton*, 8> Option3{};           // panel pictures (index::kPanel...)
    std::array<QGroupBox*, 3> Frame6{};               // per-mode picture choice; shown while Option3[1]
    std::array<QLineEdit*, 3> txtSelectPanel{};       // user picture file of OFF, ON1, ON2
    std::array<QPushButton*, 3> Command6{};           // "...": picture chooser into txtSelectPanel[i]

    // Fills the numbering scheme list and selects its first entry.
    void AddComboItem();
    void Command5_Click(int index);
    void Command6_Click(int index);
    // Enabled and shown states of what depends on Check1 and Option3[1].
    void updateDependents();
};

} // namespace options
