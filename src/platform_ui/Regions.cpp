#include "platform_ui/Regions.h"

#include <algorithm>
#include <cmath>

namespace platform_ui {

QRegion roundRectRegion(const QRect& rect, int ellipseWidth, int ellipseHeight) {
    if (rect.isEmpty()) return {};
    const double a = std::clamp(ellipseWidth, 0, rect.width()) / 2.0;
    const double b = std::clamp(ellipseHeight, 0, rect.height()) / 2.0;
    QRegion region(rect);
    if (a <= 0 || b <= 0) return region;
    // Row i of the top (and, mirrored, the bottom) corners loses the pixels
    // that lie outside the ellipse at the row's outer edge.
    for (int i = 0; i < int(std::ceil(b)); ++i) {
        const double dy = (b - i) / b;
        const int inset = int(std::ceil(a - a * std::sqrt(std::max(0.0, 1.0 - dy * dy)) - 1e-9));
        if (inset <= 0) continue;
        for (const int y : {rect.top() + i, rect.bottom() - i}) {
            region -= QRegion(rect.left(), y, inset, 1);
            region -= QRegion(rect.right() - inset + 1, y, inset, 1);
        }
    }
    return region;
}

} // namespace platform_ui
