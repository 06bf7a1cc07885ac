#include "options/OptionWidgets.h"

#include "options/ControlValues.h"
#include "platform_ui/QtColor.h"
#include "platform/Cp932.h"
#include "platform_ui/PlainButton.h"
#include "platform_ui/ResourceLibrary.h"
#include "settings/mdlIniIo.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace options {

// ---- ColorButton -------------------------------------------------------------------

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setBackColor(0);
}

void ColorButton::setBackColor(platform::Color color) {
    color_ = color;
    // A screen reader (and an outside test) can tell the colour.
    setAccessibleDescription(platform_ui::toQColor(color).name(QColor::HexRgb));
    update();
    emit backColorChanged(color);
}

QSize ColorButton::sizeHint() const {
    const QSize button = QPushButton::sizeHint();
    return {std::max(button.width(), fontMetrics().height() * 3), button.height()};
}

void ColorButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    p.drawControl(QStyle::CE_PushButtonBevel, option);

    const int margin = std::max(3, fontMetrics().height() / 4);
    const QRect face = rect().adjusted(margin, margin, -margin - 1, -margin - 1);
    QColor colour = platform_ui::toQColor(color_);
    if (!isEnabled()) colour = QColor::fromRgbF(colour.redF(), colour.greenF(), colour.blueF(), 0.35);
    p.fillRect(face, colour);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Shadow));
    p.drawRect(face);
}

// ---- PageButton ----------------------------------------------------------------------

PageButton::PageButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString PageButton::shownText(const QString& caption) {
    return caption.split(QChar(0x3000), Qt::SkipEmptyParts).join(QLatin1Char('\n'));
}

QSize PageButton::sizeHint() const {
    QStyleOptionButton option;
    option.initFrom(this);
    const QString shown = shownText(text());
    const QSize textSize = fontMetrics().size(0, shown);
    const int pad = fontMetrics().height() / 2;
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, textSize, this) + QSize(2 * pad, pad);
}

void PageButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = shownText(text());
    option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
    if (isDown() || isChecked()) option.state |= QStyle::State_Sunken;
    else option.state |= QStyle::State_Raised;
    if (isChecked()) {
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
    }
    p.drawControl(QStyle::CE_PushButton, option);
}

bool PageButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

// ---- WrapRadioButton -----------------------------------------------------------------

WrapRadioButton::WrapRadioButton(const QString& caption, double wrapEm, QWidget* parent)
    : QRadioButton(caption, parent), wrapEm_(wrapEm) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int WrapRadioButton::indent() const {
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
}

QRect WrapRadioButton::textRect(int width) const {
    const int wrap = int(wrapEm_ * fontMetrics().height());
    const int available = std::min(std::max(width - indent(), 1), wrap);
    const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, available, 100000), Qt::TextWordWrap, text());
    return {indent(), 0, available, bounds.height()};
}

QSize WrapRadioButton::sizeHint() const {
    const int wrap = int(wrapEm_ * fontMetrics().height());
    const QRect text = textRect(indent() + wrap);
    const int used = fontMetrics().boundingRect(QRect(0, 0, wrap, 100000), Qt::TextWordWrap, this->text()).width();
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    return {indent() + used + 2, std::max(text.height(), indicator) + 2};
}

void WrapRadioButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const int w = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    // The indicator sits beside the first line, not the middle of the text.
    option.rect = QRect(0, std::max(0, (fontMetrics().height() - h) / 2) + 1, w, h);
    style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, &p, this);

    const QRect text = textRect(width()).translated(0, 1);
    style()->drawItemText(&p, text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, palette(), isEnabled(), this->text(),
                          QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = text.adjusted(-1, 0, 1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

bool WrapRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void setStoredCheck(QCheckBox* box, std::int16_t value, const char* name) {
    const auto state = checkStateFor(value);
    if (!state) throw mdlIniIo::SettingsError(kInvalidPropertyValue, invalidValueDescription(QLatin1String(name), value));
    if (*state == Qt::PartiallyChecked) box->setTristate(true);
    box->setCheckState(*state);
}

bool marked(const QCheckBox* box) { return isMarked(box->checkState()); }

void untristateWhenClicked(QCheckBox* box) {
    QObject::connect(box, &QCheckBox::clicked, box, [box] {
        if (box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
    });
}

// ---- building the pages ----------------------------------------------------------------

int em(const QWidget* widget) { return widget->fontMetrics().height(); }

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* note(const QString& text, QWidget* parent) {
    auto* label = caption(text, parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::PlaceholderText).darker(150));
    label->setPalette(palette);
    return label;
}

QPushButton* browseButton(const QString& what, QWidget* parent) {
    auto* b = platform_ui::plainButton(QStringLiteral("..."), parent);
    b->setAccessibleDescription(what);
    b->setFixedWidth(std::max(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + em(parent), 2 * em(parent)));
    return b;
}

QLineEdit* pathBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setAccessibleName(name);
    box->setMinimumWidth(14 * em(parent));
    return box;
}

ColorButton* colourButton(const QString& name, QWidget* parent) {
    auto* b = new ColorButton(parent);
    QString accessible = name;
    if (accessible.endsWith(QChar(0xFF1A))) accessible.chop(1); // the full-width colon of the caption
    b->setAccessibleName(accessible);
    return b;
}

QButtonGroup* group(QObject* owner, std::initializer_list<QAbstractButton*> members) {
    auto* g = new QButtonGroup(owner);
    for (QAbstractButton* b : members) g->addButton(b);
    return g;
}

void holdLargestPage(QStackedWidget* stack) {
    QSize largest;
    for (int i = 0; i < stack->count(); ++i) largest = largest.expandedTo(stack->widget(i)->sizeHint());
    // Pages with wrapping notes are measured at the stack's width.
    for (int i = 0; i < stack->count(); ++i) {
        QWidget* page = stack->widget(i);
        if (page->hasHeightForWidth()) largest.setHeight(std::max(largest.height(), page->heightForWidth(largest.width())));
    }
    stack->setMinimumSize(largest);
}

QByteArray chooserFilter(std::initializer_list<const char*> parts) {
    QByteArray filter;
    for (const char* part : parts) {
        filter += cp932::encode(QString::fromUtf8(part));
        filter += '\0';
    }
    filter += '\0';
    return filter;
}

void GetBtnColor(ColorButton* button) {
    std::int32_t colour = button->BackColor();
    // The chooser keeps its custom colours in the settings, and may change them.
    if (ZelP4Res::Zel3ChooseColor(button->window(), colour, mdlIniIo::record().CustomColors) != 0)
        button->setBackColor(colour);
}

} // namespace options
