#pragma once
// Comparing two bills: what an engineering change did to the lines, part by
// part, as a buyer and an assembler read it. Each side is an assembly now,
// a kept revision (ASSY@REV) or a bill file read through the import.
#include "db/bills.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

enum class BomChangeKind {
    Added,       // a part the old bill did not have
    Removed,     // a part the new bill does not have
    Quantity,    // the part's total quantity changed
    Designators, // the part's designators changed
    Part,        // the same designators now carry another part
};

struct BomChange
{
    BomChangeKind kind = BomChangeKind::Added;
    QString part;     // the part the change is about (the old one for Part)
    QString oldValue; // quantity, designators or part before; empty for Added
    QString newValue; // after; empty for Removed
    QString note;     // designators of the line; designators moved or reused
};

// "added", "removed", "quantity", "designators", "part".
QString BomChangeKindName(BomChangeKind kind);

// The changes from before to after. Lines of the same part are taken
// together. A designator that left one part for another that both bills
// have is named as moved on both; one that now labels a part the old bill
// did not have is flagged as reused.
std::vector<BomChange> DiffBills(const std::vector<BillLine>& before, const std::vector<BillLine>& after);

// One change as a tab-separated line: kind, part, old, new and, when there
// is one, the note.
QString BomChangeLine(const BomChange& change);

// The designators of a line's text, one each ("C1, C2;C3" → C1, C2, C3).
QStringList SplitDesignators(const QString& text);

// Reads a bill file as the import would, for a side given as a file. The
// import registers it; without one a file cannot be compared.
using BomFileReader = std::function<bool(const QString& path, std::vector<BillLine>& lines, QString* error)>;
void SetBomFileReader(BomFileReader reader);

// A side of a comparison: "ASSY", "ASSY@REV" or the path of a bill file.
// Label is what a report calls it ("BOARD@B", "board.csv").
bool LoadBomSide(const QString& side, std::vector<BillLine>& lines, QString* label, QString* error);

// Writes the changes from before to the assembly's lines now into the change
// log (table AssyList, the assembly as record, the kind as field), in the
// caller's transaction.
bool LogBillChanges(const QString& assembly, const std::vector<BillLine>& before);
