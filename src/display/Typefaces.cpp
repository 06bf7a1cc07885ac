#include "display/Typefaces.h"

#include <cmath>

namespace display {

QString typefaceFamily(const QString& windowsName) {
#ifdef _WIN32
    return windowsName;
#else
    if (windowsName == kPGothicTypeface) return QStringLiteral("IPAPGothic");
    if (windowsName == kGothicTypeface) return QStringLiteral("IPAGothic");
    if (windowsName == kPMinchoTypeface) return QStringLiteral("IPAPMincho");
    if (windowsName == kMinchoTypeface) return QStringLiteral("IPAMincho");
    return windowsName;
#endif
}

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
