#pragma once
// The device names its typefaces by their Windows names. Each platform maps
// them to faces it has: on Windows the names stand as they are; elsewhere the
// IPA faces, which share the MS faces' metrics.

#include <QFont>
#include <QString>

namespace display {

// The device's typefaces by their Windows names: the dot-matrix strip chooses
// between the first two, the ticket-number labels and the panel's captions use
// the proportional Gothic.
inline const QString kGothicTypeface = QStringLiteral("ＭＳ ゴシック");
inline const QString kMinchoTypeface = QStringLiteral("ＭＳ 明朝");
inline const QString kPGothicTypeface = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kPMinchoTypeface = QStringLiteral("ＭＳ Ｐ明朝");

QString typefaceFamily(const QString& windowsName);

// A font of the named face at a size in points, as the layout gives it
// (11.25 pt is 15 px at 96 dots per inch).
QFont layoutFont(const QString& windowsName, double points, bool bold);

} // namespace display
