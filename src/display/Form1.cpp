#include "display/Form1.h"

#include "display/ChimeiCtl_B.h"
#include "display/Form1Layout.h"
#include "display/M_Degit.h"
#include "display/PanelPicture.h"
#include "platform/Seams.h"
#include "settings/SettingsRecord.h"
#include "platform/Twips.h"
#include "platform_ui/QtColor.h"
#include "platform_ui/Regions.h"
#include "platform_ui/WindowPlacer.h"
#include "display/Typefaces.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

QLabel* makeTicketLabel(QWidget* parent, const QRect& where) {
    auto* label = new QLabel(parent);
    label->setGeometry(where);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(display::layoutFont(display::kPGothicTypeface, 11.25, true));
    // Transparent: the panel picture's label strip shows through.
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setFixedSize(kClientWidth, kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The hidden cell and label of the layout first, so that the visible
    // ones lie above them.
    Degit[0] = new M_Degit(this);
    Degit[0]->move(display::hiddenCellRect().topLeft());
    Degit[0]->hide();
    lblSeiriNum[0] = makeTicketLabel(this, display::hiddenLabelRect());
    lblSeiriNum[0]->hide();

    for (int k = 1; k <= display::kFareCellCount; ++k) {
        auto* cell = new M_Degit(this);
        cell->setKeta(4);
        cell->setGeometry(display::fareCellRect(k));
        cell->setAccessibleName(QStringLiteral("運賃%1").arg(k));
        connect(cell, &M_Degit::DblClick, this, [this, k] { Degit_DblClick(k); });
        Degit[size_t(k)] = cell;
        lblSeiriNum[size_t(k)] = makeTicketLabel(this, display::ticketLabelRect(k));
    }

    for (int i = 0; i < 2; ++i) {
        auto* clockCell = new M_Degit(this);
        clockCell->setKeta(2);
        clockCell->setGeometry(display::clockCellRect(i));
        clockCell->hide();
        clockCell->setAccessibleName(i == 0 ? QStringLiteral("時計（時）") : QStringLiteral("時計（分）"));
        TimeDegit[size_t(i)] = clockCell;
    }

    ChimeiCtl = new ChimeiCtl_B(this);
    ChimeiCtl->setGeometry(display::stopNameRect());
    // A flat strip of the layout's own size: the saved setting, not the
    // property write, which would resize it.
    display::PropertyBag layout;
    layout.set(QStringLiteral("appearance"), 0);
    ChimeiCtl->ReadProperties(layout);

    imgRes[0] = display::builtInPanelPicture();
    picture_ = imgRes[0];

    startDrag = [this] {
        if (QWindow* w = windowHandle()) w->startSystemMove();
    };

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1.start();
}

Form1::~Form1() = default;

void Form1::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void Form1::showBuiltInPicture(int mode) {
    if (mode >= 0 && mode < int(imgRes.size())) setPicture(imgRes[size_t(mode)]);
}

void Form1::setLampTest(bool on) {
    for (int k = 1; k <= display::kFareCellCount; ++k) {
        if (on) Degit[size_t(k)]->ResetDegit(true);
        else Degit[size_t(k)]->setValue(0);
    }
}

void Form1::setDark(bool dark) {
    if (!dark) {
        if (!TimeDegit[0]->isHidden()) Timer1.start();
        return;
    }
    ChimeiCtl->SetChimei(QString());
    for (int k = 1; k <= display::kFareCellCount; ++k) Degit[size_t(k)]->ResetDegit(false);
    Timer1.stop();
    for (M_Degit* clockCell : TimeDegit) clockCell->setValue(QString());
}

void Form1::setCellColours(platform::Color back, platform::Color base, platform::Color lit) {
    auto paint = [&](M_Degit* cell) {
        cell->setBackColor(back);
        cell->setBaseForeColor(base);
        cell->setDegitForeColor(lit);
    };
    for (int k = 1; k <= display::kFareCellCount; ++k) paint(Degit[size_t(k)]);
    for (M_Degit* clockCell : TimeDegit) paint(clockCell);
}

void Form1::setStopNameStyle(platform::Color back, platform::Color fore, std::int16_t fontMode, bool bold) {
    ChimeiCtl->setBackColor(back);
    ChimeiCtl->setForeColor(fore);
    ChimeiCtl->setFontMode(fontMode);
    ChimeiCtl->setFontBold(bold);
}

void Form1::setTicketLabelsShown(bool shown) {
    for (int k = 1; k <= display::kFareCellCount; ++k) lblSeiriNum[size_t(k)]->setVisible(shown);
}

void Form1::setTicketLabelColour(platform::Color colour) {
    const QColor c = platform_ui::toQColor(colour);
    for (int k = 1; k <= display::kFareCellCount; ++k) {
        QLabel* label = lblSeiriNum[size_t(k)];
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, c);
        label->setPalette(palette);
    }
}

void Form1::setTicketLabelTexts(const TicketLabelTexts& texts, double firstLabelPoints) {
    QLabel* first = lblSeiriNum[1];
    first->setFont(display::layoutFont(display::kPGothicTypeface, firstLabelPoints, first->font().bold()));
    for (int k = 1; k <= display::kFareCellCount; ++k) {
        if (const auto& text = texts[size_t(k)]) lblSeiriNum[size_t(k)]->setText(*text);
    }
}

void Form1::applyRoundRegion() {
    // A rounded rectangle with 2 x 2 corner ellipses over the client area:
    // only the very corner pixel of each corner falls outside.
    setMask(platform_ui::roundRectRegion(rect(), 2, 2));
    update();
}

void Form1::GetFormInfo(settings::SettingsRecord& record) const {
    const QPoint p = platform_ui::outerTopLeft(*this);
    record.DisplayLeft = platform::pixelsToTwips(p.x());
    record.DisplayTop = platform::pixelsToTwips(p.y());
}

void Form1::SetFormInfo(const settings::SettingsRecord& record) {
    placeWindow(platform::twipsToPixels(record.DisplayLeft, record.DisplayTop));
}

void Form1::placeWindow(std::optional<QPoint> outerTopLeft) {
    platform_ui::placeWindow(*this, {outerTopLeft, platform::Corner::TopLeft, platform::GrabHandle::Face, {}});
}

void Form1::Degit_DblClick(int k) {
    if (k < 1 || k > display::kFareCellCount) return;
    M_Degit* clicked = Degit[size_t(k)];
    if (!clicked->UserSet()) return;

    if (operationPanel_) operationPanel_->setEnabled(false);
    if (clicked->ShowSetDlg() == 1) {
        // The three settings are made equal on every fare cell, each through
        // the cell's own write rules, and each cell redrawn with its value.
        const std::int16_t zeroMode = clicked->ZeroMode();
        const std::int16_t shift = clicked->Shift();
        const std::int16_t fillZero = clicked->FillZero();
        for (int i = 1; i <= display::kFareCellCount; ++i) {
            M_Degit* cell = Degit[size_t(i)];
            const QVariant value = cell->Value();
            cell->setShift(shift);
            cell->setFillZero(fillZero);
            cell->setZeroMode(zeroMode);
            cell->setValue(value);
        }
    }
    if (operationPanel_) operationPanel_->setEnabled(true);
}

void Form1::Timer1_Timer() {
    const QString now = platform::clock().now().time().toString(QStringLiteral("HH:mm:ss"));
    TimeDegit[0]->setValue(now.mid(0, 2).toInt());
    TimeDegit[1]->setValue(now.mid(3, 2).toInt());
}

void Form1::closeEvent(QCloseEvent* event) { event->ignore(); }

void Form1::mousePressEvent(QMouseEvent* event) {
    // The whole face is the handle: a left press lets the window system move
    // the window with the mouse, as a press on a caption would. A press on a
    // cell, a label or the strip does not.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) {
        if (startDrag) startDrag();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Form1::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // Beyond a smaller user picture the window's own ground shows.
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    p.drawImage(0, 0, picture_);
}
