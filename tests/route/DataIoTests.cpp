#include "route/DataIo.h"
#include "tests/support/QtPrinters.h"
#include "route/mdlOrv_000.h"

#include <gtest/gtest.h>

namespace {
const route::FareRow& tableRow(int r) { return mdlOrv_000::state().FareTable[size_t(r - 1)]; }

class DataIoTest : public ::testing::Test {
protected:
    void SetUp() override { mdlOrv_000::resetState(); }
    void TearDown() override { mdlOrv_000::resetState(); }
};
} // namespace

TEST_F(DataIoTest, ColumnsMapToNameTicketAndFares) {
    DataIo::SetTableData(1, 1, QStringLiteral("本町"));
    DataIo::SetTableData(1, 2, 7);
    DataIo::SetTableData(1, 3, 170);
    DataIo::SetTableData(301, 152, -1);
    DataIo::SetTableData(301, 152 - 1, QStringLiteral("250"));
    DataIo::SetTableData(2, 1, QVariant(QStringLiteral("東")));
    DataIo::SetTableData(2, 4, QVariant(qint64(-1)));
    EXPECT_EQ(tableRow(1).StopName, QStringLiteral("本町"));
    EXPECT_EQ(tableRow(1).TicketNo, 7);
    EXPECT_EQ(tableRow(1).Cols[0], 170);
    EXPECT_EQ(tableRow(301).Cols[149], -1);
    EXPECT_EQ(tableRow(301).Cols[148], 250);
    EXPECT_EQ(tableRow(2).StopName, QStringLiteral("東"));
    EXPECT_EQ(tableRow(2).Cols[1], -1);
}

TEST_F(DataIoTest, OutOfRangeIsRefusedAndChangesNothing) {
    DataIo::SetTableData(5, 4, 300);
    const auto before = mdlOrv_000::state().FareTable;
    for (auto [row, col] : {std::pair{0, 1}, {302, 1}, {-1, 3}, {1, 0}, {1, 153}, {301, 200}}) {
        try {
            DataIo::SetTableData(row, col, 1);
            ADD_FAILURE() << "row " << row << " column " << col << " accepted";
        } catch (const DataIo::RangeError& e) {
            EXPECT_EQ(e.row(), row);
            EXPECT_EQ(e.column(), col);
            EXPECT_NE(std::string(e.what()).find(std::to_string(row)), std::string::npos);
        }
    }
    EXPECT_THROW(DataIo::SetTableData(5, 4, 32768), DataIo::RangeError);
    EXPECT_THROW(DataIo::SetTableData(5, 2, QStringLiteral("abc")), DataIo::RangeError);
    EXPECT_THROW(DataIo::SetTableData(5, 3, QVariant(-40000)), DataIo::RangeError);
    EXPECT_THROW(DataIo::SetTableData(5, 3, QVariant()), DataIo::RangeError);
    EXPECT_EQ(mdlOrv_000::state().FareTable, before);
}

TEST_F(DataIoTest, StoreReplacesTheWholeTable) {
    // A longer route first, then a shorter one: rows past the new end go empty.
    route::FareData longRoute;
    longRoute.Rows.resize(10, route::FareRecord{"X", 9, {}});
    longRoute.Rows[9].Cols.fill(500);
    DataIo::StoreFareData(longRoute);
    EXPECT_EQ(tableRow(10).Cols[149], 500);

    route::FareData shortRoute;
    shortRoute.Rows.push_back(route::FareRecord{"\x89\x77", 1, {}});
    shortRoute.Rows[0].Cols.fill(-1);
    shortRoute.Rows.push_back(route::FareRecord{"\x96\x7B\x92\xAC", 2, {}});
    DataIo::StoreFareData(shortRoute);
    EXPECT_EQ(tableRow(1).StopName, QStringLiteral("駅"));
    EXPECT_EQ(tableRow(1).Cols[149], -1);
    EXPECT_EQ(tableRow(2).StopName, QStringLiteral("本町"));
    EXPECT_EQ(tableRow(2).TicketNo, 2);
    EXPECT_EQ(tableRow(10), route::FareRow{});

    DataIo::ClearTableData();
    for (const route::FareRow& r : mdlOrv_000::state().FareTable) ASSERT_EQ(r, route::FareRow{});
}

TEST_F(DataIoTest, RowsBeyondTheTableStopAtRow302WithTheRestStored) {
    route::FareData data;
    data.Rows.resize(302, route::FareRecord{"A", 1, {}});
    try {
        DataIo::StoreFareData(data);
        ADD_FAILURE() << "302 rows stored";
    } catch (const DataIo::RangeError& e) {
        EXPECT_EQ(e.row(), 302);
    }
    EXPECT_EQ(tableRow(301).StopName, QStringLiteral("A"));
}
