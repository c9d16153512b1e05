// Moving a shop between data locations: every value arrives as it left, a
// target with data is refused, a failed copy leaves the target as it was.
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "db/copy.h"
#include "db/database.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const char* const kTables[] = {"AssyList", "PartList", "VendList", "RescList", "PurcList",
                               "ReqmList", "TaskList", "LabrList", "AlloList", "GlobalParamList"};

// A data folder's rows and each value's storage class, table by table.
QString folderDump(const QString& folder)
{
    QString text;
    for (const char* table : kTables) {
        QProcess p;
        p.start(QStringLiteral("sqlite3"),
                {folder + QStringLiteral("/kolt.db"),
                 QStringLiteral("select * from %1 order by id").arg(QString::fromLatin1(table))});
        p.waitForFinished(30000);
        text += QString::fromLatin1(table) + QLatin1Char('\n') + QString::fromUtf8(p.readAllStandardOutput());
    }
    return text;
}

QString sqliteValue(const QString& folder, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {folder + QStringLiteral("/kolt.db"), sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class CopyTest : public DataFolderTest
{
protected:
    void fillShop()
    {
        // Quotes, non-ASCII text, a number kept as text with its leading
        // zeros, an empty value and a missing one.
        ASSERT_TRUE(Execute(QString::fromUtf8(
            "insert into PartList (Part_nBr,Internal_nBr,Description,Price,Stock,Notes) values "
            "('C-10U','00123','10µF ''X5R'' \"0805\"','0.015','2.5',''),"
            "('R-1',NULL,'Ω resistor; 1%','1e3','100',NULL),"
            "('BOARD','0042','Main board','','0','line one\nline two')")));
        ASSERT_TRUE(Execute(QStringLiteral("insert into AssyList (Err,Assy,Item,Part_nBr,Quan,Ref_Des) values "
                                           "(0,'BOARD',1,'C-10U','4','C1,C2,C3,C4'),(0,'BOARD',2,'R-1','1.5','R1')")));
        ASSERT_TRUE(Execute(QStringLiteral("insert into VendList (Vendor) values ('Mouser'),('Müller & Söhne')")));
        ASSERT_TRUE(Execute(QStringLiteral("insert into PurcList (PO_nBr,Vendor,Status,Item_List) values "
                                           "('PO-7','Mouser','Pending','C-10U|2.5|')")));
        // A gap in the ids: the copy keeps them, and new rows go after them.
        ASSERT_TRUE(Execute(QStringLiteral("delete from VendList where Vendor = 'Mouser'")));
    }

    QString newFolder(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
};

} // namespace

TEST_F(CopyTest, AShopGoesOutAndComesBackWithEveryValueAsItWas)
{
    fillShop();
    const QString before = snapshot();
    const QString a = newFolder(QStringLiteral("a"));
    const CopyOutcome out = CopyData(location, a);
    ASSERT_TRUE(out.done) << (ui.messages.empty() ? std::string() : ui.messages.back().text.toStdString());
    EXPECT_EQ(out.tables.size(), kTableCount + 1); // every table and the parameters
    EXPECT_TRUE(out.tables.contains(QStringLiteral("PartList\t3")));
    EXPECT_TRUE(out.tables.contains(QStringLiteral("VendList\t1")));

    // Through the server (or another folder) and back.
    const QString middle = TestOnServer() ? anotherServerLocation() : newFolder(QStringLiteral("b"));
    ASSERT_FALSE(middle.isEmpty());
    ASSERT_TRUE(CopyData(a, middle).done);
    const QString c = newFolder(QStringLiteral("c"));
    ASSERT_TRUE(CopyData(middle, c).done);
    EXPECT_EQ(folderDump(c), folderDump(a));
    EXPECT_TRUE(folderDump(a).contains(QString::fromUtf8("10µF 'X5R' \"0805\"")));
    // Text stays text: a part number of digits keeps its zeros, a price its spelling.
    EXPECT_EQ(sqliteValue(c, QStringLiteral("select typeof(Internal_nBr)||Internal_nBr||'|'||Price from PartList "
                                            "where Part_nBr = 'C-10U'")),
              "text00123|0.015");
    EXPECT_EQ(sqliteValue(c, QStringLiteral("select typeof(Item) from AssyList limit 1")), "integer");
    // The source is untouched.
    EXPECT_EQ(snapshot(), before);

    // The copy is a working database: a new row gets an id after the copied ones.
    SelectTable(c, 1);
    ASSERT_TRUE(OpenDatabase());
    ASSERT_TRUE(Execute(QStringLiteral("insert into VendList (Vendor) values ('New')")));
    EXPECT_EQ(sqliteValue(c, QStringLiteral("select id > (select max(id) from VendList where Vendor <> 'New') "
                                            "from VendList where Vendor = 'New'")),
              "1");
}

TEST_F(CopyTest, ATargetThatHoldsDataIsRefusedAndAFailedCopyLeavesTheTargetAsItWas)
{
    // A target that was opened once holds only its parameters: that counts as empty.
    const QString target = TestOnServer() ? anotherServerLocation() : newFolder(QStringLiteral("target"));
    ASSERT_TRUE(CopyData(location, target).done);
    ASSERT_TRUE(Execute(QStringLiteral("update GlobalParamList set Param = 'Source & Co' where ParamName = 'Param0'")));
    fillShop();

    // A source column that no definition names would be lost on the way:
    // the copy stops after several tables were written, and rolls them back.
    ASSERT_TRUE(Execute(QStringLiteral("alter table TaskList add column Extra text")));
    ASSERT_TRUE(Execute(QStringLiteral("insert into TaskList (Extra) values ('kept nowhere')")));
    ui.clear();
    EXPECT_FALSE(CopyData(location, target).done);
    EXPECT_TRUE(ui.saw("TaskList")) << ui.messages.size();
    const QString back = newFolder(QStringLiteral("back"));
    ASSERT_TRUE(Execute(QStringLiteral("alter table TaskList drop column Extra")));
    ASSERT_TRUE(Execute(QStringLiteral("delete from TaskList")));
    ASSERT_TRUE(CopyData(target, back).done);
    EXPECT_EQ(sqliteValue(back, QStringLiteral("select count(*) from PartList")), "0");
    EXPECT_EQ(sqliteValue(back, QStringLiteral("select count(*) from GlobalParamList where Param = 'Source & Co'")),
              "0");

    // Now the copy goes through; a second one over it is refused and changes nothing.
    ASSERT_TRUE(CopyData(location, target).done);
    const QString again = newFolder(QStringLiteral("again"));
    ASSERT_TRUE(CopyData(target, again).done);
    const QString copied = folderDump(again);
    ASSERT_TRUE(Execute(QStringLiteral("insert into PartList (Part_nBr) values ('LATE')")));
    ui.clear();
    EXPECT_FALSE(CopyData(location, target).done);
    EXPECT_TRUE(ui.saw("The target already holds data")) << ui.messages.size();
    const QString after = newFolder(QStringLiteral("after"));
    ASSERT_TRUE(CopyData(target, after).done);
    EXPECT_EQ(folderDump(after), copied);
}

TEST_F(CopyTest, ACopyIntoANewFolderThatFailsLeavesNoFolderBehind)
{
    SKIP_ON_SERVER("a folder as the source");
    fillShop();
    ASSERT_TRUE(Execute(QStringLiteral("alter table AlloList add column Extra text")));
    ASSERT_TRUE(Execute(QStringLiteral("insert into AlloList (Extra) values ('kept nowhere')")));
    const QString target = newFolder(QStringLiteral("new/shop"));
    EXPECT_FALSE(CopyData(location, target).done);
    EXPECT_FALSE(QFile::exists(target + QStringLiteral("/kolt.db")));
    EXPECT_FALSE(QDir(target).exists());
    // The same place for the source and the target is refused before anything is written.
    ui.clear();
    EXPECT_FALSE(CopyData(location, location + QLatin1Char('/')).done);
    EXPECT_TRUE(ui.saw("same"));
}
