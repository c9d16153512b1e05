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
    for (const QString& suffix : {"", "-wal", "-shm"})
        QFile::remove(dbPath() + suffix);
    ASSERT_TRUE(QFile::copy(legacyShop(), dbPath()));
    QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    const QString tablesBefore = sqlite("select name from sqlite_master where type = 'table' order by name");
    EXPECT_FALSE(tablesBefore.contains("MoveList"));
    EXPECT_EQ(sqlite("PRAGMA user_version"), "0");
    const QString before = snapshot();

    ASSERT_TRUE(InitializeDatabase()) << (ui.messages.empty() ? "" : ui.messages.back().text.toStdString());
    EXPECT_EQ(sqlite("PRAGMA user_version"), QString::number(CurrentSchemaVersion()));
    EXPECT_TRUE(hasTable("MoveList"));
    // Every record of the nine tables and the parameters, byte for byte.
    EXPECT_EQ(snapshot(), before);
    EXPECT_NE(sqlite("select count(*) from AssyList"), "0");
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
