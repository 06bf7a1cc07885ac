#include "display/Accessibility.h"

#include "display/SegmentPainter.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace display {

namespace {

QAccessibleInterface* deviceComponent(const QString& className, QObject* object) {
    if (className != QLatin1String("M_Degit") && className != QLatin1String("ChimeiCtl_B")) return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? new QAccessibleWidget(widget, QAccessible::StaticText) : nullptr;
}

} // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(deviceComponent);
        return true;
    }();
    (void)installed;
}

QString litCharacters(const QString& shownText) {
    QString lit = shownText;
    for (QChar& c : lit)
        if (segments::segmentsFor(c) == 0) c = QLatin1Char(' ');
    return lit.trimmed();
}

} // namespace display
