#include "widgettest.h"

#include "grid/smallgrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void fillOrderLines(CSmallGrid& grid)
{
    SmallGridRecord& record = grid.record();
    record.setColumns({"Item", "Quan", "Part #", "Description", "Price", "Amount", "Status"},
                      {"READ", "EDIT", "LIST/R1/C1", "EDIT", "EDIT", "READ", "DROP/Pending/Received"});
    record.editable = true;
    record.appendRow({"1", "3", "R1", "resistor", "2.50", "", "0"});
    record.appendRow({"2", "1", "C1", "capacitor", "1", "", "1"});
    grid.Fill();
}

QLineEdit* lineEditor(CSmallGrid& grid)
{
    return qobject_cast<QLineEdit*>(grid.editor().widget());
}

} // namespace

TEST(SmallGrid, KeyboardEditingAndAmounts)
{
    EnsureApplication();
    CSmallGrid grid;
    grid.resize(700, 300);
    QSignalSpy commands(&grid, &CSmallGrid::command);
    fillOrderLines(grid);
    EXPECT_EQ(grid.record().cell(0, 5), "7.50");
    EXPECT_FLOAT_EQ(grid.total(), 8.5f);
    EXPECT_GE(commands.count(), 1);
    EXPECT_EQ(commands.last()[0].toInt(), kCmdSmallGridTotal);
    grid.show();

    // Read-only column: no editor.
    grid.OpenEditor(0, 0);
    EXPECT_FALSE(grid.editor().isOpen());

    grid.OpenEditor(0, 1);
    ASSERT_NE(lineEditor(grid), nullptr);
    lineEditor(grid)->setText("4");
    commands.clear();
    QTest::keyClick(lineEditor(grid), Qt::Key_Tab); // commits and moves right
    EXPECT_EQ(grid.record().cell(0, 1), "4");
    EXPECT_EQ(grid.record().cell(0, 5), "10.00");
    EXPECT_EQ(commands.count(), 1);
    auto* combo = qobject_cast<QComboBox*>(grid.editor().widget());
    ASSERT_NE(combo, nullptr); // Part #: an editable list
    EXPECT_TRUE(combo->isEditable());
    combo->setEditText("L7");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return); // commits and moves down
    EXPECT_EQ(grid.record().cell(0, 2), "L7");
    ASSERT_TRUE(grid.editor().isOpen());
    QTest::keyClick(grid.editor().widget(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(grid.editor().isOpen());
    EXPECT_EQ(grid.record().cell(1, 2), "C1");

    // A fixed list offers only its items, translated, the stored number preselected.
    grid.OpenEditor(1, 6);
    combo = qobject_cast<QComboBox*>(grid.editor().widget());
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "Received");
    grid.Commit();
    EXPECT_EQ(grid.record().cell(1, 6), "Received");
}

TEST(SmallGrid, RowCommands)
{
    EnsureApplication();
    CSmallGrid grid;
    SmallGridRecord& record = grid.record();
    record.setColumns({"Item", "Quan", "Part #", "Description", "Price", "Amount"});
    record.editable = true;
    grid.Fill();
    grid.InsertRow(0);
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.item(0, 0)->text(), "1");
    EXPECT_EQ(grid.item(0, 5)->text(), "0.00");
    grid.InsertRow(1);
    grid.InsertRow(2);
    grid.record().setCell(2, 2, "LAST");
    grid.Fill();
    grid.selectRow(1);
    QTest::keyClick(&grid, Qt::Key_Insert); // swallowed
    EXPECT_EQ(grid.rowCount(), 3);
    QTest::keyClick(&grid, Qt::Key_Delete);
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.item(1, 0)->text(), "2");
    EXPECT_EQ(grid.item(1, 2)->text(), "LAST");
}
