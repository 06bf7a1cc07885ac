#include "display/PropertyBag.h"

namespace display {

namespace {

// A text equals only a text; numbers compare by value whatever their type
// (a colour stored as 32 bits equals the same default held as an int).
bool sameValue(const QVariant& a, const QVariant& b) {
    const bool aText = a.typeId() == QMetaType::QString, bText = b.typeId() == QMetaType::QString;
    if (aText || bText) return aText && bText && a.toString() == b.toString();
    bool aNumber = false, bNumber = false;
    const double x = a.toDouble(&aNumber), y = b.toDouble(&bNumber);
    if (aNumber && bNumber) return x == y;
    return a == b;
}

} // namespace

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) {
    if (sameValue(value, defaultValue)) return;
    set(name, value);
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const {
    for (const auto& [key, value] : entries_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    }
    return defaultValue;
}

void PropertyBag::set(const QString& name, const QVariant& value) {
    for (auto& [key, stored] : entries_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            stored = value;
            return;
        }
    }
    entries_.emplace_back(name, value);
}

} // namespace display
