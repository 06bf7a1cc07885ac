#include "display/Typefaces.h"

#include <cmath>

namespace display {

QFont layoutFont(const QString& windowsName, double points, bool bold) {
    QFont font(typefaceFamily(windowsName));
    // Sizes are fixed in pixels so the layout does not move with the
    // desktop's dot density, just as the device's panel does not.
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

} // namespace display
