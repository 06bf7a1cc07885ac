// Rounded window regions: what is cut from each corner.
#include "platform_ui/Regions.h"

#include <gtest/gtest.h>

TEST(RoundRectRegion, SmallCornersLoseOnePixelLargerOnesFollowTheEllipse) {
    // A keypad key: (2, 2) to (28, 25) with 2 x 2 corners.
    const QRegion key = platform_ui::roundRectRegion(QRect(2, 2, 26, 23), 2, 2);
    EXPECT_EQ(key.boundingRect(), QRect(2, 2, 26, 23));
    for (const QPoint corner : {QPoint(2, 2), QPoint(27, 2), QPoint(2, 24), QPoint(27, 24)})
        EXPECT_FALSE(key.contains(corner)) << corner.x() << "," << corner.y();
    for (const QPoint inside : {QPoint(3, 2), QPoint(2, 3), QPoint(26, 24), QPoint(15, 13)}) EXPECT_TRUE(key.contains(inside));
    EXPECT_FALSE(key.contains(QPoint(1, 10)));
    EXPECT_FALSE(key.contains(QPoint(28, 10)));

    // A 10 x 10 corner cuts deeper at the edge than further in, on all four
    // corners alike.
    const QRegion round = platform_ui::roundRectRegion(QRect(0, 0, 40, 30), 10, 10);
    EXPECT_FALSE(round.contains(QPoint(4, 0)));
    EXPECT_TRUE(round.contains(QPoint(5, 0)));
    EXPECT_FALSE(round.contains(QPoint(0, 2)));
    EXPECT_TRUE(round.contains(QPoint(2, 2)));
    EXPECT_FALSE(round.contains(QPoint(35, 29)));
    EXPECT_TRUE(round.contains(QPoint(34, 29)));
    EXPECT_TRUE(round.contains(QPoint(0, 15)));

    EXPECT_TRUE(platform_ui::roundRectRegion(QRect(), 2, 2).isEmpty());
    EXPECT_EQ(platform_ui::roundRectRegion(QRect(0, 0, 5, 5), 0, 0), QRegion(0, 0, 5, 5));
}
