#include "qrcode/QrCode.h"

#include <qrencode.h>

#include <memory>

namespace qrcode {

std::optional<QrCode> encodeQr(const QByteArray& text) {
    // Version 0: the smallest symbol the text fits in.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> made(
        QRcode_encodeData(int(text.size()), reinterpret_cast<const unsigned char*>(text.constData()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!made || made->width <= 0) return std::nullopt;
    QrCode code;
    code.size = made->width;
    code.dark.resize(size_t(code.size) * size_t(code.size));
    // The lowest bit of each byte is the module's colour; the others say
    // what part of the symbol it belongs to.
    for (size_t i = 0; i < code.dark.size(); ++i) code.dark[i] = (made->data[i] & 1U) != 0;
    return code;
}

QString qrTextBlocks(const QrCode& code, bool colours) {
    const int side = code.size + 2 * kQrQuietZone;
    const auto dark = [&](int x, int y) {
        x -= kQrQuietZone;
        y -= kQrQuietZone;
        return x >= 0 && y >= 0 && x < code.size && y < code.size && code.at(x, y);
    };
    QString out;
    for (int y = 0; y < side; y += 2) {
        if (colours) out += QStringLiteral("\x1b[30;47m");
        for (int x = 0; x < side; ++x) {
            const bool top = dark(x, y);
            const bool bottom = y + 1 < side && dark(x, y + 1);
            out += top && bottom ? u'█' : top ? u'▀' : bottom ? u'▄' : u' ';
        }
        if (colours) out += QStringLiteral("\x1b[0m");
        out += u'\n';
    }
    return out;
}

} // namespace qrcode
