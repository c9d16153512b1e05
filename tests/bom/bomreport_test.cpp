#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/assemblyindex.h"
#include "bom/bomreport.h"
#include "core/appstate.h"

#include <QDir>
#include <QImage>
#include <QPdfWriter>

namespace {

class BomReportTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        DataFolderTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        all.fill(true);
    }

    // "depth:part" or "part=total" per line.
    QStringList produce(const QString& assy, int mode)
    {
        LoadAssemblyIndex();
        EXPECT_TRUE(report.produce(assy, mode, all));
        QStringList out;
        const int part = BomColumn(report.result, "Part");
        for (const ReportLine& line : report.lines)
            out << (mode == kFlatBom ? Format("%s=%i", {report.result.cell(line.row, part), line.number})
                                     : Format("%i:%s", {line.number, report.result.cell(line.row, part)}));
        return out;
    }

    BomReport report;
    ReportColumnChoice all;
};

} // namespace

TEST_F(BomReportTest, FlatAndIndentedExplosions)
{
    AddLine("A", 1, "B", "2");
    AddLine("A", 2, "C", "1");
    AddLine("A", 3, "HALF", "2.5");
    AddLine("B", 1, "C", "3");
    AddLine("B", 2, "D", "1");

    EXPECT_EQ(produce("A", kFlatBom), (QStringList{"C=7", "D=2", "HALF=2"}));
    // The bill shows the totals in its quantity column.
    EXPECT_EQ(report.cellText(0, 2), "7");
    EXPECT_EQ(report.columnName(0), "Part_nBr");

    EXPECT_EQ(produce("A", kIndentedBom), (QStringList{"0:B", "1:C", "1:D", "0:C", "0:HALF"}));
    EXPECT_EQ(report.cellText(1, 0), "   C");
    EXPECT_EQ(report.cellText(4, 2), "2.5"); // stored text, unchanged
    EXPECT_EQ(report.title(), "Indented BOM");

    // Columns left unticked are left out; the order is the key order.
    ReportColumnChoice some{};
    some[3] = some[0] = true;
    ASSERT_TRUE(report.produce("A", kIndentedBom, some));
    ASSERT_EQ(report.columns.size(), 2u);
    EXPECT_EQ(report.columnName(0), "Part_nBr");
    EXPECT_EQ(report.columnName(1), "Item");

    EXPECT_FALSE(report.produce("", kFlatBom, all));
    EXPECT_TRUE(ui.saw("Make Selection"));
}

TEST_F(BomReportTest, SharedSubAssembliesAndLongBillsAreComplete)
{
    // Every level uses the next twice, so the bill has 3070 lines and a
    // flat total of 2^10: nothing is cut at the old 1024 lines or 200 parts.
    Transaction tx;
    for (int level = 0; level < 10; ++level) {
        AddLine(Format("L%i", {level}), 1, Format("L%i", {level + 1}), "1");
        AddLine(Format("L%i", {level}), 2, Format("L%i", {level + 1}), "1");
    }
    AddLine("L10", 1, "LEAF", "1");
    AddLine("L0", 3, "PARTS", "2");
    for (int i = 0; i < 250; ++i)
        AddLine("PARTS", 1 + i, Format("P%i", {i}), "1");
    ASSERT_TRUE(tx.commit());
    const QStringList flat = produce("L0", kFlatBom);
    ASSERT_EQ(flat.size(), 251);
    EXPECT_EQ(flat[0], "LEAF=1024");
    EXPECT_TRUE(flat.contains("P249=2"));
    const QStringList indented = produce("L0", kIndentedBom);
    EXPECT_EQ(indented.size(), 3070 + 1 + 250);
    EXPECT_EQ(indented[9], "9:L10");
    EXPECT_EQ(indented[10], "10:LEAF");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BomReportTest, BillThatContainsItselfStopsThatBranch)
{
    AddLine("A", 1, "B", "2");
    AddLine("A", 2, "X", "1");
    AddLine("B", 1, "A", "1");
    AddLine("B", 2, "C", "3");
    EXPECT_EQ(produce("A", kIndentedBom), (QStringList{"0:B", "1:A", "1:C", "0:X"}));
    EXPECT_EQ(report.cycles, (QStringList{"Assembly contains itself: A > B > A"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Assembly contains itself: A > B > A");
    ui.clear();
    EXPECT_EQ(produce("A", kFlatBom), (QStringList{"C=6", "X=1"}));
    EXPECT_EQ(ui.messages.size(), 1u);
    // A sub-assembly that is complete below the cycle still counts in full.
    EXPECT_EQ(produce("B", kFlatBom), (QStringList{"X=1", "C=3"}));
    EXPECT_EQ(produce("B", kIndentedBom), (QStringList{"0:A", "1:B", "1:X", "0:C"}));
}

TEST_F(BomReportTest, PrintedReportPagesAndPictures)
{
    QDir().mkpath(DataPictureFolder());
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(DataPictureFolder() + "/r1.jpg"));
    ASSERT_TRUE(Execute("Insert into PartList (Part_nBr,Description,Picture) values ('R1','Resistor','C:\\pics\\r1.jpg')"));
    AddLine("A", 1, "R1", "1");
    Transaction tx;
    for (int i = 0; i < 2000; ++i)
        AddLine("BIG", i + 1, Format("P%i", {i}), "1");
    ASSERT_TRUE(tx.commit());
    produce("A", kIndentedBom);

    const QString file = dir.filePath("bom.pdf");
    {
        QPdfWriter pdf(file);
        pdf.setResolution(300);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        EXPECT_EQ(PrintBomReport(report, pdf), 1);
    }
    EXPECT_TRUE(report.isPictureColumn(9));

    // A long bill stops after page 10.
    produce("BIG", kIndentedBom);
    QPdfWriter big(dir.filePath("big.pdf"));
    big.setResolution(300);
    EXPECT_EQ(PrintBomReport(report, big), kMaxReportPages);

    BomReport empty;
    QPdfWriter none(dir.filePath("none.pdf"));
    EXPECT_EQ(PrintBomReport(empty, none), 0);
}
