#pragma once
// The CSV import: a mapping file proposes which file column feeds which table
// field; every data line becomes a BOM line of one assembly, a new part when
// its number is unknown, and the vendors it names.
#include "interchange/importfile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One line of import.def: a target that names a table field by being part of
// its heading, and the keywords that recognise a file column's header.
struct ImportTarget
{
    QString target;
    QStringList keywords;
};

struct ImportMapping
{
    std::vector<ImportTarget> lines;
    // "DROP/Not Used" and "/" + each target: the grid's drop-down list.
    QString choices() const;
};

// ProgramFolder + "import.def".
QString ImportMappingPath();
// Reads the mapping; a missing file is reported and yields no targets.
ImportMapping LoadImportMapping(const QString& path);

// The mapping line that recognises a header text (the last one in file
// order), or -1.
int MatchImportTarget(const ImportMapping& mapping, const QString& header);
// Every keyword found in one of the values counts once.
int CountKeywordHits(const ImportMapping& mapping, const QStringList& values);

struct ImportHeader
{
    int line = -1;            // index in the file; data starts after it
    QStringList fields;       // its values
    std::vector<int> targets; // per field the mapping line, -1 for none
};

// The line with the most keyword hits (while nothing hits, the one with the
// most values); ties keep the earlier line.
ImportHeader FindImportHeader(const ImportFile& file, const ImportMapping& mapping);

// The file's name without folder and extension.
QString AssemblyNameFromPath(const QString& path);

// "Undefined", or the last keyword group the description matches.
QString GuessCategory(const QString& description);

struct ImportOutcome
{
    int scanned = 0;
    int added = 0;        // BOM lines and parts stored
    int vendors = 0;      // vendors stored (not counted as added)
    bool stored = true;   // false: the work was rolled back
    QStringList errors;   // statements that failed, by line
};

using ImportProgress = std::function<void(const ImportOutcome& sofar, qint64 position)>;

// Imports every line after firstLine. columnTargets holds, per file column,
// the target name it feeds (empty: not used). Runs in one transaction: either
// every row is stored or none, and failures are shown at the end.
ImportOutcome ProcessImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assembly, const ImportProgress& progress = {});
