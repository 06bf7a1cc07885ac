#include "display/M_Degit.h"

#include "display/Accessibility.h"
#include "platform/Twips.h"
#include "platform_ui/QtColor.h"
#include "platform_ui/ResourceLibrary.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

std::int16_t toInt16(const QVariant& v) {
    return static_cast<std::int16_t>(std::clamp<qlonglong>(v.toLongLong(), INT16_MIN, INT16_MAX));
}

std::int32_t toInt32(const QVariant& v) {
    return static_cast<std::int32_t>(v.toLongLong());
}

} // namespace

// ---- the cell ----------------------------------------------------------------------------

QSize M_Degit::digitPixelSize(int degitSize) {
    switch (degitSize) {
    case 1: return {platform::twipsToPixels(255), platform::twipsToPixels(390)};
    case 2: return {platform::twipsToPixels(285), platform::twipsToPixels(435)};
    case 3: return {platform::twipsToPixels(165), platform::twipsToPixels(225)};
    default: return {platform::twipsToPixels(195), platform::twipsToPixels(300)};
    }
}

M_Degit::M_Degit(QWidget* parent) : QWidget(parent) {
    display::installAccessibleRoles();
    const display::TextAdjustment adjustment = display::currentTextAdjustment();
    extraSpacing_ = adjustment.extraSpacing;
    bold_ = adjustment.bold;
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A newly placed cell has the default properties and a plain face of the
    // default size; it is drawn on the first write that redraws.
    const QSize digit = digitPixelSize(degitSize_);
    resize(digit.width() * keta_, digit.height());
    clearFace();
}

std::int32_t M_Degit::ShowSetDlg() {
    std::int16_t zeroMode = zeroMode_, shift = shift_, fillZero = fillZero_;
    const std::int32_t result = ZelP4Res::Call_dlg100(hwnd(), keta_, zeroMode, shift, fillZero);
    // Taken back as the dialog left them, whatever it returned.
    zeroMode_ = zeroMode;
    shift_ = shift;
    fillZero_ = fillZero;
    redraw();
    return result;
}

void M_Degit::setBaseForeColor(std::int32_t color) {
    baseForeColor_ = color;
    redraw();
}

void M_Degit::setDegitForeColor(std::int32_t color) {
    degitForeColor_ = color;
    redraw();
}

void M_Degit::setFillZero(std::int16_t digits) { fillZero_ = digits > keta_ ? keta_ : digits; }

void M_Degit::setZeroMode(std::int16_t mode) { zeroMode_ = mode >= 4 ? std::int16_t(0) : mode; }

void M_Degit::setShift(std::int16_t positions) {
    if (positions > keta_ - 1) positions = std::int16_t(keta_ - 1);
    if (positions < 0) positions = 0;
    shift_ = positions;
}

void M_Degit::setKeta(std::int16_t digits) {
    keta_ = (digits < 1 || digits > 15) ? std::int16_t(4) : digits;
    resizeToDigits();
}

void M_Degit::setDegitSize(std::int16_t sizeClass) {
    degitSize_ = (sizeClass >= 1 && sizeClass <= 3) ? sizeClass : std::int16_t(0);
    resizeToDigits();
}

void M_Degit::setDegitStyle(std::int16_t style) {
    degitStyle_ = style;
    redraw();
}

void M_Degit::setValue(const QVariant& value) {
    value_ = value;
    redraw();
}

void M_Degit::ResetDegit(bool nMode) {
    const std::int16_t shift = shift_, zeroMode = zeroMode_, fillZero = fillZero_;
    setShift(0);
    setZeroMode(0);
    setFillZero(0);
    setValue(nMode ? QString(std::max<int>(keta_, 0), QLatin1Char('8')) : QString());
    setShift(shift);
    setZeroMode(zeroMode);
    setFillZero(fillZero);
}

void M_Degit::setBackColor(std::int32_t color) {
    backColor_ = color;
    redraw();
}

void M_Degit::ReadProperties(const PropertyBag& bag) {
    baseForeColor_ = toInt32(bag.ReadProperty(QStringLiteral("BaseForeColor"), kDefaultBaseForeColor));
    degitForeColor_ = toInt32(bag.ReadProperty(QStringLiteral("DegitForeColor"), kDefaultDegitForeColor));
    fillZero_ = toInt16(bag.ReadProperty(QStringLiteral("FillZero"), 0));
    zeroMode_ = toInt16(bag.ReadProperty(QStringLiteral("ZeroMode"), 0));
    shift_ = toInt16(bag.ReadProperty(QStringLiteral("Shift"), 0));
    keta_ = toInt16(bag.ReadProperty(QStringLiteral("Keta"), 4));
    degitSize_ = toInt16(bag.ReadProperty(QStringLiteral("DegitSize"), 0));
    degitStyle_ = toInt16(bag.ReadProperty(QStringLiteral("DegitStyle"), 0));
    value_ = bag.ReadProperty(QStringLiteral("Value"), 0);
    userSet_ = bag.ReadProperty(QStringLiteral("UserSet"), true).toBool();
    backColor_ = toInt32(bag.ReadProperty(QStringLiteral("BackColor"), kDefaultBackColor));
    // Only the background takes effect now: the face is plain until the
    // first redraw.
    clearFace();
    update();
}

void M_Degit::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("BaseForeColor"), baseForeColor_, kDefaultBaseForeColor);
    bag.WriteProperty(QStringLiteral("DegitForeColor"), degitForeColor_, kDefaultDegitForeColor);
    bag.WriteProperty(QStringLiteral("FillZero"), fillZero_, 0);
    bag.WriteProperty(QStringLiteral("ZeroMode"), zeroMode_, 0);
    bag.WriteProperty(QStringLiteral("Shift"), shift_, 0);
    bag.WriteProperty(QStringLiteral("Keta"), keta_, 4);
    bag.WriteProperty(QStringLiteral("DegitSize"), degitSize_, 0);
    bag.WriteProperty(QStringLiteral("DegitStyle"), degitStyle_, 0);
    bag.WriteProperty(QStringLiteral("Value"), value_, 0);
    bag.WriteProperty(QStringLiteral("UserSet"), userSet_, true);
    bag.WriteProperty(QStringLiteral("BackColor"), backColor_, kDefaultBackColor);
}

void M_Degit::resizeToDigits() {
    const QSize digit = digitPixelSize(degitSize_);
    resize(digit.width() * keta_, digit.height());
    redraw();
}

void M_Degit::clearFace() {
    if (face_.size() != size() || face_.isNull()) face_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    face_.fill(platform_ui::toQRgb(backColor_));
}

void M_Degit::redraw() {
    const display::DegitFormat format{zeroMode_, fillZero_, shift_, keta_};
    shown_ = display::degitShownText(value_, format);
    // A reader hears what the lamps light now.
    const QString heard = display::litCharacters(shown_);
    if (heard != accessibleDescription()) setAccessibleDescription(heard);

    const QSize digit = digitPixelSize(degitSize_);
    const auto style = display::segments::styleFor(degitStyle_);
    const int advance = digit.width() + extraSpacing_;

    // The painted pattern behind the window: an unlit "8" in every position,
    // from the left edge. It changes only with the cell's form and colours,
    // so it is kept and the face starts from a copy of it.
    const PatternKey key{size(), digit, backColor_, baseForeColor_, degitStyle_, keta_, advance, bold_};
    if (pattern_.isNull() || !(key == patternKey_)) {
        clearFace();
        QPainter p(&face_);
        const QImage& unlit = display::segments::sprite(style, digit, bold_, platform_ui::toQRgb(baseForeColor_),
                                                        display::segments::kAllSegments, false);
        for (int i = 0; i < keta_; ++i) p.drawImage(i * advance, 0, unlit);
        p.end();
        pattern_ = face_;
        patternKey_ = key;
    } else {
        face_ = pattern_;
    }

    // The value ends at the right edge, so that its positions fall on those
    // of the pattern; blanks and characters the lamps cannot form stay unlit.
    const int start = face_.width() - static_cast<int>(shown_.size()) * advance;
    const QRgb lit = platform_ui::toQRgb(degitForeColor_);
    QPainter p;
    for (qsizetype i = 0; i < shown_.size(); ++i) {
        const std::uint8_t mask = display::segments::segmentsFor(shown_.at(i));
        if (mask == 0) continue;
        if (!p.isActive()) p.begin(&face_);
        p.drawImage(start + static_cast<int>(i) * advance, 0,
                    display::segments::sprite(style, digit, bold_, lit, mask, true));
    }
    if (p.isActive()) p.end();
    update();
}

void M_Degit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, face_);
}

void M_Degit::resizeEvent(QResizeEvent* event) {
    // The kept image follows the face's size; what was drawn stays where it
    // was and new area shows the background until the next redraw.
    if (face_.size() != size() && !size().isEmpty()) {
        QImage grown(size(), QImage::Format_RGB32);
        grown.fill(platform_ui::toQRgb(backColor_));
        QPainter p(&grown);
        p.drawImage(0, 0, face_);
        p.end();
        face_ = std::move(grown);
    }
    QWidget::resizeEvent(event);
}

void M_Degit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DblClick();
    event->accept();
}
