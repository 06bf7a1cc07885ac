#include "display/Accessibility.h"

#include "display/SegmentPainter.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace display {

namespace {

// A component read like a label: its name says which it is ("運賃5"), and
// what it shows is its value and its text, so a screen reader reads
// "運賃5 230" as it reads any static text. The component keeps what it shows
// in its accessible description.
class DeviceText final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DeviceText(QWidget* widget) : QAccessibleWidget(widget, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? shown() : QAccessibleWidget::text(t);
    }

    // Read-only text without a caret or a selection.
    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QString shown() const { return widget()->accessibleDescription(); }
};

QAccessibleInterface* deviceComponent(const QString& className, QObject* object) {
    if (className != QLatin1String("M_Degit") && className != QLatin1String("ChimeiCtl_B")) return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget ? new DeviceText(widget) : nullptr;
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
