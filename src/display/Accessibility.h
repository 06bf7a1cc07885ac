#pragma once
// How the device's own components appear to assistive technology (a screen
// reader, or an outside test reading the display): the digit cells and the
// stop-name strip are static text whose accessible description is what they
// show.

#include <QString>

namespace display {

// Registers the roles of the device's components with Qt's accessibility
// once; the components call it when they are created.
void installAccessibleRoles();

// What a digit cell shows to a reader: the characters its lamps light, with
// the blanks at either end trimmed (characters the lamps cannot form count as
// blanks). An unlit cell reads as the empty text.
QString litCharacters(const QString& shownText);

} // namespace display
