#include "Form1.h"

#include "SettingsRecord.h"
#include "Twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>
#include <cmath>

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Form1::applyRoundRegion() {
    // A rounded rectangle with 2 x 2 corner ellipses: only the very corner
    // pixel of each corner falls outside.
    const QRect r = rect();
    QRegion region(r);
    region -= QRegion(r.left(), r.top(), 1, 1);
    region -= QRegion(r.right(), r.top(), 1, 1);
    region -= QRegion(r.left(), r.bottom(), 1, 1);
    region -= QRegion(r.right(), r.bottom(), 1, 1);
    setMask(region);
    update();
}

void Form1::GetFormInfo(settings::SettingsRecord& record) const {
    record.DisplayLeft = display::pixelsToTwips(x());
    record.DisplayTop = display::pixelsToTwips(y());
}

void Form1::SetFormInfo(const settings::SettingsRecord& record) {
    move(display::twipsToPixels(record.DisplayLeft), display::twipsToPixels(record.DisplayTop));
}

void Form1::mousePressEvent(QMouseEvent* event) {
    // The whole face is the handle: a left press lets the window system move
    // the window with the mouse, as a press on a caption would.
    if (event->button() == Qt::LeftButton) {
        if (QWindow* w = windowHandle()) w->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
}
