#include "display/ChimeiLayout.h"

#include "platform/ByteText.h"
#include "platform/Cp932.h"

#include <algorithm>

namespace display::chimei {

namespace {

struct Spacing {
    int firstTop;
    int pitch;
};

// First top and pitch by the number of units, chosen so that short names sit
// evenly in the 192-pixel strip.
Spacing spacingFor(int units, std::int16_t mode) {
    switch (units) {
    case 0: return {0, 0};
    case 1: return {80, 0};
    case 2: return mode == 2 ? Spacing{48, 64} : Spacing{32, 96};
    case 3: return {16, 64};
    case 4: return {8, 48};
    case 5: return {4, 38};
    default: return {0, kUnitHeight};
    }
}

QByteArray bytesOf(const char* utf8) { return cp932::encode(QString::fromUtf8(utf8)); }

} // namespace

NameLayout layoutName(const QByteArray& cp932Name, std::int16_t mode) {
    NameLayout out;
    const int byteCount = ZelP4Res::LenB_ASCII(cp932Name);
    out.unitCount = std::min((byteCount + 1) / 2, kMaxUnits);
    // A name of a single one-byte character holds no whole unit: it stands at
    // the top of the strip, where the device puts it.
    const Spacing s = spacingFor(byteCount == 1 ? 0 : out.unitCount, mode);
    out.firstTop = s.firstTop;
    out.pitch = s.pitch;
    out.scrolls = out.unitCount > kMaxStandingUnits;
    out.canvasHeight = out.scrolls ? out.unitCount * kUnitHeight : kStripHeight;
    out.units.reserve(std::size_t(out.unitCount));
    for (int i = 1; i <= out.unitCount; ++i) {
        const QByteArray unit = ZelP4Res::MidB_ASCII(cp932Name, 2 * i - 1, 2);
        if (unit.isEmpty()) break;
        out.units.push_back({unit, s.firstTop + (i - 1) * s.pitch});
    }
    return out;
}

const std::vector<QString>& turnedSigns() {
    static const std::vector<QString> signs = [] {
        std::vector<QString> v;
        for (const char* s : {"（", "）", "『", "』", "〔", "〕", "「", "」", "［", "］", "＜", "＞", "｛",
                              "｝", "〈", "〉", "《", "》", "【", "】", "～", "＝", "→", "←", "⇒", "⇔"})
            v.push_back(QString::fromUtf8(s));
        return v;
    }();
    return signs;
}

std::int16_t characterCode(const QByteArray& unit) {
    if (unit.isEmpty()) return 0;
    const auto lead = quint8(unit[0]);
    if (cp932::charLength(lead) == 2 && unit.size() >= 2)
        return std::int16_t(quint16((lead << 8) | quint8(unit[1])));
    return std::int16_t(lead);
}

bool countsAsKanji(std::int16_t code) { return code >= std::int16_t(quint16(0x889F)); }

bool isFullWidthLetterOrDigit(std::int16_t code) {
    return code >= std::int16_t(quint16(0x824F)) && code <= std::int16_t(quint16(0x829A));
}

Typeface typefaceFor(std::int16_t fontMode, std::int16_t code) {
    switch (fontMode) {
    case 1: return Typeface::Mincho;
    case 2: return countsAsKanji(code) ? Typeface::Gothic : Typeface::Mincho;
    case 3: return countsAsKanji(code) ? Typeface::Mincho : Typeface::Gothic;
    case 4: return isFullWidthLetterOrDigit(code) ? Typeface::Gothic : Typeface::Mincho;
    default: return Typeface::Gothic;
    }
}

GlyphPlan planGlyph(const QByteArray& unit, std::int16_t fontMode) {
    static const QByteArray longVowel = bytesOf("ー");
    static const QByteArray stroke = bytesOf("丨");
    static const QByteArray shin = bytesOf("申");
    static const QByteArray yama = bytesOf("山");
    static const QByteArray fullStop = bytesOf("。");
    static const QByteArray comma = bytesOf("、");
    static const std::vector<QByteArray> turned = [] {
        std::vector<QByteArray> v;
        for (const QString& s : turnedSigns()) v.push_back(cp932::encode(s));
        return v;
    }();

    GlyphPlan plan;
    if (unit == longVowel) {
        // Vertical text writes the long-vowel mark as a vertical stroke.
        plan.stroke = true;
        plan.text = cp932::decode(stroke);
        plan.typeface = typefaceFor(fontMode, characterCode(stroke));
        return plan;
    }
    plan.typeface = typefaceFor(fontMode, characterCode(unit));
    plan.text = cp932::decode(unit);
    if (unit == shin || unit == yama) {
        // These two lean one dot to the left in the Gothic; centre them.
        if (fontMode == 0 || fontMode == 2) plan.offset = QPoint(1, 0);
    } else if (std::find(turned.begin(), turned.end(), unit) != turned.end()) {
        plan.turned = true;
    } else if (unit == fullStop || unit == comma) {
        // Vertical text puts the full stop and comma in the upper right.
        plan.offset = QPoint(10, -10);
    }
    return plan;
}

} // namespace display::chimei
