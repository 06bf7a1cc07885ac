#include "display/ChimeiCtl_B.h"

#include "display/Accessibility.h"
#include "display/ChimeiLayout.h"
#include "platform/Activity.h"
#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform_ui/QtColor.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace display {

ChimeiCanvas::ChimeiCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ChimeiCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), background);
    p.drawImage(QPoint(0, top), image);
}

} // namespace display

namespace {

constexpr int kViewportWidth = 36;
constexpr int kCanvasWidth = 37;
constexpr int kGlyphBoxSize = 16;

void setBackground(QWidget* w, const QColor& c) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    w->update();
}

// Canvas top for a scroll position. Kept far inside the range of int so a
// loop left running with a negative step cannot overflow.
int topFor(double pos) { return int(std::clamp(std::floor(pos), -1.0e9, 1.0e9)); }

// Nanoseconds between two frames of the screen the strip is on.
qint64 frameIntervalNs(const QWidget* w) {
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    double hz = screen ? screen->refreshRate() : 60.0;
    if (!(hz >= 20.0 && hz <= 240.0)) hz = 60.0;
    return qint64(1.0e9 / hz);
}

} // namespace

ChimeiCtl_B::ChimeiCtl_B(QWidget* parent) : QWidget(parent) {
    display::installAccessibleRoles();
    setAccessibleName(QStringLiteral("停留所名"));
    resize(35, display::chimei::kStripHeight);
    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(0, 0, kViewportWidth, display::chimei::kStripHeight);
    Picture1 = new display::ChimeiCanvas(Picture2);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(0, 0, kCanvasWidth, display::chimei::kStripHeight);
    Picture1->background = platform_ui::toQColor(kDefaultBackColor);
    Picture1->image = QImage(kCanvasWidth, display::chimei::kStripHeight, QImage::Format_RGB32);
    Picture1->image.fill(Picture1->background);
    // The glyph box: white ground, black print, the Gothic at 16 pixels.
    Picture3 = QImage(kGlyphBoxSize, kGlyphBoxSize, QImage::Format_RGB32);
    Picture3.fill(Qt::white);
    setBackground(Picture2, Picture1->background);
}

ChimeiCtl_B::~ChimeiCtl_B() { stopFlag_ = true; }

// ---- properties -------------------------------------------------------------------

std::int32_t ChimeiCtl_B::BackColor() const { return platform_ui::fromQColor(Picture1->background); }

void ChimeiCtl_B::setBackColor(std::int32_t color) {
    Picture1->background = platform_ui::toQColor(color);
    clearCanvas();
    setBackground(Picture2, Picture1->background);
}

void ChimeiCtl_B::setForeColor(std::int32_t color) { foreColor_ = color; }

void ChimeiCtl_B::Refresh() { Picture1->repaint(); }

void ChimeiCtl_B::setAppearance(std::int16_t appearance) {
    appearance_ = appearance;
    setBackColor(BackColor());
    if (appearance == 0)
        Picture2->resize(35, 185);
    else
        Picture2->resize(37, 195);
    Picture1->resize(kCanvasWidth, Picture2->height());
}

int ChimeiCtl_B::canvasTop() const { return Picture1->top; }
int ChimeiCtl_B::canvasHeight() const { return Picture1->image.height(); }
int ChimeiCtl_B::viewportHeight() const { return Picture2->height(); }
QSize ChimeiCtl_B::viewportSize() const { return Picture2->size().boundedTo(size()); }
const QImage& ChimeiCtl_B::canvasImage() const { return Picture1->image; }

void ChimeiCtl_B::clearCanvas() {
    Picture1->image.fill(Picture1->background);
    Picture1->update();
    setShownName(QString());
    motion_.scrolls = false;
    setMotion(Motion::Phase::Still, true);
}

void ChimeiCtl_B::setMotion(Motion::Phase phase, bool newCanvas) {
    if (newCanvas) ++motion_.canvas;
    motion_.phase = phase;
    motion_.sinceMs = platform::steadyMs();
    emit motionChanged();
}

void ChimeiCtl_B::setShownName(const QString& name) {
    // A reader hears the name the strip shows, or nothing on a blank strip.
    if (name != accessibleDescription()) setAccessibleDescription(name);
}

void ChimeiCtl_B::setCanvasTop(int top, bool now) {
    if (Picture1->top == top) return;
    Picture1->top = top;
    // The scroll loop paints its frame at once; a posted update would wake
    // the event loop once more before the frame's wait.
    if (now)
        Picture1->repaint();
    else
        Picture1->update();
}

// ---- persistence --------------------------------------------------------------------

void ChimeiCtl_B::WriteProperties(display::PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("BackColor"), qint32(BackColor()), kDefaultBackColor);
    bag.WriteProperty(QStringLiteral("ForeColor"), qint32(foreColor_), kDefaultForeColor);
    bag.WriteProperty(QStringLiteral("Speed"), int(speed_), int(kDefaultSpeed));
    bag.WriteProperty(QStringLiteral("ScrollStartWait"), qint32(scrollStartWait_), kDefaultScrollStartWait);
    bag.WriteProperty(QStringLiteral("Mode"), int(mode_), int(kDefaultMode));
    bag.WriteProperty(QStringLiteral("Appearance"), int(appearance_), int(kDefaultAppearance));
    bag.WriteProperty(QStringLiteral("FontMode"), int(fontMode_), int(kDefaultFontMode));
    bag.WriteProperty(QStringLiteral("FontBold"), fontBold_, kDefaultFontBold);
}

void ChimeiCtl_B::ReadProperties(const display::PropertyBag& bag) {
    auto int16 = [&bag](const QString& key, std::int16_t fallback) {
        return std::int16_t(bag.ReadProperty(key, int(fallback)).toInt());
    };
    auto int32 = [&bag](const QString& key, std::int32_t fallback) {
        return std::int32_t(bag.ReadProperty(key, qint32(fallback)).toLongLong());
    };
    // In the saved order: colours to canvas and viewport, the border style
    // without a resize, the rest as stored.
    setBackColor(int32(QStringLiteral("BackColor"), kDefaultBackColor));
    foreColor_ = int32(QStringLiteral("ForeColor"), kDefaultForeColor);
    speed_ = int16(QStringLiteral("Speed"), kDefaultSpeed);
    scrollStartWait_ = int32(QStringLiteral("ScrollStartWait"), kDefaultScrollStartWait);
    mode_ = int16(QStringLiteral("Mode"), kDefaultMode);
    appearance_ = int16(QStringLiteral("Appearance"), kDefaultAppearance);
    fontMode_ = int16(QStringLiteral("FontMode"), kDefaultFontMode);
    fontBold_ = bag.ReadProperty(QStringLiteral("FontBold"), kDefaultFontBold).toBool();
}

// ---- drawing ------------------------------------------------------------------------

void ChimeiCtl_B::DrawDot16(std::int32_t x, std::int32_t y, const QString& text) {
    QByteArray unit = cp932::encode(text);
    DrawDot16(x, y, unit);
}

void ChimeiCtl_B::DrawDot16(std::int32_t x, std::int32_t y, QByteArray& unit) {
    Picture3.fill(Qt::white);
    if (unit.isEmpty()) return;
    const display::chimei::GlyphPlan plan = display::chimei::planGlyph(unit, fontMode_);
    if (plan.stroke) unit = cp932::encode(plan.text);
    const QString& face =
        plan.typeface == display::chimei::Typeface::Mincho ? display::kMinchoTypeface : display::kGothicTypeface;
    font_.print(Picture3, plan.offset, plan.text, face, fontBold_);

    // Every pure black pixel of the box lights one dot; dots sit two pixels
    // apart, so a 16-dot character covers 32 x 32 pixels of the canvas.
    QImage& canvas = Picture1->image;
    const QRgb lit = platform_ui::toQRgb(foreColor_);
    const QRgb black = qRgb(0, 0, 0);
    for (int gx = 0; gx < kGlyphBoxSize; ++gx) {
        for (int gy = 0; gy < kGlyphBoxSize; ++gy) {
            if ((Picture3.pixel(gx, gy) & 0xFFFFFF) != (black & 0xFFFFFF)) continue;
            // Turned signs are mirrored across the diagonal: a horizontal
            // bracket or arrow becomes its vertical form.
            const qint64 cx = qint64(x) + 2 * qint64(plan.turned ? gy : gx);
            const qint64 cy = qint64(y) + 2 * qint64(plan.turned ? gx : gy);
            if (cx < 0 || cy < 0 || cx >= canvas.width() || cy >= canvas.height()) continue;
            canvas.setPixel(int(cx), int(cy), lit);
        }
    }
    Picture1->update();
}

// ---- showing a name -----------------------------------------------------------------

void ChimeiCtl_B::SetChimei(const QString& strText) {
    QPointer<ChimeiCtl_B> self(this);
    // Whatever is asked for last owns the strip. Handlers run at both event
    // points below may ask for a newer name (the panel's "データ送り" pressed
    // twice quickly) or a blank strip; the older call then draws nothing more.
    const quint64 generation = ++requestGeneration_;
    platform::waits().DoEvents();
    if (!self || generation != requestGeneration_) return;
    clearCanvas();
    setBackground(Picture2, Picture1->background);
    if (strText.isEmpty()) {
        // The strip goes blank; a loop still running keeps going with it.
        setCanvasTop(0);
        return;
    }
    const display::chimei::NameLayout layout = display::chimei::layoutName(cp932::encode(strText), mode_);

    Picture1->image = QImage(kCanvasWidth, layout.canvasHeight, QImage::Format_RGB32);
    Picture1->image.fill(Picture1->background);
    // A scrolling name starts below the strip; a short one stands in it.
    setCanvasTop(layout.scrolls ? viewportHeight() : 0);
    for (const auto& placed : layout.units) {
        QByteArray unit = placed.bytes;
        DrawDot16(display::chimei::kUnitLeft, placed.top, unit);
    }
    Picture1->update();
    setShownName(strText);
    motion_.scrolls = layout.scrolls;
    setMotion(layout.scrolls ? Motion::Phase::Waiting : Motion::Phase::Still, true);

    platform::waits().DoEvents();
    // A newer request made just now owns the strip and any loop.
    if (!self || generation != requestGeneration_) return;
    stopFlag_ = true; // ends the loop of an earlier name, if one runs
    if (!layout.scrolls) return;
    stopFlag_ = false;
    if (loopDepth_ > 0) {
        // This call comes from an event handled inside the loop of an earlier
        // name. That loop takes the new name over and starts it below the
        // strip after the start wait, as a loop of its own would; a loop of
        // its own would nest one deeper with every stop change made while a
        // name scrolls, until a long ride ran out of stack.
        restartLoop_ = true;
        return;
    }
    runScrollLoop();
}

// The blank strip held for the start wait, in which the device stands still.
void ChimeiCtl_B::startWait(platform::Waits& waits) {
    setMotion(Motion::Phase::Waiting, false);
    const platform::ActivityScope waiting(platform::Activity::StripWait);
    waits.Sleep(scrollStartWait_);
}

// The loop runs on the user-interface thread and hands the event loop every
// moment it does not need, so the panel stays usable and a scrolling name
// costs little. Position advances by elapsed time at the nominal pass rate;
// the canvas is moved at most once per display frame.
void ChimeiCtl_B::runScrollLoop() {
    QPointer<ChimeiCtl_B> self(this);
    platform::Waits& waits = platform::waits();
    const platform::Clock& clock = platform::clock();
    struct Depth {
        ChimeiCtl_B* owner;
        QPointer<ChimeiCtl_B> alive;
        ~Depth() {
            if (alive) --owner->loopDepth_;
        }
    } depth{this, self};
    ++loopDepth_;

    // Each round scrolls one name: the first, or a newer one handed over by
    // SetChimei while this loop ran.
    do {
        restartLoop_ = false;
        // The name waits below the strip: show the blank strip for the start wait.
        Picture2->repaint();
        startWait(waits);
        if (speed_ == 0) speed_ = 1;
        waits.DoEvents();
        if (!self || stopFlag_) return;
        if (restartLoop_) continue;

        const int vh = viewportHeight();
        double pos = vh;
        setCanvasTop(vh);
        const qint64 frameNs = frameIntervalNs(this);
        qint64 last = clock.monotonicNs();
        setMotion(Motion::Phase::Moving, false);
        qint64 nextFrame = last;
        double owedPasses = 0.0;

        while (!stopFlag_ && !restartLoop_) {
            const qint64 now = clock.monotonicNs();
            if (now >= nextFrame) {
                owedPasses += double(now - last) * kScrollPassesPerSecond / 1.0e9;
                last = now;
                bool wrapped = false;
                while (owedPasses >= 1.0) {
                    owedPasses -= 1.0;
                    pos -= speed_ / 200.0;
                    if (topFor(pos) + canvasHeight() <= -vh) {
                        // The name has gone one strip height past the top: start
                        // the next cycle below the strip after the start wait.
                        pos = vh;
                        setCanvasTop(vh);
                        Picture2->repaint();
                        waits.DoEvents();
                        if (!self) return;
                        if (stopFlag_ || restartLoop_) break;
                        startWait(waits);
                        owedPasses = 0.0;
                        last = clock.monotonicNs();
                        setMotion(Motion::Phase::Moving, false);
                        wrapped = true;
                        break;
                    }
                    // Nothing moves without a positive step: do not count out the
                    // passes of a long stall one by one.
                    if (speed_ <= 0 && owedPasses >= 1.0) {
                        const double rest = std::floor(owedPasses);
                        pos -= rest * (speed_ / 200.0);
                        owedPasses -= rest;
                    }
                }
                if (stopFlag_ || restartLoop_) break;
                if (!wrapped) setCanvasTop(topFor(pos), true);
                const qint64 done = clock.monotonicNs();
                nextFrame += frameNs;
                if (nextFrame <= done) nextFrame = done + frameNs; // fell behind: no catching up in bursts
            }
            const qint64 remainingNs = nextFrame - clock.monotonicNs();
            waits.WaitForEvents(std::max(1, int((remainingNs + 999'999) / 1'000'000)));
            if (!self) return;
        }
    } while (restartLoop_ && !stopFlag_);
}
