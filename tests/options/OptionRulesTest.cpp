// The ticket-number label texts of the twelve numbering schemes.
#include "options/TicketLabels.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace options;

TEST(TicketLabelTexts, NumbersAreFullWidthAndOptionallyTwoDigits) {
    EXPECT_EQ(toFullWidth(QStringLiteral("0123456789")), QStringLiteral("０１２３４５６７８９"));
    EXPECT_EQ(toFullWidth(QStringLiteral("A-1 ")), QStringLiteral("Ａ－１　"));
    EXPECT_EQ(ticketNumberText(0, true), QStringLiteral("００"));
    EXPECT_EQ(ticketNumberText(7, true), QStringLiteral("０７"));
    EXPECT_EQ(ticketNumberText(12, true), QStringLiteral("１２"));
    EXPECT_EQ(ticketNumberText(7, false), QStringLiteral("７"));
    EXPECT_EQ(ticketNumberText(84, false), QStringLiteral("８４"));
}

TEST(TicketLabelTexts, TheTwelveSchemes) {
    auto plan = ticketLabelPlan(0, 0);
    EXPECT_EQ(plan.firstPoints, kNumberPoints);
    for (int k = 1; k <= 84; ++k) EXPECT_EQ(plan.texts[size_t(k)], ticketNumberText(k, false)) << k;

    plan = ticketLabelPlan(1, 1);
    EXPECT_EQ(plan.texts[1], QStringLiteral("００"));
    EXPECT_EQ(plan.texts[10], QStringLiteral("０９"));
    EXPECT_EQ(plan.texts[84], QStringLiteral("８３"));
    EXPECT_EQ(plan.firstPoints, kNumberPoints);

    plan = ticketLabelPlan(3, 0);
    EXPECT_EQ(plan.texts[1], QStringLiteral("な し"));
    EXPECT_EQ(plan.firstPoints, kWordPoints);
    EXPECT_EQ(plan.texts[2], QStringLiteral("２"));
    EXPECT_EQ(plan.texts[84], QStringLiteral("８４"));

    plan = ticketLabelPlan(10, 0);
    EXPECT_EQ(plan.texts[1], QString());
    EXPECT_EQ(plan.texts[2], QStringLiteral("１"));
    EXPECT_EQ(plan.texts[84], QStringLiteral("８３"));

    // Each pair of schemes shares its word; the even one counts from 1 at
    // label 2, the odd one from 2.
    const QString words[] = {QStringLiteral("な し"), QStringLiteral("無 券"), QStringLiteral("券なし"),
                             QStringLiteral("券無し"), QString()};
    for (int scheme = 2; scheme <= 11; ++scheme) {
        plan = ticketLabelPlan(scheme, 1);
        EXPECT_EQ(plan.texts[1], words[(scheme - 2) / 2]) << scheme;
        EXPECT_EQ(plan.texts[2], scheme % 2 == 0 ? QStringLiteral("０１") : QStringLiteral("０２")) << scheme;
        EXPECT_EQ(plan.firstPoints, kWordPoints);
    }
}

TEST(TicketLabelTexts, GreyZeroPadAndSchemesBeyondTheList) {
    // Only a checked box pads.
    EXPECT_EQ(ticketLabelPlan(0, 2).texts[5], QStringLiteral("５"));
    // A damaged file's scheme numbers no label: below 0 only label 1's size
    // is set; above 11 label 1 becomes empty at the word size.
    auto plan = ticketLabelPlan(-1, 0);
    EXPECT_EQ(plan.firstPoints, kNumberPoints);
    for (int k = 1; k <= 84; ++k) EXPECT_FALSE(plan.texts[size_t(k)].has_value()) << k;
    plan = ticketLabelPlan(12, 0);
    EXPECT_EQ(plan.firstPoints, kWordPoints);
    EXPECT_EQ(plan.texts[1], QString());
    for (int k = 2; k <= 84; ++k) EXPECT_FALSE(plan.texts[size_t(k)].has_value()) << k;
}
