#pragma once
// The bill computations that orders, scheduling and the reports share: the
// bill as one join, its index by assembly, cycle finding and the explosion
// into the distinct purchased parts.
#include "db/database.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

// One distinct part of the exploded bill.
// What the Make column says of a part: 0 bought, 1 made in-house, 2 not
// purchased at all (test points, fiducials, mounting holes, board outlines:
// lines of the bill that are neither bought nor built).
int MakeKind(const QString& makeText);

struct FlatItem
{
    QString part;
    double quantity = 0; // total need; after netting, the quantity to order
    QString manufacturer;
    QString distributor;
    int make = 0; // MakeKind: 1 made in-house, 2 not purchased; neither is ever ordered
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

// Index of the first column whose heading contains key (ignoring case);
// reports a missing heading and answers -1.
int FindHeading(const QueryResult& result, const QString& key);

// The whole AssyList joined to PartList, as the explosion reads it.
QueryResult LoadBomRows();
// The same columns for the lines of the assembly and of every assembly below
// it only; each assembly's lines in the order of the whole table.
QueryResult LoadBomRows(const QString& assembly);

// The first quantity of the bill rows (a line's Quan, a part's Stock or
// Allocated) that is not a plain non-negative number, as a message naming
// where it is; empty when every one is. Work that multiplies and nets them
// refuses such a bill rather than read "0x10" as 16 or "-1" as a negative need.
QString BadBillQuantity(const QueryResult& bom);

// One look at the whole result; walks use BomIndex instead.
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

// Adds a line's need to the entry of its part, or appends one; the other
// fields are overwritten from the line. One search of the list: a walk that
// adds many lines uses FlatListIndex.
void AddFlatItem(FlatList& list, const FlatItem& line, double multiplier);

// AddFlatItem through a hash of the entries by part, so that merging a line
// costs the same however long the list has grown.
class FlatListIndex
{
public:
    explicit FlatListIndex(FlatList& list); // indexes the entries already there
    void add(const FlatItem& line, double multiplier);

private:
    FlatList& m_list;
    QHash<QString, size_t> m_positions;
};

// Adds every purchased part below assembly, multiplied along the paths. The
// bill must be free of cycles (FindAssemblyCycle).
void ExplodeAssembly(const QueryResult& bom, double multiplier, const QString& assembly, FlatList& list);
