#pragma once
// Placing top-level windows by their outer corner, frame included. A window
// manager may draw a window's frame only once the window is shown, so the
// frame is not known when a window is first placed; the placement is worked
// out again, with the real frame, when the window first comes on the screen.

#include "platform/WindowPlacement.h"

#include <QPoint>
#include <QRect>
#include <vector>

class QWidget;

namespace platform_ui {

// The screens' rectangles, the primary screen first.
std::vector<QRect> screenRects();

// Puts the window's outer top-left where `placement` says on the screens
// there are now (see platform::resolvePlacement). A later call replaces an
// earlier one that has not been settled yet.
void placeWindow(QWidget& window, const platform::Placement& placement);

// A window that has just widened to the right moves left as far as needed
// to end inside `area`, but not past its left edge; a placement not yet
// settled keeps its corner and gains the rule.
void keepRightEdgeIn(QWidget& window, const QRect& area);

// The window's outer top-left, frame included.
QPoint outerTopLeft(const QWidget& window);

} // namespace platform_ui
