#pragma once
// The manufacturer part numbers a refresh from the distributors asks for,
// and the lifecycle mark it leaves on parts they report obsolete.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct PartNumberFacts
{
    QString part;
    QString mpn;           // the part's own Mfr Part #, may be empty
    bool obsolete = false; // marked Obsolete already
    QString datasheet;     // Datasheet and Web Page as the record holds them
    QString webPage;
};

// The parts named that exist (all when parts is empty: every part with a
// manufacturer part number of its own or in one of its sources), in the
// order they were entered; a statement per few hundred parts. *ok is false
// when a read failed.
std::vector<PartNumberFacts> LoadPartNumbers(const QStringList& parts, bool* ok = nullptr);

// Marks the parts obsolete, leaving their replacement and every other
// field as it is; parts marked already are not written again.
bool MarkPartsObsolete(const QStringList& parts);

// A part's datasheet and product-page addresses as a refresh writes them.
struct PartAddresses
{
    QString datasheet;
    QString webPage;
};

// Writes Datasheet and Web_Page of the named records as given (the caller
// keeps what must stay), one statement per few hundred parts.
bool WritePartAddresses(const QHash<QString, PartAddresses>& addresses);
