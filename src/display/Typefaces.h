#pragma once
// The device's typefaces, by their Windows names (platform_ui/Typefaces.h
// maps them to this platform's faces), and the fonts the layout sizes in
// points.

#include "platform_ui/Typefaces.h"

#include <QFont>
#include <QString>

namespace display {

using platform_ui::kGothicTypeface;
using platform_ui::kMinchoTypeface;
using platform_ui::kPGothicTypeface;
using platform_ui::kPMinchoTypeface;
using platform_ui::typefaceFamily;

// A font of the named face at a size in points, as the layout gives it
// (11.25 pt is 15 px at 96 dots per inch).
QFont layoutFont(const QString& windowsName, double points, bool bold);

} // namespace display
