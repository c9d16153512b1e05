#include "support/testsupport.h"

#include "core/tabledefs.h"
#include "db/billrows.h"
#include "db/bills.h"
#include "core/appstate.h"
#include "core/itemlist.h"
#include "core/utilities.h"
#include "db/allocationrows.h"
#include "db/changelog.h"
#include "db/copy.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/gridtables.h"
#include "db/parameters.h"
#include "db/partnumbers.h"
#include "db/parts.h"
#include "db/production.h"
#include "db/purchaseorders.h"
#include "db/recordcheck.h"
#include "db/requirements.h"
#include "db/routing.h"
#include "db/sources.h"
#include "db/statement.h"
#include "db/stockledger.h"
#include "db/tablerecords.h"
#include "db/taskrows.h"
#include "db/vendorrows.h"
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

TEST_F(DataFolderTest, AwkwardValuesComeBackThroughStockOrdersTheGridAndACopy)
{
    const QString user = awkward("user");
    const QString stamp = QStringLiteral("2026-12-09 10:00:00");
    const QString part = awkward("part");
    ASSERT_TRUE(EnsurePartRecord(part, false, user, stamp));

    // Part numbers, addresses and the obsolete mark.
    ASSERT_TRUE(WritePartAddresses({{part, {awkward("sheet"), awkward("web")}}}));
    ASSERT_TRUE(MarkPartsObsolete({part}));
    const std::vector<PartNumberFacts> facts = LoadPartNumbers({part, QStringLiteral("absent")});
    ASSERT_EQ(facts.size(), 1u);
    EXPECT_EQ(facts.front().datasheet, awkward("sheet"));
    EXPECT_EQ(facts.front().webPage, awkward("web"));
    EXPECT_TRUE(facts.front().obsolete);

    // Figures, stock movements and allocations of the awkward part.
    ASSERT_TRUE(WritePartFigures({QStringLiteral("Stock"), QStringLiteral("Allocated")},
                                 {{part, {QStringLiteral("2.50"), QStringLiteral("4")}}}));
    EXPECT_EQ(ReadPartRecord(part).found, true);
    EXPECT_EQ(QueryTextBound(QStringLiteral("Select Stock from PartList where Part_nBr = ?"), {part}).toDouble(), 2.5);
    ASSERT_TRUE(AddToPartFigure(QStringLiteral("Stock"), {{part, 1.5}}));
    ASSERT_TRUE(RecordStockMovements({{part, 1.5, QStringLiteral("Adjustment"), awkward("doc"), awkward("why")}}));
    const PartFigures figures = ReadPartFigures({part}).value(part);
    EXPECT_EQ(figures.stock, 4.0);
    EXPECT_EQ(figures.allocated, 4.0);
    EXPECT_EQ(StockFromMovements().value(part), 4.0); // the opening 2.5 and the 1.5 moved
    const QString order = awkward("order");
    ASSERT_TRUE(InsertAllocations({{order, part, QStringLiteral("3"), awkward("po")}}));
    EXPECT_EQ(QueryTextBound(QStringLiteral("Select PO_nBr from AlloList where Requirement = ? and Part_nBr = ?"),
                             {order, part}),
              awkward("po"));

    // Vendors read and added by their awkward names (stored in capitals).
    const QString vendor = UpperCaseAscii(awkward("vendor"));
    int added = 0;
    ASSERT_TRUE(AddMissingVendors({vendor, vendor}, awkward("type"), &added));
    EXPECT_EQ(added, 1);
    const VendorRecords vendors = ReadVendorRecords({vendor, QStringLiteral("absent")});
    EXPECT_EQ(vendors.value(vendor, QStringLiteral("Type")), awkward("type"));

    // A purchase order under an awkward number, its fields, lines and snapshot.
    const QString number = awkward("PO");
    NewGridRecord record;
    record.table = PurcList;
    record.number = number;
    record.stamp = stamp;
    record.user = user;
    ASSERT_TRUE(InsertGridRecord(record));
    EXPECT_TRUE(PurchaseOrderOnFile(number));
    const QString items = BuildItemList({{QStringLiteral("1"), QStringLiteral("6"), part, awkward("description"),
                                          QStringLiteral("1.25"), QStringLiteral("7.50"), QStringLiteral("Open")}});
    ASSERT_TRUE(WritePurchaseOrderFields(number, {{QStringLiteral("Order_nBr"), order},
                                                  {QStringLiteral("Vendor"), vendor},
                                                  {QStringLiteral("Item_List"), items}}));
    EXPECT_EQ(ReadPurchaseOrderFields(number, {QStringLiteral("Vendor")}).value(QStringLiteral("Vendor")), vendor);
    EXPECT_EQ(ReadPurchaseOrderState(number).items, items);
    const std::vector<OpenPurchaseLine> lines = ReadPurchaseLinesOfPart(part);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().line.number, number);
    EXPECT_EQ(lines.front().line.ordered, 6.0);
    ASSERT_TRUE(RefreshPurchaseLines({number}));
    EXPECT_EQ(ReadPurchaseLinesOfPart(part).size(), 1u);
    ASSERT_EQ(ReadRequirementPurchaseOrders(order, true).size(), 1u);
    EXPECT_EQ(ReadRequirementPurchaseOrders(order).front().vendor, vendor);
    const RecordSnapshot snapshot = ReadRecordSnapshot(QStringLiteral("PurcList"), {{QStringLiteral("PO_nBr"), number}});
    EXPECT_TRUE(snapshot.found);
    EXPECT_EQ(snapshot.user, user);
    ASSERT_TRUE(DeletePendingPurchaseOrders(order));
    EXPECT_FALSE(PurchaseOrderOnFile(number));
    EXPECT_TRUE(ReadPurchaseLinesOfPart(part).empty());

    // The grid: a bill of the awkward assembly, its cells written, stamped,
    // found, listed and brought back.
    const QString assembly = awkward("assembly");
    record = {};
    record.table = AssyList;
    record.assembly = assembly;
    record.number = QStringLiteral("1");
    record.stamp = stamp;
    record.user = user;
    ASSERT_TRUE(InsertGridRecord(record));
    const long long id = LargestRecordId(QStringLiteral("AssyList"));
    long long changed = 0;
    ASSERT_TRUE(WriteGridCell(QStringLiteral("AssyList"), QStringLiteral("Part_nBr"), QStringLiteral("text"), id, part,
                              &changed, &stamp, &user));
    EXPECT_EQ(changed, 1);
    ASSERT_TRUE(StampGridRecord(QStringLiteral("AssyList"), id, &stamp, &user));
    EXPECT_EQ(ReadBillSnapshot(assembly).lines, 1);
    EXPECT_EQ(ReadBillSnapshot(assembly).user, user);
    GridScope scope;
    scope.table = QStringLiteral("AssyList");
    scope.perAssembly = true;
    scope.assembly = assembly;
    EXPECT_EQ(GridRowTotal(scope), 1);
    EXPECT_EQ(GridIdsHolding(scope, QStringLiteral("Part_nBr"), part), std::vector<long long>{id});
    // Letter case aside as SQLite's NOCASE has it: the ASCII letters only,
    // on the server too, and a capital Cyrillic letter matches itself there.
    EXPECT_EQ(GridIdsHolding(scope, QStringLiteral("Part_nBr"), part.toUpper()).size(), 0u);
    EXPECT_EQ(GridIdsHolding(scope, QStringLiteral("Part_nBr"), UpperCaseAscii(part)), std::vector<long long>{id});
    EXPECT_EQ(AssembliesHoldingPart(UpperCaseAscii(part)), QStringList{assembly});
    EXPECT_EQ(ReadGridColumnValues(scope, QStringLiteral("Part_nBr")), QStringList{part});
    scope.filter = QStringLiteral("Привет 日本語 🙂");
    scope.filterColumns = {QStringLiteral("Part_nBr")};
    EXPECT_EQ(ReadGridShownRecords(scope).rowCount, 1);
    EXPECT_EQ((ReadAssembliesUsing({part})), (std::vector<std::pair<QString, QString>>{{part, assembly}}));
    const QueryResult loaded = ReadGridLoad(AssyList, assembly, QStringLiteral("Item"), false);
    ASSERT_EQ(loaded.rowCount, 1);
    EXPECT_EQ(loaded.cell(0, FindColumn(loaded, QStringLiteral("Part"))), part);
    const QueryResult kept = ReadGridRecord(QStringLiteral("AssyList"), id);
    const QStringList columns = TableColumns(QStringLiteral("AssyList"));
    ASSERT_EQ(columns.size(), kept.columnCount);
    QStringList values;
    for (int c = 0; c < kept.columnCount; ++c)
        values << kept.cell(0, c);
    ASSERT_TRUE(DeleteGridRecords(QStringLiteral("AssyList"), {id}));
    EXPECT_EQ(GridRowTotal(scope), 0);
    QStringList types(columns.size(), QStringLiteral("text"));
    for (qsizetype c = 0; c < columns.size(); ++c)
        for (int f = 0; f < App().tables[AssyList].fieldCount; ++f)
            if (c == 0 || ToColumnName(App().tables[AssyList].headings[f]) == columns[c])
                types[c] = c == 0 ? QStringLiteral("integer") : App().tables[AssyList].types[f];
    ASSERT_TRUE(RestoreGridRecord(QStringLiteral("AssyList"), columns, types, values));
    EXPECT_EQ(ReadGridRecord(QStringLiteral("AssyList"), id).cell(0, FindColumn(kept, QStringLiteral("Part"))), part);

    // A copy of the shop compares every value of both sides, awkward ones too.
    const CopyOutcome copy = CopyData(location, dir.path() + QStringLiteral("/copy"));
    EXPECT_TRUE(copy.done);
    EXPECT_TRUE(copy.tables.contains(QStringLiteral("AssyList\t1")));
}

TEST_F(DataFolderTest, TheGridsSearchTakesWildcardsLiterally)
{
    ASSERT_TRUE(ExecuteBound(QStringLiteral("Insert into VendList (Vendor,Type) values (?,?),(?,?),(?,?),(?,?),(?,?)"),
                             {QStringLiteral("100%"), QStringLiteral("a"), QStringLiteral("1000"), QStringLiteral("b"),
                              QStringLiteral("a_b"), QStringLiteral("c"), QStringLiteral("axb"), QStringLiteral("d"),
                              QStringLiteral("back\\slash"), QStringLiteral("e")}));
    GridScope scope;
    scope.table = QStringLiteral("VendList");
    scope.filterColumns = {QStringLiteral("Vendor")};
    const auto shown = [&](const QString& filter) {
        scope.filter = filter;
        const QueryResult rows = ReadGridShownRecords(scope);
        QStringList vendors;
        for (int r = 0; r < rows.rowCount; ++r)
            vendors << rows.cell(r, FindColumn(rows, QStringLiteral("Vendor")));
        return vendors;
    };
    EXPECT_EQ(shown(QStringLiteral("0%")), QStringList{QStringLiteral("100%")});
    EXPECT_EQ(shown(QStringLiteral("_")), QStringList{QStringLiteral("a_b")});
    EXPECT_EQ(shown(QStringLiteral("\\")), QStringList{QStringLiteral("back\\slash")});
    EXPECT_EQ(shown(QStringLiteral("A_B")), QStringList{QStringLiteral("a_b")}); // letter case aside, as shown
    // The condition the grid's reader takes, bound or as text, finds the same rows.
    scope.filter = QStringLiteral("0%");
    EXPECT_EQ(ReadTableIds(QStringLiteral("VendList"), GridCondition(scope), QStringLiteral("id")).size(), 1u);
    SqlArgs args;
    const QString where = GridCondition(scope, args);
    EXPECT_FALSE(where.contains(QStringLiteral("0%")));
    const std::vector<long long> ids = ReadTableIds(QStringLiteral("VendList"), where, args, QStringLiteral("id"));
    ASSERT_EQ(ids.size(), 1u);
    const QueryResult record = ReadTableRecords(QStringLiteral("VendList"), ids);
    ASSERT_EQ(record.rowCount, 1);
    EXPECT_EQ(record.cell(0, FindColumn(record, QStringLiteral("Vendor"))), "100%");
}

TEST_F(DataFolderTest, ListsLongerThanAStatementTakesAreReadWhole)
{
    // More names and ids than one statement may carry: the slices' rows come
    // back as one list, each once, in the order one statement would give.
    const int count = MaxBoundValues() + 5;
    ASSERT_TRUE(ExecuteBound(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                                            "insert into VendList (Vendor,Type) select 'V' || i, 'T' from n"),
                             {count}));
    QStringList names;
    for (int i = count; i >= 1; --i)
        names << QStringLiteral("V%1").arg(i);
    names << QStringLiteral("V1"); // asked for twice, read once
    const VendorRecords vendors = ReadVendorRecords(names);
    ASSERT_EQ(vendors.rows.rowCount, count);
    EXPECT_EQ(vendors.value(QStringLiteral("V%1").arg(count), QStringLiteral("Type")), QStringLiteral("T"));
    EXPECT_EQ(vendors.value(QStringLiteral("V1"), QStringLiteral("Type")), QStringLiteral("T"));

    std::vector<long long> ids = ParseIdList(QueryText(QStringLiteral("Select id from VendList order by id desc"), true));
    ASSERT_EQ(ids.size(), static_cast<size_t>(count));
    const QueryResult rows = ReadGridRecords(QStringLiteral("VendList"), {QStringLiteral("id"), QStringLiteral("Vendor")}, ids);
    ASSERT_EQ(rows.rowCount, count);
    EXPECT_EQ(rows.cell(0, 1), QStringLiteral("V1"));
    EXPECT_EQ(rows.cell(count - 1, 1), QStringLiteral("V%1").arg(count));
    ASSERT_TRUE(DeleteGridRecords(QStringLiteral("VendList"), ids));
    EXPECT_EQ(QueryText(QStringLiteral("Select count(*) from VendList"), false), QStringLiteral("0"));
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
