#include "platform_ui/WindowPlacer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace platform_ui {

namespace {

// The native window's own record is asked first: it holds what the window
// system last reported, frame included, while the widget's copy of its place
// can lag behind the window manager's moves.
QWindow* nativeWindow(const QWidget& window) {
    QWindow* handle = window.windowHandle();
    return handle && window.testAttribute(Qt::WA_WState_Created) ? handle : nullptr;
}

QMargins frameOf(const QWidget& window) {
    if (const QWindow* handle = nativeWindow(window)) return handle->frameMargins();
    return platform::frameMargins(window.frameGeometry(), window.geometry());
}

// The size the window is to have. A window of fixed size has it whatever
// the window system last reported: a report still on its way from before a
// resize would otherwise place it for its old size.
QSize intendedSize(const QWidget& window) {
    return window.minimumSize() == window.maximumSize() ? window.minimumSize() : window.size();
}

QPoint resolve(const QWidget& window, const platform::Placement& placement) {
    return platform::resolvePlacement(placement, intendedSize(window), frameOf(window), screenRects());
}

void apply(QWidget& window, const platform::Placement& placement) {
    const QPoint outer = resolve(window, placement);
    // A native window is placed by its frame's corner, so that a window
    // manager that has not drawn the frame yet puts the frame, not the client
    // area, there; the widget follows when the window system reports the
    // move. (Mixing in a move of the widget would ask for the client area at
    // the same point, and the window manager may honour either.) Before the
    // native window exists, a move of the widget places the frame's corner.
    if (QWindow* handle = nativeWindow(window))
        handle->setFramePosition(outer);
    else
        window.move(outer);
}

// Works the placement out again when the window first comes on the screen,
// when the window manager has drawn the frame and its size is known, and
// moves the frame there if it is not there already; then goes. Most window
// managers have put the frame's corner where it was asked for; the window
// stays as it is then.
class PlacementKeeper final : public QObject {
public:
    explicit PlacementKeeper(QWidget& window) : QObject(&window), window_(&window) {
        window.installEventFilter(this);
        watchHandle();
    }

    // Places the window now, with the frame as far as it is known.
    void place(const platform::Placement& placement) {
        placement_ = placement;
        apply(*window_, placement_);
    }
    const platform::Placement& placement() const { return placement_; }
    // Changes what is worked out when the window comes on the screen,
    // without asking the window system for anything meanwhile: a second
    // request before the frame is drawn may be taken for the client area's
    // place.
    void amend(const platform::Placement& placement) { placement_ = placement; }

    static PlacementKeeper* of(QWidget& window) {
        for (QObject* child : window.children())
            if (auto* keeper = dynamic_cast<PlacementKeeper*>(child); keeper && !keeper->settled_) return keeper;
        return nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) watchHandle();
        if (!settled_ && handle_ && watched == handle_ && event->type() == QEvent::Expose && handle_->isExposed()) {
            settled_ = true;
            const QPoint outer = resolve(*window_, placement_);
            if (outerTopLeft(*window_) != outer) handle_->setFramePosition(outer);
            deleteLater();
        }
        return false;
    }

private:
    void watchHandle() {
        QWindow* handle = window_->windowHandle();
        if (!handle || handle == handle_) return;
        handle_ = handle;
        handle->installEventFilter(this);
    }

    QPointer<QWidget> window_;
    QPointer<QWindow> handle_;
    platform::Placement placement_;
    bool settled_ = false;
};

} // namespace

std::vector<QRect> screenRects() {
    std::vector<QRect> rects;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) rects.push_back(primary->geometry());
    for (const QScreen* s : QGuiApplication::screens())
        if (s != primary) rects.push_back(s->geometry());
    return rects;
}

void placeWindow(QWidget& window, const platform::Placement& placement) {
    PlacementKeeper* keeper = PlacementKeeper::of(window);
    const QWindow* handle = window.windowHandle();
    if (handle && handle->isExposed()) {
        // On the screen already: the frame is what it is.
        delete keeper;
        apply(window, placement);
        return;
    }
    if (!keeper) keeper = new PlacementKeeper(window);
    keeper->place(placement);
}

void keepRightEdgeIn(QWidget& window, const QRect& area) {
    // While the window waits for its frame, its corner is the one it was
    // asked for, not where it seems to be now.
    if (PlacementKeeper* keeper = PlacementKeeper::of(window)) {
        platform::Placement placement = keeper->placement();
        placement.keepRightEdgeIn = area;
        keeper->amend(placement);
        return;
    }
    platform::Placement placement;
    placement.stored = outerTopLeft(window);
    placement.keepRightEdgeIn = area;
    placeWindow(window, placement);
}

QPoint outerTopLeft(const QWidget& window) {
    if (const QWindow* handle = nativeWindow(window)) return handle->framePosition();
    return window.frameGeometry().topLeft();
}

} // namespace platform_ui
