#include "orders/requirement.h"

#include "bom/obsolete.h"
#include "core/appstate.h"
#include "core/dates.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/quantity.h"
#include "core/statuses.h"
#include "core/utilities.h"
#include "db/allocationrows.h"
#include "db/bills.h"
#include "db/numbering.h"
#include "db/parameters.h"
#include "db/production.h"
#include "db/purchaseorders.h"
#include "db/requirements.h"
#include "db/stockledger.h"
#include "db/vendorrows.h"
#include "orders/purchaseorder.h"
#include "schedule/schedule.h"
#include "schedule/taskbuilder.h"
#include "sourcing/sourceplanner.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <QSet>
#include <functional>

int OrderStage(const QString& status)
{
    // A completed requirement is finished as much as a cancelled one and
    // must not be processed again.
    return RequirementStage(RequirementStatusOf(status));
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

// Stock bought besides the need: what brings the part back to its Min Stock
// once the requirement has taken its share, in whole units.
double toMinStock(const PlannedPart& part, double minStock, double shortfall)
{
    if (!(minStock > 0))
        return 0;
    const double after = part.available + shortfall - part.need;
    return after < minStock ? std::ceil(minStock - after - 1e-9) : 0;
}

// Where one part is bought: its chosen source, or without sources its
// distributor (else manufacturer) at its price, as before sources existed.
void chooseSupply(PlannedPart& part, const FlatItem& item, const PurchasingFacts& facts)
{
    const std::vector<SourceRecord> sources = facts.sources.value(item.part);
    const PartPurchaseFacts partFacts = facts.parts.value(item.part);
    if (!sources.empty()) {
        const SourceChoice choice = ChooseSource(sources, part.orderWithLoss, facts.rates);
        if (!choice.chosen) {
            part.problem = choice.problems.join(QStringLiteral("; "));
            return;
        }
        part.fromSource = true;
        part.problem = choice.problems.join(QStringLiteral("; "));
        part.vendor = choice.best.source.vendor;
        part.orderCode = choice.best.source.orderCode;
        part.orderQuantity = choice.best.quantity;
        part.unitPrice = choice.best.unitPrice;
        part.currency = choice.best.source.currency;
        part.total = choice.best.total;
        if (choice.hasRunnerUp)
            part.runnerUp = QuoteText(choice.runnerUp);
        return;
    }
    if (part.vendor.isEmpty()) {
        part.problem = Translate(QStringLiteral("no vendor"));
        return;
    }
    part.orderCode = partFacts.orderCode;
    part.orderQuantity = part.orderWithLoss;
    part.unitPrice = item.price;
    part.currency = item.currency.trimmed().toUpper();
    part.total = part.orderQuantity * part.unitPrice;
    // Bought all the same; the preview says that its total cannot be compared.
    if (!facts.rates.toShop(part.currency))
        part.problem = MissingRateText(part.currency);
}

} // namespace

PurchasingPlan PlanPurchasing(const FlatList& list, int lastPurchaseOrder)
{
    return PlanPurchasing(list, lastPurchaseOrder, PurchasingFacts());
}

PurchasingPlan PlanPurchasing(const FlatList& list, int lastPurchaseOrder, const PurchasingFacts& facts)
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
        if (item.make != 1) {
            part.toMinStock = toMinStock(part, facts.parts.value(item.part).minStock, part.order);
            part.orderWithLoss += part.toMinStock;
        }
        if (part.orderWithLoss > 0) {
            chooseSupply(part, item, facts);
            // Not bought, or bought with a source left out: said, never dropped.
            if (!part.problem.isEmpty())
                plan.problems.push_back({part.part, part.problem});
            if (!(part.orderQuantity > 0)) {
                // The need stays on stock, as for a part nobody orders.
                part.order = 0;
                part.orderWithLoss = 0;
                part.toMinStock = 0;
                part.vendor.clear();
            }
        }
        part.fromStock = part.need - part.order;
        if (part.currency.isEmpty())
            part.currency = facts.rates.shopCurrency();
    }
    for (const QString& made : facts.madeWithoutBill)
        plan.problems.push_back({made, Translate(QStringLiteral("made, but has no bill"))});

    // One order per vendor, in the order the vendors first appear. A part
    // bought without sources keeps the old grouping: a distributor's order
    // and a manufacturer's order stay apart even under the same name.
    struct Group
    {
        QString vendor;
        bool byManufacturer = false;
    };
    std::vector<Group> groups;
    std::vector<std::vector<int>> members;
    for (size_t i = 0; i < list.size(); ++i) {
        const PlannedPart& part = plan.parts[i];
        if (list[i].make == 1 || part.vendor.isEmpty())
            continue;
        // A part with nothing to order still places its vendor in the
        // sequence, so the numbers follow the bill as they always did.
        const Group group{part.vendor, !part.fromSource && list[i].distributor.size() < 2};
        size_t g = 0;
        while (g < groups.size() && !(groups[g].vendor == group.vendor && groups[g].byManufacturer == group.byManufacturer))
            ++g;
        if (g == groups.size()) {
            groups.push_back(group);
            members.emplace_back();
        }
        if (part.orderQuantity > 0 && part.orderWithLoss > 0)
            members[g].push_back(static_cast<int>(i));
    }
    int last = lastPurchaseOrder;
    for (size_t g = 0; g < groups.size(); ++g) {
        // A group without lines writes nothing and uses no number.
        if (members[g].empty())
            continue;
        PlannedOrder order;
        order.number = Format("P%0.4i", {++last});
        order.vendor = groups[g].vendor;
        order.parts = members[g];
        for (const int index : order.parts)
            plan.parts[static_cast<size_t>(index)].purchaseOrder = order.number;
        plan.orders.push_back(order);
    }
    plan.lastNumber = last;
    return plan;
}

PurchasingFacts LoadPurchasingFacts(const QueryResult& bom, const QString& assembly, const FlatList& list, bool* ok)
{
    PurchasingFacts facts;
    QStringList parts;
    parts.reserve(static_cast<qsizetype>(list.size()));
    for (const FlatItem& item : list)
        parts << item.part;
    bool read = true;
    bool step = true;
    if (!parts.isEmpty()) {
        facts.sources = LoadSources(parts, &step);
        read = read && step;
    }
    facts.parts = LoadPartPurchaseFacts(parts, &step);
    read = read && step;
    facts.rates = CurrencyRates::Load(&step);
    read = read && step;

    // A made part is built from its bill; one without a bill can be neither
    // built nor bought, so the buyer must hear of it.
    const int partColumn = FindHeading(bom, QStringLiteral("Part"));
    const int makeColumn = FindHeading(bom, QStringLiteral("Make"));
    if (partColumn >= 0 && makeColumn >= 0) {
        const BomIndex index(bom);
        QSet<QString> seen;
        std::function<void(const QString&)> walk = [&](const QString& current) {
            if (seen.contains(current))
                return;
            seen.insert(current);
            for (const int r : index.rows(current)) {
                const QString part = bom.cell(r, partColumn);
                if (index.isAssembly(part))
                    walk(part);
                else if (MakeKind(bom.cell(r, makeColumn)) == 1 && !facts.madeWithoutBill.contains(part))
                    facts.madeWithoutBill << part;
            }
        };
        walk(assembly);
    }
    if (ok)
        *ok = read;
    return facts;
}

bool NetRequirements(FlatList& list, const PurchasingPlan& plan, const QString& orderNumber)
{
    WaitScope progress(QStringLiteral("Database Access..."), 0, static_cast<int>(list.size()));
    // The stored figures are read inside the caller's transaction: another
    // program's change since the bill was read is kept, not overwritten.
    // One read and one write for the whole bill: a desk far from its server
    // pays a round trip per statement, not per part.
    QStringList names;
    for (const PlannedPart& part : plan.parts)
        names << part.part;
    bool done = true;
    const QHash<QString, PartFigures> stored = ReadPartFigures(names, &done);

    QHash<QString, QStringList> figures;
    std::vector<AllocationRow> allocations;
    int position = 0;
    for (size_t i = 0; i < list.size() && i < plan.parts.size(); ++i) {
        const PlannedPart& part = plan.parts[i];
        FlatItem& item = list[i];
        // Allocated grows by exactly what the rows of the requirement say.
        const QString ordered = PlainNumber(part.order);
        const QString fromStock = PlainNumber(part.fromStock);
        const auto found = stored.constFind(part.part);
        const double allocated = found != stored.constEnd() ? found->allocated : item.allocated;
        const double onOrder = found != stored.constEnd() ? found->onOrder : item.onOrder;
        item.allocated = allocated + TextToDouble(ordered) + TextToDouble(fromStock);
        // On_Order grows by the whole line, the minimum and the packs included.
        item.onOrder = onOrder + (part.purchaseOrder.isEmpty() ? 0 : part.orderQuantity);
        item.quantity = part.order;
        figures.insert(part.part, {PlainNumber(item.allocated), PlainNumber(item.onOrder)});
        if (TextToDouble(fromStock) != 0)
            allocations.push_back({orderNumber, part.part, fromStock, QString()});
        progress.setPosition(++position);
    }
    done = WritePartFigures({QStringLiteral("Allocated"), QStringLiteral("On_Order")}, figures) && done;
    done = InsertAllocations(allocations) && done;
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
    QStringList vendors;
    for (const PlannedOrder& order : plan.orders)
        vendors << order.vendor;
    const VendorRecords vendorRecords = ReadVendorRecords(vendors);
    std::vector<AllocationRow> allocations;
    std::vector<QStringList> purchaseOrders;
    std::vector<std::pair<QString, QString>> orderLines;
    const QString now = TimestampText();
    const QString shippingAddress = plan.orders.empty() ? QString() : GetParam(ParamShippingAddress);
    for (const PlannedOrder& order : plan.orders) {
        auto value = [&](const char* heading) { return vendorRecords.value(order.vendor, QString::fromLatin1(heading)); };
        QString address = value("Address");
        if (!address.isEmpty())
            address = address + QLatin1Char('/') + value("City") + QLatin1Char(',') + value("State")
                      + QLatin1Char(' ') + value("Zip") + QLatin1Char(' ') + value("Country");
        const QString phone = value("Phone");
        const QString fax = value("Fax");

        std::vector<ItemRow> rows;
        for (const int index : order.parts) {
            const PlannedPart& part = plan.parts[static_cast<size_t>(index)];
            const FlatItem& item = list[static_cast<size_t>(index)];
            // Without a source the line total is the price of the quantity
            // with its loss, before rounding; a source sells what the line says.
            const double priced = part.fromSource || part.toMinStock > 0 ? part.orderQuantity
                                                                           : part.order * (1 + item.loss / 100);
            // The unit price is stored exactly; only the total is a shown figure.
            ItemRow row{Format("%i", {static_cast<int>(rows.size()) + 1}), PlainNumber(part.orderQuantity),
                        part.part, item.description, ExactPriceText(part.unitPrice),
                        Format("%0.2f", {part.unitPrice * priced}), QStringLiteral("Pending")};
            if (!part.orderCode.isEmpty())
                row << part.orderCode;
            rows.push_back(row);
            // A line bought only for Min Stock is allocated to nobody.
            if (part.order > 0)
                allocations.push_back({orderNumber, part.part, PlainNumber(part.order), order.number});
            progress.setPosition(++position);
        }
        QStringList values;
        for (int i = 0; i < App().tables[PurcList].fieldCount; ++i)
            values << QString();
        SetPurchaseField(values, QStringLiteral("PO"), order.number);
        SetPurchaseField(values, QStringLiteral("Vend"), order.vendor);
        SetPurchaseField(values, QStringLiteral("Status"), StoredWord(PurchaseOrderStatus::Pending));
        SetPurchaseField(values, QStringLiteral("Addr"), address);
        SetPurchaseField(values, QStringLiteral("Phone"), phone);
        SetPurchaseField(values, QStringLiteral("Fax"), fax);
        SetPurchaseField(values, QStringLiteral("Curr"), plan.parts[static_cast<size_t>(order.parts.front())].currency);
        SetPurchaseField(values, QStringLiteral("Shipping Addr"), shippingAddress);
        SetPurchaseField(values, QStringLiteral("Order"), orderNumber);
        SetPurchaseField(values, QStringLiteral("Item"), BuildItemList(rows));
        orderLines.emplace_back(order.number, BuildItemList(rows));
        SetPurchaseField(values, QStringLiteral("Value"), PurchaseOrderValue(rows, QString(), QString()));
        SetPurchaseField(values, QStringLiteral("Date"), now);
        SetPurchaseField(values, QStringLiteral("Time Stamp"), now);
        purchaseOrders.push_back(values);
        batch.statusLine = PurchaseOrderStatusLine(order);
        progress.setCaption(batch.statusLine);
        ++batch.count;
        batch.numbers << order.number;
    }
    // Every order's allocations and records in one statement each.
    InsertAllocations(allocations);
    if (!purchaseOrders.empty()) {
        OpenDatabase();
        InsertRows(purchaseOrders, PurcList);
        WritePurchaseLines(orderLines);
        CloseDatabase();
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
                                          bool write, bool useAlternates)
{
    list.clear();
    ExplodeAssembly(bom, quantity, assembly, list);
    const PurchasingFacts facts = LoadPurchasingFacts(bom, assembly, list);
    // Planned from 0 and numbered on afterwards: the plan's own counting
    // cannot pass the largest number and wrap to a negative one.
    plan = PlanPurchasing(list, 0, facts);
    PlanAlternates(assembly, list, 0, useAlternates, plan, facts);
    const long long base = NumberingBase(ParamLastPurchaseOrder);
    if (base < 0 || base + plan.lastNumber > kLargestRecordNumber) {
        plan.numbering = base < 0 ? WriteRefusedText(LastErrorText()) : NumbersExhaustedMessage(ParamLastPurchaseOrder);
        return {};
    }
    numberFrom(plan, static_cast<int>(base));
    if (!write)
        return {};
    NetRequirements(list, plan, orderNumber);
    AllocateAlternates(plan, orderNumber);
    WaitScope progress(QStringLiteral("Add flat bills to list....."), 0, static_cast<int>(list.size()));
    progress.setCaption(QStringLiteral("Build Purchase Orders....."));
    return BuildPurchaseOrders(list, plan, orderNumber);
}

namespace {

// A part deleted on another desk after the bill named it has no vendor,
// price or stock left to plan with: ordering it would write purchase orders
// for no vendor and a ledger that disagrees. Sub-assemblies are exploded,
// not bought, so only the parts bought or made at the leaves are asked for.
QString missingPartsText(const QueryResult& bom)
{
    const int partColumn = FindColumn(bom, QStringLiteral("Part"));
    if (partColumn < 0)
        return {};
    const BomIndex index(bom);
    QStringList leaves;
    QSet<QString> seen;
    for (int r = 0; r < bom.rowCount; ++r) {
        const QString& part = bom.cell(r, partColumn);
        if (!part.isEmpty() && !index.isAssembly(part) && !seen.contains(part)) {
            seen.insert(part);
            leaves << part;
        }
    }
    bool ok = true;
    const QStringList missing = PartsWithoutRecord(leaves, &ok);
    if (!ok)
        return WriteRefusedText(LastErrorText());
    if (missing.isEmpty())
        return {};
    return TranslateLabel(QStringLiteral("The bill names parts that no longer exist:")) + QLatin1Char(' ')
           + missing.join(QStringLiteral(", ")) + QLatin1Char('\n')
           + Translate(QStringLiteral("Nothing was ordered. Put the parts back or take them off the bill."));
}

} // namespace

ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage, ProcessMode mode,
                                  bool useAlternates)
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
    bool read = true;
    const RequirementFields stored = ReadRequirementFields(orderNumber, &read);
    if (!read)
        return refuse(LastErrorText());
    const QString& status = stored.status;
    // Cancelled and deleted on another desk while this one waited for the lock.
    if (!stored.found || stored.orderNumber != orderNumber)
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
    const QStringList warnings = ObsoletePartWarnings(bom);
    if (const QString bad = BadBillQuantity(bom); !bad.isEmpty())
        return refuse(bad);
    if (const QString missing = missingPartsText(bom); !missing.isEmpty())
        return refuse(missing);
    if (mode == ProcessMode::Preview) {
        GeneratePurchaseOrders(bom, quantity, assembly, orderNumber, outcome.flatList, outcome.plan, false,
                               useAlternates);
        outcome.plan.warnings = warnings;
        if (!outcome.plan.numbering.isEmpty())
            return refuse(outcome.plan.numbering);
        outcome.done = true;
        return outcome;
    }

    outcome.batch = GeneratePurchaseOrders(bom, quantity, assembly, orderNumber, outcome.flatList, outcome.plan, true,
                                           useAlternates);
    outcome.plan.warnings = warnings;
    if (!outcome.plan.numbering.isEmpty())
        return refuse(outcome.plan.numbering);
    const int tasks = BuildTasks(orderNumber, assembly, quantity);
    // The orders are needed when the first task must start to make the date.
    const QDate needDate = StoredDate(ReadRequirementBuild(orderNumber).needDate);
    if (needDate.isValid() && !outcome.batch.numbers.isEmpty())
        SetPurchaseOrderNeedDates(orderNumber,
                                  IsoDate(MaterialNeedDate(assembly, quantity, needDate, QDate::currentDate())));
    // The quantity as processed, fractions kept: the allocations were made for it.
    MarkRequirementProcessed(orderNumber, assembly, PlainNumber(quantity), kStatusPoGen);
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
    // Shown once the write lock is released: nobody waits while it is read.
    if (!warnings.isEmpty())
        ShowMessage(warnings.join(QLatin1Char('\n')), Translate(QStringLiteral("Obsolete Part")));
    if (!outcome.plan.alternateUses.empty())
        ShowMessage(outcome.plan.notes.join(QLatin1Char('\n')), Translate(QStringLiteral("Alternates")));
    if (!outcome.plan.problems.empty())
        ShowMessage(TranslateLabel(QStringLiteral("Not ordered, or a source left out:")) + QLatin1Char('\n')
                        + ProblemLines(outcome.plan).join(QLatin1Char('\n')),
                    Translate(QStringLiteral("Purchasing")));
    ShowMessage(Format("%i Purchase Orders Created under %s", {outcome.batch.count, orderNumber}));
    return outcome;
}

ProcessOutcome PreviewProcess(const QString& orderNumber, double quantity, const QString& assembly,
                              bool useAlternates)
{
    return ProcessRequirement(orderNumber, quantity, assembly, {}, ProcessMode::Preview, useAlternates);
}

QStringList ProblemLines(const PurchasingPlan& plan)
{
    QStringList lines;
    for (const PlanProblem& problem : plan.problems)
        lines << problem.part + QStringLiteral(": ") + problem.text;
    return lines;
}

QStringList PreviewLines(const PurchasingPlan& plan)
{
    QStringList lines;
    for (const PlannedPart& part : plan.parts) {
        const bool bought = !part.purchaseOrder.isEmpty();
        lines << QStringList{part.part,
                             PlainNumber(part.need),
                             PlainNumber(part.available),
                             PlainNumber(part.order),
                             part.vendor,
                             PlainNumber(part.orderWithLoss),
                             PlainNumber(bought ? part.orderQuantity : 0),
                             bought ? part.orderCode : QString(),
                             bought ? ExactNumberText(part.unitPrice) : QString(),
                             bought ? part.currency : QString(),
                             PlainNumber(part.toMinStock)}
                     .join(QLatin1Char('\t'));
    }
    for (const PlannedOrder& order : plan.orders)
        lines << PurchaseOrderStatusLine(order);
    return lines + ProblemLines(plan);
}

RequirementRecord LoadRequirement(const QString& orderNumber)
{
    RequirementRecord record;
    record.orderNumber = orderNumber;
    if (record.orderNumber.isEmpty())
        record.orderNumber = Format("REQ%0.4i", {TextToInt(GetParam(ParamLastRequirement))});
    const RequirementFields stored = ReadRequirementFields(record.orderNumber);
    record.description = stored.description;
    record.status = stored.status;
    record.quantity = stored.quantity;
    record.assembly = stored.assembly;
    const RequirementBuild build = ReadRequirementBuild(record.orderNumber);
    record.needDate = build.needDate;
    record.built = PlainNumber(build.built);
    record.loaded = ReadRecordSnapshot(QStringLiteral("ReqmList"), {{QStringLiteral("Order_nBr"), record.orderNumber}});
    return record;
}

bool SaveRequirement(const RequirementRecord& record, bool* stale)
{
    if (stale)
        *stale = false;
    Transaction transaction;
    // A record made by hand, not loaded, has nothing to compare with.
    if (record.loaded.read) {
        RecordSnapshot now;
        const QString why = StaleRecordText(record.orderNumber, QStringLiteral("ReqmList"),
                                            {{QStringLiteral("Order_nBr"), record.orderNumber}}, record.loaded, &now);
        if (!why.isEmpty()) {
            transaction.fail();
            transaction.commit();
            if (!now.read)
                return false;
            if (stale)
                *stale = true;
            ShowMessage(why + QLatin1Char('\n') + Translate(QStringLiteral("Nothing was written.")),
                        Translate(QStringLiteral("Order")));
            return false;
        }
        const RecordSnapshot& was = record.loaded;
        if (SameStoredText(was.value(QStringLiteral("Quan")), record.quantity)
            && was.value(QStringLiteral("Assy")) == record.assembly
            && was.value(QStringLiteral("Description")) == record.description
            && was.value(QStringLiteral("Need_Date")) == record.needDate)
            return transaction.commit();
    }
    if (!SaveRequirementFields(record.orderNumber, record.quantity, record.assembly, record.description,
                               record.needDate, CurrentUserName(), TimestampText()))
        transaction.fail();
    return transaction.commit();
}
