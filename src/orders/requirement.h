#pragma once
// Processing of a requirement: the bill of its assembly is exploded into the
// purchased parts, netted against stock, allocated, and ordered as one pending
// purchase order per vendor; then the production tasks are built.
#include "db/database.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <QStringList>
#include <functional>
#include <vector>

// One distinct part of the exploded bill.
struct FlatItem
{
    QString part;
    double quantity = 0; // total need; after netting, the quantity to order
    QString manufacturer;
    QString distributor;
    int make = 0; // 1: made in-house, never ordered
    QString currency;
    QString webPage;
    QString description;
    double price = 0;
    double stock = 0;
    double loss = 0; // percent of scrap added when ordering
    double allocated = 0;
    double onOrder = 0;
    int grouping = 0; // 0 not yet ordered, 1 in the order being built, 2 done
};

// Grows as needed: a bill with many purchased parts is ordered in full.
using FlatList = std::vector<FlatItem>;

// The statuses a requirement passes through.
inline const QString kStatusCreated = QStringLiteral("Created");
inline const QString kStatusPoGen = QStringLiteral("PO Gen");
inline const QString kStatusComplete = QStringLiteral("Complete");
inline const QString kStatusCanceled = QStringLiteral("Canceled");

// 0 select, 1 purchase orders generated, 2 build, 3 closed or cancelled.
int OrderStage(const QString& status);

// Index of the first column whose heading contains key (ignoring case);
// reports a missing heading and answers -1.
int FindHeading(const QueryResult& result, const QString& key);

// The whole AssyList joined to PartList, as the explosion reads it.
QueryResult LoadBomRows();

bool IsAssembly(const QueryResult& bom, const QString& part);

// The rows of each assembly of a bill, so the walks through it need not scan
// the whole bill at every level.
class BomIndex
{
public:
    explicit BomIndex(const QueryResult& bom);
    const QVector<int>& rows(const QString& assembly) const;
    bool isAssembly(const QString& part) const { return m_rows.contains(part); }

private:
    QHash<QString, QVector<int>> m_rows;
};

// The path of assemblies by which `assembly` contains itself ("A", "B", "A"),
// or empty when its bill is free of cycles.
QStringList FindAssemblyCycle(const QueryResult& bom, const QString& assembly);
// "Assembly contains itself: A > B > A"
QString CycleMessage(const QStringList& path);

void AddFlatItem(FlatList& list, const FlatItem& line, double multiplier);
// Adds every purchased part below assembly, multiplied along the paths. The
// bill must be free of cycles (FindAssemblyCycle).
void ExplodeAssembly(const QueryResult& bom, double multiplier, const QString& assembly, FlatList& list);

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
