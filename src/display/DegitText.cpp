#include "display/DegitText.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace display {

namespace {

bool isText(const QVariant& v) { return v.typeId() == QMetaType::QString; }

bool isEmptyText(const QVariant& v) { return isText(v) && v.toString().isEmpty(); }

bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double: return true;
    default: return false;
    }
}

double numberOf(const QVariant& v) {
    // A true flag counts as -1, as in the language the device's callers were
    // written in.
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? -1.0 : 0.0;
    return v.toDouble();
}

// Compares with a whole number; texts that read as numbers compare by value.
bool equalsNumber(const QVariant& v, double n) {
    double x = 0;
    return degitValueIsNumeric(v, &x) && x == n;
}

QString numberText(double x) {
    if (std::isfinite(x) && x == std::trunc(x) && std::fabs(x) < 1e15) {
        return QString::number(static_cast<qint64>(x));
    }
    return QString::number(x, 'g', 15).toUpper();
}

QString plainText(const QVariant& v) {
    if (isText(v)) return v.toString();
    if (isNumberType(v)) return numberText(numberOf(v));
    if (!v.isValid()) return {};
    return v.toString();
}

QString zeroFilled(double x, int digits) {
    // Whole number, halves away from zero.
    const double whole = std::round(x);
    const bool negative = whole < 0;
    const double magnitude = std::fabs(whole);
    QString body = magnitude < 9.2e18 ? QString::number(static_cast<qint64>(magnitude))
                                       : QString::number(magnitude, 'f', 0);
    if (body.size() < digits) body = QString(digits - body.size(), QLatin1Char('0')) + body;
    return negative ? QLatin1Char('-') + body : body;
}

} // namespace

bool degitValueIsNumeric(const QVariant& value, double* number) {
    if (isNumberType(value)) {
        if (number) *number = numberOf(value);
        return true;
    }
    if (!isText(value)) return false;
    static const QRegularExpression numeric(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    const QString text = value.toString();
    if (!numeric.match(text).hasMatch()) return false;
    bool ok = false;
    const double x = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(x)) return false;
    if (number) *number = x;
    return true;
}

QString degitShownText(const QVariant& value, const DegitFormat& format) {
    QVariant v = value;

    switch (format.zeroMode) {
    case 0:
        if (equalsNumber(v, 0) || isEmptyText(v)) v = QString();
        break;
    case 1:
        if (equalsNumber(v, 0) || isEmptyText(v)) v = 0;
        break;
    case 2:
        if (equalsNumber(v, -1)) v = 0;
        else if (equalsNumber(v, 0)) v = QString();
        break;
    case 3:
        if (equalsNumber(v, -1) || equalsNumber(v, 0) || isEmptyText(v)) v = 0;
        break;
    default: break; // negative modes show the value as it is
    }

    QString text;
    double x = 0;
    // A negative fill count cannot pad anything; it is treated as no fill.
    if (format.fillZero > 0 && degitValueIsNumeric(v, &x)) text = zeroFilled(x, format.fillZero);
    else text = plainText(v);

    if (format.shift >= 1) text += QString(format.shift, QLatin1Char(' '));

    if (format.keta <= 0) return {};
    return text.right(format.keta);
}

} // namespace display

namespace display {

TextAdjustment textAdjustmentFor(int platformId, int majorVersion) {
    if (platformId == 1 || majorVersion == 4) return {1, false};
    return {0, true};
}

TextAdjustment currentTextAdjustment() {
    // Linux and every Windows this program runs on report as the NT family
    // (platform id 2) with a major version above 4.
    constexpr int kNtFamily = 2;
    constexpr int kModernMajor = 10;
    return textAdjustmentFor(kNtFamily, kModernMajor);
}

} // namespace display
