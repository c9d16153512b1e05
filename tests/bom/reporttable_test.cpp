// The BOM report as it is listed and printed: headings, column order, the
// flat bill's totals, and columns that fit the page.
#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/assemblyindex.h"
#include "bom/bomreport.h"
#include "bom/reporttable.h"
#include "core/appstate.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>

#include <numeric>

namespace {

class ReportTableTest : public DataFolderTest
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

    void sample()
    {
        AddPart("R-10K", "Resistor 10k 1% 0603", "Component", "0.02");
        AddPart("GRM188R71H104KA93D", "Capacitor 100nF 50V X7R 0603", "Component", "0.10");
        AddPart("SCREW", "Screw", "Fastener");
        AddLine("AMP", 1, "R-10K", "4", "R1-R4");
        AddLine("AMP", 2, "GRM188R71H104KA93D", "6", "C1-C6");
        AddLine("CASE", 1, "AMP", "2");
        AddLine("CASE", 2, "SCREW", "8");
        AddLine("CASE", 3, "R-10K", "1");
        LoadAssemblyIndex();
    }

    // The text of a PDF, as a reader would copy it.
    static QString pdfText(const QString& file)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    BomReport report;
    ReportColumnChoice all;
};

int sum(const std::vector<int>& widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0);
}

} // namespace

TEST_F(ReportTableTest, HeadingsAsTheGridNamesThemPartAndDescriptionFirst)
{
    sample();
    ASSERT_TRUE(report.produce("CASE", kIndentedBom, all));
    const ReportTable table = MakeReportTable(report);
    QStringList headings;
    for (const ReportTableColumn& column : table.columns)
        headings << column.heading;
    EXPECT_EQ(headings, (QStringList{"Part #", "Description", "Assy", "Quan", "Item", "Ref Des", "Manufacturer",
                                     "Distributor", "Price", "Make", "Picture"}));
    EXPECT_TRUE(table.columns[0].part);
    EXPECT_TRUE(table.columns[1].elastic);
    EXPECT_TRUE(table.columns[3].numeric);
    EXPECT_TRUE(table.columns[10].picture);
    ASSERT_EQ(table.rows.size(), 5u);
    EXPECT_EQ(table.rows[0].value(0), "AMP");
    EXPECT_EQ(table.rows[1].value(0), "   R-10K");
    EXPECT_EQ(table.rows[1].value(1), "Resistor 10k 1% 0603");
    EXPECT_TRUE(table.totals.isEmpty()) << "an indented bill has no totals";

    // Translated headings follow the language.
    LoadDictionary(1);
    EXPECT_EQ(MakeReportTable(report).columns[0].heading, "Teil-Nr.");
    LoadDictionary(0);

    // Columns left unticked stay out, Description included.
    ReportColumnChoice some{};
    some[0] = some[2] = true;
    ASSERT_TRUE(report.produce("CASE", kIndentedBom, some));
    const ReportTable narrow = MakeReportTable(report);
    ASSERT_EQ(narrow.columnCount(), 2);
    EXPECT_EQ(narrow.columns[1].heading, "Quan");
}

TEST_F(ReportTableTest, FlatBillCostsEachLineAndTotals)
{
    sample();
    ASSERT_TRUE(report.produce("CASE", kFlatBom, all));
    const ReportTable table = MakeReportTable(report);
    int price = -1, lineTotal = -1, quantity = -1;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (table.columns[c].heading == "Price")
            price = c;
        if (table.columns[c].heading == "Line Total")
            lineTotal = c;
        if (table.columns[c].heading == "Quan")
            quantity = c;
    }
    ASSERT_GE(price, 0);
    ASSERT_EQ(lineTotal, price + 1);
    ASSERT_EQ(table.rows.size(), 3u);
    // R-10K: 2 x 4 + 1 = 9 at 0.02; the capacitor 12 at 0.10; the screw has no price.
    EXPECT_EQ(table.rows[0].value(0), "R-10K");
    EXPECT_EQ(table.rows[0].value(quantity), "9");
    EXPECT_EQ(table.rows[0].value(lineTotal), "0.18");
    EXPECT_EQ(table.rows[1].value(lineTotal), "1.20");
    EXPECT_EQ(table.rows[2].value(lineTotal), "") << "no price, no cost made up";
    ASSERT_EQ(table.totals.size(), table.columnCount());
    EXPECT_EQ(table.totals.value(0), "Total (3)");
    EXPECT_EQ(table.totals.value(quantity), "29");
    EXPECT_EQ(table.totals.value(lineTotal), "1.38");

    // Without prices there is nothing to cost, but the quantities still total.
    ReportColumnChoice noPrice = all;
    noPrice[7] = false;
    ASSERT_TRUE(report.produce("CASE", kFlatBom, noPrice));
    const ReportTable plain = MakeReportTable(report);
    for (const ReportTableColumn& column : plain.columns)
        EXPECT_NE(column.heading, "Line Total");
    EXPECT_FALSE(plain.totals.isEmpty());
}

TEST(FitColumnWidths, FreeTextGivesWayBeforeAnythingElse)
{
    const std::vector<bool> elastic{false, true, false, true};
    const std::vector<bool> fixed{true, false, false, false};
    // Room enough: nothing changes.
    EXPECT_EQ(FitColumnWidths({100, 300, 50, 200}, elastic, fixed, 700, 40), (std::vector<int>{100, 300, 50, 200}));
    // 50 too wide: the widest free text comes down first, the rest stays.
    EXPECT_EQ(FitColumnWidths({100, 300, 50, 200}, elastic, fixed, 600, 40), (std::vector<int>{100, 250, 50, 200}));
    // Both free-text columns meet at a common width.
    EXPECT_EQ(FitColumnWidths({100, 300, 50, 200}, elastic, fixed, 450, 40), (std::vector<int>{100, 150, 50, 150}));
    // Not even the free text at its least fits: the others shrink too, but
    // never the part number.
    const std::vector<int> tight = FitColumnWidths({100, 300, 120, 200}, elastic, fixed, 250, 40);
    EXPECT_EQ(tight[0], 100);
    EXPECT_LE(sum(tight), 250 + 2) << "rounding aside";
    for (int w : tight)
        EXPECT_GT(w, 0);
}

TEST_F(ReportTableTest, PrintoutFitsThePageWidthWithWholePartNumbers)
{
    sample();
    // Long free texts in every elastic column would need two pages side by side.
    ASSERT_TRUE(Execute("Update PartList set Description = 'Capacitor 100nF 50V X7R 0603 automotive grade, "
                        "AEC-Q200, soft termination, 3000 per reel', Manufacturer = 'MURATA MANUFACTURING CO LTD', "
                        "Distributor = 'MOUSER ELECTRONICS INCORPORATED' where Part_nBr = 'GRM188R71H104KA93D'"));
    ASSERT_TRUE(Execute("Update AssyList set Ref_Des = 'C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12,C13,C14' "
                        "where Part_nBr = 'GRM188R71H104KA93D'"));
    for (int mode : {kIndentedBom, kFlatBom}) {
        ASSERT_TRUE(report.produce("CASE", mode, all));
        const QString file = dir.filePath(QStringLiteral("bom%1.pdf").arg(mode));
        {
            QPdfWriter pdf(file);
            pdf.setResolution(300);
            pdf.setPageSize(QPageSize(QPageSize::Letter));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            EXPECT_EQ(PrintBomReport(report, pdf), 1) << "one page: no strip of columns on a second one";
        }
        const QString text = pdfText(file);
        EXPECT_TRUE(text.contains("GRM188R71H104KA93D")) << text.toStdString();
        EXPECT_TRUE(text.contains("Part #"));
        EXPECT_FALSE(text.contains("Part_nBr"));
        EXPECT_FALSE(text.contains("Ref_Des"));
        EXPECT_TRUE(text.contains("Picture")) << "the last column is on the page";
        if (mode == kFlatBom) {
            EXPECT_TRUE(text.contains("Total (3)"));
            EXPECT_TRUE(text.contains("1.38"));
        }
    }
}
