#include "support/testsupport.h"

#include "core/tabledefs.h"
#include "db/billrows.h"
#include "db/bills.h"
#include "db/changelog.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/parameters.h"
#include "db/parts.h"
#include "db/production.h"
#include "db/requirements.h"
#include "db/routing.h"
#include "db/sources.h"
#include "db/statement.h"
#include "db/taskrows.h"
#include "db/vendors.h"

namespace {

// Everything that once had to be escaped, and what a careless binding would
// read as a placeholder, a pattern, a list separator or a statement's end.
QString awkward(const char* tag)
{
    return QString::fromLatin1(tag)
           + QStringLiteral(" O'Brien ''x'' \"q\" \\ \\\\n $1 $2 ?? ? | a|b 100% _ \t\x01\x1f Ω Привет 日本語 🙂 "
                            "'); drop table PartList; --");
}

} // namespace

TEST_F(DataFolderTest, AwkwardValuesComeBackAsWrittenThroughEveryAggregate)
{
    const QString user = awkward("user");
    const QString stamp = QStringLiteral("2026-12-09 10:00:00");

    // Parts: made, found, read, written field by field, searched.
    const QString part = awkward("part");
    bool added = false;
    ASSERT_TRUE(EnsurePartRecord(part, true, user, stamp, &added));
    EXPECT_TRUE(added);
    EXPECT_TRUE(PartOnFile(part));
    EXPECT_FALSE(PartOnFile(part + QLatin1Char('x')));
    EXPECT_EQ(PartNumbersAmong({part, QStringLiteral("none")}), QStringList{part});
    const QString maker = awkward("maker");
    const QueryResult ids = QueryBound(QStringLiteral("Select id from PartList where Part_nBr = ?"), {part});
    ASSERT_EQ(ids.rowCount, 1);
    ASSERT_TRUE(WritePartRecordFields(ids.cell(0, 0).toInt(), {{QStringLiteral("Manufacturer"), maker}}));
    const PartRecordFields record = ReadPartRecord(part);
    EXPECT_TRUE(record.found);
    EXPECT_EQ(record.manufacturer, maker);
    EXPECT_TRUE(record.description.startsWith(part));
    EXPECT_EQ(ReadPartRecords({part}).value(part).manufacturer, maker);
    const QueryResult found = SearchPartRecords(QStringLiteral("Привет 日本語"));
    ASSERT_EQ(found.rowCount, 1);
    EXPECT_EQ(found.cell(0, 0), part);
    EXPECT_EQ(SearchPartRecords(QStringLiteral("no such text")).rowCount, 0);

    // Bills: lines added and read back, the part's revision set and read.
    const QString assembly = awkward("assembly");
    ASSERT_TRUE(AddBlankBillLines(assembly, 2, user, stamp));
    EXPECT_TRUE(AssemblyOnFile(assembly));
    EXPECT_EQ(BillLineCount(assembly), 2);
    EXPECT_EQ(HighestBillItem(assembly), 2);
    EXPECT_EQ(LoadBillLines(assembly).size(), 2u);
    EXPECT_EQ(AssembliesAmong({assembly, part}), QStringList{assembly});
    const QString revision = awkward("rev");
    ASSERT_TRUE(SetPartRevisions({{part, revision}}));
    EXPECT_EQ(PartRevision(part), revision.trimmed());
    const QString other = awkward("other part");
    ASSERT_TRUE(AddPartRecord(other, awkward("description")));
    EXPECT_EQ(PartRecordCount(other), 1);
    EXPECT_EQ(PartsWithoutRecord({other, part, QStringLiteral("absent")}), QStringList{QStringLiteral("absent")});

    // Vendors and labour resources.
    const QString vendor = awkward("vendor");
    ASSERT_TRUE(EnsureVendorRecord(vendor, user, stamp));
    EXPECT_TRUE(VendorOnFile(vendor));
    EXPECT_TRUE(ReadVendorNames().contains(vendor));
    const QString resource = awkward("resource");
    ASSERT_TRUE(EnsureLabourResource(resource, user, stamp));
    EXPECT_TRUE(ReadLabourRates().contains(resource));

    // Requirements and their production fields.
    const QString order = awkward("order");
    ASSERT_TRUE(ExecuteBound(QStringLiteral("Insert into ReqmList (Order_nBr) values (?)"), {order}));
    EXPECT_TRUE(RequirementOnFile(order));
    const QString description = awkward("description");
    ASSERT_TRUE(SaveRequirementFields(order, QStringLiteral("3"), assembly, description, QStringLiteral("2027-01-02"),
                                      user, stamp));
    RequirementFields fields = ReadRequirementFields(order);
    EXPECT_EQ(fields.assembly, assembly);
    EXPECT_EQ(fields.description, description);
    const QString status = awkward("status");
    ASSERT_TRUE(SetRequirementStatus(order, status));
    EXPECT_EQ(ReadRequirementBuild(order).status, status);
    ASSERT_TRUE(MarkRequirementProcessed(order, assembly, QStringLiteral("2.5"), status));
    fields = ReadRequirementFields(order);
    EXPECT_EQ(fields.quantity.toDouble(), 2.5);
    EXPECT_EQ(fields.status, status);

    // Tasks and the routing steps their hours come from.
    ASSERT_TRUE(InsertPendingTasks(order, {{1, assembly, awkward("step")}}, user, stamp));
    ASSERT_EQ(ReadTasks().size(), 1u);
    EXPECT_EQ(ReadTasks().front().assembly, assembly);
    const QString taskStatus = awkward("task status");
    ASSERT_TRUE(SetTaskStatus(order, 1, taskStatus));
    EXPECT_EQ(ReadTasks(taskStatus).size(), 1u);
    EXPECT_EQ(ReadTaskFields(order, QStringLiteral("1")).step, awkward("step"));

    // The change log, filtered by the awkward part.
    ASSERT_TRUE(RecordChanges({{PartList, QStringLiteral("1"), part, QStringLiteral("Description"), awkward("old"),
                                awkward("new")}}));
    ChangeFilter filter;
    filter.part = part;
    filter.table = QStringLiteral("partlist");
    const std::vector<LoggedChange> changes = LoadChanges(filter);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes.front().newValue, awkward("new"));

    // Parameters, and the holidays.
    const QString parameter = awkward("parameter");
    SetParam(ParamFax, parameter);
    EXPECT_EQ(GetParam(ParamFax), parameter);
    ASSERT_TRUE(AddHoliday(QStringLiteral("2027-12-24"), awkward("holiday")));
    EXPECT_EQ(RemoveHoliday(QStringLiteral("2027-12-24")), 1);

    // Sources of the awkward part from the awkward vendor.
    SourceRecord source;
    source.part = part;
    source.vendor = vendor;
    source.orderCode = awkward("code");
    ASSERT_TRUE(SaveSources({source}));
    ASSERT_TRUE(SaveSources({source})); // replaced, found by its awkward keys
    const auto sources = LoadSources({part});
    ASSERT_EQ(sources.value(part).size(), 1u);
    EXPECT_EQ(sources.value(part).front().orderCode, source.orderCode);

    // Nothing of it was read as SQL: the tables are all still there.
    EXPECT_EQ(TableExists(QStringLiteral("PartList")), 1);
}

TEST_F(DataFolderTest, BoundValuesKeepTheirTypesAndLongListsGoInSlices)
{
    // Numbers bound as numbers come back as numbers; texts stay texts, even
    // when they look like numbers.
    ASSERT_TRUE(ExecuteBound(QStringLiteral("Insert into MoveList (Part_nBr,Quantity) values (?,?),(?,?)"),
                             {QStringLiteral("007"), 2.5, QStringLiteral("B"), SqlArg()}));
    TypedRows rows = SelectRows(QStringLiteral("Select Part_nBr,Quantity from MoveList order by id"));
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.text(0, 0), "007");
    EXPECT_EQ(rows.kind(0, 0), SqlArg::Text);
    EXPECT_EQ(rows.kind(0, 1), SqlArg::Real);
    EXPECT_DOUBLE_EQ(rows.number(0, 1), 2.5);
    EXPECT_TRUE(rows.isNull(1, 1));
    EXPECT_EQ(rows.number(1, 1), 0.0);
    rows = SelectRows(QStringLiteral("Select count(*), ? from MoveList where Quantity > ?"), {QStringLiteral("12.50"), 1});
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.kind(0, 0), SqlArg::Integer);
    EXPECT_EQ(rows.integer(0, 0), 1);
    EXPECT_DOUBLE_EQ(rows.number(0, 1), 12.5); // a text figure, read leniently

    // A watcher (the benchmarks' recorder) sees the values written in, so a
    // recorded statement replays by itself: the same rows again.
    static QByteArray seen;
    ObserveStatements([](const QByteArray& statement, int) { seen = statement; });
    ASSERT_TRUE(ExecuteBound(QStringLiteral("Insert into MoveList (Part_nBr,Quantity,Reason) values (?,?,'?')"),
                             {QStringLiteral("O'Neil?"), 3}));
    ObserveStatements(nullptr);
    EXPECT_EQ(seen, "Insert into MoveList (Part_nBr,Quantity,Reason) values ('O''Neil?',3,'?')");
    ASSERT_TRUE(Execute(QString::fromUtf8(seen)));
    EXPECT_EQ(sqlite("select count(*) from MoveList where Part_nBr = 'O''Neil?' and Reason = '?'"), "2");

    // A statement the database refuses says so and spoils nothing else.
    EXPECT_FALSE(ExecuteBound(QStringLiteral("Insert into NoSuchTable (x) values (?)"), {1}));
    EXPECT_FALSE(LastErrorText().isEmpty());
    EXPECT_FALSE(SelectRows(QStringLiteral("Select nothing from NoSuchTable where x = ?"), {1}).ok());

    // A bill longer than one statement's values goes in slices, every line stored.
    const int lines = MaxBoundValues() / 4 + 3;
    ASSERT_TRUE(AddBlankBillLines(QStringLiteral("LONG"), lines, QStringLiteral("u"), QStringLiteral("t")));
    EXPECT_EQ(BillLineCount(QStringLiteral("LONG")), lines);
    EXPECT_EQ(HighestBillItem(QStringLiteral("LONG")), lines);
}

TEST(BoundStatementText, FiguresAndPlaceholdersAreReadAsTheyMean)
{
    EXPECT_EQ(SqlArg::number(QStringLiteral("12")).kind(), SqlArg::Integer);
    EXPECT_EQ(SqlArg::number(QStringLiteral(" 2.50 ")).kind(), SqlArg::Real);
    EXPECT_EQ(SqlArg::number(QString()).integer(), 0);
    EXPECT_EQ(SqlArg::number(QStringLiteral("12 pcs")).kind(), SqlArg::Text);
    EXPECT_EQ(SqlArg(QString::fromUtf8("a\0b", 3)).utf8(), QByteArray("ab"));
    EXPECT_EQ(Placeholders(0), "NULL");
    EXPECT_EQ(Placeholders(3), "?,?,?");
    // Only the placeholders outside quoted texts and names are numbered.
    EXPECT_EQ(NumberedPlaceholders("select ?, '?', \"a?\" from t where x = ? and y = 'it''s ?'"),
              QByteArray("select $1, '?', \"a?\" from t where x = $2 and y = 'it''s ?'"));
}
