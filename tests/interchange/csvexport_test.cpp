#include "support/testsupport.h"

#include "db/database.h"
#include "grid/gridmodel.h"
#include "interchange/csvexport.h"

#include <QFile>
#include <QProcess>

namespace {

QueryResult bomResult(const std::vector<QStringList>& rows)
{
    QueryResult result;
    const QStringList headings{"Key", "Assy", "Item", "Part #", "Item List"};
    result.columnCount = static_cast<int>(headings.size());
    for (int c = 0; c < result.columnCount; ++c)
        result.headings[c] = headings[c];
    for (const QStringList& row : rows) {
        for (int c = 0; c < result.columnCount; ++c)
            result.setCell(result.rowCount, c, row.value(c));
        ++result.rowCount;
    }
    return result;
}

class ExportTest : public DataFolderTest
{
};

} // namespace

TEST(CsvExportTest, LayoutByteForByte)
{
    const QString stamp = "2026-12-07 10:11:12";
    const QByteArray banner = "KOLT File Export: 2026-12-07 10:11:12 Table:AssyList\r\nAssy,Item,Part #\r\n";
    // No rows: the banner and the heading line only; "Item List" is left out.
    EXPECT_EQ(CsvExportBytes(bomResult({}), AssyList, stamp), banner);

    const QueryResult result = bomResult({
        {"7", "MAIN", "1", "R-1,2", "x\ny"},
        {"8", "MAIN", "2", "12\" rack", ""},
        {"9", "MAIN", "3", "\"Q\", big", ""},
        {"10", "MAIN", "4", QStringLiteral("10kΩ"), ""},
        {"11", "MAIN", "5", "two\r\nlines", ""},
    });
    EXPECT_EQ(CsvExportBytes(result, AssyList, stamp),
              banner + "MAIN,1,\"R-1,2\"\r\n"
                       "MAIN,2,12\" rack\r\n"
                       "MAIN,3,\"\"\"Q\"\", big\"\r\n"
                       "MAIN,4,10k\xCE\xA9\r\n"
                       "MAIN,5,\"two\r\nlines\"\r\n");
}

TEST_F(ExportTest, SpreadsheetsReadTheExportBack)
{
    Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('MAIN','1','R-1,2','2')");
    Execute("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('OTHER','1','X','1')");
    Execute(QStringLiteral("insert into PartList (Part_nBr,Description) values "
                           "('C-1','Cap 4.7µF, 25 V'),('S-1','Bolt 1/4\" long'),('Q-1','\"Best\" part, \"new\"')"));
    const QString path = dir.path() + "/PartList.csv";
    ASSERT_TRUE(ExportTable(path, PartList, QString()));

    // Python's csv module reads what spreadsheets read.
    const QString script = "import csv,sys\n"
                           "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8',newline='')))\n"
                           "print(rows[0][0].startswith('KOLT File Export:'), len(rows))\n"
                           "h=[c.strip() for c in rows[1]]\n"
                           "for r in rows[2:]: print(r[h.index('Part #')]+'|'+r[h.index('Description')])\n";
    QProcess python;
    python.start("python3", {"-c", script, path});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()),
              QStringLiteral("True 5\nC-1|Cap 4.7µF, 25 V\nS-1|Bolt 1/4\" long\nQ-1|\"Best\" part, \"new\"\n"));

    // The grid's bill of one assembly exports only that assembly's lines.
    ASSERT_TRUE(ExportTable(path, AssyList, "MAIN"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[2].contains("MAIN,1,\"R-1,2\",2,")) << lines[2].toStdString();

    // A file that cannot be written is reported.
    EXPECT_FALSE(ExportTable(dir.path() + "/missing/folder/x.csv", PartList, QString()));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ExportTest, ExportsWithTheGridsOwnStatement)
{
    for (int table : {AssyList, PartList, RescList, VendList}) {
        CGridModel grid;
        grid.currentAssembly = "MA'IN";
        EXPECT_EQ(ExportLoadStatement(table, "MA'IN"), grid.BuildStatement(table)) << table;
    }
    EXPECT_EQ(ExportLoadStatement(AssyList, "MA'IN"), "Select * from AssyList where Assy='MA''IN' order by Item");
}
