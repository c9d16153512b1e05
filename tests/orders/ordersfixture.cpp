#include "orders/ordersfixture.h"

#include "core/appstate.h"
#include "core/format.h"
#include "db/database.h"

#include <QGuiApplication>

namespace {

const char* const kDefinitions[][2] = {
    {"ASSYLIST", "Assy,0,EDIT,text|Item,0,EDIT,text|Part #,0,EDIT,text|Quan,0,EDIT,real|Ref Des,0,EDIT,text|"
                 "User,0,EDIT,text|Time Stamp,0,EDIT,text|Substitutes,0,EDIT,text"},
    {"PARTLIST", "Part #,0,EDIT,text|Internal #,0,EDIT,text|Description,0,EDIT,text|Category,0,EDIT,text|"
                 "Manufacturer,0,EDIT,text|Distributor,0,EDIT,text|Make,0,EDIT,text|Price,0,EDIT,real|"
                 "Labor,0,EDIT,real|Currency,0,EDIT,text|Revision,0,EDIT,text|Picture,0,PICT,text|"
                 "Web Page,0,EDIT,text|Stock,0,EDIT,real|On Order,0,EDIT,real|Allocated,0,EDIT,real|"
                 "Loss,0,EDIT,real|User,0,EDIT,text|Time Stamp,0,EDIT,text|Obsolete,0,EDIT,text|"
                 "Replacement,0,EDIT,text|Alternates,0,EDIT,text"},
    {"VENDLIST", "Vendor,0,EDIT,text|Address,0,EDIT,text|City,0,EDIT,text|State,0,EDIT,text|Zip,0,EDIT,text|"
                 "Country,0,EDIT,text|Phone,0,EDIT,text|Fax,0,EDIT,text|Website,0,EDIT,text|User,0,EDIT,text|"
                 "Time Stamp,0,EDIT,text"},
    {"RESCLIST", "Assy,0,EDIT,text|Step,0,EDIT,text|Description,0,EDIT,text|Resource,0,EDIT,text|"
                 "Rate,0,EDIT,real|Hours,0,EDIT,real|Cost,0,EDIT,real|User,0,EDIT,text|Time Stamp,0,EDIT,text"},
    {"PURCLIST", "PO #,0,EDIT,text|Order #,0,EDIT,text|Vendor,0,EDIT,text|Date,0,EDIT,text|Need Date,0,EDIT,text|"
                 "Status,0,LIST/Pending/Placed/Closed,text|Value,0,EDIT,real|Currency,0,LIST/USD/EUR/GBP,text|"
                 "Buyer,0,EDIT,text|Buy Method,0,LIST/Phone/Web/Fax,text|Vendor Address,0,EDIT,text|"
                 "Contact Name,0,EDIT,text|Contact Phone,0,EDIT,text|Contact FAX,0,EDIT,text|"
                 "Contact EMAIL,0,EDIT,text|Shipper,0,EDIT,text|Shipping Address,0,EDIT,text|"
                 "Shipping Cost,0,EDIT,text|Tracking,0,EDIT,text|Notes,0,EDIT,text|Tax Rate,0,EDIT,text|"
                 "Item List,0,Blank,text|User,0,EDIT,text|Time Stamp,0,EDIT,text"},
    {"REQMLIST", "Order #,0,EDIT,text|Assy,0,EDIT,text|Quan,0,EDIT,real|Description,0,EDIT,text|"
                 "Need Date,0,EDIT,text|Created,0,EDIT,text|Date,0,EDIT,text|Status,0,EDIT,text|"
                 "Built,0,EDIT,text|User,0,EDIT,text|Time Stamp,0,EDIT,text"},
    {"TASKLIST", "Task #,0,EDIT,integer|Requirement,0,EDIT,text|Assy,0,EDIT,text|Step,0,EDIT,text|"
                 "Status,0,EDIT,text|Count,0,EDIT,text|Actual,0,EDIT,text|User,0,EDIT,text|Time Stamp,0,EDIT,text"},
    {"ALLOLIST", "Requirement,0,EDIT,text|PO #,0,EDIT,text|Part #,0,EDIT,text|Quan,0,EDIT,real"},
};

} // namespace

void OrdersTest::SetUp()
{
    DataFolderTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    for (const auto& entry : kDefinitions) {
        const QString key = QString::fromLatin1(entry[0]);
        int table = -1;
        for (int t = 0; t < kTableCount; ++t)
            if (TableKey(t) == key)
                table = t;
        ASSERT_GE(table, 0);
        TableDefinition definition;
        definition.name = TableSqlName(table);
        for (const QString& line : QString::fromLatin1(entry[1]).split(QLatin1Char('|'))) {
            const QStringList values = line.split(QLatin1Char(','));
            definition.headings[definition.fieldCount] = values[0];
            definition.actionCodes[definition.fieldCount] = values[1].toInt();
            definition.attributes[definition.fieldCount] = values[2];
            definition.types[definition.fieldCount] = values[3];
            ++definition.fieldCount;
        }
        App().tables[table] = definition;
        Execute(QStringLiteral("drop table if exists ") + definition.name);
        ASSERT_TRUE(Execute(CreateTableStatement(definition))) << LastErrorText().toStdString();
    }
    ui.clear();
}

void OrdersTest::addPart(const QString& part, double stock, double allocated, const QString& distributor,
                         const QString& manufacturer, double price, double loss, const QString& make)
{
    ASSERT_TRUE(Execute(SqlFormat("insert into PartList (Part_nBr,Description,Manufacturer,Distributor,Make,Price,"
                                  "Currency,Stock,On_Order,Allocated,Loss) values ('%s','%s','%s','%s','%s',%f,"
                                  "'USD',%f,0,%f,%f)",
                                  {part, QStringLiteral("Desc of ") + part, manufacturer, distributor, make, price,
                                   stock, allocated, loss})));
}

void OrdersTest::addBom(const QString& assy, const QString& part, double quantity, int item)
{
    ASSERT_TRUE(Execute(SqlFormat("insert into AssyList (Assy,Item,Part_nBr,Quan) values ('%s','%i','%s',%f)",
                                  {assy, item, part, quantity})));
}

void OrdersTest::addRequirement(const QString& order, const QString& assy, double quantity, const QString& created,
                                const QString& status)
{
    ASSERT_TRUE(Execute(SqlFormat("insert into ReqmList (Order_nBr,Assy,Quan,Created,Status) values "
                                  "('%s','%s',%f,'%s','%s')",
                                  {order, assy, quantity, created, status})));
}

void OrdersTest::addVendor(const QString& vendor, const QString& address, const QString& city)
{
    ASSERT_TRUE(Execute(SqlFormat("insert into VendList (Vendor,Address,City,State,Zip,Country,Phone,Fax,Website) "
                                  "values ('%s','%s','%s','IL','12345','USA','555-1','555-2','')",
                                  {vendor, address, city})));
}

void OrdersTest::addStep(const QString& assy, const QString& step, double hours, const QString& description)
{
    ASSERT_TRUE(Execute(SqlFormat("insert into RescList (Assy,Step,Description,Resource,Rate,Hours) values "
                                  "('%s','%s','%s','BENCH',10,%f)",
                                  {assy, step, description, hours})));
}

QString OrdersTest::partValue(const QString& part, const QString& column) const
{
    return realText(QStringLiteral("select %1 from PartList where Part_nBr='%2'").arg(column, part));
}


QString OrdersTest::dump() const
{
    return snapshot();
}

void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "kolt_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}
