#pragma once
// Window regions: the shapes the fare display and the panel's keys are cut to.

#include <QRect>
#include <QRegion>

namespace platform_ui {

// A rounded rectangle over `rect`, each corner cut along a quarter of an
// ellipse `ellipseWidth` x `ellipseHeight` pixels, as the window system's
// round-rectangle regions are: with a 2 x 2 ellipse only the corner pixel of
// each corner falls outside.
QRegion roundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight);

} // namespace platform_ui
