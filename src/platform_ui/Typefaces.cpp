#include "platform_ui/Typefaces.h"

namespace platform_ui {

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

} // namespace platform_ui
