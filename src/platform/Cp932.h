#pragma once
// Code page 932 (Windows Shift-JIS), the encoding of every text the device's
// files hold and of every text handed to the resource library.
//
// The codec follows Microsoft's table, not plain JIS: 0x8160 is U+FF5E "～",
// 0x815F is U+FF3C "＼", the NEC and IBM extension rows ("①", "Ⅰ", "㈱") are
// present, and 0xA1..0xDF are the half-width katakana.

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace cp932 {

// UTF-16 text to CP932 bytes. A character the code page cannot hold becomes
// "?" (0x3F); the call never fails.
QByteArray encode(const QString& text);

// CP932 bytes to text. An invalid or truncated sequence becomes U+FFFD and
// decoding goes on after it; the call never fails.
QString decode(const QByteArray& bytes);
QString decode(std::string_view bytes);

// True when every character of the text has a CP932 code (nothing would turn
// into "?").
bool canEncode(const QString& text);

// Byte length of the first character at `lead` in CP932: 2 for a lead byte of
// a double-byte character, 1 otherwise.
constexpr int charLength(unsigned char lead) {
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
}

} // namespace cp932
