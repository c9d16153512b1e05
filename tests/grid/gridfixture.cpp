#include "gridfixture.h"

void GridTest::SetUp()
{
    DataFolderTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    define(AssyList, {"Assy,0,READ,text", "Item,0,EDIT,text", "Part #,16,EDIT,text", "Quan,0,EDIT,real",
                      "Ref Des,0,EDIT,text", "Err,99,READ,text", "User,0,READ,text", "Time Stamp,0,READ,text"});
    define(PartList, {"Part #,0,EDIT,text", "Internal #,0,EDIT,text", "Description,0,EDIT,text",
                      "Category,0,LIST/Resistor/Capacitor,text", "Manufacturer,0,EDIT,text",
                      "Distributor,12,EDIT,text", "Make,0,DROP/Buy/Make,text", "Price,0,EDIT,real",
                      "Labor,0,EDIT,real", "Currency,0,EDIT,text", "Revision,0,EDIT,text",
                      "Picture,0,PICT,text", "Web Page,1,EDIT,text", "Stock,0,EDIT,real",
                      "On Order,0,READ,real", "Allocated,0,READ,real", "Loss,0,EDIT,real", "Notes,0,Blank,text",
                      "Err,99,READ,text", "User,0,READ,text", "Time Stamp,0,READ,text"});
    define(VendList, {"Vendor,0,EDIT,text", "Address,0,EDIT,text", "City,0,EDIT,text", "State,0,EDIT,text",
                      "Zip,0,EDIT,text", "Country,0,EDIT,text", "Phone,0,EDIT,text", "Fax,0,EDIT,text",
                      "Website,1,EDIT,text", "Err,99,READ,text", "User,0,READ,text", "Time Stamp,0,READ,text"});
    define(RescList, {"Assy,0,READ,text", "Step,0,EDIT,text", "Description,0,EDIT,text",
                      "Resource,19,DBST|Select Resource from LabrList,text", "Rate,0,READ,text",
                      "Hours,0,EDIT,real", "Cost,0,READ,text", "Err,99,READ,text", "User,0,READ,text",
                      "Time Stamp,0,READ,text"});
    ui.clear();
}

void GridTest::define(int table, const QStringList& fields)
{
    TableDefinition& definition = App().tables[table];
    definition.name = TableSqlName(table);
    if (!fields.isEmpty()) {
        definition = TableDefinition();
        definition.name = TableSqlName(table);
    }
    for (const QString& line : fields) {
        const QStringList values = line.split(QLatin1Char(','));
        const int f = definition.fieldCount++;
        definition.headings[f] = values.value(0);
        definition.actionCodes[f] = values.value(1).toInt();
        definition.attributes[f] = values.value(2);
        definition.types[f] = values.value(3);
    }
    Execute(QStringLiteral("drop table ") + definition.name);
    OpenDatabase();
    CreateTable(table);
    CloseDatabase();
}

int GridTest::listColumn(const CGridModel& grid, const QString& heading) const
{
    for (int lc = 0; lc < grid.listColumnCount(); ++lc)
        if (grid.tableHeading(lc) == heading)
            return lc;
    return -1;
}
