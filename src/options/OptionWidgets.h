#pragma once
// Controls of the options dialog that Qt has no exact match for: the colour
// buttons whose face is the colour they hold, the tall page buttons down the
// dialog's left side, and option buttons whose long captions wrap.

#include "platform/Color.h"

#include <QByteArray>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <cstdint>
#include <initializer_list>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace options {

// A button that holds a colour: its face shows the colour, and the colour is
// the setting itself. Clicking it is left to the owner (the colour chooser).
class ColorButton final : public QPushButton {
    Q_OBJECT
public:
    explicit ColorButton(QWidget* parent = nullptr);
    // 0x00BBGGRR, as stored; the face shows the low three bytes.
    platform::Color BackColor() const { return color_; }
    void setBackColor(platform::Color color);
    QSize sizeHint() const override;

signals:
    void backColorChanged(platform::Color color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    platform::Color color_ = 0;
};

// An option button drawn as a push button that stays down while selected.
// The caption wraps where it holds ideographic spaces ("運賃データと　放送用データ"
// shows as two lines); text() is the caption as given.
class PageButton final : public QRadioButton {
    Q_OBJECT
public:
    explicit PageButton(const QString& caption, QWidget* parent = nullptr);
    // The caption as shown: one line per run of text between ideographic spaces.
    static QString shownText(const QString& caption);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

// An option button whose caption wraps to `wrapEm` times the font's height.
class WrapRadioButton final : public QRadioButton {
    Q_OBJECT
public:
    WrapRadioButton(const QString& caption, double wrapEm, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    int indent() const;
    QRect textRect(int width) const;
    double wrapEm_;
};

// Puts a check box into its stored state: 0, 1 and 2 (grey) only; the grey
// state makes the box three-state until the user clicks it. Any other value is
// refused with the run-time's error 380 naming the control (`name`).
void setStoredCheck(QCheckBox* box, std::int16_t value, const char* name);
// Whether the box shows a mark (checked or grey): what dependent controls and
// readers of a setting follow.
bool marked(const QCheckBox* box);
// A grey box goes back to two states once the user clicks it.
void untristateWhenClicked(QCheckBox* box);

// ---- building the pages ----------------------------------------------------------------

// Sizes follow the dialog's font, so the pages keep their proportions at any
// scale: the height of a line of text.
int em(const QWidget* widget);
QLabel* caption(const QString& text, QWidget* parent);
// A remark in a quieter colour, wrapped.
QLabel* note(const QString& text, QWidget* parent);
// The "..." button beside a path: small, described by what it chooses for.
QPushButton* browseButton(const QString& what, QWidget* parent);
QLineEdit* pathBox(const QString& name, QWidget* parent);
ColorButton* colourButton(const QString& name, QWidget* parent);
QButtonGroup* group(QObject* owner, std::initializer_list<QAbstractButton*> members);
// Makes a stack of pages as large as its largest page, whichever is shown,
// so the dialog keeps its size when the pages change.
void holdLargestPage(QStackedWidget* stack);
// A chooser's filter: description and pattern pairs, each part ended by a
// NUL, the list ended by one more (code page 932).
QByteArray chooserFilter(std::initializer_list<const char*> parts);

// The colour chooser on a colour button's colour, with the settings' custom
// colours; a chosen colour becomes the button's.
void GetBtnColor(ColorButton* button);

} // namespace options
