#pragma once
// The vertical LED dot-matrix strip of the fare display, on which the name of
// the next stop is written top to bottom. A name of up to six characters is
// spread over the strip and stands still; a longer one scrolls up through it,
// cycle after cycle, until the next name is set.
//
// Three surfaces make it up:
//   Picture2  the viewport: the visible strip, clipping the canvas;
//   Picture1  the canvas: holds the dots of the whole name and is moved up
//             inside the viewport to scroll;
//   Picture3  the glyph box: a 16 x 16 scratch image into which one character
//             unit is printed and then sampled dot by dot.
//
// Colours are 0x00BBGGRR values (red in the low byte).

#include "display/DotFont.h"
#include "display/PropertyBag.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {
class Waits;
}

namespace display {

// The canvas: a child widget that shows its persistent image.
class ChimeiCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit ChimeiCanvas(QWidget* parent);
    QImage image;
    QColor background;
    // Where the name's top stands in the strip. The canvas covers the strip
    // and paints the name at this offset: moving a child widget instead
    // would post an update and wake the event loop twice a frame.
    int top = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace display

class ChimeiCtl_B : public QWidget {
    Q_OBJECT
public:
    // Nominal pass rate of the scroll loop. Each pass moves the canvas up by
    // Speed / 200 pixels; the passes are counted from the clock, so a name
    // scrolls at the same speed on every machine (Speed 5: 62.5 pixels a
    // second) while the canvas is moved and repainted at most once a frame.
    static constexpr double kScrollPassesPerSecond = 2500.0;

    static constexpr std::int32_t kDefaultBackColor = 0x808080;
    static constexpr std::int32_t kDefaultForeColor = 0x00BEFF;
    static constexpr std::int16_t kDefaultSpeed = 5;
    static constexpr std::int32_t kDefaultScrollStartWait = 1500;
    static constexpr std::int16_t kDefaultMode = 2;
    static constexpr std::int16_t kDefaultAppearance = 1;
    static constexpr std::int16_t kDefaultFontMode = 0;
    static constexpr bool kDefaultFontBold = false;

    explicit ChimeiCtl_B(QWidget* parent = nullptr);
    ~ChimeiCtl_B() override;

    // Background of the canvas. Writing it clears the canvas (the name is
    // gone until the next SetChimei) and gives the viewport the same colour.
    std::int32_t BackColor() const;
    void setBackColor(std::int32_t color);
    // Colour of lit dots; only dots drawn after the write take it.
    std::int32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::int32_t color);

    // Repaints the canvas.
    void Refresh();

    // Scroll step: the canvas moves up Speed / 200 pixels a pass.
    std::int16_t Speed() const { return speed_; }
    void setSpeed(std::int16_t speed) { speed_ = speed; }
    // Pause in milliseconds before each scroll cycle, a plain blocking wait.
    std::int32_t ScrollStartWait() const { return scrollStartWait_; }
    void setScrollStartWait(std::int32_t ms) { scrollStartWait_ = ms; }

    // Draws one character unit (one or two CP932 bytes) as dots with its
    // top-left dot at canvas position x, y. The long-vowel mark is replaced
    // by a vertical stroke in `unit`.
    void DrawDot16(std::int32_t x, std::int32_t y, QByteArray& unit);
    void DrawDot16(std::int32_t x, std::int32_t y, const QString& text);

    // Shows a stop name. Returns once it is drawn; a name of seven or more
    // units scrolls, and the call returns only when its scroll loop ends,
    // which the next non-empty name set (from a handler running inside the
    // loop) brings about. A long name set from inside a running loop is
    // handed to that loop, and that call returns at once. The empty text
    // clears the strip but leaves a running loop alone. Pending events are handled before the name is
    // drawn and again before its loop starts; a call made by one of those
    // events is newer, and the older call then draws and starts nothing.
    void SetChimei(const QString& strText);

    // Spacing of a two-unit name: 2 close together, anything else wider.
    std::int16_t Mode() const { return mode_; }
    void setMode(std::int16_t mode) { mode_ = mode; }
    // Border style of the viewport: 0 flat, anything else three-dimensional
    // (the viewport is drawn without a border, so this shows only through
    // the size). Writing it resizes the viewport: flat 35 x 185, else
    // 37 x 195. A container that wants a flat strip of its own size restores
    // the setting with ReadProperties, which does not resize.
    std::int16_t Appearance() const { return appearance_; }
    void setAppearance(std::int16_t appearance);
    // Typeface per character: 0 Gothic, 1 Mincho, 2 kanji Gothic and the rest
    // Mincho, 3 kanji Mincho and the rest Gothic, 4 full-width letters and
    // digits Gothic and the rest Mincho; other values Gothic.
    std::int16_t FontMode() const { return fontMode_; }
    void setFontMode(std::int16_t mode) { fontMode_ = mode; }
    bool FontBold() const { return fontBold_; }
    void setFontBold(bool bold) { fontBold_ = bold; }

    // Saved settings of an instance as (key, value) pairs in their fixed
    // order; values equal to their defaults are left out.
    void WriteProperties(display::PropertyBag& bag) const;
    // Restores saved settings. Keys are matched without regard to case;
    // missing keys keep the defaults. "Appearance" sets the border only (the
    // container restores the size).
    void ReadProperties(const display::PropertyBag& bag);

    // True while a scroll loop of this strip is running.
    bool isScrolling() const { return loopDepth_ > 0; }
    // Top of the canvas inside the viewport, in pixels.
    int canvasTop() const;
    int canvasHeight() const;
    int viewportHeight() const;
    // The part of the viewport the strip shows (the viewport may be wider
    // than the strip that holds it).
    QSize viewportSize() const;
    // What the canvas holds (the whole name, also the part outside the strip).
    const QImage& canvasImage() const;

    // How the strip moves, for a picture of it drawn elsewhere (the overlay
    // page), which then moves the canvas it was given as the strip does:
    // which canvas is shown, whether it scrolls, and the phase of the scroll
    // with the moment it began. While Waiting the canvas stands below the
    // strip (the blank strip of the start wait); while Moving its top is
    // viewportHeight() less Speed / 200 pixels for each whole pass since the
    // phase began, at kScrollPassesPerSecond, until it is one strip height
    // past the top, where the next wait begins; Still, it stands at the top.
    struct Motion {
        enum class Phase { Still, Waiting, Moving };
        quint64 canvas = 0;   // a new number for each new canvas
        bool scrolls = false; // the name is long enough to scroll
        Phase phase = Phase::Still;
        qint64 sinceMs = 0;   // when the phase began, by platform::steadyMs()
    };
    const Motion& motion() const { return motion_; }

signals:
    // The canvas or the phase of its scroll changed.
    void motionChanged();

private:
    void clearCanvas();
    void setMotion(Motion::Phase phase, bool newCanvas);
    void setShownName(const QString& name);
    void setCanvasTop(int top, bool now = false);
    void runScrollLoop();
    void startWait(platform::Waits& waits);

    QWidget* Picture2 = nullptr;               // viewport
    display::ChimeiCanvas* Picture1 = nullptr; // canvas
    QImage Picture3;                           // glyph box

    display::DotFont font_;
    std::int32_t foreColor_ = kDefaultForeColor;
    std::int16_t speed_ = kDefaultSpeed;
    std::int32_t scrollStartWait_ = kDefaultScrollStartWait;
    std::int16_t mode_ = kDefaultMode;
    std::int16_t appearance_ = kDefaultAppearance;
    std::int16_t fontMode_ = kDefaultFontMode;
    bool fontBold_ = kDefaultFontBold;

    Motion motion_;
    bool stopFlag_ = false;    // asks a running scroll loop to end
    bool restartLoop_ = false; // a newer long name for the running loop to scroll
    int loopDepth_ = 0;
    quint64 requestGeneration_ = 0; // counts SetChimei calls; the latest owns the strip
};
