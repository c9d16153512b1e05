// The BOM report written as a workbook (koltctl bom ... --xlsx, the report
// window's Export) and read back with the import's own workbook reader.
#include "support/testsupport.h"

#include "db/database.h"
#include "interchange/importsheet.h"

#include <QFile>

namespace {

class ReportWorkbookTest : public DataFolderTest
{
protected:
    ImportSheet readBack(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const ImportWorkbook book = ReadImportWorkbook(file.readAll());
        EXPECT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        return book.sheets.empty() ? ImportSheet() : book.sheets.front();
    }

    static QString cell(const ImportSheet& sheet, int row, const QString& heading)
    {
        if (sheet.rows.empty() || row >= static_cast<int>(sheet.rows.size()))
            return QStringLiteral("(no row)");
        const int column = static_cast<int>(sheet.rows.front().indexOf(heading));
        return column < 0 ? QStringLiteral("(no column ") + heading + ")" : sheet.rows[static_cast<size_t>(row)].value(column);
    }
};

} // namespace

TEST_F(ReportWorkbookTest, FlatAndIndentedReportsReadBackWithNumbersAsNumbersAndCodesAsText)
{
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr,Description,Price,Make) values "
                        "('MAIN','Main unit','0','Make'),('SUB','Sub board','0','Make'),"
                        "('00123','Spacer','1.50','Buy'),('R-1','=1+1 resistor','0.0125','Buy')"));
    ASSERT_TRUE(Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values "
                        "('MAIN','1','SUB','2'),('MAIN','2','00123','4'),('SUB','1','R-1','10')"));

    const QString flat = dir.filePath("flat.xlsx");
    CtlRun run = ctl({"bom", "flat", "MAIN", "--xlsx", flat});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    ImportSheet sheet = readBack(flat);
    EXPECT_EQ(sheet.name, "MAIN");
    // Headings, two parts and the totals row.
    ASSERT_EQ(sheet.rows.size(), 4u);
    int spacer = cell(sheet, 1, "Part #") == "00123" ? 1 : 2;
    int resistor = 3 - spacer;
    // A part number of digits stays text with its zeros; a quantity and a
    // price are numbers the sheet shows in its own way ("1.5").
    EXPECT_EQ(cell(sheet, spacer, "Part #"), "00123");
    EXPECT_EQ(cell(sheet, spacer, "Quan"), "4");
    EXPECT_EQ(cell(sheet, spacer, "Price"), "1.5");
    EXPECT_EQ(cell(sheet, spacer, "Line Total"), "6");
    // Text that a spreadsheet would take for a formula is guarded as the
    // table export guards it (the import takes the apostrophe off).
    EXPECT_EQ(cell(sheet, resistor, "Description"), "'=1+1 resistor");
    EXPECT_EQ(cell(sheet, resistor, "Quan"), "20");
    EXPECT_EQ(cell(sheet, 3, "Line Total"), "6.25");
    EXPECT_TRUE(cell(sheet, 3, "Part #").startsWith("Total (2)"));

    const QString indented = dir.filePath("indented.xlsx");
    run = ctl({"bom", "indented", "MAIN", "--xlsx", indented});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    sheet = readBack(indented);
    ASSERT_EQ(sheet.rows.size(), 4u); // headings, SUB, R-1 under it, the spacer
    QStringList parts;
    for (size_t r = 1; r < sheet.rows.size(); ++r)
        parts << cell(sheet, static_cast<int>(r), "Part #").trimmed();
    EXPECT_TRUE(parts.contains("SUB") && parts.contains("00123")) << parts.join(",").toStdString();

    // A file that cannot be written: exit 1, nothing left behind.
    run = ctl({"bom", "flat", "MAIN", "--xlsx", dir.filePath("no-such-folder/x.xlsx")});
    EXPECT_EQ(run.code, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("no-such-folder/x.xlsx")));
    EXPECT_EQ(ctl({"bom", "flat", "NOTHING", "--xlsx", dir.filePath("n.xlsx")}).code, 1);
}
