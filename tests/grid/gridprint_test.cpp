#include "gridfixture.h"

#include "grid/gridprint.h"

#include <QGuiApplication>
#include <QImage>
#include <QProcess>

namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "grid_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QGuiApplication(argc, argv);
}

QString pdfText(const QString& file, int page)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {"-f", QString::number(page), "-l", QString::number(page), "-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST_F(GridTest, PrintoutPagesHeadingsAndLimit)
{
    ensureApplication();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(DataPictureFolder() + "/r1.jpg"));
    exec("insert into PartList (Part_nBr,Description,Picture,Err) values ('R1','first resistor','r1.jpg','0')");
    CGridModel grid;
    grid.Load(PartList);
    const GridPrintout printout = MakeGridPrintout(grid, grid.displayOrder());
    EXPECT_EQ(printout.documentName, "KOLT-Part Table");
    EXPECT_TRUE(printout.titleLine.startsWith("Part Table:"));
    EXPECT_FALSE(printout.headings.contains(""));  // no Err column
    const QString file = dir.path() + "/one.pdf";
    int pages = 0;
    ASSERT_TRUE(PrintGridToPdf(printout, file, &pages));
    EXPECT_EQ(pages, 1);
    const QString text = pdfText(file, 1);
    EXPECT_TRUE(text.contains("first resistor"));
    EXPECT_TRUE(text.contains("Page 1"));
    EXPECT_TRUE(text.contains("KOLT:"));
    EXPECT_FALSE(text.contains("r1.jpg")); // drawn as a picture

    GridPrintout longOne;
    longOne.headings = QStringList{"Part #", "Description"};
    for (int i = 0; i < 3000; ++i)
        longOne.rows.push_back({QStringLiteral("P%1").arg(i), QStringLiteral("row %1").arg(i)});
    ASSERT_TRUE(PrintGridToPdf(longOne, dir.path() + "/long.pdf", &pages));
    EXPECT_EQ(pages, kMaxPrintPages);
    EXPECT_TRUE(pdfText(dir.path() + "/long.pdf", 20).contains("Part #")); // heading on every page
}
