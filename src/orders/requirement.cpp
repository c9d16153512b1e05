#include "orders/requirement.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
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
    const QueryResult bom = LoadBomRows(assembly);
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
