// The schema version: a shop written before versions existed, or by an older
// release, opens, moves forward and keeps every record.
#include "support/testsupport.h"

#include "core/appstate.h"
#include "core/tabledefs.h"
#include "db/database.h"
#include "db/parameters.h"
#include "db/schema.h"

#include <QFile>

namespace {

// Made by the release before schema versions (PRAGMA user_version 0): two
// imported bills, a processed requirement, a received purchase order.
QString legacyShop()
{
    return SourceDir() + "/tests/db/data/shop-before-versions.db";
}

} // namespace

TEST_F(DataFolderTest, ANewShopIsMadeAtTheCurrentVersion)
{
    EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
    for (int t = 0; t < kTableCount; ++t)
        EXPECT_TRUE(hasTable(TableSqlName(t))) << TableSqlName(t).toStdString();
    // A second start runs no step again.
    ObserveStatements([](const QByteArray& statement, int) {
        EXPECT_FALSE(statement.toLower().contains("alter table")) << statement.constData();
    });
    EXPECT_TRUE(InitializeDatabase());
    ObserveStatements(nullptr);
    EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
}

TEST_F(DataFolderTest, AShopWithoutAVersionIsBroughtForwardKeepingEveryRecord)
{
    if (TestOnServer()) {
        // A server shop of the earlier release had no SchemaVersion table.
        sqlite("drop table SchemaVersion");
        sqlite("drop table MoveList");
        ASSERT_EQ(StoredSchemaVersion(), 0);
        sqlite("insert into PartList (Part_nBr, Stock) values ('R1', '30.0')");
        const QString before = sqlite("select Part_nBr, Stock from PartList order by id");
        ASSERT_TRUE(InitializeDatabase());
        EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
        EXPECT_TRUE(hasTable("MoveList"));
        EXPECT_EQ(sqlite("select Part_nBr, Stock from PartList order by id"), before);
        return;
    }
    ASSERT_TRUE(QFile::exists(legacyShop()));
    // The old file takes the place of the test's own.
    ReleaseDatabase();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(dbPath() + QLatin1String(suffix));
    ASSERT_TRUE(QFile::copy(legacyShop(), dbPath()));
    QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    const QString tablesBefore = sqlite("select name from sqlite_master where type = 'table' order by name");
    EXPECT_FALSE(tablesBefore.contains("MoveList"));
    EXPECT_EQ(sqlite("PRAGMA user_version"), "0");
    // The records as the old columns hold them: later steps add columns,
    // which come empty, and must leave every value there was.
    QStringList statements;
    for (const char* table : {"AssyList", "PartList", "VendList", "RescList", "PurcList", "ReqmList", "TaskList",
                              "LabrList", "AlloList", "GlobalParamList"}) {
        const QString columns =
            sqlite(QStringLiteral("select group_concat(name, ',') from pragma_table_info('%1')").arg(table));
        if (!columns.isEmpty())
            statements << QStringLiteral("select %1 from %2 order by id").arg(columns, table);
    }
    const auto records = [&] {
        QString text;
        for (const QString& statement : statements)
            text += statement + QLatin1Char('\n') + sqlite(statement) + QLatin1Char('\n');
        return text;
    };
    const QString before = records();
    const QString partColumns = sqlite("select group_concat(name, ',') from pragma_table_info('PartList')");

    ASSERT_TRUE(InitializeDatabase()) << (ui.messages.empty() ? "" : ui.messages.back().text.toStdString());
    EXPECT_EQ(sqlite("PRAGMA user_version"), QString::number(CurrentSchemaVersion()));
    EXPECT_TRUE(hasTable("MoveList"));
    EXPECT_TRUE(hasTable("RevsList"));
    EXPECT_TRUE(hasTable("ChngList"));
    EXPECT_EQ(sqlite("select group_concat(name, ',') from pragma_table_info('PartList')"),
              partColumns + ",Obsolete,Replacement,Alternates");
    // Every record of the nine tables and the parameters, byte for byte.
    EXPECT_EQ(records(), before);
    EXPECT_NE(sqlite("select count(*) from AssyList"), "0");
    // The received order's packed lines are rows of their own now.
    EXPECT_NE(sqlite("select count(*) from PurcLine"), "0");
    EXPECT_EQ(sqlite("select count(*) from PurcLine where PO_nBr not in (select PO_nBr from PurcList)"), "0");
    EXPECT_EQ(sqlite("pragma integrity_check"), "ok");
}

TEST_F(DataFolderTest, AShopOfANewerReleaseIsRefusedUntouched)
{
    if (TestOnServer())
        sqlite("update SchemaVersion set Version = 999");
    else
        sqlite("PRAGMA user_version = 999");
    const QString before = snapshot();
    ui.clear();
    EXPECT_FALSE(InitializeDatabase());
    EXPECT_TRUE(ui.saw("newer KOLT"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(DataFolderTest, AFailedStepLeavesTheShopAtTheVersionBefore)
{
    // A column added by hand under a step's name makes nothing fail: the
    // helper steps add only what is missing.
    EXPECT_TRUE(AddColumnIfMissing("PartList", "Extra_Test", "text"));
    EXPECT_TRUE(AddColumnIfMissing("PartList", "EXTRA_TEST", "text"));
    EXPECT_TRUE(TableColumns("PartList").contains("Extra_Test", Qt::CaseInsensitive));
    EXPECT_FALSE(AddColumnIfMissing("NoSuchTable", "X", "text"));
}

TEST_F(DataFolderTest, AShopOfTheVersionBeforeGainsRevisionsTheChangeLogAndAlternates)
{
    // The shop as the release before wrote it: no revisions, no change log,
    // no obsolete or alternate columns.
    sqlite("drop table RevsList");
    sqlite("drop table ChngList");
    for (const char* column : {"Obsolete", "Replacement", "Alternates"})
        sqlite(QStringLiteral("alter table PartList drop column %1").arg(column));
    sqlite("alter table AssyList drop column Substitutes");
    if (TestOnServer())
        sqlite("update SchemaVersion set Version = 4");
    else
        sqlite("PRAGMA user_version = 4");
    ASSERT_EQ(StoredSchemaVersion(), 4);
    ASSERT_FALSE(TableColumns("PartList").contains("Alternates", Qt::CaseInsensitive));
    sqlite("insert into PartList (Part_nBr, Stock) values ('R1', '30.0')");
    sqlite("insert into AssyList (Assy, Item, Part_nBr, Quan) values ('BOARD', 1, 'R1', '2')");

    ASSERT_TRUE(InitializeDatabase()) << (ui.messages.empty() ? "" : ui.messages.back().text.toStdString());
    EXPECT_EQ(StoredSchemaVersion(), CurrentSchemaVersion());
    EXPECT_TRUE(hasTable("RevsList"));
    EXPECT_TRUE(hasTable("ChngList"));
    for (const char* column : {"Obsolete", "Replacement", "Alternates"})
        EXPECT_TRUE(TableColumns("PartList").contains(column, Qt::CaseInsensitive)) << column;
    EXPECT_TRUE(TableColumns("AssyList").contains("Substitutes", Qt::CaseInsensitive));
    EXPECT_EQ(sqlite("select Part_nBr, Stock from PartList"), "R1|30.0");
    EXPECT_EQ(sqlite("select Assy, Part_nBr, Quan from AssyList"), "BOARD|R1|2");
}
