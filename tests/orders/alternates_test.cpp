// Alternates and obsolete parts in Process: the preview names a short
// part's alternates with their free stock, Process takes that stock only
// when asked, and an obsolete part in the bill is warned about.
#include "orders/ordersfixture.h"

#include "core/utilities.h"
#include "db/stockledger.h"
#include "orders/requirement.h"

#include <algorithm>

TEST_F(OrdersTest, AlternatesCoverAShortPartOnlyWhenAsked)
{
    addPart("BOARD", 0, 0, {}, {}, 0, 0, "Make");
    addPart("CAP-A", 10, 0, "DIGIKEY");
    addPart("CAP-B", 45, 0, "MOUSER");
    addPart("CAP-C", 100, 0, "MOUSER"); // a line substitute, and needed by the board itself
    addPart("RES", 0, 0, "DIGIKEY");
    addBom("BOARD", "CAP-A", 30, 1);
    addBom("BOARD", "CAP-C", 90, 2);
    addBom("BOARD", "RES", 1, 3);
    ASSERT_TRUE(Execute("update PartList set Alternates = 'cap-b, CAP-A' where Part_nBr = 'CAP-A'"));
    ASSERT_TRUE(Execute("update AssyList set Substitutes = 'CAP-C' where Assy = 'BOARD' and Part_nBr = 'CAP-A'"));
    addRequirement("REQ0001", "BOARD", 2);

    // Need 60 of CAP-A, 10 on hand: 50 short. The preview names both
    // alternates; CAP-C's 100 go to its own line (180 needed), none is free.
    const ProcessOutcome preview = PreviewProcess("REQ0001", 2, "BOARD");
    ASSERT_TRUE(preview.done);
    EXPECT_EQ(preview.plan.parts[0].part, "CAP-A");
    EXPECT_EQ(preview.plan.parts[0].alternates, "CAP-B 45, CAP-C 0");
    EXPECT_EQ(preview.plan.parts[0].order, 50);
    EXPECT_TRUE(preview.plan.alternateUses.empty());
    EXPECT_EQ(preview.plan.notes.size(), 1);

    const QString before = dump();
    const ProcessOutcome asked = PreviewProcess("REQ0001", 2, "BOARD", true);
    ASSERT_EQ(asked.plan.alternateUses.size(), 1u);
    EXPECT_EQ(asked.plan.alternateUses[0].alternate, "CAP-B");
    EXPECT_EQ(asked.plan.alternateUses[0].quantity, 45);
    EXPECT_EQ(asked.plan.parts[0].order, 5);
    EXPECT_EQ(dump(), before);

    const ProcessOutcome done = ProcessRequirement("REQ0001", 2, "BOARD", {}, ProcessMode::Write, true);
    ASSERT_TRUE(done.done);
    EXPECT_TRUE(ui.saw("CAP-A: 45 taken from alternate CAP-B"));
    // CAP-A: 10 from stock, 5 ordered; CAP-B: 45 allocated in its place.
    EXPECT_EQ(TextToDouble(partValue("CAP-A", "Allocated")), 15);
    EXPECT_EQ(TextToDouble(partValue("CAP-B", "Allocated")), 45);
    EXPECT_EQ(TextToDouble(sqlite("select Quan from AlloList where Part_nBr = 'CAP-B'")), 45);
    // The figures still agree with the ledger the allocations make up.
    bool ok = false;
    EXPECT_TRUE(CheckStockFigures(&ok).empty());
    EXPECT_TRUE(ok);
}

TEST_F(OrdersTest, ProcessWarnsAboutObsoletePartsInTheBill)
{
    addPart("BOARD", 0, 0, {}, {}, 0, 0, "Make");
    addPart("OLD", 100, 0, "DIGIKEY");
    addPart("NEW", 0, 0, "DIGIKEY");
    addBom("BOARD", "OLD", 1);
    ASSERT_TRUE(Execute("update PartList set Obsolete = 'yes', Replacement = 'NEW' where Part_nBr = 'OLD'"));
    addRequirement("REQ0001", "BOARD", 1);
    const ProcessOutcome preview = PreviewProcess("REQ0001", 1, "BOARD");
    EXPECT_EQ(preview.plan.warnings, QStringList({"Obsolete part in the bill: OLD (replacement: NEW)"}));
    ASSERT_TRUE(ProcessRequirement("REQ0001", 1, "BOARD").done);
    EXPECT_TRUE(ui.saw("Obsolete part in the bill: OLD (replacement: NEW)"));
}

// A substitute named on one line stands in for that line's need only, not
// for every line of the same part, at every level of the bill.
TEST_F(OrdersTest, ALineSubstituteCoversItsOwnLineOnly)
{
    addPart("BOARD", 0, 0, {}, {}, 0, 0, "Make");
    addPart("SUB-ASSY", 0, 0, {}, {}, 0, 0, "Make");
    addPart("CAP-X", 0, 0, "DIGIKEY");
    addPart("CAP-S", 1000, 0, "MOUSER");
    addBom("BOARD", "CAP-X", 20, 1);   // names CAP-S
    addBom("BOARD", "SUB-ASSY", 2, 2);
    addBom("SUB-ASSY", "CAP-X", 15, 1); // 30 per board, no substitute
    ASSERT_TRUE(Execute("update AssyList set Substitutes = 'CAP-S' where Assy = 'BOARD' and Part_nBr = 'CAP-X'"));
    addRequirement("REQ0001", "BOARD", 2);

    // 100 of CAP-X needed for two boards, 40 of them on the line naming CAP-S.
    const ProcessOutcome asked = PreviewProcess("REQ0001", 2, "BOARD", true);
    ASSERT_TRUE(asked.done);
    ASSERT_EQ(asked.plan.alternateUses.size(), 1u);
    EXPECT_EQ(asked.plan.alternateUses[0].alternate, "CAP-S");
    EXPECT_EQ(asked.plan.alternateUses[0].quantity, 40);
    const auto capX = std::find_if(asked.plan.parts.begin(), asked.plan.parts.end(),
                                   [](const PlannedPart& p) { return p.part == "CAP-X"; });
    ASSERT_NE(capX, asked.plan.parts.end());
    EXPECT_EQ(capX->order, 60);

    // An alternate of the part record stands in for every line.
    ASSERT_TRUE(Execute("update PartList set Alternates = 'CAP-S' where Part_nBr = 'CAP-X'"));
    const ProcessOutcome everywhere = PreviewProcess("REQ0001", 2, "BOARD", true);
    ASSERT_EQ(everywhere.plan.alternateUses.size(), 1u);
    EXPECT_EQ(everywhere.plan.alternateUses[0].quantity, 100);
}
