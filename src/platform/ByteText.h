#pragma once
// Byte-wise text helpers of the resource library. They work on the CP932
// bytes of a text, where a double-byte character counts two.

#include <QByteArray>
#include <QString>

namespace ZelP4Res {

// Length in bytes of a CP932 text.
int LenB_ASCII(const QByteArray& text);
// Same for a text not yet encoded: the length of its CP932 form.
int LenB_ASCII(const QString& text);

// `count` bytes from the 1-based byte position `start`. Positions outside the
// text are clipped: a start before 1 counts from 1, a slice running past the
// end stops there, a start past the end or a count below 1 gives "". A slice
// may cut a double-byte character in half; the bytes are returned as they are.
QByteArray MidB_ASCII(const QByteArray& text, int start, int count);

} // namespace ZelP4Res
