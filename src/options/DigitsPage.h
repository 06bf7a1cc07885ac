#pragma once
// Page 2 of the options dialog: the digit cells' three colours with a
// preview cell, and the information digits (the stop order, the ticket
// number, the route number and a fare data column's value, each in a cell of
// the user's choice, over the fare).

#include "options/ControlIndex.h"

#include <QWidget>
#include <array>

class M_Degit;
class QCheckBox;
class QComboBox;

namespace options {

class ColorButton;

class DigitsPage final : public QWidget {
    Q_OBJECT
public:
    explicit DigitsPage(QWidget* parent = nullptr);

    std::array<ColorButton*, 3> Command8{}; // cell background, unlit and lit segments (index::kCell...)
    M_Degit* M_Degit1 = nullptr;            // preview of the three colours
    // Information digits on, and the stop order counted from 0 (index::kInfo...).
    std::array<QCheckBox*, 5> Check3{};
    // The cells "1".."84" of the information digits, and the data column "1".."150".
    std::array<QComboBox*, 5> Combo4{};

    void Command8_Click(int index);
    // The preview cell in the three colours.
    void updatePreviewColours();
    // Each list is usable while its switch is marked.
    void updateDependents();
};

} // namespace options
