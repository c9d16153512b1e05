#pragma once
// Where a part is used: every path from a top assembly (one no other bill
// uses) down to the part, with the quantity one top assembly holds.
#include <QString>
#include <QStringList>
#include <vector>

struct PartUse
{
    QString top;
    QStringList path; // top first, the part last
    double quantity = 0; // per one top assembly, multiplied along the path
};

// Sorted by top, then path. ok false when a read failed. A bill that
// contains itself is followed once round and no further.
std::vector<PartUse> WhereUsed(const QString& part, bool* ok = nullptr);

// "TOP > SUB > PART"
QString UsePathText(const PartUse& use);
