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

// Nets each entry against stock, allocates the whole need and books what must
// be ordered; writes PartList Allocated and On_Order.
void NetRequirements(FlatList& list);

struct PurchaseOrderBatch
{
    int count = 0;          // purchase orders written
    QStringList numbers;    // their numbers, "P0066", ...
    QString statusLine;     // the last "%s:  Vendor:%s Items:%i"
};

// Groups the parts to order by vendor and writes one pending PurcList row per
// vendor with its AlloList rows; advances global parameter 7.
PurchaseOrderBatch BuildPurchaseOrders(FlatList& list, const QString& orderNumber);

// Stores value at the first PurcList field whose heading contains key.
void SetPurchaseField(QStringList& values, const QString& key, const QString& value);

PurchaseOrderBatch GeneratePurchaseOrders(const QueryResult& bom, double quantity, const QString& assembly,
                                          const QString& orderNumber, FlatList& list);

struct ProcessOutcome
{
    bool done = false;
    PurchaseOrderBatch batch;
    FlatList flatList;
};

// The "Process" step as one unit of work: purchase orders, allocations, tasks
// and the requirement's status are written together or not at all. Reports
// every refusal and failure to the user; on success shows
// "%i Purchase Orders Created under %s", after beforeMessage (when given)
// let the caller show the finished state.
ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage = {});

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
