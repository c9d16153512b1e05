#include "support/testsupport.h"

#include "app/startup.h"
#include "core/appstate.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/parameters.h"

#include <QDir>
#include <QProcess>
#include <QThread>
#include <array>
#include <vector>

TEST_F(DataFolderTest, RunQueryDeliversRowsHeadingsAndNulls)
{
    QueryResult r = Query("Select id, Part_nBr, Price, Stock from PartList");
    EXPECT_EQ(r.rowCount, 0);
    // An empty result keeps the headings it had.
    r.columnCount = 2;
    r.headings[1] = "Kept";
    headingsCaptured = 0;
    EXPECT_EQ(RunQuery(r, "Select * from PartList"), 0);
    EXPECT_EQ(r.columnCount, 2);
    EXPECT_EQ(r.headings[1], "Kept");

    ASSERT_TRUE(Execute("insert into PartList (Part_nBr, Price) values ('A-1', 1.5)"));
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr) values ('B-2')"));
    r = Query("Select id, Part_nBr, Price, Time_Stamp from PartList order by id");
    ASSERT_EQ(r.rowCount, 2);
    EXPECT_EQ(r.columnCount, 4);
    EXPECT_EQ(r.headings[0], "Key");
    EXPECT_EQ(r.headings[1], "Part #");
    EXPECT_EQ(r.headings[3], "Time Stamp");
    EXPECT_EQ(r.cell(0, 1), "A-1");
    EXPECT_EQ(r.cell(0, 2), "1.5");
    EXPECT_EQ(r.cell(1, 3), ""); // NULL arrives as empty text
    EXPECT_EQ(r.cell(5, 1), ""); // outside the rows: empty, no crash
}

TEST_F(DataFolderTest, QueryTextJoinsRowsWithBars)
{
    ASSERT_TRUE(Execute("create table T (a text, b text)"));
    ASSERT_TRUE(Execute("insert into T values ('3', NULL)"));
    ASSERT_TRUE(Execute("insert into T values ('7', 'x')"));
    EXPECT_EQ(QueryText("select a from T order by a", true), "3|7|");
    EXPECT_EQ(QueryText("select a from T order by a", false), "37");
    EXPECT_EQ(QueryText("select a, b from T where a = '7'", false), "7x|");
    EXPECT_EQ(QueryText("select a, b from T where a = '3'", true), "3||");
    // A failing statement is silent and empty.
    EXPECT_EQ(QueryText("select nonsense from Nowhere", true), "");
    EXPECT_NE(LastResultCode(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DataFolderTest, RunQueryReportsErrorsUnderDatabaseStatus)
{
    QueryResult r = Query("select * from NoSuchTable");
    EXPECT_EQ(r.rowCount, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Database Status");
    EXPECT_TRUE(ui.messages[0].text.contains("NoSuchTable", Qt::CaseInsensitive));
}

TEST_F(DataFolderTest, QuotesAndNonAsciiSurviveARoundTrip)
{
    const QString part = "O'BRIEN-1";
    const QString note = "it's \"fine\"; drop table PartList -- µF Ω 漢字 😀";
    ASSERT_TRUE(Execute(SqlFormat("insert into PartList (Part_nBr, Description) values ('%s','%s')", {part, note})));
    const QueryResult r = Query(SqlFormat("Select Part_nBr, Description from PartList where Part_nBr = '%s'", {part}));
    ASSERT_EQ(r.rowCount, 1);
    EXPECT_EQ(r.cell(0, 0), part);
    EXPECT_EQ(r.cell(0, 1), note);
    // Stored as UTF-8, so the sqlite3 shell reads the same text.
    EXPECT_EQ(sqlite("select Description from PartList"), note);
    EXPECT_EQ(QueryText("select count(*) from PartList", false), "1");
}

TEST_F(DataFolderTest, BytesOfTheOldOneBytePerCharacterRuleReadBackUnchanged)
{
    SKIP_ON_SERVER("the server keeps text in its encoding; only an old file holds such bytes");
    // 0xE9 alone is not UTF-8: an older file's "é".
    sqlite("insert into PartList (Part_nBr, Description) values ('OLD', CAST(X'436166E9' AS TEXT))");
    const QueryResult r = Query("Select Description from PartList where Part_nBr = 'OLD'");
    ASSERT_EQ(r.rowCount, 1);
    EXPECT_EQ(r.cell(0, 0), QString::fromUtf8("Caf\u00e9"));
    EXPECT_EQ(r.cell(0, 0).at(3).unicode(), 0xE9);
}

TEST_F(DataFolderTest, MoreThanSixtyFourColumnsIsRefused)
{
    QStringList cols;
    for (int i = 0; i < 70; ++i)
        cols << QString::number(i);
    QueryResult r;
    headingsCaptured = 0;
    EXPECT_EQ(RunQuery(r, "select " + cols.join(',')), 0);
    EXPECT_EQ(r.columnCount, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Database Status");
    // 64 columns are fine.
    headingsCaptured = 0;
    EXPECT_EQ(RunQuery(r, "select " + cols.mid(0, 64).join(',')), 1);
    EXPECT_EQ(r.columnCount, 64);
}

TEST_F(DataFolderTest, LargeResultsAreNotCapped)
{
    const TableDefinition& def = App().tables[PartList];
    QStringList values;
    for (int i = 0; i < def.fieldCount; ++i)
        values << "";
    const int part = FieldIndex(def, "Part_nBr");
    Transaction tx;
    for (int i = 0; i < 30000; ++i) {
        values[part] = QString("P%1").arg(i);
        InsertRow(values, PartList);
    }
    ASSERT_TRUE(tx.commit());
    const QueryResult r = Query("Select * from PartList");
    EXPECT_EQ(r.rowCount, 30000);
    EXPECT_GT(static_cast<qint64>(r.rowCount) * r.columnCount, 524288);
    EXPECT_EQ(r.cell(29999, FindColumn(r, "Part #")), "P29999");
}

TEST_F(DataFolderTest, InsertRowDefaultsNumbersUpperCasesAndQuotes)
{
    const TableDefinition& def = App().tables[PartList];
    QStringList values;
    for (int i = 0; i < def.fieldCount; ++i)
        values << "";
    values[FieldIndex(def, "Part_nBr")] = QString::fromUtf8("ab-1'x 10µf");
    values[FieldIndex(def, "Manufacturer")] = QString::fromUtf8("acme straße");
    values[FieldIndex(def, "Description")] = "lower 'case'";
    values[FieldIndex(def, "Price")] = "12abc"; // not a clean number
    OpenDatabase();
    InsertRow(values, PartList);
    CloseDatabase();
    ASSERT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
    const QueryResult r = Query("Select Part_nBr, Manufacturer, Description, Price, Stock from PartList");
    ASSERT_EQ(r.rowCount, 1);
    // Upper case touches a-z only: the micro sign and ß stay as typed.
    EXPECT_EQ(r.cell(0, 0), QString::fromUtf8("AB-1'X 10µF"));
    EXPECT_EQ(r.cell(0, 1), QString::fromUtf8("ACME STRAßE"));
    EXPECT_EQ(r.cell(0, 2), "lower 'case'");
    EXPECT_EQ(TextToDouble(r.cell(0, 3)), 12.0);
    EXPECT_EQ(TextToDouble(r.cell(0, 4)), 0.0);
}

TEST_F(DataFolderTest, ManyRowsReadBackCellForCell)
{
    // Values that repeat, differ in one character, collide in length, are
    // long, are not ASCII, and are empty, over enough rows that repeated
    // values are shared between cells.
    ASSERT_TRUE(Execute("create table T (" + IdColumnDefinition() + ", a text, b text, c text)"));
    Transaction tx;
    std::vector<std::array<QString, 3>> expected;
    for (int i = 0; i < 700; ++i) {
        const std::array<QString, 3> row{QString("V%1").arg(i % 97), QString("W%1").arg(i % 13 == 0 ? i : 7),
                                         i % 5 == 0   ? QString()
                                         : i % 5 == 1 ? QString("long value number %1 of the column").arg(i)
                                         : i % 5 == 2 ? QString::fromUtf8("caf\u00e9 %1").arg(i % 3)
                                                      : QString("abcdefgh%1").arg(i % 2)};
        expected.push_back(row);
        ASSERT_TRUE(Execute(SqlFormat("insert into T (a, b, c) values ('%s','%s','%s')", {row[0], row[1], row[2]})));
    }
    ASSERT_TRUE(tx.commit());
    const QueryResult r = Query("select id, a, b, c from T order by id");
    ASSERT_EQ(r.rowCount, 700);
    for (int i = 0; i < 700; ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(r.cell(i, c + 1), expected[static_cast<size_t>(i)][static_cast<size_t>(c)]) << i << "," << c;
    // Bytes above ASCII after a run of ASCII: UTF-8 and the old one-byte rule
    // (which only an old file holds).
    if (TestOnServer())
        return;
    sqlite("insert into T (a, b, c) values ('abcdefghijk\xC3\xA9', CAST(X'61626364656667686A6BE9' AS TEXT), '')");
    const QueryResult last = Query("select a, b from T where a like 'abcdefghijk%'");
    ASSERT_EQ(last.rowCount, 1);
    EXPECT_EQ(last.cell(0, 0), QString::fromUtf8("abcdefghijk\u00e9"));
    EXPECT_EQ(last.cell(0, 1), QString::fromUtf8("abcdefghjk\u00e9"));
}

TEST_F(DataFolderTest, AResultWithoutHeadingsTakesThemEvenWhenTheFlagIsSet)
{
    // A reader that forgot to clear the flag must not write cells with no
    // width to place them by.
    ASSERT_TRUE(Execute("insert into PartList (Part_nBr) values ('A-1')"));
    headingsCaptured = 1;
    QueryResult r;
    EXPECT_EQ(RunQuery(r, "select Part_nBr, Description from PartList"), 1);
    EXPECT_EQ(r.columnCount, 2);
    EXPECT_EQ(r.headings[1], "Description");
    EXPECT_EQ(r.cell(0, 0), "A-1");
}

TEST_F(DataFolderTest, InsertRowsStoresAllInOrderOrNone)
{
    TableDefinition& def = App().tables[VendList];
    const int vendor = FieldIndex(def, "Vendor");
    ASSERT_GE(vendor, 0);
    QStringList values(def.fieldCount);
    std::vector<QStringList> rows;
    for (const char* name : {"acme", "o'neil", "zeta"}) {
        values[vendor] = name;
        rows.push_back(values);
    }
    OpenDatabase();
    InsertRows(rows, VendList);
    CloseDatabase();
    ASSERT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
    EXPECT_EQ(sqlite("select group_concat(Vendor, '|') from (select Vendor from VendList order by id) as v"),
              "ACME|O'NEIL|ZETA");

    // One row the database refuses: none of the statement's rows is stored.
    refuseWrites("refuse", "insert", "VendList", "new.Vendor = 'BAD'", "refused");
    rows[1][vendor] = "bad";
    OpenDatabase();
    InsertRows(rows, VendList);
    CloseDatabase();
    EXPECT_NE(LastResultCode(), 0);
    EXPECT_TRUE(LastErrorText().contains("refused"));
    EXPECT_EQ(sqlite("select count(*) from VendList"), "3");

    // A definition changed in place is followed by the next insert.
    def.headings[def.fieldCount] = "Extra Note";
    def.types[def.fieldCount] = "text";
    ++def.fieldCount;
    sqlite("alter table VendList add column Extra_Note text");
    values = QStringList(def.fieldCount);
    values[vendor] = "new";
    values[def.fieldCount - 1] = "noted";
    OpenDatabase();
    InsertRow(values, VendList);
    CloseDatabase();
    ASSERT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
    EXPECT_EQ(sqlite("select Extra_Note from VendList where Vendor = 'NEW'"), "noted");
}

TEST_F(DataFolderTest, InsertRowsWritesWhatInsertRowWrites)
{
    // Values that are the same in every record and values that differ, of
    // every kind, numbers clean and not: stored one statement for all, they
    // must come out as one statement per record stores them.
    const TableDefinition& def = App().tables[PartList];
    const int part = FieldIndex(def, "Part_nBr");
    const int price = FieldIndex(def, "Price");
    const int stock = FieldIndex(def, "Stock");
    const int description = FieldIndex(def, "Description");
    const int currency = FieldIndex(def, "Currency");
    const int err = FieldIndex(def, "Err"); // an integer field
    ASSERT_EQ(def.types[err], "integer");
    const QStringList prices{"1.5", "2", "", "007", "1e3", "12abc", " 5", "0", "-0", "2.0"};
    std::vector<QStringList> rows;
    for (int i = 0; i < 10; ++i) {
        QStringList values(def.fieldCount);
        values[part] = QString("p-%1").arg(i);
        values[price] = prices[i];
        values[err] = prices[i];
        values[stock] = "4";
        values[description] = i % 2 ? QString("it's %1").arg(i) : QString::fromUtf8("Ø 5 mm");
        values[currency] = "USD";
        rows.push_back(values);
    }
    Transaction tx;
    InsertRows(rows, PartList);
    ASSERT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
    for (const QStringList& values : rows)
        InsertRow(values, PartList);
    ASSERT_TRUE(tx.commit());
    QStringList columns;
    for (int f = 0; f < def.fieldCount; ++f)
        columns << QString("quote(%1)").arg(ToColumnName(def.headings[f]));
    const QString all = "select " + columns.join(" || '|' || ") + " from PartList where id %1 order by id";
    const QString batched = sqlite(all.arg("<= 10"));
    EXPECT_EQ(batched.count('\n'), 9);
    EXPECT_EQ(batched, sqlite(all.arg("> 10")));
}

TEST_F(DataFolderTest, SelectTableCreatesLazilyAndOnlyOnChange)
{
    sqlite("drop table VendList");
    EXPECT_TRUE(SelectTable(location, VendList));
    EXPECT_EQ(CurrentTable(), VendList);
    EXPECT_TRUE(hasTable("VendList"));
    sqlite("drop table VendList");
    EXPECT_FALSE(SelectTable(location, VendList));
    EXPECT_FALSE(hasTable("VendList"));
    if (!TestOnServer()) {
        EXPECT_FALSE(SelectTable(dir.path() + "/other", VendList));
        EXPECT_EQ(DatabasePath(), dir.path() + "/other/kolt.db");
    }
}

TEST_F(DataFolderTest, PartNumbersAndBillsAreIndexedOldFilesIncluded)
{
    const QString all = TestOnServer() ? "assylist_assy,partlist_part_nbr,resclist_assy"
                                       : "AssyList_Assy,PartList_Part_nBr,RescList_Assy";
    SelectTable(location, PartList);
    SelectTable(location, AssyList);
    SelectTable(location, RescList);
    EXPECT_EQ(indexNames(), all);
    // A file written before the indexes: selecting the table adds its index
    // and still answers as before.
    sqlite("drop index PartList_Part_nBr");
    sqlite("drop index AssyList_Assy");
    SelectTable(location, AssyList);
    SelectTable(location, PartList);
    EXPECT_EQ(indexNames(), all);
    EXPECT_NE(LastResultCode(), 0); // the table itself was there already
}

TEST_F(DataFolderTest, TransactionsWriteAllOrNothing)
{
    {
        Transaction tx;
        ASSERT_TRUE(tx.active());
        Execute("insert into PartList (Part_nBr) values ('A')");
        Execute("insert into PartList (Part_nBr) values ('B')");
        // Not committed: rolled back when the scope ends.
    }
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
    {
        Transaction tx;
        Execute("insert into PartList (Part_nBr) values ('A')");
        Execute("insert into NoSuchTable values (1)");
        Execute("insert into PartList (Part_nBr) values ('B')");
        EXPECT_FALSE(tx.ok());
        EXPECT_FALSE(tx.commit());
    }
    EXPECT_EQ(sqlite("select count(*) from PartList"), "0");
    {
        Transaction tx;
        Execute("insert into PartList (Part_nBr) values ('A')");
        {
            Transaction inner;
            Execute("insert into PartList (Part_nBr) values ('B')");
            EXPECT_TRUE(inner.commit());
        }
        EXPECT_EQ(QueryText("select count(*) from PartList", false), "2"); // same connection sees it
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(sqlite("select count(*) from PartList"), "2");
    {
        Transaction tx;
        InjectStatementFailure(2);
        Execute("insert into PartList (Part_nBr) values ('C')");
        EXPECT_FALSE(Execute("insert into PartList (Part_nBr) values ('D')"));
        EXPECT_FALSE(tx.commit());
    }
    EXPECT_EQ(sqlite("select count(*) from PartList"), "2");
}

TEST_F(DataFolderTest, InitializationCreatesParametersOnceAndFolders)
{
    EXPECT_EQ(sqlite("select count(*) from GlobalParamList"), "15");
    EXPECT_EQ(sqlite("select ParamName from GlobalParamList order by id limit 1"), "Param0");
    EXPECT_EQ(GetParam(ParamCompanyName), "YOUR COMPANY");
    EXPECT_EQ(GetParam(ParamDaysOff), "65");
    EXPECT_EQ(GetParam(ParamWorkingHours), "8");
    EXPECT_EQ(GetParam(ParamLastRequirement), "");
    for (int t = 0; t < kTableCount; ++t)
        EXPECT_TRUE(hasTable(TableSqlName(t)))
            << TableSqlName(t).toStdString();
    EXPECT_TRUE(QDir(DataPictureFolder()).exists());
    EXPECT_TRUE(QDir(DataDocumentFolder()).exists());

    SetParam(ParamCompanyName, "O'Neil & Sons");
    EXPECT_EQ(GetParam(ParamCompanyName), "O'Neil & Sons");
    SetParam(ParamCurrency, "GBP");
    ui.clear();
    InitializeDatabase(); // a second start
    EXPECT_FALSE(ui.saw("Database Initialization"));
    EXPECT_EQ(sqlite("select count(*) from GlobalParamList"), "15");
    EXPECT_EQ(GetParam(ParamCompanyName), "O'Neil & Sons");
    EXPECT_EQ(App().CurrentCurrency, "GBP");

    // Without the table every read is empty and every write ignored.
    sqlite("drop table GlobalParamList");
    EXPECT_EQ(GetParam(ParamCompanyName), "");
    SetParam(ParamCompanyName, "X");
    EXPECT_EQ(GetParam(ParamCompanyName), "");
}

TEST_F(DataFolderTest, FreshFolderShowsTheInitializationMessage)
{
    QTemporaryDir fresh;
    OpenDataFolder(fresh.path());
    EXPECT_TRUE(ui.saw("Database Initialization"));
    EXPECT_EQ(GetParam(ParamWorkingHours), "8");
}

namespace {

// A second program that holds the write lock while it lives.
class LockHolder
{
public:
    explicit LockHolder(const QString& database)
    {
        // Python's sqlite3 says when it holds the lock; the sqlite3 shell
        // buffers its output and cannot.
        m_holder.start(QStringLiteral("python3"),
                       {QStringLiteral("-c"),
                        QStringLiteral("import sqlite3, sys\n"
                                       "c = sqlite3.connect(sys.argv[1], timeout=10, isolation_level=None)\n"
                                       "c.execute('BEGIN IMMEDIATE')\n"
                                       "print('locked', flush=True)\n"
                                       "sys.stdin.read()\n"),
                        database});
        m_holder.waitForReadyRead(10000);
    }
    ~LockHolder()
    {
        m_holder.closeWriteChannel();
        m_holder.waitForFinished(10000);
    }

private:
    QProcess m_holder;
};

} // namespace

TEST_F(DataFolderTest, ASecondProgramHoldingTheFileResetsNothing)
{
    SKIP_ON_SERVER("the server's lock is held through another test");
    SetParam(ParamCompanyName, "Smith's Shop");
    SetParam(ParamLastPurchaseOrder, "41");
    // A start killed half-way left ten of the fifteen parameters.
    sqlite("delete from GlobalParamList where ParamName in ('Param11','Param12','Param13','Param14','Param6')");
    {
        LockHolder holder(dbPath());
        SetBusyTimeout(200);
        ui.clear();
        EXPECT_FALSE(InitializeDatabase());
        EXPECT_TRUE(ui.saw("database is busy"));
        EXPECT_FALSE(ui.saw("Database Initialization"));
        EXPECT_EQ(ui.messages.size(), 1u);
    }
    EXPECT_EQ(sqlite("select count(*) from GlobalParamList"), "10");
    EXPECT_EQ(sqlite("select Param from GlobalParamList where ParamName = 'Param7'"), "41");

    // Once the file is free, the gap is filled and nothing else changes.
    ui.clear();
    EXPECT_TRUE(InitializeDatabase());
    EXPECT_FALSE(ui.saw("Database Initialization"));
    EXPECT_EQ(sqlite("select count(*) from GlobalParamList"), "15");
    EXPECT_EQ(sqlite("select count(distinct ParamName) from GlobalParamList"), "15");
    EXPECT_EQ(GetParam(ParamCompanyName), "Smith's Shop");
    EXPECT_EQ(GetParam(ParamLastPurchaseOrder), "41");
    EXPECT_EQ(GetParam(ParamLastRequirement), "");
}

TEST_F(DataFolderTest, WorkThatCannotTakeTheLockRunsNoStatementAtAll)
{
    SKIP_ON_SERVER("the file's journal and lock; the server's are tested apart");
    EXPECT_EQ(sqlite("pragma journal_mode"), "wal");
    LockHolder holder(dbPath());
    SetBusyTimeout(100);
    // Readers go on while another program writes.
    EXPECT_EQ(GetParam(ParamWorkingHours), "8");
    {
        Transaction transaction;
        EXPECT_FALSE(transaction.active());
        EXPECT_EQ(LastErrorText(), "database is busy");
        // Refused at once, not written on its own outside the transaction.
        EXPECT_FALSE(Execute("Update GlobalParamList Set Param = 'X' where ParamName = 'Param0'"));
        EXPECT_TRUE(Query("Select * from PartList").rowCount == 0);
        EXPECT_FALSE(transaction.commit());
        EXPECT_EQ(LastErrorText(), "database is busy");
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(Execute("Update GlobalParamList Set Param = 'X' where ParamName = 'Param0'"));
    EXPECT_EQ(LastErrorText(), "database is busy");
    EXPECT_EQ(GetParam(ParamCompanyName), "YOUR COMPANY");
}

TEST_F(DataFolderTest, AnotherUserHoldingTheServersWriteLockMakesWritersBusy)
{
    if (!TestOnServer())
        GTEST_SKIP() << "the server's write lock";
    // Another user's program in the middle of its Process: it holds the
    // database's write lock until its transaction ends.
    QProcess other;
    other.start(QStringLiteral("psql"), {location, QStringLiteral("-q")});
    ASSERT_TRUE(other.waitForStarted());
    other.write("begin;\nselect pg_advisory_xact_lock(1263488084, hashtext(current_schema()));\n");
    other.waitForBytesWritten(5000);
    for (int i = 0; i < 200 && sqlite("select count(*) from pg_locks where locktype = 'advisory' and granted and "
                                       "objid = hashtext(current_schema())::oid") != "1"; ++i)
        QThread::msleep(20);
    SetBusyTimeout(200);
    EXPECT_EQ(GetParam(ParamWorkingHours), "8"); // readers go on
    {
        Transaction transaction;
        EXPECT_FALSE(transaction.active());
        EXPECT_FALSE(Execute("Update GlobalParamList Set Param = 'X' where ParamName = 'Param0'"));
        EXPECT_FALSE(transaction.commit());
        EXPECT_EQ(LastErrorText(), "database is busy");
    }
    EXPECT_TRUE(ui.messages.empty());
    other.write("rollback;\n\\q\n");
    other.closeWriteChannel();
    other.waitForFinished(10000);
    // Once the other user is done, the same work goes through.
    Transaction transaction;
    EXPECT_TRUE(transaction.active());
    EXPECT_TRUE(Execute("Update GlobalParamList Set Param = 'X' where ParamName = 'Param0'"));
    EXPECT_TRUE(transaction.commit());
    EXPECT_EQ(GetParam(ParamCompanyName), "X");

    // Another shop in the same database (its own schema) holds its own lock:
    // this one's writers do not wait for it.
    QProcess neighbour;
    neighbour.start(QStringLiteral("psql"), {anotherServerLocation(), QStringLiteral("-q")});
    ASSERT_TRUE(neighbour.waitForStarted());
    neighbour.write("begin;\nselect pg_advisory_xact_lock(1263488084, hashtext(current_schema()));\nselect 'locked';\n");
    while (!neighbour.readAllStandardOutput().contains("locked"))
        ASSERT_TRUE(neighbour.waitForReadyRead(10000));
    {
        Transaction again;
        EXPECT_TRUE(again.active());
        EXPECT_TRUE(Execute("Update GlobalParamList Set Param = 'Y' where ParamName = 'Param0'"));
        EXPECT_TRUE(again.commit());
    }
    neighbour.write("rollback;\n\\q\n");
    neighbour.closeWriteChannel();
    neighbour.waitForFinished(10000);
}

TEST(Database, NetworkFileSystemsKeepTheRollbackJournal)
{
    EXPECT_TRUE(IsNetworkFileSystem(0x6969));      // NFS
    EXPECT_TRUE(IsNetworkFileSystem(0xFF534D42));  // CIFS
    EXPECT_TRUE(IsNetworkFileSystem(0xFE534D42));  // SMB2
    EXPECT_FALSE(IsNetworkFileSystem(0xEF53));     // ext4
    EXPECT_FALSE(IsNetworkFileSystem(0x01021994)); // tmpfs
}

namespace {
void ignoreStatement(const QByteArray&, int) {}
} // namespace

TEST_F(DataFolderTest, NumberCellsNeverBreakTheStatement)
{
    // A number field's text goes into the statement unquoted: a non-breaking
    // space, a control character or a NUL after the digits must neither fail
    // the insert nor cut it. Stored bound to a prepared statement and, while
    // statements are watched, as statement text: both alike.
    const TableDefinition& def = App().tables[AssyList];
    const int item = FieldIndex(def, "Item");
    const int part = FieldIndex(def, "Part_nBr");
    const int notes = FieldIndex(def, "Notes");
    ASSERT_EQ(def.types[item], "integer");
    const QStringList items{QStringLiteral("5\u00a0"), QStringLiteral("7\u0001"), QStringLiteral(" 8 "),
                            QStringLiteral("1e3"), QStringLiteral("abc"), QStringLiteral("9") + QChar(0),
                            QStringLiteral("-2"), QStringLiteral("0x10"), QStringLiteral("1e999")};
    for (const bool watched : {false, true}) {
        ObserveStatements(watched ? ignoreStatement : nullptr);
        std::vector<QStringList> rows;
        for (const QString& text : items) {
            QStringList values(def.fieldCount);
            values[item] = text;
            values[part] = QStringLiteral("p") + QChar(0) + QStringLiteral("1'x");
            values[notes] = watched ? "text" : "bound";
            rows.push_back(values);
        }
        Transaction tx;
        InsertRows(rows, AssyList);
        EXPECT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
        InsertRow(rows.front(), AssyList);
        EXPECT_EQ(LastResultCode(), 0) << LastErrorText().toStdString();
        ASSERT_TRUE(tx.commit());
        ObserveStatements(nullptr);
    }
    // The server's column holds numbers only; SQLite's says what it holds.
    const QString stored = TestOnServer()
                               ? "select group_concat(Item || ':integer', ' ') from AssyList where Notes = '%1'"
                               : "select group_concat(Item || ':' || typeof(Item), ' ') from AssyList where Notes = '%1'";
    EXPECT_EQ(sqlite(stored.arg("bound")),
              "5:integer 7:integer 8:integer 1000:integer 0:integer 9:integer -2:integer 16:integer 0:integer "
              "5:integer");
    EXPECT_EQ(sqlite(stored.arg("bound")), sqlite(stored.arg("text")));
    // A NUL in a text is left out, not the rest of the text with it.
    EXPECT_EQ(sqlite("select distinct Part_nBr from AssyList"), "P1'X");
}
