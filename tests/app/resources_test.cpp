// The shipped data files: the table definitions and the dictionary, as
// the build puts them into the program folder.
#include "support/testsupport.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

namespace {

// Every column a statement of the program names, per table, plus the "Err"
// column the error check writes into the four master tables.
const QStringList kRequiredColumns[kTableCount] = {
    {"Err", "Assy", "Item", "Part_nBr", "Quan", "Ref_Des", "User", "Time_Stamp"},
    {"Err", "Part_nBr", "Internal_nBr", "Description", "Category", "Manufacturer", "Distributor", "Make",
     "Price", "Labor", "Currency", "Revision", "Picture", "Web_Page", "Stock", "On_Order", "Allocated",
     "Loss", "User", "Time_Stamp"},
    {"Err", "Vendor", "Address", "City", "State", "Zip", "Country", "Phone", "Fax", "Website", "User",
     "Time_Stamp"},
    {"Err", "Assy", "Step", "Description", "Resource", "Rate", "Hours", "Cost", "User", "Time_Stamp"},
    {"PO_nBr", "Order_nBr", "Vendor", "Date", "Need_Date", "Status", "User", "Time_Stamp", "Vendor_Address",
     "Contact_Name", "Contact_Phone", "Contact_FAX", "Contact_EMAIL", "Currency", "Buyer", "Buy_Method",
     "Shipper", "Shipping_Address", "Shipping_Cost", "Tracking", "Tax_Rate", "Value", "Notes", "Item_List"},
    {"Order_nBr", "Assy", "Quan", "Description", "Need_Date", "Created", "Date", "Status", "Built", "User"},
    {"Task_nBr", "Requirement", "Status", "Count", "Actual", "Assy", "Step", "User", "Time_Stamp"},
    {"Resource", "Rate", "User", "Time_Stamp"},
    {"Requirement", "PO_nBr", "Part_nBr", "Quan"},
    {"Part_nBr", "Quantity", "Kind", "Document", "Reason", "Date", "User", "Time_Stamp"},
    {"Date", "Description", "User", "Time_Stamp"},
    {"Assy", "Revision", "Note", "Line_Count", "Lines", "Date", "User", "Time_Stamp"},
    {"Table_Name", "Record", "Part_nBr", "Field", "Old_Value", "New_Value", "User", "Time_Stamp"},
    {"Part_nBr", "Vendor", "Order_Code", "Manufacturer", "Mfr_Part_nBr", "Pack", "Min_Order", "Multiple",
     "Lead_Days", "Currency", "Preferred", "Notes", "User", "Time_Stamp", "Vendor_Stock", "Stock_Date"},
    {"Part_nBr", "Vendor", "Order_Code", "Quantity", "Price"},
    {"Currency", "Rate", "Date"},
    {"PO_nBr", "Line", "Item", "Part_nBr", "Order_Code", "Quan", "Ordered", "Received", "Price", "Status"},
};

// The first field whose upper-cased heading contains the upper-cased key,
// which is how the program finds a column by a short key.
QString firstMatch(const TableDefinition& d, const QString& key)
{
    for (int i = 0; i < d.fieldCount; ++i)
        if (d.headings[i].toUpper().contains(key.toUpper()))
            return ToColumnName(d.headings[i]);
    return QString();
}

TableDefinition load(int table)
{
    TableDefinition d;
    EXPECT_TRUE(LoadTableDefinition(TableKey(table), d)) << TableKey(table).toStdString();
    d.name = TableSqlName(table);
    return d;
}

QStringList listItems(const QString& attribute)
{
    QStringList items = attribute.split(QLatin1Char('/'));
    items.removeFirst();
    return items;
}

QByteArray readDictionary()
{
    QFile file(ProgramDir() + QStringLiteral("Dictionary.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

using ResourcesTest = DataFolderTest;

TEST_F(ResourcesTest, DefinitionsLoadWithEveryNamedColumn)
{
    const QSet<QString> types{"text", "integer", "real"};
    for (int t = 0; t < kTableCount; ++t) {
        SCOPED_TRACE(TableKey(t).toStdString());
        const TableDefinition d = load(t);
        ASSERT_GT(d.fieldCount, 0);
        // The id column comes first in every row, so a whole row must fit 64 columns.
        EXPECT_LE(d.fieldCount, kMaxColumns - 1);
        QSet<QString> columns;
        for (int i = 0; i < d.fieldCount; ++i) {
            const QString heading = d.headings[i];
            EXPECT_FALSE(heading.isEmpty()) << "field " << i;
            EXPECT_TRUE(types.contains(d.types[i])) << heading.toStdString() << ": " << d.types[i].toStdString();
            // Results come back headed ToHeading(column): the grid matches them
            // against the definition exactly, so the conversion must round-trip.
            EXPECT_EQ(ToHeading(ToColumnName(heading)), heading);
            EXPECT_FALSE(columns.contains(ToColumnName(heading))) << "duplicate " << heading.toStdString();
            columns.insert(ToColumnName(heading));
            // A definition line has four comma-separated values and nothing else.
            EXPECT_FALSE(d.attributes[i].isEmpty()) << heading.toStdString();
        }
        for (const QString& column : kRequiredColumns[t])
            EXPECT_GE(FieldIndex(d, column), 0) << "missing " << column.toStdString();
        if (t <= RescList) {
            EXPECT_EQ(d.actionCodes[FieldIndex(d, QStringLiteral("Err"))], 99);
        }
    }
}

TEST_F(ResourcesTest, TablesAreCreatedFromTheDefinitions)
{
    for (int t = 0; t < kTableCount; ++t) {
        SCOPED_TRACE(TableKey(t).toStdString());
        const TableDefinition& d = App().tables[t];
        // The fixture's data folder already holds the tables; a fresh
        // statement on a new file must succeed as well.
        ASSERT_TRUE(OpenDatabase());
        EXPECT_FALSE(CreateTable(t)); // exists already
        EXPECT_TRUE(Execute(QStringLiteral("drop table ") + d.name));
        ASSERT_TRUE(OpenDatabase());
        EXPECT_TRUE(CreateTable(t));
        CloseDatabase();
        const QStringList names = TableColumns(d.name);
        ASSERT_EQ(names.size(), d.fieldCount + 1);
        EXPECT_EQ(names[0], QStringLiteral("id"));
        for (int i = 0; i < d.fieldCount; ++i)
            EXPECT_EQ(names[i + 1], ToColumnName(d.headings[i]));
    }
}

// Several programs find columns by the first heading that contains a short
// key; the order of the fields decides which one that is.
TEST_F(ResourcesTest, ShortKeysFindTheIntendedColumns)
{
    const TableDefinition purc = load(PurcList);
    const QList<std::pair<QString, QString>> purchaseFields = {
        {"PO", "PO_nBr"},         {"Vend", "Vendor"},
        {"Status", "Status"},     {"Addr", "Vendor_Address"},
        {"Phone", "Contact_Phone"}, {"Fax", "Contact_FAX"},
        {"Curr", "Currency"},     {"Shipping Addr", "Shipping_Address"},
        {"Order", "Order_nBr"},   {"Item", "Item_List"},
        {"Date", "Date"},         {"Time Stamp", "Time_Stamp"},
        {"Method", "Buy_Method"}, {"Need", "Need_Date"},
    };
    for (const auto& [key, column] : purchaseFields)
        EXPECT_EQ(firstMatch(purc, key), column) << key.toStdString();

    const TableDefinition vend = load(VendList);
    for (const QString key : {"Vend", "Address", "City", "State", "Zip", "Country", "Phone", "Fax", "Err"})
        EXPECT_EQ(firstMatch(vend, key), key == "Vend" ? QStringLiteral("Vendor") : key) << key.toStdString();

    const TableDefinition assy = load(AssyList);
    for (const auto& [key, column] : QList<std::pair<QString, QString>>{
             {"Ass", "Assy"}, {"Part", "Part_nBr"}, {"Item", "Item"}, {"Quan", "Quan"}, {"Ref", "Ref_Des"},
             {"Stamp", "Time_Stamp"}, {"User", "User"}})
        EXPECT_EQ(firstMatch(assy, key), column) << key.toStdString();

    const TableDefinition part = load(PartList);
    for (const auto& [key, column] : QList<std::pair<QString, QString>>{
             {"Part", "Part_nBr"}, {"Make", "Make"}, {"Dist", "Distributor"}, {"Manuf", "Manufacturer"},
             {"Desc", "Description"}, {"Categ", "Category"}, {"Currency", "Currency"}, {"Cat", "Category"}})
        EXPECT_EQ(firstMatch(part, key), column) << key.toStdString();
    // Editing a column whose heading names a manufacturer or distributor adds a
    // vendor record; only those two columns may.
    for (int i = 0; i < part.fieldCount; ++i) {
        const QString h = part.headings[i];
        if (h.contains(QStringLiteral("Manuf")) || h.contains(QStringLiteral("Dist"))) {
            EXPECT_TRUE(h == QStringLiteral("Manufacturer") || h == QStringLiteral("Distributor")) << h.toStdString();
        }
    }

    const TableDefinition resc = load(RescList);
    for (const auto& [key, column] : QList<std::pair<QString, QString>>{
             {"Ass", "Assy"}, {"Step", "Step"}, {"Descr", "Description"}, {"Resou", "Resource"},
             {"Rate", "Rate"}, {"Hour", "Hours"}, {"Cost", "Cost"}})
        EXPECT_EQ(firstMatch(resc, key), column) << key.toStdString();

    const TableDefinition task = load(TaskList);
    for (const auto& [key, column] : QList<std::pair<QString, QString>>{
             {"Task", "Task_nBr"}, {"Requirement", "Requirement"}, {"Assy", "Assy"}, {"Actual", "Actual"},
             {"Step", "Step"}, {"Count", "Count"}, {"Status", "Status"}})
        EXPECT_EQ(firstMatch(task, key), column) << key.toStdString();
}

TEST_F(ResourcesTest, ListsAndActionsServeTheirUsers)
{
    const TableDefinition purc = load(PurcList);
    auto attribute = [](const TableDefinition& d, const QString& column) {
        const int i = FieldIndex(d, column);
        return i >= 0 ? d.attributes[i] : QString();
    };
    auto action = [](const TableDefinition& d, const QString& column) {
        const int i = FieldIndex(d, column);
        return i >= 0 ? d.actionCodes[i] : -1;
    };
    // Receiving picks the last status; the purchase order fills its lists from
    // the attribute after the keyword.
    const QStringList status = listItems(attribute(purc, "Status"));
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last(), QStringLiteral("Closed"));
    EXPECT_TRUE(status.contains(QStringLiteral("Pending")));
    EXPECT_TRUE(listItems(attribute(purc, "Currency")).contains(QStringLiteral("USD")));
    EXPECT_GE(listItems(attribute(purc, "Buy_Method")).size(), 2);
    EXPECT_EQ(attribute(purc, "Item_List"), QStringLiteral("Blank"));
    EXPECT_EQ(action(purc, "PO_nBr"), 14);
    EXPECT_EQ(action(purc, "Order_nBr"), 15);

    const TableDefinition part = load(PartList);
    // Test points, fiducials and mounting holes are neither bought nor made.
    EXPECT_EQ(listItems(attribute(part, "Make")), (QStringList{"Buy", "Make", "Not Purchased"}));
    EXPECT_TRUE(attribute(part, "Picture").toUpper().startsWith(QStringLiteral("PICT")));
    const int web = action(part, "Web_Page");
    EXPECT_TRUE(web >= 1 && web <= 9);

    const TableDefinition assy = load(AssyList);
    const int partAction = action(assy, "Part_nBr");
    EXPECT_TRUE(partAction == 10 || partAction == 11 || partAction == 18);
    EXPECT_EQ(action(load(ReqmList), "Order_nBr"), 15);
    EXPECT_EQ(action(load(TaskList), "Task_nBr"), 17);
    const int site = action(load(VendList), "Website");
    EXPECT_TRUE(site >= 1 && site <= 9);

    for (int t = 0; t < kTableCount; ++t) {
        const TableDefinition d = load(t);
        for (const QString column : {"User", "Time_Stamp"}) {
            const int i = FieldIndex(d, column);
            if (i >= 0) {
                EXPECT_TRUE(d.attributes[i].toUpper().contains(QStringLiteral("READ")))
                    << TableKey(t).toStdString() << " " << column.toStdString();
            }
        }
    }
}

// Numbers the program sorts in SQL are stored as numbers; money and
// quantities written with formats keep the exact text they were given.
TEST_F(ResourcesTest, StoredTextsStayExact)
{
    ASSERT_TRUE(Execute("Insert into PartList (Part_nBr,Price,Stock) values ('A-1','0.50','7')"));
    ASSERT_TRUE(Execute("Update PartList Set Price = '3.00' where Part_nBr = 'A-1'"));
    ASSERT_TRUE(Execute("Update PartList Set Allocated = 4.0 where Part_nBr = 'A-1'"));
    EXPECT_EQ(QueryText("Select Price from PartList where Part_nBr = 'A-1'", false), "3.00");
    EXPECT_EQ(QueryText("Select Allocated from PartList where Part_nBr = 'A-1'", false), "4.0");

    for (const char* item : {"10", "9", "2"})
        ASSERT_TRUE(Execute(QStringLiteral("Insert into AssyList (Assy,Item,Quan) values ('X',%1,1)").arg(item)));
    EXPECT_EQ(QueryText("Select Item from AssyList where Assy = 'X' order by Item", true), "2|9|10|");

    for (const char* task : {"10", "2"})
        ASSERT_TRUE(Execute(
            QStringLiteral("Insert into TaskList (Requirement,Task_nBr) values ('REQ0001','%1')").arg(task)));
    EXPECT_EQ(QueryText("Select Task_nBr from TaskList where TaskList.Requirement = 'REQ0001' order by task_nBr",
                        true),
              "2|10|");
    EXPECT_EQ(QueryText("Select Task_nBr from TaskList where Requirement = 'REQ0001' and Task_nBr = '10'", false),
              "10");
}

TEST(Dictionary, ShippedFileParsesIntoThreeFullLanguages)
{
    const QByteArray bytes = readDictionary();
    const Dictionary english = ParseDictionary(bytes, 0);
    ASSERT_EQ(english.languageCount, 3);
    EXPECT_EQ(english.languageNames, (QStringList{"English", "Deutsch", "Fran\u00e7ais"}));
    for (int language = 1; language < 3; ++language) {
        const Dictionary d = ParseDictionary(bytes, language);
        // A short block would translate the phrases after its end into nothing.
        EXPECT_EQ(d.selectedPhrases.size(), d.keyPhrases.size()) << language;
        for (const QString& phrase : d.selectedPhrases) {
            EXPECT_FALSE(phrase.isEmpty()) << language;
            // A longer translation is never used.
            EXPECT_LE(phrase.size(), 80) << phrase.toStdString();
        }
    }

    // The lookup ignores case, so a phrase may stand only once in any case.
    QHash<QString, int> seen;
    for (int i = 0; i < english.keyPhrases.size(); ++i) {
        const QString key = english.keyPhrases[i].toUpper();
        EXPECT_FALSE(seen.contains(key)) << english.keyPhrases[i].toStdString() << " repeats line "
                                         << seen.value(key);
        seen.insert(key, i);
        // The grid shows its error column without a heading only while
        // "Err" translates to itself.
        EXPECT_NE(key, QStringLiteral("ERR"));
    }

    const Dictionary german = ParseDictionary(bytes, 1);
    EXPECT_EQ(Translate(german, "Cancel"), "Abbrechen");
    EXPECT_EQ(Translate(german, "CANCEL"), "Abbrechen");
    EXPECT_EQ(Translate(german, "Yes"), "Ja");
    EXPECT_EQ(Translate(german, "Part #"), "Teil-Nr.");
    EXPECT_EQ(Translate(german, "Print Dialog Failure"), "Druckdialog fehlgeschlagen");
    EXPECT_EQ(Translate(german, "Err"), "Err");
    const Dictionary french = ParseDictionary(bytes, 2);
    EXPECT_EQ(Translate(french, "Cancel"), "Annuler");
    EXPECT_EQ(Translate(french, "Yes"), "Oui");
}

// Every heading of every table is shown through the dictionary.
TEST(Dictionary, CoversEveryColumnHeading)
{
    AppState& app = App();
    app = AppState{};
    app.ProgramFolder = ProgramDir();
    const Dictionary english = ParseDictionary(readDictionary(), 0);
    QSet<QString> keys;
    for (const QString& phrase : english.keyPhrases)
        keys.insert(phrase.toUpper());
    for (int t = 0; t < kTableCount; ++t) {
        TableDefinition d;
        ASSERT_TRUE(LoadTableDefinition(TableKey(t), d));
        for (int i = 0; i < d.fieldCount; ++i)
            if (d.headings[i] != QStringLiteral("Err")) {
                EXPECT_TRUE(keys.contains(d.headings[i].toUpper())) << d.headings[i].toStdString();
            }
    }
}
