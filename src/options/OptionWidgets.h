#pragma once
// Controls of the options dialog that Qt has no exact match for: the colour
// buttons whose face is the colour they hold, the tall page buttons down the
// dialog's left side, and option buttons whose long captions wrap.

#include "platform/Color.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <cstdint>

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

} // namespace options
