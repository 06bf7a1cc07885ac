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
    const QSize outerSize = outerRect(QPoint(), clientSize, frame).size();
    QPoint place = placement.stored.value_or(QPoint(0, 0));
    if (!screens.empty()) {
        const bool reachable = placement.stored &&
                               onSomeScreen(grabRect(QRect(*placement.stored, outerSize), frame, placement.handle), screens);
        if (!reachable) place = cornerPosition(placement.firstStart, screens.front(), outerSize);
    }
    if (const auto& area = placement.keepRightEdgeIn) {
        const int over = place.x() + outerSize.width() - 1 - area->right();
        if (over > 0) place.setX(std::max(area->left(), place.x() - over));
    }
    return place;
}

} // namespace platform
