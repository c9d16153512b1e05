// Engineering changes: comparing bills, revisions, where-used, replacing a
// part everywhere and the change log, on hand-worked bills.
#include "bom/bomdiff.h"
#include "bom/bomtestdata.h"
#include "bom/replacepart.h"
#include "bom/revisions.h"
#include "bom/whereused.h"
#include "db/changelog.h"
#include "support/testsupport.h"

namespace {

BillLine line(const QString& item, const QString& part, const QString& quantity, const QString& designators)
{
    return {QString(), item, part, quantity, designators, QString()};
}

QStringList diffLines(const std::vector<BillLine>& before, const std::vector<BillLine>& after)
{
    QStringList out;
    for (const BomChange& change : DiffBills(before, after))
        out << BomChangeLine(change);
    return out;
}

QStringList useLines(const QString& part)
{
    QStringList out;
    bool ok = false;
    for (const PartUse& use : WhereUsed(part, &ok))
        out << use.top + "\t" + UsePathText(use) + "\t" + QString::number(use.quantity);
    EXPECT_TRUE(ok);
    return out;
}

} // namespace

TEST(BomDiff, NamesEachKindOfChangeOnAHandWorkedPair)
{
    const std::vector<BillLine> before{
        line("1", "C-100N", "2", "C1,C2"), line("2", "R-10K", "2", "R1, R2"), line("3", "R-1K", "1", "R3"),
        line("4", "U-OLD", "1", "U1"),     line("5", "D-LED", "1", "D1"),
    };
    const std::vector<BillLine> after{
        line("1", "C-100N", "3", "C1,C2,C3"), line("2", "R-10K", "1", "R1"), line("3", "R-1K", "2", "R2,R3"),
        line("4", "U-NEW", "1", "U1"),        line("6", "J-NEW", "2", "J1,D1"),
    };
    EXPECT_EQ(diffLines(before, after), QStringList({
                                            "quantity\tC-100N\t2\t3",
                                            "designators\tC-100N\tC1,C2\tC1,C2,C3",
                                            "quantity\tR-10K\t2\t1",
                                            "designators\tR-10K\tR1,R2\tR1\tmoved to R-1K: R2",
                                            "quantity\tR-1K\t1\t2",
                                            "designators\tR-1K\tR3\tR2,R3\tmoved from R-10K: R2",
                                            "part\tU-OLD\tU-OLD\tU-NEW\tU1",
                                            "removed\tD-LED\t1\t\tD1",
                                            "added\tJ-NEW\t\t2\tD1,J1; reused: D1 (was D-LED)",
                                        }));
    // The same bill in another order, or split over two lines, is no change.
    const std::vector<BillLine> split{line("9", "R-10K", "1", "R2"), line("1", "C-100N", "2", "C2 C1"),
                                      line("2", "R-10K", "1", "R1"), line("3", "R-1K", "1", "R3"),
                                      line("4", "U-OLD", "1", "U1"), line("5", "D-LED", "1", "D1")};
    EXPECT_TRUE(DiffBills(before, split).empty());
    // A swap whose quantity changed too says both.
    EXPECT_EQ(diffLines({line("1", "A", "1", "X1")}, {line("1", "B", "2", "X1")}),
              QStringList({"part\tA\tA\tB\tX1", "quantity\tB\t1\t2"}));
}

TEST(BomRevisions, LettersCountLikeSpreadsheetColumns)
{
    EXPECT_EQ(NextRevisionLetter(""), "B");
    EXPECT_EQ(NextRevisionLetter("A"), "B");
    EXPECT_EQ(NextRevisionLetter("Y"), "Z");
    EXPECT_EQ(NextRevisionLetter("Z"), "AA");
    EXPECT_EQ(NextRevisionLetter("AZ"), "BA");
    EXPECT_EQ(NextRevisionLetter("ZZ"), "AAA");
    EXPECT_EQ(NextRevisionLetter("3"), "A");
    // Kept lines come back as they were, tabs and line breaks in notes too.
    std::vector<BillLine> lines{line("1", "P\\1", "2", "R1,R2"), line("2", "Q", "0", "")};
    lines[1].notes = "DNP\tsee\nnote";
    const std::vector<BillLine> back = DecodeBillLines(EncodeBillLines(lines));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].part, "P\\1");
    EXPECT_EQ(back[0].designators, "R1,R2");
    EXPECT_EQ(back[1].notes, "DNP\tsee\nnote");
    EXPECT_TRUE(DecodeBillLines("").empty());
}

TEST(BomRevisions, ReplacedLinesKeepTheirItemNumbers)
{
    ItemNumbering numbers({line("10", "A", "1", "R1"), line("20", "B", "1", "R2"), line("30", "B", "1", "R3"),
                           line("40", "C", "1", "R4")});
    // B's two lines are told apart by their designators; D is new; E takes
    // C's place on R4.
    EXPECT_EQ(numbers.take("A", "R1"), "10");
    EXPECT_EQ(numbers.take("B", "R3"), "30");
    EXPECT_EQ(numbers.take("B", "R9"), "20");
    EXPECT_EQ(numbers.take("D", "R5"), "41");
    EXPECT_EQ(numbers.take("E", "R4"), "40");
    EXPECT_EQ(numbers.take("B", "R2"), "42");
}

TEST_F(DataFolderTest, WhereUsedFollowsThreeLevelsWithQuantitiesPerTop)
{
    AddLine("TOP", 1, "MID", "2");
    AddLine("TOP", 2, "R1", "1");
    AddLine("MID", 1, "SUB", "3");
    AddLine("SUB", 1, "R1", "4");
    AddLine("SUB", 2, "R1", "1"); // a second line of the same part adds up
    AddLine("OTHER", 1, "SUB", "1");
    EXPECT_EQ(useLines("R1"), QStringList({"OTHER\tOTHER > SUB > R1\t5", "TOP\tTOP > MID > SUB > R1\t30",
                                           "TOP\tTOP > R1\t1"}));
    EXPECT_EQ(useLines("MID"), QStringList({"TOP\tTOP > MID\t2"}));
    EXPECT_TRUE(useLines("TOP").isEmpty());
    // A bill that contains itself ends the walk instead of looping.
    AddLine("SUB", 3, "MID", "1");
    EXPECT_FALSE(useLines("R1").isEmpty());
}

TEST_F(DataFolderTest, ReplaceKeepsRevisionsAndRefusesACycle)
{
    AddPart("TOP", "top", "Assembly");
    AddPart("SUB", "sub", "Assembly");
    AddPart("R-OLD", "old");
    AddPart("R-NEW", "new");
    ASSERT_TRUE(Execute("Update PartList set Revision='A' where Part_nBr in ('TOP','SUB')"));
    AddLine("TOP", 1, "SUB", "2");
    AddLine("TOP", 2, "R-OLD", "1", "R9");
    AddLine("SUB", 1, "R-OLD", "4", "R1");
    AddLine("SUB", 2, "C1", "1", "C1");

    // SUB holds R-OLD; putting TOP there would make TOP contain itself.
    const QString before = snapshot();
    const ReplacePlan cycle = PlanReplace("R-OLD", "TOP", "SUB");
    EXPECT_TRUE(cycle.refusal.contains("SUB > TOP > SUB")) << cycle.refusal.toStdString();
    QString error;
    EXPECT_FALSE(ApplyReplace(cycle, &error));
    EXPECT_TRUE(PlanReplace("R-OLD", "NOSUCH").newPartUnknown);
    EXPECT_FALSE(PlanReplace("R-OLD", "r-old").refusal.isEmpty());
    EXPECT_EQ(snapshot(), before);

    const ReplacePlan plan = PlanReplace("r-old", "R-NEW");
    ASSERT_TRUE(plan.refusal.isEmpty()) << plan.refusal.toStdString();
    ASSERT_EQ(plan.lines.size(), 2u);
    EXPECT_EQ(ReplaceLineText(plan, plan.lines[0]), "SUB\t1\tR-OLD\tR-NEW\t4");
    EXPECT_EQ(plan.assemblies, QStringList({"SUB", "TOP"}));
    ASSERT_TRUE(ApplyReplace(plan, &error)) << error.toStdString();
    EXPECT_EQ(sqlite("select count(*) from AssyList where Part_nBr = 'R-NEW'"), "2");
    EXPECT_EQ(sqlite("select Part_nBr, Revision from PartList where Part_nBr in ('TOP','SUB') order by Part_nBr"),
              "SUB|B\nTOP|B");
    // The bills as they were are kept under A and compare with today's.
    std::vector<BillLine> kept;
    std::vector<BillLine> now;
    ASSERT_TRUE(LoadBomSide("SUB@A", kept, nullptr, &error)) << error.toStdString();
    ASSERT_TRUE(LoadBomSide("sub", now, nullptr, &error));
    EXPECT_EQ(diffLines(kept, now), QStringList({"part\tR-OLD\tR-OLD\tR-NEW\tR1"}));
    EXPECT_FALSE(LoadBomSide("SUB@Q", kept, nullptr, &error));
    EXPECT_FALSE(LoadBomSide("NOSUCH", kept, nullptr, &error));

    // Every line and every letter moved is in the log.
    ChangeFilter lines;
    lines.table = "assylist";
    const std::vector<LoggedChange> logged = LoadChanges(lines);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].field, "Part #");
    EXPECT_EQ(logged[0].oldValue, "R-OLD");
    EXPECT_EQ(logged[0].newValue, "R-NEW");
    ChangeFilter top;
    top.part = "TOP";
    ASSERT_EQ(LoadChanges(top).size(), 1u);
    EXPECT_EQ(LoadChanges(top)[0].newValue, "B");

    // A second revise of SUB keeps B and moves on to C.
    KeptRevision revised;
    ASSERT_TRUE(ReviseAssembly("sub", "checked", &revised, &error));
    EXPECT_EQ(revised.kept, "B");
    EXPECT_EQ(revised.next, "C");
    EXPECT_EQ(revised.lines, 2);
    EXPECT_EQ(LoadRevisions("SUB", false).size(), 2u);
    EXPECT_FALSE(ReviseAssembly("NOSUCH", "", &revised, &error));

    // A new part nobody entered yet gets its record, as a bill edit gives it.
    const ReplacePlan fresh = PlanReplace("C1", "C-NEW");
    ASSERT_TRUE(fresh.newPartUnknown);
    ASSERT_TRUE(ApplyReplace(fresh, &error)) << error.toStdString();
    EXPECT_EQ(sqlite("select Revision from PartList where Part_nBr = 'C-NEW'"), "A");
    EXPECT_EQ(sqlite("select Part_nBr from AssyList where Assy = 'SUB' and Item = 2"), "C-NEW");
}
