// The panel's rules without a window: keypad entry, the route and section an
// entry stands for, what route setting takes from a fare data file, the
// values the fare cells get, and the ticket date.
#include "panel/PanelLogic.h"
#include "route/FareDataFile.h"
#include "tests/route/HandMadeFare.h"
#include "route/mdlOrv_000.h"

#include <gtest/gtest.h>

using namespace panel;

namespace {

std::vector<int> cellsOf(const std::vector<CellWrite>& writes) {
    std::vector<int> cells;
    for (const CellWrite& w : writes) cells.push_back(w.cell);
    return cells;
}

// The value the cell shows last (a later write covers an earlier one).
QVariant finalValue(const std::vector<CellWrite>& writes, int cell) {
    QVariant v;
    for (const CellWrite& w : writes)
        if (w.cell == cell) v = w.value;
    return v;
}

route::FareData rows(int count, int firstFare = 100) {
    route::FareData data;
    for (int r = 1; r <= count; ++r) {
        route::FareRecord rec;
        rec.NameBytes = QByteArray("S") + QByteArray::number(r);
        rec.TicketNo = std::int16_t(r);
        rec.Cols.fill(-1);
        rec.Cols[0] = std::int16_t(firstFare + r);
        data.Rows.push_back(rec);
    }
    return data;
}

route::FareDataResult decoded(const HandMadeFare& file) { return route::decodeFareData(file.bytes); }

} // namespace

TEST(Keypad, DigitsGoToTheTargetDisplayUpToItsLength) {
    KeypadEntry entry;
    // Before any target key the digits go to the section display.
    entry.press(1);
    entry.press(2);
    EXPECT_EQ(entry.section, QStringLiteral("12"));
    EXPECT_TRUE(entry.route.isEmpty());

    entry.press(kKeyRoute);
    EXPECT_TRUE(entry.toRoute);
    for (int key : {0, 0, 0, 1, 2, 3}) entry.press(key);
    EXPECT_EQ(entry.route, QStringLiteral("00012")) << "the sixth digit does not fit";
    EXPECT_EQ(entry.section, QStringLiteral("12"));

    // The target key empties its display; the section holds three digits.
    entry.press(kKeySection);
    EXPECT_FALSE(entry.toRoute);
    EXPECT_TRUE(entry.section.isEmpty());
    for (int key : {9, 9, 9, 9}) entry.press(key);
    EXPECT_EQ(entry.section, QStringLiteral("999"));
    entry.press(kKeyRoute);
    EXPECT_TRUE(entry.route.isEmpty());
    EXPECT_EQ(entry.section, QStringLiteral("999"));
    entry.press(12);
    entry.press(-1);
    EXPECT_TRUE(entry.route.isEmpty());
}

TEST(Entry, NumbersSectionsAndRouteNumbers) {
    EXPECT_EQ(leadingNumber(QStringLiteral("00012")), 12);
    EXPECT_EQ(leadingNumber(QString()), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral("12a3")), 12);
    EXPECT_EQ(leadingNumber(QStringLiteral("  7")), 7);
    EXPECT_EQ(leadingNumber(QStringLiteral("-5")), 0);
    EXPECT_GT(leadingNumber(QString(60, QLatin1Char('9'))), 0) << "a long text must not wrap";

    EXPECT_EQ(clampSection(0), 1);
    EXPECT_EQ(clampSection(1), 1);
    EXPECT_EQ(clampSection(300), 300);
    EXPECT_EQ(clampSection(301), 300);
    EXPECT_EQ(clampSection(999), 300);

    EXPECT_EQ(routeNumberText(QStringLiteral("00012")), QStringLiteral("12"));
    EXPECT_EQ(routeNumberText(QString()), QStringLiteral("0"));
    EXPECT_EQ(routeNumberText(QStringLiteral("99999")), QStringLiteral("99999"));

    // Wheels without a choice count as 0.
    EXPECT_EQ(wheelDigits({-1, -1, 0, 1, 2}), QStringLiteral("00012"));
    EXPECT_EQ(wheelDigits({-1, -1, -1}), QStringLiteral("000"));
    EXPECT_EQ(wheelDigits({9, 0, 5}), QStringLiteral("905"));
}

class RouteSetting : public ::testing::Test {
protected:
    void SetUp() override {
        mdlOrv_000::resetState();
        ASSERT_TRUE(takeFareData(QStringLiteral("7"), 2, rows(10)).loaded);
    }
    void TearDown() override { mdlOrv_000::resetState(); }
    const mdlOrv_000::RunState& s() const { return mdlOrv_000::state(); }
    // The route of SetUp is still in place: table, count, position.
    void expectFirstRouteKept() const {
        EXPECT_EQ(s().RowCount, 10);
        EXPECT_EQ(s().CurrentRow, 1);
        EXPECT_EQ(s().FareTable[0].StopName, QStringLiteral("S1"));
        EXPECT_EQ(s().FareTable[9].Cols[0], 110);
    }
};

TEST_F(RouteSetting, AGoodFilePutsTheBusAtTheSection) {
    EXPECT_EQ(s().RouteText, QStringLiteral("7"));
    EXPECT_EQ(s().StartSection, 2);
    const RouteSetOutcome next = takeFareData(QStringLiteral("00012"), 4, rows(5, 200));
    EXPECT_TRUE(next.loaded);
    EXPECT_EQ(s().RouteText, QStringLiteral("00012"));
    EXPECT_EQ(s().StartSection, 4);
    EXPECT_EQ(s().RowCount, 5);
    EXPECT_EQ(s().CurrentRow, 3);
    EXPECT_EQ(s().FareTable[4].Cols[0], 205);
    // Rows beyond the new file are emptied.
    EXPECT_TRUE(s().FareTable[5].StopName.isEmpty());
    EXPECT_EQ(s().FareTable[9].Cols[0], 0);
}

TEST_F(RouteSetting, MessagesTakeTheEntryButKeepTheTableAndPosition) {
    route::FareDataError missing;
    missing.Problem = route::FareDataError::Kind::FileMissing;
    RouteSetOutcome out = takeFareData(QStringLiteral("00099"), 5, missing);
    EXPECT_FALSE(out.loaded);
    EXPECT_EQ(out.message, QStringLiteral("指定した系統のデータがありません..."));
    EXPECT_EQ(s().RouteText, QStringLiteral("00099"));
    EXPECT_EQ(s().StartSection, 5); // the next advance works from here
    expectFirstRouteKept();

    out = takeFareData(QStringLiteral("3"), 1, decoded(HandMadeFare().i16(0)));
    EXPECT_EQ(out.message, QStringLiteral("指定した系統はデータの数が0(未登録)の可能性があります..."));
    EXPECT_EQ(s().RowCount, 0);
    EXPECT_EQ(s().CurrentRow, 1);
    EXPECT_EQ(s().FareTable[0].StopName, QStringLiteral("S1"));
}

TEST_F(RouteSetting, TheRunCannotStartAtTheLastStop) {
    const QString message = QStringLiteral("指定した区間はデータの数よりも多いです...\r\n  解決法：正しい区間を入力して下さい.");
    // One row: no section at all.
    for (std::int16_t section : {1, 2, 300}) {
        const RouteSetOutcome out = takeFareData(QStringLiteral("4"), section, rows(1));
        EXPECT_FALSE(out.loaded) << section;
        EXPECT_EQ(out.message, message);
        EXPECT_EQ(s().RowCount, 1);
        EXPECT_EQ(s().StartSection, section);
        EXPECT_EQ(s().CurrentRow, 1);
        EXPECT_EQ(s().FareTable[0].StopName, QStringLiteral("S1"));
    }
    // Three rows: sections 1 and 2 only.
    EXPECT_FALSE(takeFareData(QStringLiteral("4"), 3, rows(3)).loaded);
    EXPECT_TRUE(takeFareData(QStringLiteral("4"), 2, rows(3)).loaded);
    // A negative count gets the same message.
    const RouteSetOutcome negative = takeFareData(QStringLiteral("4"), 1, decoded(HandMadeFare().i16(-3)));
    EXPECT_EQ(negative.message, message);
    EXPECT_EQ(s().RowCount, -3);
}

TEST_F(RouteSetting, ARefusedFileChangesNothingAtAll) {
    // Cut off in its third row, and far too long: the reader refuses each
    // whole, so no half-new table is left behind.
    HandMadeFare cut;
    cut.i16(5).row("A", 1, {100}).row("B", 2, {200}).i16(1).raw("C");
    const RouteSetOutcome damaged = takeFareData(QStringLiteral("00012"), 1, decoded(cut));
    EXPECT_FALSE(damaged.loaded);
    EXPECT_TRUE(damaged.message.contains(QStringLiteral("壊れています"))) << damaged.message.toStdString();
    EXPECT_EQ(s().RouteText, QStringLiteral("7"));
    EXPECT_EQ(s().StartSection, 2);
    expectFirstRouteKept();

    const RouteSetOutcome tooMany = takeFareData(QStringLiteral("5"), 1, decoded(HandMadeFare().i16(400)));
    EXPECT_TRUE(tooMany.message.contains(QStringLiteral("400"))) << tooMany.message.toStdString();
    EXPECT_EQ(s().StartSection, 2);
    expectFirstRouteKept();

    // A cut-off file whose count cannot hold the section is a section
    // problem first, as the count is read before the rows.
    const RouteSetOutcome section = takeFareData(QStringLiteral("6"), 9, decoded(cut));
    EXPECT_EQ(section.message, sectionTooLargeMessage());
    EXPECT_EQ(s().RowCount, 5);
    EXPECT_EQ(s().CurrentRow, 1);
}

TEST(FareCells, FaresFromTheStartSectionDoubledAtLateNight) {
    route::FareRow row;
    row.Cols.fill(0);
    row.Cols[4] = 230;
    row.Cols[5] = -1;
    row.Cols[6] = 0;
    row.Cols[7] = 20000; // beyond what 16 bits hold when doubled
    row.Cols[83] = 840;
    const InfoDigits none;

    const auto day = fareCellWrites(row, 1, 5, false, none, QString());
    ASSERT_EQ(day.size(), 80u);
    EXPECT_EQ(day.front().cell, 5) << "cells before the start section are not written";
    EXPECT_EQ(finalValue(day, 5), QVariant(230));
    EXPECT_EQ(finalValue(day, 84), QVariant(840));

    const auto night = fareCellWrites(row, 1, 5, true, none, QString());
    EXPECT_EQ(finalValue(night, 5), QVariant(460));
    EXPECT_EQ(finalValue(night, 6), QVariant(-1));
    EXPECT_EQ(finalValue(night, 7), QVariant(0));
    EXPECT_EQ(finalValue(night, 8), QVariant(40000));

    EXPECT_TRUE(fareCellWrites(row, 1, 85, true, none, QString()).empty());
    EXPECT_EQ(fareCellWrites(row, 1, 1, false, none, QString()).size(), 84u);
}

TEST(FareCells, InfoDigitsInTheirOrderOverTheFares) {
    route::FareRow row;
    row.Cols.fill(150);
    row.TicketNo = 6;
    row.Cols[149] = 2;
    InfoDigits info;
    info.stopOrderOn = true;
    info.stopOrderCell = 0; // cell 1, below the start section
    info.ticketNumOn = true;
    info.ticketNumCell = 9;
    info.routeNumOn = true;
    info.routeNumCell = 9; // the same cell: the route number, later, wins
    info.columnOn = true;
    info.columnIndex = 149;
    info.columnCell = 83;

    const auto writes = fareCellWrites(row, 7, 5, true, info, QStringLiteral("00012"));
    EXPECT_EQ(finalValue(writes, 1), QVariant(7));
    EXPECT_EQ(finalValue(writes, 10), QVariant(QStringLiteral("00012"))) << "as entered, leading zeros kept";
    EXPECT_EQ(finalValue(writes, 84), QVariant(2)) << "info digits are never doubled";
    EXPECT_EQ(finalValue(writes, 5), QVariant(300));
    const std::vector<int> cells = cellsOf(writes);
    const std::vector<int> tail(cells.end() - 4, cells.end());
    EXPECT_EQ(tail, (std::vector<int>{1, 10, 10, 84}));

    info.stopOrderFromZero = true;
    EXPECT_EQ(finalValue(fareCellWrites(row, 1, 5, false, info, QString()), 1), QVariant(0));

    // Cells and columns outside the lists write nothing.
    InfoDigits outside;
    outside.stopOrderOn = true;
    outside.stopOrderCell = -1;
    outside.columnOn = true;
    outside.columnIndex = -1;
    outside.columnCell = 0;
    outside.routeNumOn = true;
    outside.routeNumCell = 84;
    EXPECT_TRUE(fareCellWrites(row, 1, 85, false, outside, QStringLiteral("1")).empty());
}

TEST(TicketDate, KeptAtRouteSettingAndPrinted) {
    const QDate day(2026, 3, 5);
    EXPECT_EQ(pluginTicketDateText(day), QStringLiteral("03-05-2026"));
    const QString fixed = QStringLiteral("2009/03/05");
    EXPECT_EQ(routeSetTicketDate(TicketDateMode::PerPrint, day, fixed, QString()), QStringLiteral("03-05-2026"));
    EXPECT_EQ(routeSetTicketDate(TicketDateMode::AtRouteSet, day, fixed, QString()), QStringLiteral("03-05-2026"));
    EXPECT_EQ(routeSetTicketDate(TicketDateMode::Fixed, day, fixed, QString()), fixed);
    EXPECT_EQ(routeSetTicketDate(TicketDateMode::None, day, fixed, QStringLiteral("x")), QStringLiteral("x"));

    const QDate nextDay = day.addDays(1);
    EXPECT_EQ(printTicketDate(TicketDateMode::PerPrint, nextDay, QStringLiteral("03-05-2026"), fixed),
              QStringLiteral("03-06-2026"));
    EXPECT_EQ(printTicketDate(TicketDateMode::AtRouteSet, nextDay, QStringLiteral("03-05-2026"), fixed),
              QStringLiteral("03-05-2026"));
    EXPECT_EQ(printTicketDate(TicketDateMode::Fixed, nextDay, QString(), fixed), fixed);
    EXPECT_EQ(printTicketDate(TicketDateMode::None, nextDay, QString(), fixed), fixed);
}
