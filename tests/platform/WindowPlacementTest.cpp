// Where the windows go, without a window: twips and pixels, the frame around
// a client area, the reachability of a stored place on several screens.
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Debian's openbox theme: a one-pixel border and a 20-pixel title bar with
// its border above the client area.
const QMargins kFrame(1, 20, 1, 1);
const QSize kPanel(330, 260);
const QSize kDisplay(806, 307);

const QRect kPrimary(0, 0, 1280, 1024);
const QRect kRightOfIt(1280, 0, 1920, 1080);   // a second monitor to the right
const QRect kLeftOfIt(-1024, 200, 1024, 768);  // and one to the left, lower

Placement panelAt(QPoint p) { return {p, Corner::BottomRight, GrabHandle::TitleBar, {}}; }
Placement displayAt(QPoint p) { return {p, Corner::TopLeft, GrabHandle::Face, {}}; }

} // namespace

TEST(Twips, FifteenToThePixelBothWaysOnAnyScreen) {
    EXPECT_EQ(twipsToPixels(14235), 949);
    EXPECT_EQ(pixelsToTwips(949), 14235);
    EXPECT_EQ(twipsToPixels(4995, 3405), QPoint(333, 227));
    // Every pixel position comes back from its twips unchanged, also left of
    // and above the primary screen.
    for (int px : {0, 1, 7, 333, 1279, 40000, -1, -15, -1024, -40000}) EXPECT_EQ(twipsToPixels(pixelsToTwips(px)), px);
    // Twips between pixels (a hand-edited file) go to the pixel nearer zero.
    EXPECT_EQ(twipsToPixels(29), 1);
    EXPECT_EQ(twipsToPixels(-29), -1);
}

TEST(WindowFrame, MarginsAndTheOuterRectangle) {
    const QRect client(334, 247, 330, 260);
    const QRect outer(333, 227, 332, 281);
    EXPECT_EQ(frameMargins(outer, client), kFrame);
    EXPECT_EQ(frameMargins(client, client), QMargins());
    EXPECT_EQ(outerRect(QPoint(333, 227), kPanel, kFrame), outer);
    EXPECT_EQ(outerRect(QPoint(-5, -7), kDisplay, QMargins()), QRect(-5, -7, 806, 307));
    // The title bar is the frame above the client area; a frameless face,
    // and a window whose frame is not known yet, are held anywhere.
    EXPECT_EQ(grabRect(outer, kFrame, GrabHandle::TitleBar), QRect(333, 227, 332, 20));
    EXPECT_EQ(grabRect(outer, QMargins(), GrabHandle::TitleBar), outer);
    EXPECT_EQ(grabRect(outer, kFrame, GrabHandle::Face), outer);
}

TEST(WindowPlacement, AFirstStartPutsTheWindowsInThePrimaryScreensCorners) {
    const std::vector<QRect> screens{kPrimary, kRightOfIt};
    EXPECT_EQ(resolvePlacement({std::nullopt, Corner::TopLeft, GrabHandle::Face, {}}, kDisplay, {}, screens), QPoint(0, 0));
    // The outer corner, frame included, meets the screen's bottom-right.
    const QPoint panel = resolvePlacement({std::nullopt, Corner::BottomRight, GrabHandle::TitleBar, {}}, kPanel, kFrame, screens);
    EXPECT_EQ(outerRect(panel, kPanel, kFrame).bottomRight(), kPrimary.bottomRight());
    EXPECT_EQ(panel, QPoint(948, 743));
    // A primary screen that is not at the origin.
    const std::vector<QRect> shifted{QRect(1920, 100, 1280, 1024), QRect(0, 0, 1920, 1080)};
    EXPECT_EQ(resolvePlacement(displayAt(QPoint(-9000, 0)), kDisplay, {}, shifted), QPoint(1920, 100));
    EXPECT_EQ(cornerPosition(Corner::BottomRight, shifted[0], QSize(332, 281)), QPoint(2868, 843));
}

TEST(WindowPlacement, AReachablePlaceIsTakenExactlyOnAnyScreen) {
    const std::vector<QRect> screens{kPrimary, kRightOfIt, kLeftOfIt};
    for (QPoint p : {QPoint(333, 227), QPoint(0, 0), QPoint(2500, 600), QPoint(-800, 300)}) {
        EXPECT_EQ(resolvePlacement(panelAt(p), kPanel, kFrame, screens), p);
        EXPECT_EQ(resolvePlacement(displayAt(p), kDisplay, {}, screens), p);
    }
    // Mostly off the screens, yet a corner of the title bar still shows: the
    // user can take hold of it.
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(3199, 5)), kPanel, kFrame, screens), QPoint(3199, 5));   // 1 px at the far right
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(-331, 5)), kPanel, kFrame, screens), QPoint(-331, 5));   // 1 px at the left of the primary
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(100, -19)), kPanel, kFrame, screens), QPoint(100, -19)); // its bottom row
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(100, 1023)), kPanel, kFrame, screens), QPoint(100, 1023));
    // The display is held by its face: its lowest row is enough.
    EXPECT_EQ(resolvePlacement(displayAt(QPoint(100, -306)), kDisplay, {}, screens), QPoint(100, -306));
}

TEST(WindowPlacement, AnUnreachablePlaceFallsBackToTheFirstStartCorner) {
    const std::vector<QRect> screens{kPrimary, kRightOfIt, kLeftOfIt};
    const QPoint corner(948, 743);
    // Far off every screen, and just off: the title bar above the top edge
    // while the rest of the panel still shows is out of reach.
    for (QPoint p : {QPoint(40000, -30000), QPoint(3200, 5), QPoint(100, -20), QPoint(100, -200), QPoint(100, 1080),
                     QPoint(-1024 - 332, 300), QPoint(-500, 100), QPoint(-500, 968)})
        EXPECT_EQ(resolvePlacement(panelAt(p), kPanel, kFrame, screens), corner) << p.x() << "," << p.y();
    EXPECT_EQ(resolvePlacement(displayAt(QPoint(100, -307)), kDisplay, {}, screens), QPoint(0, 0));
    EXPECT_EQ(resolvePlacement(displayAt(QPoint(3200, 0)), kDisplay, {}, screens), QPoint(0, 0));
    // The monitor to the right was unplugged since.
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(2500, 600)), kPanel, kFrame, {kPrimary}), corner);
    // With no screen known the stored place stands.
    EXPECT_EQ(resolvePlacement(panelAt(QPoint(40000, 0)), kPanel, kFrame, {}), QPoint(40000, 0));
}

TEST(WindowPlacement, AWidenedWindowMovesLeftOnlyAsFarAsItsRightEdgeNeeds) {
    const std::vector<QRect> screens{kPrimary};
    Placement widened = panelAt(QPoint(900, 300));
    widened.keepRightEdgeIn = kPrimary;
    // 602 pixels wide with its frame: 900 + 602 - 1 is 222 past the edge.
    EXPECT_EQ(resolvePlacement(widened, QSize(600, 260), kFrame, screens), QPoint(678, 300));
    // Room enough: it stays; wider than the area: its left edge holds.
    widened.stored = QPoint(10, 300);
    EXPECT_EQ(resolvePlacement(widened, QSize(600, 260), kFrame, screens), QPoint(10, 300));
    EXPECT_EQ(resolvePlacement(widened, QSize(2000, 260), kFrame, screens), QPoint(0, 300));
    // A first start in the corner, widened, keeps its right edge on the edge.
    widened.stored.reset();
    const QPoint corner = resolvePlacement(widened, QSize(600, 260), kFrame, screens);
    EXPECT_EQ(outerRect(corner, QSize(600, 260), kFrame).right(), kPrimary.right());
}
