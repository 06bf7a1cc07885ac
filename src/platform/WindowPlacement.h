#pragma once
// Where a top-level window goes, worked out without a window. Positions are
// the window's outer top-left corner, frame included, in pixels: the point a
// window system places and reports the same way whether it draws the frame
// before or after the window is shown.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

namespace platform {

// How far the outer edges of a window lie outside its client area.
QMargins frameMargins(const QRect& outer, const QRect& client);
// The outer rectangle of a client area of `clientSize` whose outer top-left
// is at `outerTopLeft`.
QRect outerRect(QPoint outerTopLeft, QSize clientSize, const QMargins& frame);

// The part of a window the user takes hold of to move it.
enum class GrabHandle {
    TitleBar, // the frame above the client area; the whole window while no frame is known
    Face,     // a frameless window dragged by its face: the whole window
};
QRect grabRect(const QRect& outer, const QMargins& frame, GrabHandle handle);

// True when some part of `rect` lies on one of the screens.
bool onSomeScreen(const QRect& rect, const std::vector<QRect>& screens);

// The outer top-left that puts the window's outer corner on the same corner
// of the screen.
enum class Corner { TopLeft, BottomRight };
QPoint cornerPosition(Corner corner, const QRect& screen, QSize outerSize);

struct Placement {
    std::optional<QPoint> stored; // outer top-left asked for; none: where a first start puts it
    Corner firstStart = Corner::TopLeft;
    GrabHandle handle = GrabHandle::TitleBar;
    // When set, a window whose outer right edge would pass this area's right
    // edge moves left by as much, but not past the area's left edge: a window
    // that widens to the right stays on the screen.
    std::optional<QRect> keepRightEdgeIn;
};

// The outer top-left for a window with this client size and frame. A stored
// position is taken exactly as long as some part of the window's grab
// handle lies on some screen; a window that could not be reached there (a
// damaged settings file, a monitor unplugged since) goes where a first start
// puts it, on the primary screen, `screens.front()`. With no screen known at
// all the stored position stands. Then `keepRightEdgeIn` is honoured.
QPoint resolvePlacement(const Placement& placement, QSize clientSize, const QMargins& frame,
                        const std::vector<QRect>& screens);

} // namespace platform
