#include "orders/requirement.h"

#include "app/appstate.h"
#include "app/dictionary.h"
#include "app/format.h"
#include "app/userinterface.h"
#include "app/utilities.h"
#include "db/parameters.h"
#include "schedule/taskbuilder.h"

#include <algorithm>
#include <cmath>
#include <QSet>
#include <functional>

int OrderStage(const QString& status)
{
    int stage = 0;
    if (status.contains(QLatin1String("PO")))
        stage = 1;
    if (status.contains(QLatin1String("Build")))
        stage = 2;
    // "Complete" holds neither "Close" nor "Can", yet a completed requirement
    // is finished as much as a cancelled one and must not be processed again.
    if (status.contains(QLatin1String("Close")) || status.contains(QLatin1String("Complete")))
        stage = 3;
    else if (status.contains(QLatin1String("Can")))
        stage = 3;
    return stage;
}

int FindHeading(const QueryResult& result, const QString& key)
{
    const QString wanted = key.toUpper();
    for (int c = 0; c < result.columnCount && c < kMaxColumns; ++c)
        if (result.headings[c].toUpper().contains(wanted))
            return c;
    ShowMessage(QStringLiteral("Internal Error:Header Not Found:") + key);
    return -1;
}

QueryResult LoadBomRows()
{
    return Query(QStringLiteral(
        "Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,PartList.Description,AssyList.Quan,"
        "PartList.Manufacturer,PartList.Make,PartList.Stock,PartList.Allocated,PartList.On_Order,"
        "PartList.Distributor,PartList.Price,PartList.Currency,PartList.Loss,PartList.Web_Page from AssyList "
        "LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr"));
}

bool IsAssembly(const QueryResult& bom, const QString& part)
{
    const int assyColumn = FindColumn(bom, QStringLiteral("Assy"));
    if (assyColumn < 0 || part.isEmpty())
        return false;
    for (int r = 0; r < bom.rowCount; ++r)
        if (bom.cell(r, assyColumn) == part)
            return true;
    return false;
}

BomIndex::BomIndex(const QueryResult& bom)
{
    const int assyColumn = FindColumn(bom, QStringLiteral("Assy"));
    if (assyColumn < 0)
        return;
    for (int r = 0; r < bom.rowCount; ++r)
        m_rows[bom.cell(r, assyColumn)].append(r);
}

const QVector<int>& BomIndex::rows(const QString& assembly) const
{
    static const QVector<int> none;
    const auto it = m_rows.constFind(assembly);
    return it == m_rows.constEnd() ? none : it.value();
}

QStringList FindAssemblyCycle(const QueryResult& bom, const QString& assembly)
{
    const int partColumn = FindColumn(bom, QStringLiteral("Part"));
    if (partColumn < 0)
        return {};
    const BomIndex index(bom);
    QStringList path;
    QSet<QString> onPath;
    QSet<QString> cleared; // assemblies whose whole bill was walked without a cycle
    QStringList found;
    std::function<bool(const QString&)> walk = [&](const QString& current) {
        if (onPath.contains(current)) {
            found = path.mid(path.indexOf(current));
            found << current;
            return true;
        }
        if (cleared.contains(current))
            return false;
        path << current;
        onPath.insert(current);
        for (const int r : index.rows(current)) {
            const QString part = bom.cell(r, partColumn);
            if (index.isAssembly(part) && walk(part))
                return true;
        }
        path.removeLast();
        onPath.remove(current);
        cleared.insert(current);
        return false;
    };
    walk(assembly);
    return found;
}

QString CycleMessage(const QStringList& path)
{
    return TranslateLabel(QStringLiteral("Assembly contains itself:")) + QLatin1Char(' ')
           + path.join(QStringLiteral(" > "));
}

void AddFlatItem(FlatList& list, const FlatItem& line, double multiplier)
{
    auto it = std::find_if(list.begin(), list.end(), [&](const FlatItem& e) { return e.part == line.part; });
    if (it == list.end()) {
        list.push_back(FlatItem{});
        list.back().part = line.part;
        it = list.end() - 1;
    }
    const double quantity = it->quantity + line.quantity * multiplier;
    *it = line;
    it->quantity = quantity;
    it->grouping = 0;
}

void ExplodeAssembly(const QueryResult& bom, double multiplier, const QString& assembly, FlatList& list)
{
    const int assy = FindHeading(bom, QStringLiteral("Assy"));
    const int part = FindHeading(bom, QStringLiteral("Part"));
    const int quan = FindHeading(bom, QStringLiteral("Quan"));
    const int manuf = FindHeading(bom, QStringLiteral("Manuf"));
    const int make = FindHeading(bom, QStringLiteral("Make"));
    const int curr = FindHeading(bom, QStringLiteral("Curr"));
    const int dist = FindHeading(bom, QStringLiteral("Dist"));
    const int web = FindHeading(bom, QStringLiteral("Web"));
    const int price = FindHeading(bom, QStringLiteral("Price"));
    const int stock = FindHeading(bom, QStringLiteral("Stock"));
    const int loss = FindHeading(bom, QStringLiteral("Loss"));
    const int desc = FindHeading(bom, QStringLiteral("Desc"));
    const int alloc = FindHeading(bom, QStringLiteral("Alloc"));
    const int onOrder = FindHeading(bom, QStringLiteral("On Order"));
    if (assy < 0)
        return;
    const BomIndex index(bom);
    std::function<void(double, const QString&)> explode = [&](double factor, const QString& current) {
        for (const int r : index.rows(current)) {
            FlatItem line;
            line.part = bom.cell(r, part);
            line.quantity = TextToDouble(bom.cell(r, quan));
            line.manufacturer = bom.cell(r, manuf);
            line.distributor = bom.cell(r, dist);
            line.webPage = bom.cell(r, web);
            line.description = bom.cell(r, desc);
            line.currency = bom.cell(r, curr);
            line.stock = TextToDouble(bom.cell(r, stock));
            line.price = TextToDouble(bom.cell(r, price));
            line.allocated = TextToDouble(bom.cell(r, alloc));
            line.onOrder = TextToDouble(bom.cell(r, onOrder));
            line.loss = TextToDouble(bom.cell(r, loss));
            line.make = bom.cell(r, make).toUpper().contains(QLatin1Char('M')) ? 1 : 0;
            if (line.make == 0)
                AddFlatItem(list, line, factor);
            if (index.isAssembly(line.part))
                explode(line.quantity * factor, line.part);
        }
    };
    explode(multiplier, assembly);
}

void NetRequirements(FlatList& list)
{
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(list.size()));
    int position = 0;
    for (FlatItem& item : list) {
        const double need = item.quantity;
        const double available = item.stock - item.allocated;
        double toOrder = need - available;
        if (toOrder < 0)
            toOrder = 0;
        if (toOrder > need)
            toOrder = need;
        item.allocated += need;
        item.onOrder += toOrder;
        item.quantity = toOrder;
        Execute(SqlFormat("UPDATE PartList SET Allocated=%0.0f,On_Order=%0.0f where Part_nBr='%s'",
                          {item.allocated, item.onOrder, item.part}));
        progress.setPosition(++position);
    }
}

void SetPurchaseField(QStringList& values, const QString& key, const QString& value)
{
    const TableDefinition& definition = App().tables[PurcList];
    const QString wanted = key.toUpper();
    for (int i = 0; i < definition.fieldCount; ++i) {
        if (definition.headings[i].toUpper().contains(wanted)) {
            while (values.size() <= i)
                values << QString();
            values[i] = value;
            return;
        }
    }
}

PurchaseOrderBatch BuildPurchaseOrders(FlatList& list, const QString& orderNumber)
{
    PurchaseOrderBatch batch;
    int last = TextToInt(GetParam(ParamLastPurchaseOrder));
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(list.size()));
    int position = 0;
    for (;;) {
        FlatItem* leader = nullptr;
        for (FlatItem& item : list) {
            if (item.make == 1)
                item.grouping = 2;
            if (!leader && item.grouping == 0)
                leader = &item;
        }
        if (!leader)
            break;
        const bool distributorMode = leader->distributor.size() >= 2;
        const QString key = distributorMode ? leader->distributor : leader->manufacturer;
        for (FlatItem& item : list) {
            if (item.grouping != 0)
                continue;
            if (distributorMode ? item.distributor == key
                                : item.manufacturer == key && item.distributor.size() < 2)
                item.grouping = 1;
        }
        // The leader always joins its own group, so every pass makes progress.
        leader->grouping = std::max(leader->grouping, 1);

        QString address;
        QString phone;
        QString fax;
        const QueryResult vendor =
            Query(SqlFormat("Select * from VendList where  VendList.Vendor = '%s'", {key}));
        if (vendor.rowCount > 0) {
            auto value = [&vendor](const char* heading) {
                const int c = FindColumn(vendor, QString::fromLatin1(heading));
                return c < 0 ? QString() : vendor.cell(0, c);
            };
            address = value("Address");
            if (!address.isEmpty())
                address = address + QLatin1Char('/') + value("City") + QLatin1Char(',') + value("State")
                          + QLatin1Char(' ') + value("Zip") + QLatin1Char(' ') + value("Country");
            phone = value("Phone");
            fax = value("Fax");
        }

        const QString number = Format("P%0.4i", {last + 1});
        QString items;
        int lines = 0;
        const QString currency = leader->currency;
        for (FlatItem& item : list) {
            if (item.grouping != 1)
                continue;
            if (item.quantity <= 0) {
                item.grouping = 2; // nothing to order; not part of any later group
                continue;
            }
            ++lines;
            const double withLoss = item.quantity * (1 + item.loss / 100);
            items += Format("%i", {lines}) + QLatin1Char('\n') + Format("%0.0f", {withLoss}) + QLatin1Char('\n')
                     + item.part + QLatin1Char('\n') + item.description + QLatin1Char('\n')
                     + Format("%0.2f", {item.price}) + QLatin1Char('\n')
                     + Format("%0.2f", {item.price * withLoss}) + QLatin1Char('\n') + QStringLiteral("Pending")
                     + QLatin1Char('\n') + QLatin1Char('\r');
            item.grouping = 2;
            Execute(SqlFormat(
                "Insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values('%s','%s',%0.0f,'%s')",
                {orderNumber, item.part, item.quantity, number}));
            progress.setPosition(++position);
        }
        if (lines > 0) {
            QStringList values;
            for (int i = 0; i < App().tables[PurcList].fieldCount; ++i)
                values << QString();
            const QString now = TimestampText();
            SetPurchaseField(values, QStringLiteral("PO"), number);
            SetPurchaseField(values, QStringLiteral("Vend"), key);
            SetPurchaseField(values, QStringLiteral("Status"), QStringLiteral("Pending"));
            SetPurchaseField(values, QStringLiteral("Addr"), address);
            SetPurchaseField(values, QStringLiteral("Phone"), phone);
            SetPurchaseField(values, QStringLiteral("Fax"), fax);
            SetPurchaseField(values, QStringLiteral("Curr"), currency);
            SetPurchaseField(values, QStringLiteral("Shipping Addr"), GetParam(ParamShippingAddress));
            SetPurchaseField(values, QStringLiteral("Order"), orderNumber);
            SetPurchaseField(values, QStringLiteral("Item"), items);
            SetPurchaseField(values, QStringLiteral("Date"), now);
            SetPurchaseField(values, QStringLiteral("Time Stamp"), now);
            OpenDatabase();
            InsertRow(values, PurcList);
            CloseDatabase();
            batch.statusLine = Format("%s:  Vendor:%s Items:%i", {number, key, lines});
            progress.setCaption(batch.statusLine);
            ++last;
            ++batch.count;
            batch.numbers << number;
        }
    }
    progress.setPosition(static_cast<int>(list.size()) + 1);
    SetParam(ParamLastPurchaseOrder, Format("%i", {last}));
    return batch;
}

PurchaseOrderBatch GeneratePurchaseOrders(const QueryResult& bom, double quantity, const QString& assembly,
                                          const QString& orderNumber, FlatList& list)
{
    list.clear();
    ExplodeAssembly(bom, quantity, assembly, list);
    NetRequirements(list);
    WaitScope progress(QStringLiteral("Add flat bills to list....."), 0, static_cast<int>(list.size()));
    progress.setCaption(QStringLiteral("Build Purchase Orders....."));
    return BuildPurchaseOrders(list, orderNumber);
}

ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage)
{
    ProcessOutcome outcome;
    if (quantity == 0 || !std::isfinite(quantity)) {
        ShowMessage(QStringLiteral("No Quantity Entered"));
        return outcome;
    }
    const QString status =
        QueryText(SqlFormat("Select Status from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
    // A second run would allocate and order everything again.
    if (OrderStage(status) >= 1) {
        ShowMessage(Format("%s %s: %s", {orderNumber, Translate(QStringLiteral("has been processed already")),
                                         status}));
        return outcome;
    }
    if (assembly.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("No assembly selected")));
        return outcome;
    }
    const QueryResult bom = LoadBomRows();
    if (LastResultCode() != 0)
        return outcome; // the read reported its own failure; nothing is written
    const QStringList cycle = FindAssemblyCycle(bom, assembly);
    if (!cycle.isEmpty()) {
        ShowMessage(CycleMessage(cycle));
        return outcome;
    }

    Transaction transaction;
    outcome.batch = GeneratePurchaseOrders(bom, quantity, assembly, orderNumber, outcome.flatList);
    const int tasks = BuildTasks(orderNumber, assembly, quantity);
    Execute(SqlFormat("UPDATE ReqmList SET Assy='%s',Quan=%0.0f,Status='%s' where Order_nBr='%s'",
                      {assembly, quantity, kStatusPoGen, orderNumber}));
    if (tasks < 0)
        transaction.fail();
    const QString error = LastErrorText();
    if (!transaction.commit()) {
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                        + error,
                    QStringLiteral("Database Status"));
        outcome.batch = {};
        return outcome;
    }
    outcome.done = true;
    if (beforeMessage)
        beforeMessage(outcome);
    ShowMessage(Format("%i Purchase Orders Created under %s", {outcome.batch.count, orderNumber}));
    return outcome;
}

RequirementRecord LoadRequirement(const QString& orderNumber)
{
    RequirementRecord record;
    record.orderNumber = orderNumber;
    if (record.orderNumber.isEmpty())
        record.orderNumber = Format("REQ%0.4i", {TextToInt(GetParam(ParamLastRequirement))});
    auto read = [&](const char* format) {
        return QueryText(SqlFormat(format, {record.orderNumber}), false);
    };
    record.description = read("Select Description from ReqmList where Order_nBr = '%s'");
    record.status = read("Select Status from ReqmList where Order_nBr = '%s'");
    record.quantity = read("Select Quan from ReqmList where Order_nBr = '%s'");
    record.assembly = read("Select Assy from ReqmList where Order_nBr = '%s'");
    return record;
}

bool SaveRequirement(const RequirementRecord& record)
{
    return Execute(SqlFormat("UPDATE ReqmList Set Quan = '%s',User='%s',Date='%s',Assy = '%s',Description='%s' "
                             "where Order_nBr='%s'",
                             {record.quantity, App().CurrentUser, TimestampText(), record.assembly,
                              record.description, record.orderNumber}));
}
