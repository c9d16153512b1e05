#include "bom/bomtestdata.h"
#include "support/testsupport.h"

#include "bom/assemblyindex.h"
#include "bom/treelayout.h"
#include "bom/treepaint.h"
#include "core/appstate.h"

#include <QFontMetrics>
#include <QPdfWriter>

#include <cmath>

namespace {

class TreeLayoutTest : public DataFolderTest
{
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        DataFolderTest::SetUp();
    }
};

double distanceToPath(const QPainterPath& path, QPointF point)
{
    double best = 1e9;
    for (int i = 0; i <= 2000; ++i) {
        const QPointF p = path.pointAtPercent(i / 2000.0);
        best = std::min(best, std::hypot(p.x() - point.x(), p.y() - point.y()));
    }
    return best;
}

} // namespace

TEST_F(TreeLayoutTest, NodesTakeTheirRecordLinesAndGeometry)
{
    AddPart("TOP", "Top unit", "Packaging", "1", "1");
    AddPart("SUB", "Sub board", "Circuit Board Assembly", "10", "2.5");
    AddLine("TOP", 1, "SUB", "2", "R1,R2,R3");
    AddLine("TOP", 2, "R1", "1");
    AddLine("SUB", 1, "C", "3", "C1");
    LoadAssemblyIndex();

    TreeLayout layout;
    ASSERT_TRUE(layout.build());
    ASSERT_EQ(layout.nodes.size(), 2u);
    const AssemblyNode& top = layout.nodes[0];
    const AssemblyNode& sub = layout.nodes[1];

    // TOP is never a component, so its record comes from the single-value queries.
    EXPECT_EQ(top.description, "Top unit");
    EXPECT_EQ(top.costText, "$2.00");
    // Material and labour are shown apart and named, as the navigation panel names them.
    EXPECT_EQ(top.costDetail, "Material $1.00   Labor $1.00");
    EXPECT_EQ(sub.costDetail, "Material $10.00   Labor $2.50");
    EXPECT_EQ(top.categoryImage, 3);
    EXPECT_EQ(sub.description, "Sub board");
    EXPECT_EQ(sub.costText, "$12.50");
    EXPECT_EQ(sub.categoryImage, 1);
    EXPECT_EQ(top.level, 0);
    EXPECT_EQ(sub.level, 1);
    ASSERT_EQ(top.lineCount, 2);
    EXPECT_EQ(top.childLinks, (std::vector<int>{1, -1}));
    EXPECT_EQ(layout.cellText(top, 0, 2), "SUB");
    EXPECT_EQ(layout.cellText(top, 0, 4), "R1,R2,R3");

    // Reference designators of 4 characters or fewer hide the column in that box only.
    EXPECT_GT(top.columnWidths[4], 0);
    EXPECT_EQ(sub.columnWidths[4], 0);

    const QFontMetrics metrics(layout.bodyFont());
    const int h = metrics.height();
    const int w = metrics.averageCharWidth();
    int sum = 0;
    for (int c = 0; c < kTreeColumns; ++c)
        sum += top.columnWidths[c];
    EXPECT_EQ(top.lineHeight, h + 2);
    EXPECT_EQ(top.left, 2 * h);
    EXPECT_EQ(top.top, 2 * h);
    // As wide as its table, or wider where the name and the costs need it.
    EXPECT_GE(top.right, top.left + 2 * h + sum);
    const QFontMetrics title(layout.titleFont());
    const QFontMetrics bold(layout.bodyFont(QFont::Bold));
    EXPECT_GE(top.right - top.left, title.horizontalAdvance(top.name) + bold.horizontalAdvance(top.costDetail));
    EXPECT_EQ(top.bottom, top.top + top.lineHeight * (2 + 5));
    EXPECT_EQ(top.textLeft, top.left + 2 * w);
    EXPECT_EQ(top.tableTop, top.top + 4 * top.lineHeight);
    EXPECT_EQ(top.tableRight, top.left + 2 * w + sum);
    EXPECT_EQ(top.tableBottom, top.tableTop + 2 * top.lineHeight);
    EXPECT_EQ(sub.left, top.right + 10 * w);
    EXPECT_EQ(sub.top, 2 * h);
    EXPECT_EQ(layout.maxRight, sub.right);
    EXPECT_EQ(layout.screenWidth, sub.right);
    // The screen height follows a table bottom, not the box bottom.
    EXPECT_EQ(layout.screenHeight, top.tableBottom);

    // A selected sub-assembly is drawn alone.
    layout.selectedAssembly = "SUB";
    ASSERT_TRUE(layout.build());
    ASSERT_EQ(layout.nodes.size(), 1u);
    EXPECT_EQ(layout.nodes[0].name, "SUB");
}

TEST_F(TreeLayoutTest, EveryUseGetsItsOwnBoxAndTheBoundHolds)
{
    AddLine("P1", 1, "SUB", "1");
    AddLine("P1", 2, "X", "1");
    AddLine("P1", 3, "SUB", "1");
    AddLine("P2", 1, "SUB", "1");
    AddLine("SUB", 1, "C", "1");
    LoadAssemblyIndex();
    TreeLayout layout;
    ASSERT_TRUE(layout.build());
    ASSERT_EQ(layout.nodes.size(), 5u); // P1, P2, and SUB three times
    EXPECT_EQ(layout.nodes[0].childLinks, (std::vector<int>{2, -1, 3}));
    EXPECT_EQ(layout.nodes[1].childLinks, (std::vector<int>{4}));
    // Same level: stacked below the previous box, same left edge.
    EXPECT_EQ(layout.nodes[1].left, layout.nodes[0].left);
    EXPECT_GT(layout.nodes[1].top, layout.nodes[0].bottom);
    EXPECT_EQ(layout.nodes[3].left, layout.nodes[2].left);

    // A bill that contains itself keeps expanding until the drawing bound.
    AddLine("SUB", 2, "P1", "1");
    LoadAssemblyIndex();
    layout.selectedAssembly = "P1";
    EXPECT_FALSE(layout.build());
    EXPECT_EQ(layout.nodes.size(), static_cast<size_t>(kMaxTreeNodes));
    EXPECT_TRUE(ui.saw("max assemblies exceeded"));

    ASSERT_TRUE(Execute("Delete from AssyList"));
    ui.clear();
    EXPECT_FALSE(layout.build());
    EXPECT_TRUE(ui.saw("nothing to sort"));
    EXPECT_TRUE(layout.nodes.empty());
}

TEST(TreePaint, ConnectorsAndColours)
{
    EXPECT_EQ(ConnectorColour(0), QColor(255, 255, 0, 192));
    EXPECT_EQ(ConnectorColour(1), QColor(255, 0, 0, 192));
    EXPECT_EQ(ConnectorColour(3), QColor(0, 255, 0, 192));
    EXPECT_EQ(ConnectorColour(4), ConnectorColour(0));

    // Level points: a straight line.
    const QPainterPath straight = ConnectorPath({100, 50}, {300, 50});
    EXPECT_EQ(straight.boundingRect().height(), 0);
    EXPECT_EQ(straight.pointAtPercent(1), QPointF(300, 50));

    // A large drop still turns with a diameter of 50, at 40 units before the end.
    const QPainterPath down = ConnectorPath({300, 400}, {100, 50}); // ordered by x
    EXPECT_EQ(down.pointAtPercent(0), QPointF(100, 50));
    EXPECT_EQ(down.pointAtPercent(1), QPointF(300, 400));
    const QRectF bounds = down.boundingRect();
    EXPECT_DOUBLE_EQ(bounds.top(), 50);
    EXPECT_DOUBLE_EQ(bounds.bottom(), 400);
    // The path passes the end of the straight run, the vertical at 40 before the end, and no shortcut.
    EXPECT_LT(distanceToPath(down, {235, 50}), 0.5);
    EXPECT_LT(distanceToPath(down, {260, 225}), 0.5);
    EXPECT_LT(distanceToPath(down, {285, 400}), 0.5);
    EXPECT_GT(distanceToPath(down, {250, 50}), 3);
    EXPECT_GT(distanceToPath(down, {200, 200}), 50);
    // A rise turns the other way.
    const QPainterPath up = ConnectorPath({100, 400}, {300, 380});
    EXPECT_DOUBLE_EQ(up.boundingRect().top(), 380);
    EXPECT_DOUBLE_EQ(up.boundingRect().bottom(), 400);

    EXPECT_EQ(TreeCurrencySymbol("gbp"), "£");
    EXPECT_EQ(TreeCurrencySymbol("RUB"), "руб");
    EXPECT_EQ(TreeCurrencySymbol("CHF"), "");
}

TEST_F(TreeLayoutTest, PrintedChartFitsNinetyPercentOfThePage)
{
    for (int i = 0; i < 12; ++i)
        AddLine("TOP", i + 1, Format("SUB%i", {i}), "1", "R1 R2 R3 R4 R5");
    for (int i = 0; i < 12; ++i)
        AddLine(Format("SUB%i", {i}), 1, "C", "2");
    LoadAssemblyIndex();
    TreeLayout layout;
    ASSERT_TRUE(layout.build());
    const int screenWidth = layout.screenWidth;
    const int screenHeight = layout.screenHeight;

    const QString file = dir.filePath("tree.pdf");
    QPdfWriter pdf(file);
    pdf.setResolution(300);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    ASSERT_TRUE(PrintAssemblyTree(layout, pdf));
    EXPECT_EQ(layout.nodes.size(), 13u);
    const double s = layout.printScale(pdf.width(), pdf.height(), 300, 300);
    EXPECT_GT(s, 1.0); // printer pixels are small
    EXPECT_EQ(layout.screenWidth, screenWidth); // remembered, not replaced by the printed build
    EXPECT_EQ(layout.screenHeight, screenHeight);
    EXPECT_EQ(layout.marginX, 300 / 4);
    EXPECT_EQ(layout.marginY, 300);
    // The limiting direction uses no more than 90 % of the printable area (font
    // metrics round, so allow a little).
    const double usedWidth = double(layout.maxRight - layout.marginX) / (pdf.width() - 150);
    const double usedHeight = double(layout.maxBottom - layout.marginY) / (pdf.height() - 300);
    EXPECT_LT(std::max(usedWidth, usedHeight), 0.97);
    EXPECT_GT(std::max(usedWidth, usedHeight), 0.6);
    EXPECT_FALSE(layout.printing);
    EXPECT_GT(QFileInfo(file).size(), 1000);
}
