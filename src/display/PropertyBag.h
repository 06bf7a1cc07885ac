#pragma once
// The container's store of a component's settings: named values in the order
// written. Names are compared without regard to case (the display window's
// layout keeps them in lower case). Both display components keep their
// settings in one of these.

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace display {

class PropertyBag {
public:
    // Stores the value unless it equals the default.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue);
    // The stored value, or the default when the name is not there.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue) const;

    void set(const QString& name, const QVariant& value); // store as it is (layout data)
    const std::vector<std::pair<QString, QVariant>>& entries() const { return entries_; }

private:
    std::vector<std::pair<QString, QVariant>> entries_;
};

} // namespace display
