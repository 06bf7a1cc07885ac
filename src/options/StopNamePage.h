#pragma once
// Page 3 of the options dialog: the stop-name strip's colours, typeface
// option and bold.

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;

namespace options {

class ColorButton;

class StopNamePage final : public QWidget {
    Q_OBJECT
public:
    explicit StopNamePage(QWidget* parent = nullptr);

    std::array<ColorButton*, 2> Command9{}; // strip background (0), lit dots (1)
    QComboBox* Combo3 = nullptr;            // font option 0..4, none chosen -1
    QCheckBox* Check4 = nullptr;            // bold (only when checked, not grey)

    void Command9_Click(int index);
};

} // namespace options
