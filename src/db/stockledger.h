#pragma once
// The stock ledger: the Allocated and On_Order figures of PartList are sums
// of the rows that caused them, so they can be recomputed and checked at any
// time.
//   Allocated = the AlloList rows of the requirements that are neither
//               complete nor cancelled;
//   On_Order  = the open line quantities of the purchase orders that are not
//               closed.
// Every write that changes those rows keeps the figures in step; the check
// finds what was changed around it (a grid edit, a deleted row, an older
// file) and the repair writes the ledger's figures.
#include <QHash>
#include <QString>
#include <vector>

// A requirement that is complete or cancelled holds no stock.
bool RequirementFinished(const QString& status);
// A closed purchase order has nothing more to deliver.
bool PurchaseOrderClosed(const QString& status);

// Per part, what a purchase order with this status and Item_List still has
// to deliver: each line's quantity as receiving reads it, less what was
// received of it, whatever the line's own status; nothing once the order is
// closed.
// A line whose quantity is not a plain number counts for nothing and, with
// bad given, the first such is named there.
QHash<QString, double> OpenQuantities(const QString& status, const QString& itemList, QString* bad = nullptr);
// The same of lines as the table of lines keeps them.
struct PurchaseLine;
QHash<QString, double> OpenLineQuantities(const QString& status, const std::vector<PurchaseLine>& lines,
                                          QString* bad = nullptr);

struct LedgerFigures
{
    double allocated = 0;
    double onOrder = 0;
};

// The ledger's figures of every part named by an allocation or an open
// order line. *ok is false when a read failed (the database layer has said why).
QHash<QString, LedgerFigures> ComputeStockLedger(bool* ok = nullptr);

// Stored figures agree with the ledger to a thousandth of a unit.
bool FiguresAgree(double stored, double ledger);

struct StockDisagreement
{
    QString part;
    QString figure; // "Allocated", "On_Order" or "Stock"
    double stored = 0;
    double ledger = 0;
};

// Every PartList figure that differs from the ledger, in PartList order.
std::vector<StockDisagreement> CheckStockFigures(bool* ok = nullptr);

// Writes the ledger's figures over the ones that differ, in one transaction
// that also computes them. Returns the number of figures written, or -1 when
// the database refused (LastErrorText() says why; nothing was written).
int RepairStockFigures();

// A part's stored figures, read as plain numbers.
struct PartFigures
{
    double stock = 0;
    double allocated = 0;
    double onOrder = 0;
};

// The stored figures of the parts, read in one statement; a part number
// entered twice answers with its first record, a missing one not at all.
// *ok is false when the read failed (the database layer has said why).
QHash<QString, PartFigures> ReadPartFigures(const QStringList& parts, bool* ok = nullptr);

// Writes the figures of many parts in one statement: per part, its values
// (plain numbers) of the columns, which are figure names of this unit
// ("Stock", "Allocated", "On_Order"), never user text. Every record of a
// part number takes them. False when the database refused.
bool WritePartFigures(const QStringList& columns, const QHash<QString, QStringList>& values);

// Adds each part's delta to one PartList figure ("Allocated", "On_Order",
// "Stock"), reading and writing plain numbers; with floorAtZero the result
// is held at 0. One read and one write for the whole set, inside the
// caller's transaction; false when a statement failed.
bool AddToPartFigure(const QString& column, const QHash<QString, double>& deltas, bool floorAtZero = false);

// One movement of stock: what moved a part's Stock figure, and why.
struct StockMovement
{
    QString part;
    double quantity = 0; // added to Stock; negative when stock left
    QString kind;        // "Receipt", "Consumption", "Build", "Adjustment", "Opening"
    QString document;    // purchase order, requirement, or empty
    QString reason;
};

// Records the movements in MoveList, in one statement, inside the caller's
// transaction, after the caller moved the Stock figure; false when the
// database refused them. Movements of quantity 0 are left out. A part's
// first movement is preceded by an "Opening" one holding the stock it had,
// so that its movements always sum to its Stock.
bool RecordStockMovements(const std::vector<StockMovement>& movements);

// Per part that ever moved, the sum of its movements: what its Stock must be.
QHash<QString, double> StockFromMovements(bool* ok = nullptr);
