#pragma once
// The settings file's byte layout: the record's fields back to back, no
// header and no padding, little-endian; a text is an unsigned 16-bit byte
// count followed by that many CP932 bytes.

#include "settings/SettingsRecord.h"

#include <QByteArray>

namespace settings {

// With every text empty the file is this long; each text adds its byte count.
inline constexpr int kEmptyRecordSize = 742;

QByteArray encodeSettings(const SettingsRecord& record);

// Reads a settings file's bytes. Never fails: a field the bytes do not reach
// reads as 0, a text as empty (also a text whose byte count runs past the
// end). The texts of blocks 1, 2, 5 and 6 are cleared first, and every other
// field is overwritten, so `into`'s earlier contents do not survive. Returns
// true when the bytes held the whole record, false when the reading ran past
// their end.
bool decodeSettings(const QByteArray& bytes, SettingsRecord& into);
SettingsRecord decodeSettings(const QByteArray& bytes);

} // namespace settings
