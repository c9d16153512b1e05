#pragma once
// Alternates: other parts that may be fitted in a part's place (another
// maker's equivalent), named on the part record, and substitutes a bill line
// names for itself. Process offers their free stock when a part is short and
// takes it only when asked.
#include "db/database.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct AlternateStock
{
    QString part;
    double free = 0; // Stock - Allocated, as stored
    QString manufacturer;
    QString mfrPart;
    // The part of the short part's need it may stand in for: 1 for an
    // alternate of the part record; for a substitute only some lines name,
    // those lines' share of the part's need per build.
    double share = 1;
};

// "A, B;C" → A, B, C (upper-cased, each once, the part itself left out).
QStringList SplitAlternates(const QString& text, const QString& part = QString());

// For each of the parts: its record's alternates, then the substitutes that
// its lines in the assembly's bill (every level) name, with their stock,
// maker and share; parts without any are absent. Three statements however
// many parts.
QHash<QString, std::vector<AlternateStock>> LoadAlternates(const QString& assembly, const QStringList& parts);

// Stock and maker of the parts, one statement; a part without a record is absent.
QHash<QString, AlternateStock> LoadAlternateRecords(const QStringList& parts);

// The rows of a bill (the grid's AssyList rows) with, per line, its part's
// alternates and then its own substitutes as pairs of extra columns
// "Alternate N Manufacturer", "Alternate N MPN", as contract manufacturers
// read a bill. The rows are returned unchanged when no line has any.
QueryResult WithAlternateColumns(const QueryResult& bill);
