#include "display/PanelPicture.h"

#include "display/Form1Layout.h"
#include "display/SegmentPainter.h"
#include "display/Typefaces.h"

#include <QPainter>
#include <QPainterPath>

namespace display {

namespace {

constexpr int kWidth = device::kFaceWidth;
constexpr int kHeight = device::kFaceHeight;

const QColor kFrame(0xC8, 0xC8, 0xC4);
const QColor kFrameEdge(0x9A, 0x9A, 0x96);
const QColor kPanel(0x08, 0x08, 0x08);
const QColor kLabelStrip(0x26, 0x26, 0x28);
const QColor kDigitWindow(0x80, 0x80, 0x80);
const QColor kDigitWindowEdge(0x50, 0x50, 0x50);
const QColor kSegmentOutline(0x8C, 0x8C, 0x8C);
const QColor kCaption(0xE8, 0xE8, 0xE8);

// Faint outlines of four seven-segment digits, as the unlit lamps show
// through the window's glass when a cell is dark.
void paintSegmentOutlines(QPainter& p, const QRect& cell) {
    constexpr int kDigits = 4;
    const QSize digit(cell.width() / kDigits, cell.height());
    const auto outlines = segments::segmentOutlines(segments::Style::Bevelled, digit, true);
    p.setPen(QPen(kSegmentOutline, 1.0));
    p.setBrush(Qt::NoBrush);
    for (int d = 0; d < kDigits; ++d) {
        p.save();
        p.translate(cell.left() + d * digit.width(), cell.top());
        for (const QPainterPath& segment : outlines) p.drawPath(segment);
        p.restore();
    }
}

void paintVerticalCaption(QPainter& p, const QString& text, const QRect& area, const QFont& font) {
    p.setFont(font);
    // Characters stacked at a fixed pitch, the column centred in the area.
    const int step = qMin(area.height() / int(text.size()), font.pixelSize() + 3);
    const int top = area.top() + (area.height() - step * int(text.size())) / 2;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QRect cellRect(area.left(), top + int(i) * step, area.width(), step);
        p.drawText(cellRect, Qt::AlignCenter, text.mid(i, 1));
    }
}

} // namespace

QImage builtInPanelPicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kFrame);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // The light grey frame and the black panel set into it.
    p.setPen(QPen(kFrameEdge, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1.0, kHeight - 1.0), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(5, 4, kWidth - 10, kHeight - 8), 9, 9);

    // One window per fare cell: the label strip, the digit window under it.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 1; k <= kFareCellCount; ++k) {
        const QRect label = ticketLabelRect(k);
        const QRect cell = fareCellRect(k);
        const QRect strip(cell.left() - 1, label.top(), cell.width() + 2, cell.top() - label.top());
        p.fillRect(strip, kLabelStrip);
        const QRect window = cell.adjusted(-1, -1, 1, 1);
        p.fillRect(window, kDigitWindowEdge);
        p.fillRect(cell, kDigitWindow);
        p.setRenderHint(QPainter::Antialiasing, true);
        paintSegmentOutlines(p, cell);
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // The stop-name strip's tall window and its captions: read together
    // with the cells, "the fare (運賃は) to [stop] (まで) is, per ticket number,
    // the amount under that number".
    const QRect strip = stopNameRect();
    p.fillRect(strip.adjusted(-3, -3, 3, 3), kDigitWindowEdge);
    p.fillRect(strip.adjusted(-2, -2, 2, 2), kDigitWindow);

    p.setPen(kCaption);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // 整理券番号→ across the top of the left column, pointing at the labels.
    QFont caption = layoutFont(kPGothicTypeface, 9.0, true);
    p.setFont(caption);
    const QRect firstLabel = ticketLabelRect(1);
    p.drawText(QRect(12, 7, firstLabel.left() - 14, 15), Qt::AlignVCenter | Qt::AlignHCenter,
               QStringLiteral("整理券番号→"));

    QFont vertical = layoutFont(kPGothicTypeface, 7.5, true);
    const int captionTop = 22;
    paintVerticalCaption(p, QStringLiteral("運賃は"),
                         QRect(strip.left(), captionTop, strip.width(), strip.top() - 4 - captionTop), vertical);
    const int belowTop = strip.bottom() + 5;
    paintVerticalCaption(p, QStringLiteral("まで"), QRect(strip.left(), belowTop, strip.width(), kHeight - 8 - belowTop),
                         vertical);
    p.end();
    return image;
}

} // namespace display
