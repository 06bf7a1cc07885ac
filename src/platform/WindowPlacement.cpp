#include "platform/WindowPlacement.h"

#include <algorithm>

namespace platform {

QMargins frameMargins(const QRect& outer, const QRect& client) {
    return {client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
            outer.bottom() - client.bottom()};
}

QRect outerRect(QPoint outerTopLeft, QSize clientSize, const QMargins& frame) {
    return {outerTopLeft, QSize(clientSize.width() + frame.left() + frame.right(),
                                clientSize.height() + frame.top() + frame.bottom())};
}

QRect grabRect(const QRect& outer, const QMargins& frame, GrabHandle handle) {
    if (handle == GrabHandle::Face || frame.top() <= 0) return outer;
    return {outer.topLeft(), QSize(outer.width(), frame.top())};
}

bool onSomeScreen(const QRect& rect, const std::vector<QRect>& screens) {
    return std::any_of(screens.begin(), screens.end(), [&](const QRect& s) { return s.intersects(rect); });
}

QPoint cornerPosition(Corner corner, const QRect& screen, QSize outerSize) {
    if (corner == Corner::TopLeft) return screen.topLeft();
    return {screen.left() + screen.width() - outerSize.width(), screen.top() + screen.height() - outerSize.height()};
}

QPoint resolvePlacement(const Placement& placement, QSize clientSize, const QMargins& frame,
                        const std::vector<QRect>& screens) {
    if (screens.empty()) return placement.stored.value_or(QPoint(0, 0));
    const QSize outerSize = outerRect(QPoint(), clientSize, frame).size();
    if (placement.stored) {
        const QRect outer(*placement.stored, outerSize);
        if (onSomeScreen(grabRect(outer, frame, placement.handle), screens)) return *placement.stored;
    }
    return cornerPosition(placement.firstStart, screens.front(), outerSize);
}

} // namespace platform
