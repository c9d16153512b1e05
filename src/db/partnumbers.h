#pragma once
// The manufacturer part numbers a refresh from the distributors asks for,
// and the lifecycle mark it leaves on parts they report obsolete.
#include <QString>
#include <QStringList>
#include <vector>

struct PartNumberFacts
{
    QString part;
    QString mpn;           // the part's own Mfr Part #, may be empty
    bool obsolete = false; // marked Obsolete already
};

// The parts named that exist (all when parts is empty: every part with a
// manufacturer part number of its own or in one of its sources), in the
// order they were entered; a statement per few hundred parts. *ok is false
// when a read failed.
std::vector<PartNumberFacts> LoadPartNumbers(const QStringList& parts, bool* ok = nullptr);

// Marks the parts obsolete, leaving their replacement and every other
// field as it is; parts marked already are not written again.
bool MarkPartsObsolete(const QStringList& parts);
