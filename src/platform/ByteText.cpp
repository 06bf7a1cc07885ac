#include "platform/ByteText.h"

#include "platform/Cp932.h"

namespace ZelP4Res {

int LenB_ASCII(const QByteArray& text) { return int(text.size()); }

int LenB_ASCII(const QString& text) { return int(cp932::encode(text).size()); }

QByteArray MidB_ASCII(const QByteArray& text, int start, int count) {
    if (count < 1) return {};
    qsizetype from = start < 1 ? 0 : qsizetype(start) - 1;
    if (from >= text.size() || count < 1) return {};
    return text.mid(from, count);
}

} // namespace ZelP4Res
