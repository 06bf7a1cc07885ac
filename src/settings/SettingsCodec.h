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

// The record's named fields, in file order (the custom colours and the cell
// formats count one each).
inline constexpr int kFieldCount = 73;

// Reads a settings file's bytes into `into`. Never fails: each field the
// bytes hold replaces `into`'s value; the reading stops at the first field
// they do not reach whole (a text whose byte count runs past the end
// included), and that field and every one after it keep `into`'s values
// (of the custom colours and cell formats, the entries read are the file's).
// Returns the number of fields read whole: kFieldCount when the bytes held
// the whole record. Bytes after the record are not read.
int decodeSettings(const QByteArray& bytes, SettingsRecord& into);
// The same from an empty record: what the bytes do not reach reads as 0,
// every text as empty.
SettingsRecord decodeSettings(const QByteArray& bytes);

} // namespace settings
