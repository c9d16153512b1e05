#include "grid/smallgridrecord.h"

#include "core/appstate.h"

#include <gtest/gtest.h>

namespace {

SmallGridRecord orderLines()
{
    SmallGridRecord record;
    record.setColumns({"Item", "Quan", "Part #", "Description", "Price", "Amount", "Status"},
                      {"READ", "EDIT", "EDIT", "EDIT", "EDIT", "READ", "DROP/Pending/Received"});
    record.editable = true;
    return record;
}

} // namespace

TEST(SmallGridRecord, RowsAmountsAndNumbering)
{
    SmallGridRecord record = orderLines();
    record.insertRow(0); // above row 0 of an empty grid
    ASSERT_EQ(record.rowCount, 1);
    EXPECT_EQ(record.cell(0, 0), "1");
    EXPECT_EQ(record.cell(0, 1), "1");
    EXPECT_FLOAT_EQ(record.recomputeAmounts(), 0.0f);
    EXPECT_EQ(record.cell(0, 5), "0.00");

    record.setCell(0, 1, "3");
    record.setCell(0, 4, "2.50");
    record.insertRow(1);
    record.insertRow(99); // outside: goes to the top
    ASSERT_EQ(record.rowCount, 3);
    EXPECT_EQ(record.cell(1, 4), "2.50");
    record.setCell(2, 1, "2");
    record.setCell(2, 4, "1.25");
    EXPECT_FLOAT_EQ(record.recomputeAmounts(), 7.5f + 2.5f);
    EXPECT_EQ(record.cell(1, 5), "7.50");

    record.setCell(0, 2, "TOP");
    record.setCell(1, 2, "MIDDLE");
    record.setCell(2, 2, "BOTTOM");
    record.removeRows({1, 1});
    ASSERT_EQ(record.rowCount, 2);
    EXPECT_EQ(record.cell(0, 0), "1");
    EXPECT_EQ(record.cell(1, 0), "2");
    EXPECT_EQ(record.cell(1, 2), "BOTTOM");
    EXPECT_EQ(record.attribute(99), "EDIT");
}
