#pragma once
// One group of seven-segment lamps of the fare display: `Keta` digit
// positions in which every segment is always visible in a faint unlit colour
// and the segments of the current value glow in the lit colour. The caller
// assigns a value (a number or a text); the cell decides how zero, minus one
// and the empty text are shown, pads with zeros, keeps blank positions at the
// right end and draws. It does no arithmetic of its own.
//
// Colours are 0x00BBGGRR values (red in the low byte).

#include "display/DegitText.h"
#include "display/PropertyBag.h"
#include "display/SegmentPainter.h"
#include "platform/Color.h"
#include "platform/Device.h"

#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

class M_Degit : public QWidget {
    Q_OBJECT
public:
    // The container's store of the cell's settings.
    using PropertyBag = display::PropertyBag;

    // Per-digit pixel size and cell height of a size class (`DegitSize`).
    static QSize digitPixelSize(int degitSize);

    static constexpr platform::Color kDefaultBaseForeColor = device::kDigitBaseColor;
    static constexpr platform::Color kDefaultDegitForeColor = device::kDigitLitColor;
    static constexpr platform::Color kDefaultBackColor = device::kDigitBackColor;

    explicit M_Degit(QWidget* parent = nullptr);

    // Opens the digit-cell settings dialog for this cell's zero mode, shift
    // and zero fill; returns what the dialog returned (1: confirmed).
    std::int32_t ShowSetDlg();

    std::int32_t BaseForeColor() const { return baseForeColor_; }
    void setBaseForeColor(std::int32_t color);
    std::int32_t DegitForeColor() const { return degitForeColor_; }
    void setDegitForeColor(std::int32_t color);
    std::int16_t FillZero() const { return fillZero_; }
    void setFillZero(std::int16_t digits);
    std::int16_t ZeroMode() const { return zeroMode_; }
    void setZeroMode(std::int16_t mode);
    std::int16_t Shift() const { return shift_; }
    void setShift(std::int16_t positions);
    std::int16_t Keta() const { return keta_; }
    void setKeta(std::int16_t digits);
    std::int16_t DegitSize() const { return degitSize_; }
    void setDegitSize(std::int16_t sizeClass);
    std::int16_t DegitStyle() const { return degitStyle_; }
    void setDegitStyle(std::int16_t style);
    // The value as it was assigned (a number or a text), never the shown form.
    QVariant Value() const { return value_; }
    void setValue(const QVariant& value);

    // Lamp test (true: every segment lit) or blank cell (false), whatever the
    // cell's formatting settings.
    void ResetDegit(bool nMode);

    // Whether a double-click may change the cell's formatting.
    bool UserSet() const { return userSet_; }
    void setUserSet(bool userSet) { userSet_ = userSet; }

    // The cell's face, as owner of its dialogs.
    QWidget* hwnd() { return this; }

    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t color);

    // Settings kept by the container. Reading stores the values as they are,
    // without the write rules, without resizing and without a redraw.
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // What the face shows now (the kept image).
    const QImage& face() const { return face_; }
    // The text the last redraw lit, right-aligned.
    const QString& shownText() const { return shown_; }

signals:
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void redraw();
    void resizeToDigits();
    void clearFace();

    std::int32_t baseForeColor_ = kDefaultBaseForeColor;
    std::int32_t degitForeColor_ = kDefaultDegitForeColor;
    std::int16_t fillZero_ = 0;
    std::int16_t zeroMode_ = 0;
    std::int16_t shift_ = 0;
    std::int16_t keta_ = 4;
    std::int16_t degitSize_ = 0;
    std::int16_t degitStyle_ = 0;
    QVariant value_ = 0;
    bool userSet_ = true;
    std::int32_t backColor_ = kDefaultBackColor;

    // Platform text adjustment, fixed at creation: extra pixels between
    // positions and the bold (full-width) segments.
    std::int32_t extraSpacing_ = 0;
    bool bold_ = true;

    QImage face_;
    QString shown_;

    // The unlit pattern on the background, as last drawn, and what it was
    // drawn for.
    struct PatternKey {
        QSize face;
        QSize digit;
        std::int32_t backColor = 0;
        std::int32_t baseForeColor = 0;
        std::int16_t style = 0;
        std::int16_t keta = 0;
        int advance = 0;
        bool bold = false;
        bool operator==(const PatternKey&) const = default;
    };
    QImage pattern_;
    PatternKey patternKey_;
};
