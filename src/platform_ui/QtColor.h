#pragma once
// The one conversion between the device's 0x00BBGGRR colours and Qt's.

#include "platform/Color.h"

#include <QColor>
#include <QRgb>

namespace platform_ui {

inline QRgb toQRgb(platform::Color c) { return qRgb(platform::redOf(c), platform::greenOf(c), platform::blueOf(c)); }
inline QColor toQColor(platform::Color c) { return QColor(toQRgb(c)); }
inline platform::Color fromQColor(const QColor& color) {
    const QColor c = color.toRgb();
    return platform::rgbColor(c.red(), c.green(), c.blue());
}

} // namespace platform_ui
