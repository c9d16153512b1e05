#pragma once
// The CSV import: a mapping file proposes which file column feeds which table
// field, the columns' content confirms or corrects it; every line of the
// bill becomes a BOM line of one assembly, a new part when its number is
// unknown, and the vendors it names. A preview says all of it before
// anything is written.
#include "db/recordcheck.h"
#include "interchange/importfile.h"
#include "interchange/importheader.h"
#include "interchange/importlines.h"
#include "interchange/importmapping.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The file's name without folder and extension.
QString AssemblyNameFromPath(const QString& path);

// "Undefined", or the last keyword group the description matches.
QString GuessCategory(const QString& description);

struct ImportOptions
{
    // The assembly's present lines are removed first, in the same
    // transaction; its parts stay.
    bool replace = false;
    // Imported even when the assembly holds the file's lines already (the
    // same parts and quantities), which doubles them: asked for by name.
    bool again = false;
    // The column names the targets were chosen for (ImportHeader::fields);
    // empty: the cells of the line before the first one read.
    QStringList columnNames;
    // The assembly's bill as the preview read it (ImportPreview::bill): a
    // replace refuses, writing nothing, when another desk changed or
    // replaced the lines since. Not read: no such check.
    BillSnapshot loadedBill;
};

struct ImportPreview
{
    int scanned = 0;       // records after the header
    int lines = 0;         // BOM lines to store
    double pieces = 0;     // their quantities, DNP lines not counted
    int dnpLines = 0;
    int refused = 0;       // lines left out for a quantity that is no plain number
    int newParts = 0;      // part numbers not yet in the part table
    int existingParts = 0; // part numbers already there
    int newVendors = 0;
    int existingLines = 0; // lines the assembly has now
    BillSnapshot bill;     // the assembly's bill as read, for a replace to compare
    std::vector<ImportLine> first; // the first lines, numbered as they will be stored
    QStringList warnings;
    QStringList notes; // what the reader left out
};

struct ImportOutcome
{
    int scanned = 0;
    int added = 0;      // BOM lines and parts stored
    int vendors = 0;    // vendors stored (not counted as added)
    int lines = 0;      // BOM lines stored
    int replaced = 0;   // lines of the assembly removed first
    int sources = 0;    // sources created from the supplier columns
    bool stored = true; // false: nothing was stored (rolled back, or nothing to store)
    bool repeated = false; // refused: the assembly holds the file's lines already
    bool stale = false;    // refused: the bill changed since the preview read it
    QStringList errors; // statements that failed, by line
    QStringList warnings;
};

using ImportProgress = std::function<void(const ImportOutcome& sofar, qint64 position)>;

// Lines shown in a preview.
constexpr int kPreviewLines = 8;

// What ProcessImport would store, read from the file and the database; writes
// nothing.
ImportPreview PreviewImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assembly, const ImportOptions& options = {});

// Imports the lines after firstLine. columnTargets holds, per file column, the
// target name it feeds (empty: not used). Runs in one transaction: either
// every row is stored or none, and failures are shown at the end. A file
// without lines to store is reported and stores nothing.
ImportOutcome ProcessImport(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                            const QString& assembly, const ImportProgress& progress = {},
                            const ImportOptions& options = {});

// The preview as text, for koltctl and the dialog: the mapping (and why the
// content changed it), the counts, the first lines, the warnings.
QString ImportSummaryText(const ImportHeader& header, const ImportMapping& mapping, const ImportPreview& preview,
                          const QString& assembly, bool replace);

// What is wrong with a file before its lines are read (empty, not text, no
// header or no lines under it), in words for the user; empty when nothing is.
QString ImportFileProblemText(const ImportFile& file, const ImportHeader& header);

// "The lines of A were changed by USER at TIME after they were read": why a
// replace that carried loaded was refused, now being the bill as stored.
QString BillChangedText(const QString& assembly, const BillSnapshot& loaded, const BillSnapshot& now);

// What "Valid Items Added" counts, in words: "9 lines, 10 new parts".
QString ImportAddedMeaning(const ImportOutcome& outcome);
// For a workbook: its sheets with their rows, the one read marked, and what
// the reading left out (hidden rows and sheets); empty for a text file.
QString ImportSheetsText(const ImportFile& file);
