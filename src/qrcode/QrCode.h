#pragma once
// A QR code of a short text (the phone panel page's address), made with
// libqrencode, for a phone's camera to read off the PC's screen or a
// terminal. Qt Core only: ferrotab-ctl prints it too.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace qrcode {

// The modules of a QR code, dark or light, row by row, without the quiet
// zone around it.
struct QrCode {
    int size = 0;           // modules a side
    std::vector<bool> dark; // size * size, row by row
    bool at(int x, int y) const { return dark[size_t(y) * size_t(size) + size_t(x)]; }
};

// A light margin of this many modules around the code is part of the QR
// standard: scanners find the code by it.
inline constexpr int kQrQuietZone = 4;

// The text in byte mode at error correction level M (a screen's glare and a
// shaky hand lose a few modules); nothing for a text too long for any code.
std::optional<QrCode> encodeQr(const QByteArray& text);

// The code for a terminal, two modules a character cell with the half and
// full blocks (▀ ▄ █), the quiet zone included, one line per two rows. Dark
// modules are drawn as ink, as on paper. With `colours`, each line is wrapped
// in the terminal's black-on-white, so that a dark terminal shows it the
// right way round too.
QString qrTextBlocks(const QrCode& code, bool colours);

} // namespace qrcode
