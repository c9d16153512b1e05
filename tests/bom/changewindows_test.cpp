// The engineering-change windows, offscreen: each lists what its engine
// finds and the replace dialog changes nothing until it has listed the lines.
#include "bom/bomtestdata.h"
#include "support/testsupport.h"
#include "support/windowtest.h"

#include "bom/changewindows.h"
#include "bom/revisions.h"

#include <QLineEdit>
#include <QTableWidget>

namespace {

class ChangeWindowTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureWidgetApplication();
        DataFolderTest::SetUp();
        AddPart("TOP", "Top", "Assembly");
        AddPart("SUB", "Sub", "Assembly");
        AddPart("R1", "Resistor");
        AddPart("R2", "Resistor");
        AddLine("TOP", 1, "SUB", "2", "A1,A2");
        AddLine("SUB", 1, "R1", "3", "R1,R2,R3");
    }
};

} // namespace

TEST_F(ChangeWindowTest, WhereUsedListsEveryPathWithItsQuantity)
{
    CWhereUsed window("r1");
    ASSERT_EQ(window.table()->rowCount(), 1);
    EXPECT_EQ(window.table()->item(0, 1)->text(), "TOP > SUB > R1");
    EXPECT_EQ(window.table()->item(0, 2)->text(), "6");
    KeepShot(window, "where-used");
}

TEST_F(ChangeWindowTest, ReplaceListsFirstThenReplacesAndComparesAfterwards)
{
    CReplacePart dialog("R1");
    dialog.newEdit()->setText("R2");
    const QString before = snapshot();
    // Without a list shown, the first press lists.
    EXPECT_FALSE(dialog.replace());
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(dialog.table()->rowCount(), 1);
    EXPECT_EQ(dialog.table()->item(0, 0)->text(), "SUB");
    KeepShot(dialog, "replace-part");
    EXPECT_TRUE(dialog.replace());
    EXPECT_EQ(sqlite("select Part_nBr from AssyList where Assy = 'SUB'"), "R2");

    CCompareBills compare("SUB");
    ASSERT_EQ(compare.table()->rowCount(), 1);
    EXPECT_EQ(compare.table()->item(0, 0)->text(), "part");
    EXPECT_EQ(compare.table()->item(0, 3)->text(), "R2");
    KeepShot(compare, "compare-bills");
}
