#include "panel/PanelWidgets.h"

#include <QContextMenuEvent>

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace panel {

// ---- key cap ---------------------------------------------------------------------------

KeyCap::KeyCap(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFixedSize(kWidth, kHeight);
    // A legend of two characters is set smaller so that it stays on the cap.
    if (caption.size() > 1) {
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        setFont(small);
    }
    setAutoDefault(false);
    setAccessibleName(caption);
}

void KeyCap::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool down = isDown();
    const QRectF face = QRectF(faceRect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // A light plastic cap; pressed, it darkens and the legend sinks a pixel.
    QLinearGradient body(face.topLeft(), face.bottomLeft());
    body.setColorAt(0.0, down ? QColor(0xB4, 0xB8, 0xBC) : QColor(0xFB, 0xFB, 0xFA));
    body.setColorAt(1.0, down ? QColor(0xCC, 0xD0, 0xD4) : QColor(0xCF, 0xD2, 0xD5));
    p.setPen(QPen(QColor(0x2A, 0x2D, 0x30), 1.0));
    p.setBrush(body);
    p.drawRoundedRect(face, 2.0, 2.0);
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(1.5, 1.5, -1.5, -1.5), 1.0, 1.0);
    }
    p.setPen(isEnabled() ? QColor(0x10, 0x10, 0x10) : QColor(0x90, 0x90, 0x90));
    p.setFont(font());
    const QRect legend = faceRect().translated(down ? 1 : 0, down ? 1 : 0);
    p.drawText(legend, Qt::AlignCenter, text());
}

// ---- digit wheel ---------------------------------------------------------------------------

DigitWheel::DigitWheel(QWidget* parent) : QListWidget(parent) {
    QFont digits = font();
    digits.setPointSizeF(digits.pointSizeF() * 1.25);
    digits.setBold(true);
    setFont(digits);
    // Rows tall enough for the scroll bar's two arrows beside one digit.
    const QSize cell(fontMetrics().horizontalAdvance(QStringLiteral("00")) + 8, fontMetrics().height() + 10);
    for (int d = 0; d <= 9; ++d) {
        auto* item = new QListWidgetItem(QString::number(d), this);
        item->setTextAlignment(Qt::AlignCenter);
        item->setSizeHint(cell);
    }
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCurrentRow(-1);

    // The wheel shows one digit, and the digit shown is the one chosen:
    // turning it by its scroll bar or the mouse wheel chooses too, and a
    // digit chosen any other way (a click, the keys, a screen reader) turns
    // the wheel to it.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
        if (following_ || top == chosenRow()) return;
        following_ = true;
        setCurrentRow(top, QItemSelectionModel::ClearAndSelect);
        following_ = false;
    });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = chosenRow();
        if (row < 0) return;
        if (!following_) {
            following_ = true;
            setCurrentRow(row, QItemSelectionModel::NoUpdate);
            scrollToItem(item(row), QAbstractItemView::PositionAtTop);
            following_ = false;
        }
        if (!quiet_) emit clickedDigit();
    });
}

int DigitWheel::chosenRow() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : row(chosen.front());
}

void DigitWheel::focusInEvent(QFocusEvent* event) {
    quiet_ = true;
    QListWidget::focusInEvent(event);
    quiet_ = false;
}

QSize DigitWheel::sizeHint() const {
    // Exactly one row shows.
    const int frame = 2 * frameWidth();
    const QSize cell = item(0)->sizeHint();
    const int bar = verticalScrollBar()->sizeHint().width();
    return {frame + cell.width() + bar, frame + cell.height()};
}

// ---- entry page --------------------------------------------------------------------------

EntryPage::EntryPage(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void EntryPage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    event->accept();
}

// ---- preview picture ----------------------------------------------------------------------

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    image = QImage(1, 1, QImage::Format_RGB32);
    image.fill(Qt::white);
}

namespace {
// The picture holds a pixel for every device pixel, so a ticket drawn at a
// scale of 150 % is as sharp as at 100 %.
QSize devicePixels(const QWidget& w) { return (QSizeF(w.size()) * w.devicePixelRatioF()).toSize(); }
} // namespace

void PreviewPicture::clear() {
    if (!size().isEmpty() && (image.size() != devicePixels(*this) || image.devicePixelRatio() != devicePixelRatioF())) {
        image = QImage(devicePixels(*this), QImage::Format_RGB32);
        image.setDevicePixelRatio(devicePixelRatioF());
    }
    image.fill(Qt::white);
}

void PreviewPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, image);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PreviewPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!size().isEmpty() && image.size() != devicePixels(*this)) {
        QImage grown(devicePixels(*this), QImage::Format_RGB32);
        grown.setDevicePixelRatio(devicePixelRatioF());
        grown.fill(Qt::white);
        QPainter p(&grown);
        p.drawImage(0, 0, image);
        p.end();
        image = std::move(grown);
    }
}

void PreviewPicture::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

void PreviewPicture::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button(), event->position().toPoint());
    event->accept();
}

} // namespace panel
