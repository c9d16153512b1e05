#pragma once
// Processing of a requirement: the bill of its assembly is exploded into the
// purchased parts, netted against stock, allocated, and ordered as one pending
// purchase order per vendor; then the production tasks are built.
#include "bom/explosion.h"
#include "core/statuses.h"
#include "db/database.h"
#include "db/recordcheck.h"
#include "db/sources.h"
#include "sourcing/pricing.h"

#include <QString>
#include <QStringList>
#include <functional>

// The statuses a requirement passes through.
inline const QString kStatusCreated = StoredWord(RequirementStatus::Created);
inline const QString kStatusPoGen = StoredWord(RequirementStatus::PoGenerated);
inline const QString kStatusComplete = StoredWord(RequirementStatus::Complete);
inline const QString kStatusCanceled = StoredWord(RequirementStatus::Canceled);

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
    QString vendor;           // the chosen source's vendor; without sources the distributor, else manufacturer
    QString purchaseOrder;    // the new order it goes on; empty when nothing is ordered
    double toMinStock = 0;    // bought besides the need to bring the part back to its Min Stock
    double orderQuantity = 0; // pieces on the purchase-order line: after minimum, multiple, packs and breaks
    QString orderCode;
    double unitPrice = 0;     // exact, in currency
    QString currency;         // the source's, else the part's, else the shop's
    double total = 0;         // orderQuantity × unitPrice, in currency
    bool fromSource = false;  // chosen among the part's sources
    QString runnerUp;         // the next best source ("MOUS 100 × 0.072 = 7.20")
    QString problem;          // why it is not bought, or what the preview must say about it
    QString alternates;       // when short: its alternates' free stock, "ALT-1 40, ALT-2 0"
};

// Stock of an alternate allocated in a short part's place (only when asked).
struct AlternateUse
{
    QString part;
    QString alternate;
    double quantity = 0;
};

// A part of the requirement that Process cannot buy, named in the preview.
struct PlanProblem
{
    QString part;
    QString text; // "no vendor", "made, but has no bill", "no rate for EUR"
};

// What purchasing knows besides the bill: the parts' sources and facts, the
// currency rates, and the made parts that have no bill to build them from.
struct PurchasingFacts
{
    QHash<QString, std::vector<SourceRecord>> sources;
    QHash<QString, PartPurchaseFacts> parts;
    CurrencyRates rates;
    QStringList madeWithoutBill;
};

// Reads the facts of the parts of the list (a few statements for the whole
// list), and finds the made parts of the assembly's bill without a bill of
// their own. *ok is false when a read failed.
PurchasingFacts LoadPurchasingFacts(const QueryResult& bom, const QString& assembly, const FlatList& list,
                                    bool* ok = nullptr);

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
    std::vector<PlanProblem> problems; // in the order of the list, the made parts without a bill last
    int lastNumber = 0; // global parameter 7 once the orders are written
    QStringList warnings; // about the bill itself: obsolete parts
    std::vector<AlternateUse> alternateUses;
    QStringList notes; // what was taken from alternates, or could be
    QString numbering;  // why no numbers could be given (the last is taken); empty when they could
};

// Nets each entry against stock (available = stock - allocated; the
// shortfall, never more than the need, is ordered) and groups what is ordered
// into one new purchase order per vendor, numbered on from lastPurchaseOrder.
// A part whose order rounds to no whole unit gets no line and is allocated
// from stock. Each part that is ordered is bought from the source the
// sourcing planner chooses (ChooseSource), or without sources from its
// distributor (else manufacturer) at its price; after the need, a part below
// its Min Stock is ordered up to it. A part that cannot be bought (no
// vendor at all, only sources without a currency rate) gets no line and is
// named in problems.
PurchasingPlan PlanPurchasing(const FlatList& list, int lastPurchaseOrder, const PurchasingFacts& facts);
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
                                          bool write = true, bool useAlternates = false);

// Names each short part's alternates with their free stock and, when use is
// set, covers the shortfall from it: plan.alternateUses and the parts' order
// and allocation from stock follow. Planned again through PlanPurchasing, so
// the orders only hold what is still short.
void PlanAlternates(const QString& assembly, const FlatList& list, int lastPurchaseOrder, bool use,
                    PurchasingPlan& plan, const PurchasingFacts& facts);
// Allocates the alternates' stock the plan takes (AlloList rows, Allocated),
// inside the caller's transaction; false when a statement failed.
bool AllocateAlternates(const PurchasingPlan& plan, const QString& orderNumber);

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
// useAlternates: a short part takes its alternates' free stock first.
ProcessOutcome ProcessRequirement(const QString& orderNumber, double quantity, const QString& assembly,
                                  const std::function<void(const ProcessOutcome&)>& beforeMessage = {},
                                  ProcessMode mode = ProcessMode::Write, bool useAlternates = false);

// The purchasing preview: what ProcessRequirement would write.
ProcessOutcome PreviewProcess(const QString& orderNumber, double quantity, const QString& assembly,
                              bool useAlternates = false);

// The dry run's lines: one per purchased part,
// "part<TAB>need<TAB>available<TAB>order<TAB>vendor<TAB>order with loss
//  <TAB>order quantity<TAB>order code<TAB>unit price<TAB>currency<TAB>to min stock",
// then the status line of each purchase order that would be written, then
// "part: problem" for each part that cannot be bought.
QStringList PreviewLines(const PurchasingPlan& plan);
// "part: problem" for each part that cannot be bought.
QStringList ProblemLines(const PurchasingPlan& plan);

// Requirement fields as the Order dialog shows them.
struct RequirementRecord
{
    QString orderNumber;
    QString description;
    QString status;
    QString quantity;
    QString assembly;
    QString needDate; // ISO, or empty
    QString built;    // the units completed so far
    RecordSnapshot loaded; // the stored record as it was read
};

// Reads the requirement; an empty number means the last one issued.
RequirementRecord LoadRequirement(const QString& orderNumber);
// "OK" of the Order dialog: quantity as typed, user, date, assembly,
// description and need date, stamped with the user. Under the write lock the
// stored record must still be what LoadRequirement read: otherwise (another
// desk saved, processed, completed, cancelled or deleted it) nothing is
// written, who changed it and when is said, *stale is set and false comes
// back; the window shows the record again. Nothing typed differs from what
// was loaded: nothing is written, true.
bool SaveRequirement(const RequirementRecord& record, bool* stale = nullptr);
