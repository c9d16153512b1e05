#pragma once
// Processing of a requirement: the bill of its assembly is exploded into the
// purchased parts, netted against stock, allocated, and ordered as one pending
// purchase order per vendor; then the production tasks are built.
#include "bom/explosion.h"
#include "db/database.h"

#include <QString>
#include <QStringList>
#include <functional>

// The statuses a requirement passes through.
inline const QString kStatusCreated = QStringLiteral("Created");
inline const QString kStatusPoGen = QStringLiteral("PO Gen");
inline const QString kStatusComplete = QStringLiteral("Complete");
inline const QString kStatusCanceled = QStringLiteral("Canceled");

// 0 select, 1 purchase orders generated, 2 build, 3 closed or cancelled.
int OrderStage(const QString& status);

// What "Process" does with one purchased part of the flat list.
struct PlannedPart
{
    QString part;
    double need = 0;
    double stock = 0;
    double allocated = 0;
    double available = 0;     // stock - allocated
    double order = 0;         // ordered for the requirement, without the loss allowance
    double orderWithLoss = 0; // the whole quantity on the purchase-order line
    double fromStock = 0;     // need - order: allocated from what is on hand
    QString vendor;           // distributor, else manufacturer
    QString purchaseOrder;    // the new order it goes on; empty when nothing is ordered
};

struct PlannedOrder
{
    QString number;
    QString vendor;
    std::vector<int> parts; // indices into PurchasingPlan::parts, in line order
};

// Netting and grouping worked out before anything is written: the preview
// shows it, "Process" writes it, so the two cannot differ.
struct PurchasingPlan
{
    std::vector<PlannedPart> parts; // one per flat-list entry, in its order
    std::vector<PlannedOrder> orders;
    int lastNumber = 0; // global parameter 7 once the orders are written
    QString numbering;  // why no numbers could be given (the last is taken); empty when they could
};

// Nets each entry against stock (available = stock - allocated; the
// shortfall, never more than the need, is ordered) and groups what is ordered
// into one new purchase order per vendor, numbered on from lastPurchaseOrder.
// A part whose order rounds to no whole unit gets no line and is allocated
// from stock.
PurchasingPlan PlanPurchasing(const FlatList& list, int lastPurchaseOrder);

// Allocates the whole need of each part: Allocated grows by it, On_Order by
// the line quantity, and the part taken from stock gets its AlloList row
// (empty PO_nBr). Inside the caller's transaction; false when a statement failed.
bool NetRequirements(FlatList& list, const PurchasingPlan& plan, const QString& orderNumber);

struct PurchaseOrderBatch
{
    int count = 0;          // purchase orders written
    QStringList numbers;    // their numbers, "P0066", ...
    QString statusLine;     // the last "%s:  Vendor:%s Items:%i"
};

// Writes the planned purchase orders, each pending PurcList row after the
// AlloList rows of its parts, and advances global parameter 7.
PurchaseOrderBatch BuildPurchaseOrders(FlatList& list, const PurchasingPlan& plan, const QString& orderNumber);

// "%s:  Vendor:%s Items:%i" of a planned order.
QString PurchaseOrderStatusLine(const PlannedOrder& order);

// Stores value at the first PurcList field whose heading contains key.
void SetPurchaseField(QStringList& values, const QString& key, const QString& value);

// Explodes the bill into list and plans the purchasing into plan; with write
// off that is all, otherwise the plan is written (inside the caller's
// transaction; a failed statement fails it).
PurchaseOrderBatch GeneratePurchaseOrders(const QueryResult& bom, double quantity, const QString& assembly,
                                          const QString& orderNumber, FlatList& list, PurchasingPlan& plan,
                                          bool write = true);

struct ProcessOutcome
{
    bool done = false;
    PurchaseOrderBatch batch;
    FlatList flatList;
    PurchasingPlan plan;
};

enum class ProcessMode
{
    Write,
    Preview, // every check of Process, then the plan; nothing is written and nothing shown on success
};

// The "Process" step as one unit of work: purchase orders, allocations, tasks
// and the requirement's status are written together or not at all. Reports
// every refusal and failure to the user; on success shows
// "%i Purchase Orders Created under %s", after beforeMessage (when given)
// let the caller show the finished state.
ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage = {},
                                  ProcessMode mode = ProcessMode::Write);

// The purchasing preview: what ProcessRequirement would write.
ProcessOutcome PreviewProcess(const QString& orderNumber, double quantity, const QString& assembly);

// The dry run's lines: one per purchased part,
// "part<TAB>need<TAB>available<TAB>order<TAB>vendor<TAB>order with loss",
// then the status line of each purchase order that would be written.
QStringList PreviewLines(const PurchasingPlan& plan);

// Requirement fields as the Order dialog shows them.
struct RequirementRecord
{
    QString orderNumber;
    QString description;
    QString status;
    QString quantity;
    QString assembly;
};

// Reads the requirement; an empty number means the last one issued.
RequirementRecord LoadRequirement(const QString& orderNumber);
// "OK" of the Order dialog: quantity as typed, user, date, assembly, description.
bool SaveRequirement(const RequirementRecord& record);
