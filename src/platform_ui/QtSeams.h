#pragma once
// The program's own message boxes: Qt's, in place of the error-output boxes
// that platform/ falls back on without a user interface.

namespace platform_ui {

void installQtMessageBoxes();

} // namespace platform_ui
