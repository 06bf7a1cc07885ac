#pragma once
// The device names its typefaces by their Windows names. Each platform maps
// them to faces it has: on Windows the names stand as they are; elsewhere the
// IPA faces, which share the MS faces' metrics.

#include <QFont>
#include <QString>

namespace display {

QString typefaceFamily(const QString& windowsName);

// A font of the named face at a size in points, as the layout gives it
// (11.25 pt is 15 px at 96 dots per inch).
QFont layoutFont(const QString& windowsName, double points, bool bold);

} // namespace display
