#include "orders/requirement.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/numbering.h"
#include "db/parameters.h"
#include "db/stockledger.h"
#include "orders/purchaseorder.h"
#include "schedule/taskbuilder.h"

#include <algorithm>
#include <cmath>
#include <optional>
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
    if (RequirementFinished(status))
        stage = 3;
    return stage;
}

namespace {

QString vendorKey(const FlatItem& item)
{
    return item.distributor.size() >= 2 ? item.distributor : item.manufacturer;
}

// The whole quantity a purchase-order line asks for: the order with its loss
// allowance, rounded as the line prints it.
QString lineQuantityText(double order, double loss)
{
    return Format("%0.0f", {order * (1 + loss / 100)});
}

} // namespace

PurchasingPlan PlanPurchasing(const FlatList& list, int lastPurchaseOrder)
{
    PurchasingPlan plan;
    plan.parts.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        const FlatItem& item = list[i];
        PlannedPart& part = plan.parts[i];
        part.part = item.part;
        part.need = item.quantity;
        part.stock = item.stock;
        part.allocated = item.allocated;
        part.available = item.stock - item.allocated;
        part.vendor = vendorKey(item);
        double toOrder = part.need - part.available;
        if (toOrder < 0)
            toOrder = 0;
        if (toOrder > part.need)
            toOrder = part.need; // a negative availability never orders more than the need
        if (item.make != 1 && toOrder > 0)
            part.orderWithLoss = TextToDouble(lineQuantityText(toOrder, item.loss));
        // Less than a whole unit to buy makes no order line: it comes from stock.
        part.order = part.orderWithLoss > 0 ? toOrder : 0;
        part.fromStock = part.need - part.order;
    }

    // One order per vendor key: the first part not yet done leads, and takes
    // every part of its distributor (or, without one, of its manufacturer).
    std::vector<int> grouping(list.size(), 0); // 0 to do, 1 in this order, 2 done
    int last = lastPurchaseOrder;
    for (;;) {
        int leader = -1;
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i].make == 1)
                grouping[i] = 2;
            if (leader < 0 && grouping[i] == 0)
                leader = static_cast<int>(i);
        }
        if (leader < 0)
            break;
        const FlatItem& lead = list[static_cast<size_t>(leader)];
        const bool distributorMode = lead.distributor.size() >= 2;
        const QString key = vendorKey(lead);
        for (size_t i = 0; i < list.size(); ++i) {
            if (grouping[i] != 0)
                continue;
            if (distributorMode ? list[i].distributor == key
                                : list[i].manufacturer == key && list[i].distributor.size() < 2)
                grouping[i] = 1;
        }
        // The leader always joins its own group, so every pass makes progress.
        grouping[static_cast<size_t>(leader)] = 1;

        PlannedOrder order;
        order.number = Format("P%0.4i", {last + 1});
        order.vendor = key;
        for (size_t i = 0; i < list.size(); ++i) {
            if (grouping[i] != 1)
                continue;
            grouping[i] = 2;
            if (plan.parts[i].orderWithLoss > 0) {
                order.parts.push_back(static_cast<int>(i));
                plan.parts[i].purchaseOrder = order.number;
            }
        }
        // A group without lines writes nothing and uses no number.
        if (!order.parts.empty()) {
            plan.orders.push_back(order);
            ++last;
        }
    }
    plan.lastNumber = last;
    return plan;
}

bool NetRequirements(FlatList& list, const PurchasingPlan& plan, const QString& orderNumber)
{
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(list.size()));
    // The stored figures are read inside the caller's transaction: another
    // program's change since the bill was read is kept, not overwritten.
    QHash<QString, std::pair<double, double>> stored;
    QStringList names;
    bool done = true;
    auto readStored = [&] {
        const QueryResult rows = Query(QStringLiteral("Select Part_nBr,Allocated,On_Order from PartList where Part_nBr in (")
                                       + names.join(QLatin1Char(',')) + QLatin1Char(')'));
        done = done && LastResultCode() == 0;
        for (int r = 0; r < rows.rowCount; ++r)
            stored.insert(rows.cell(r, 0), {TextToDouble(rows.cell(r, 1)), TextToDouble(rows.cell(r, 2))});
        names.clear();
    };
    for (const PlannedPart& part : plan.parts) {
        names << QLatin1Char('\'') + SqlEscape(part.part) + QLatin1Char('\'');
        if (names.size() == 500)
            readStored();
    }
    if (!names.isEmpty())
        readStored();

    int position = 0;
    for (size_t i = 0; i < list.size() && i < plan.parts.size(); ++i) {
        const PlannedPart& part = plan.parts[i];
        FlatItem& item = list[i];
        // Allocated grows by exactly what the rows of the requirement say.
        const QString ordered = PlainNumber(part.order);
        const QString fromStock = PlainNumber(part.fromStock);
        const auto [allocated, onOrder] = stored.value(part.part, {item.allocated, item.onOrder});
        item.allocated = allocated + TextToDouble(ordered) + TextToDouble(fromStock);
        item.onOrder = onOrder + part.orderWithLoss;
        item.quantity = part.order;
        done = Execute(SqlFormat("UPDATE PartList SET Allocated='%s',On_Order='%s' where Part_nBr='%s'",
                                 {PlainNumber(item.allocated), PlainNumber(item.onOrder), part.part}))
               && done;
        if (TextToDouble(fromStock) != 0)
            done = Execute(SqlFormat("Insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values('%s','%s',%s,'')",
                                     {orderNumber, part.part, fromStock}))
                   && done;
        progress.setPosition(++position);
    }
    return done;
}

QString PurchaseOrderStatusLine(const PlannedOrder& order)
{
    return Format("%s:  Vendor:%s Items:%i", {order.number, order.vendor, static_cast<int>(order.parts.size())});
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

PurchaseOrderBatch BuildPurchaseOrders(FlatList& list, const PurchasingPlan& plan, const QString& orderNumber)
{
    PurchaseOrderBatch batch;
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(list.size()));
    int position = 0;
    for (FlatItem& item : list)
        item.grouping = 2;
    for (const PlannedOrder& order : plan.orders) {
        QString address;
        QString phone;
        QString fax;
        const QueryResult vendor =
            Query(SqlFormat("Select * from VendList where  VendList.Vendor = '%s'", {order.vendor}));
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

        std::vector<ItemRow> rows;
        for (const int index : order.parts) {
            const PlannedPart& part = plan.parts[static_cast<size_t>(index)];
            const FlatItem& item = list[static_cast<size_t>(index)];
            // The line total is the price of the quantity with its loss, before rounding.
            const double withLoss = part.order * (1 + item.loss / 100);
            rows.push_back({Format("%i", {static_cast<int>(rows.size()) + 1}), lineQuantityText(part.order, item.loss),
                            part.part, item.description, Format("%0.2f", {item.price}),
                            Format("%0.2f", {item.price * withLoss}), QStringLiteral("Pending")});
            Execute(SqlFormat("Insert into AlloList (Requirement,Part_nBr,Quan,PO_nBr) values('%s','%s',%s,'%s')",
                              {orderNumber, part.part, PlainNumber(part.order), order.number}));
            progress.setPosition(++position);
        }
        QStringList values;
        for (int i = 0; i < App().tables[PurcList].fieldCount; ++i)
            values << QString();
        const QString now = TimestampText();
        SetPurchaseField(values, QStringLiteral("PO"), order.number);
        SetPurchaseField(values, QStringLiteral("Vend"), order.vendor);
        SetPurchaseField(values, QStringLiteral("Status"), QStringLiteral("Pending"));
        SetPurchaseField(values, QStringLiteral("Addr"), address);
        SetPurchaseField(values, QStringLiteral("Phone"), phone);
        SetPurchaseField(values, QStringLiteral("Fax"), fax);
        SetPurchaseField(values, QStringLiteral("Curr"), list[static_cast<size_t>(order.parts.front())].currency);
        SetPurchaseField(values, QStringLiteral("Shipping Addr"), GetParam(ParamShippingAddress));
        SetPurchaseField(values, QStringLiteral("Order"), orderNumber);
        SetPurchaseField(values, QStringLiteral("Item"), BuildItemList(rows));
        SetPurchaseField(values, QStringLiteral("Value"), PurchaseOrderValue(rows, QString(), QString()));
        SetPurchaseField(values, QStringLiteral("Date"), now);
        SetPurchaseField(values, QStringLiteral("Time Stamp"), now);
        OpenDatabase();
        InsertRow(values, PurcList);
        CloseDatabase();
        batch.statusLine = PurchaseOrderStatusLine(order);
        progress.setCaption(batch.statusLine);
        ++batch.count;
        batch.numbers << order.number;
    }
    progress.setPosition(static_cast<int>(list.size()) + 1);
    SetParam(ParamLastPurchaseOrder, Format("%i", {plan.lastNumber}));
    return batch;
}

namespace {

void numberFrom(PurchasingPlan& plan, int base)
{
    QHash<QString, QString> renamed;
    for (size_t i = 0; i < plan.orders.size(); ++i) {
        const QString number = Format("P%0.4i", {base + static_cast<int>(i) + 1});
        renamed.insert(plan.orders[i].number, number);
        plan.orders[i].number = number;
    }
    for (PlannedPart& part : plan.parts)
        part.purchaseOrder = renamed.value(part.purchaseOrder, part.purchaseOrder);
    plan.lastNumber = base + static_cast<int>(plan.orders.size());
}

} // namespace

PurchaseOrderBatch GeneratePurchaseOrders(const QueryResult& bom, double quantity, const QString& assembly,
                                          const QString& orderNumber, FlatList& list, PurchasingPlan& plan,
                                          bool write)
{
    list.clear();
    ExplodeAssembly(bom, quantity, assembly, list);
    // Planned from 0 and numbered on afterwards: the plan's own counting
    // cannot pass the largest number and wrap to a negative one.
    plan = PlanPurchasing(list, 0);
    const long long base = NumberingBase(ParamLastPurchaseOrder);
    if (base < 0 || base + plan.lastNumber > kLargestRecordNumber) {
        plan.numbering = base < 0 ? WriteRefusedText(LastErrorText()) : NumbersExhaustedMessage(ParamLastPurchaseOrder);
        return {};
    }
    numberFrom(plan, static_cast<int>(base));
    if (!write)
        return {};
    NetRequirements(list, plan, orderNumber);
    WaitScope progress(QStringLiteral("Add flat bills to list....."), 0, static_cast<int>(list.size()));
    progress.setCaption(QStringLiteral("Build Purchase Orders....."));
    return BuildPurchaseOrders(list, plan, orderNumber);
}

ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage, ProcessMode mode)
{
    ProcessOutcome outcome;
    if (quantity == 0 || std::isnan(quantity)) {
        ShowMessage(QStringLiteral("No Quantity Entered"));
        return outcome;
    }
    // A negative quantity would release stock that nobody allocated; a huge
    // one orders absurd amounts and overflows the figures.
    if (!(quantity > 0) || quantity > kMaxRequirementQuantity) {
        ShowMessage(TranslateLabel(QStringLiteral("The quantity must be greater than 0 and not above")) + QLatin1Char(' ')
                    + PlainNumber(kMaxRequirementQuantity) + QStringLiteral(": ") + PlainNumber(quantity));
        return outcome;
    }
    // The figures the plan nets against are read under the write lock that
    // the writes then hold: another desk's Process in between would have the
    // two plans count the same stock twice (and both might process this
    // requirement). A refusal ends the transaction before it is shown, so
    // nobody waits for this desk's message box.
    std::optional<Transaction> transaction;
    if (mode != ProcessMode::Preview)
        transaction.emplace();
    const auto refuse = [&](const QString& text) {
        transaction.reset();
        if (!text.isEmpty())
            ShowMessage(text);
        return outcome;
    };
    const QString status =
        QueryText(SqlFormat("Select Status from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
    if (LastResultCode() != 0)
        return refuse(LastErrorText());
    // Cancelled and deleted on another desk while this one waited for the lock.
    if (status.isEmpty()
        && QueryText(SqlFormat("Select Order_nBr from ReqmList where Order_nBr = '%s'", {orderNumber}), false)
               != orderNumber)
        return refuse(TranslateLabel(QStringLiteral("No such requirement:")) + QLatin1Char(' ') + orderNumber);
    // A second run would allocate and order everything again.
    if (OrderStage(status) >= 1)
        return refuse(Format("%s %s: %s", {orderNumber, Translate(QStringLiteral("has been processed already")),
                                            status}));
    if (assembly.isEmpty())
        return refuse(Translate(QStringLiteral("No assembly selected")));
    const QueryResult bom = LoadBomRows(assembly);
    if (LastResultCode() != 0)
        return refuse(QString()); // the read reported its own failure; nothing is written
    const QStringList cycle = FindAssemblyCycle(bom, assembly);
    if (!cycle.isEmpty())
        return refuse(CycleMessage(cycle));
    // Without a bill there is nothing to order or build; the requirement
    // stays as it was, free to be processed with the right assembly.
    if (!IsAssembly(bom, assembly))
        return refuse(TranslateLabel(QStringLiteral("No such assembly:")) + QLatin1Char(' ') + assembly);
    if (const QString bad = BadBillQuantity(bom); !bad.isEmpty())
        return refuse(bad);
    if (mode == ProcessMode::Preview) {
        GeneratePurchaseOrders(bom, quantity, assembly, orderNumber, outcome.flatList, outcome.plan, false);
        if (!outcome.plan.numbering.isEmpty())
            return refuse(outcome.plan.numbering);
        outcome.done = true;
        return outcome;
    }

    outcome.batch = GeneratePurchaseOrders(bom, quantity, assembly, orderNumber, outcome.flatList, outcome.plan);
    if (!outcome.plan.numbering.isEmpty())
        return refuse(outcome.plan.numbering);
    const int tasks = BuildTasks(orderNumber, assembly, quantity);
    // The quantity as processed, fractions kept: the allocations were made for it.
    Execute(SqlFormat("UPDATE ReqmList SET Assy='%s',Quan=%s,Status='%s' where Order_nBr='%s'",
                      {assembly, PlainNumber(quantity), kStatusPoGen, orderNumber}));
    if (tasks < 0)
        transaction->fail();
    if (!transaction->commit()) {
        ShowMessage(WriteRefusedText(LastErrorText()), QStringLiteral("Database Status"));
        outcome.batch = {};
        return outcome;
    }
    outcome.done = true;
    if (beforeMessage)
        beforeMessage(outcome);
    ShowMessage(Format("%i Purchase Orders Created under %s", {outcome.batch.count, orderNumber}));
    return outcome;
}

ProcessOutcome PreviewProcess(const QString& orderNumber, double quantity, const QString& assembly)
{
    return ProcessRequirement(orderNumber, quantity, assembly, {}, ProcessMode::Preview);
}

QStringList PreviewLines(const PurchasingPlan& plan)
{
    QStringList lines;
    for (const PlannedPart& part : plan.parts)
        lines << QStringList{part.part,           PlainNumber(part.need),  PlainNumber(part.available),
                             PlainNumber(part.order), part.vendor,         PlainNumber(part.orderWithLoss)}
                     .join(QLatin1Char('\t'));
    for (const PlannedOrder& order : plan.orders)
        lines << PurchaseOrderStatusLine(order);
    return lines;
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
