#include "platform_ui/TicketRenderer.h"

#include "platform_ui/Codabar.h"
#include "platform_ui/QtColor.h"
#include "platform_ui/Typefaces.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace platform_ui {

namespace {

using ticket::Element;
using ticket::ElementKind;

const QString& windowsName(ticket::Typeface face) {
    switch (face) {
    case ticket::Typeface::Mincho: return kMinchoTypeface;
    case ticket::Typeface::PGothic: return kPGothicTypeface;
    case ticket::Typeface::PMincho: return kPMinchoTypeface;
    default: return kGothicTypeface;
    }
}

QFont fontOf(ticket::Typeface face, int size, int weight, int letterSpacing) {
    QFont font(typefaceFamily(windowsName(face)));
    font.setPixelSize(size);
    font.setWeight(QFont::Weight(weight));
    if (letterSpacing > 0) font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

Qt::PenStyle penStyle(ticket::LineStyle style) {
    switch (style) {
    case ticket::LineStyle::Dashed: return Qt::DashLine;
    case ticket::LineStyle::Dotted: return Qt::DotLine;
    default: return Qt::SolidLine;
    }
}

// One line of text in its box. A text too wide for the box is condensed to
// fit, as a ticket printer narrows a long stop name, never cut off.
void drawText(QPainter& p, const QString& text, const QRectF& box, const QFont& font, ticket::HAlign align,
              ticket::VAlign valign, const QColor& color) {
    if (text.isEmpty()) return;
    const QFontMetricsF metrics(font, p.device());
    const double advance = metrics.horizontalAdvance(text) - font.letterSpacing();
    const double scale = advance > box.width() ? box.width() / advance : 1.0;
    const double drawnWidth = advance * scale;
    const QRectF ink = metrics.tightBoundingRect(text);
    double left = box.left();
    // Centred by the ink, so that a lone "1" stands in the middle of its box;
    // left and right by the letters' advance, so that lines align.
    if (align == ticket::HAlign::Center) left = box.center().x() - (ink.left() + ink.width() / 2) * scale;
    else if (align == ticket::HAlign::Right) left = box.right() - drawnWidth;
    double baseline = 0;
    if (valign == ticket::VAlign::Top) {
        baseline = box.top() + metrics.ascent();
    } else if (valign == ticket::VAlign::Bottom) {
        baseline = box.bottom() - metrics.descent();
    } else {
        // The ink itself is centred: a large number sits in the middle of its
        // box whatever room the face keeps above and below its digits.
        baseline = box.center().y() - (ink.top() + ink.height() / 2);
    }
    p.save();
    p.translate(left, baseline);
    p.scale(scale, 1.0);
    if (font.weight() > QFont::Bold) {
        // Heavier than the face's bold: the outlines are thickened, as the
        // black numerals of a ticket printer are.
        QPainterPath path;
        path.addText(QPointF(0, 0), font, text);
        const double extra = font.pixelSize() * (font.weight() - QFont::Bold) / 4000.0;
        p.fillPath(path, color);
        p.strokePath(path, QPen(color, extra, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        p.setFont(font);
        p.setPen(color);
        p.drawText(QPointF(0, 0), text);
    }
    p.restore();
}

void drawBarcode(QPainter& p, const Element& e, const QByteArray& data, const QColor& color) {
    const std::vector<bool> modules = codabarModules(data, e.checkDigit);
    if (modules.empty()) return;
    const QFont font = fontOf(e.typeface, e.textSize, 400, 0);
    const double textHeight = e.showText ? QFontMetricsF(font, p.device()).height() : 0.0;
    const double barHeight = std::max(1.0, e.height - textHeight);
    // Whole pixels per module keep the narrow and wide bars in their ratio;
    // a box too small for that squeezes the symbol in.
    const auto count = double(modules.size());
    const double exact = e.width / count;
    const double moduleWidth = exact >= 1.0 ? std::floor(exact) : exact;
    const double left = e.x + (e.width - moduleWidth * count) / 2;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = 0; i < modules.size();) {
        size_t end = i;
        while (end < modules.size() && modules[end] == modules[i]) ++end;
        if (modules[i])
            p.fillRect(QRectF(left + double(i) * moduleWidth, e.y, double(end - i) * moduleWidth, barHeight), color);
        i = end;
    }
    p.restore();
    if (e.showText) {
        // The characters between the start and stop letters.
        const QString digits = QString::fromLatin1(data.mid(1, data.size() - 2));
        drawText(p, digits, QRectF(e.x, e.y + barHeight, e.width, textHeight), font, ticket::HAlign::Center,
                 ticket::VAlign::Top, color);
    }
}

void drawElement(QPainter& p, const ticket::TicketPlugin& plugin, const Element& e, const ticket::TicketValues& values) {
    const QColor ink = toQColor(e.color);
    switch (e.kind) {
    case ElementKind::Rule: {
        QPen pen(ink, e.thickness, penStyle(e.style), Qt::FlatCap);
        p.save();
        // Straight rules stay crisp; slanted ones are smoothed.
        p.setRenderHint(QPainter::Antialiasing, e.x != e.x2 && e.y != e.y2);
        p.setPen(pen);
        // A rule of odd thickness is centred on the pixel row or column it names.
        const double half = (e.thickness % 2) != 0 ? 0.5 : 0.0;
        p.drawLine(QPointF(e.x + (e.x == e.x2 ? half : 0), e.y + (e.y == e.y2 ? half : 0)),
                   QPointF(e.x2 + (e.x == e.x2 ? half : 0), e.y2 + (e.y == e.y2 ? half : 0)));
        p.restore();
        break;
    }
    case ElementKind::Box: {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, e.radius > 0);
        // The outline lies inside the box.
        const double inset = e.thickness / 2.0;
        const QRectF box = QRectF(e.x, e.y, e.width, e.height).adjusted(inset, inset, -inset, -inset);
        p.setPen(e.thickness > 0 ? QPen(ink, e.thickness, penStyle(e.style), Qt::FlatCap, Qt::MiterJoin)
                                 : QPen(Qt::NoPen));
        p.setBrush(e.filled ? QBrush(toQColor(e.fill)) : QBrush(Qt::NoBrush));
        if (e.radius > 0) p.drawRoundedRect(box, e.radius, e.radius);
        else p.drawRect(box);
        p.restore();
        break;
    }
    case ElementKind::Barcode: {
        const QByteArray data = ticket::barcodeData(plugin, e, values);
        if (!data.isEmpty()) drawBarcode(p, e, data, ink);
        break;
    }
    default:
        drawText(p, ticket::elementText(plugin, e, values), QRectF(e.x, e.y, e.width, e.height),
                 fontOf(e.typeface, e.size, e.weight, e.letterSpacing), e.align, e.valign, ink);
        break;
    }
}

} // namespace

void drawTicket(QPainter& painter, const ticket::TicketPlugin& plugin, const ticket::TicketValues& values) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QRect paper(0, 0, plugin.info.PreviewWidth, plugin.info.PreviewHeight);
    painter.setClipRect(paper);
    painter.fillRect(paper, toQColor(plugin.paper));
    for (const Element& e : plugin.elements) drawElement(painter, plugin, e, values);
    painter.restore();
}

void drawTicket(QPaintDevice& device, const ticket::TicketPlugin& plugin, const ticket::TicketValues& values) {
    QPainter painter(&device);
    if (painter.isActive()) drawTicket(painter, plugin, values);
}

} // namespace platform_ui
