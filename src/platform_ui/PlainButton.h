#pragma once
// A push button that never becomes a window's default on its own: Return
// presses the button that has the focus, as in the classic dialogs, not
// whichever button happened to gain it last.

#include <QPushButton>
#include <QString>

namespace platform_ui {

inline QPushButton* plainButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace platform_ui
