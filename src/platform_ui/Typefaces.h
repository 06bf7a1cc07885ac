#pragma once
// The program names its typefaces by their Windows names. Each platform maps
// them to faces it has: on Windows the names stand as they are; elsewhere the
// IPA faces, which share the MS faces' metrics.

#include <QString>

namespace platform_ui {

// The typefaces by their Windows names: the dot-matrix strip chooses between
// the first two, the ticket-number labels and the panel's captions use the
// proportional Gothic; ticket plug-ins may name any of the four.
inline const QString kGothicTypeface = QStringLiteral("ＭＳ ゴシック");
inline const QString kMinchoTypeface = QStringLiteral("ＭＳ 明朝");
inline const QString kPGothicTypeface = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kPMinchoTypeface = QStringLiteral("ＭＳ Ｐ明朝");

// The family this platform draws a typeface with.
QString typefaceFamily(const QString& windowsName);

} // namespace platform_ui
