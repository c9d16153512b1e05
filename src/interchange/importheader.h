#pragma once
// Where a bill's header is and which column feeds which field: proposed by
// the header's names through the mapping file, then confirmed or corrected
// by what the columns hold.
#include "interchange/importfile.h"
#include "interchange/importmapping.h"

#include <QString>
#include <QStringList>
#include <vector>

struct ImportHeader
{
    int line = -1;            // record index; data starts after it
    int fileLine = 0;         // line of the file where the header begins, from 1
    QStringList fields;       // column names on one line each, as many as the widest row
    std::vector<int> targets; // per field the mapping line, -1 for none
    QStringList reasons;      // per field why the content overruled the header; empty where it did not
    QStringList notes;        // what else the reading found: a title block, a table given twice

    // Per field the target name, empty for none.
    QStringList targetNames(const ImportMapping& mapping) const;
};

// The record with the most keyword hits among the first records of the file
// (while nothing hits, the one with the most values; ties keep the earlier),
// and per column the mapping line its header names, corrected by content:
// - the header's names stand one column left of their data (a named column
//   empty in every row, a nameless one filled): the data wins;
// - a designator column holds designator lists, else the column that does
//   is taken;
// - a quantity column holds numbers that agree with the designators, else
//   the column that does is taken, and an empty one is dropped;
// - columns with generic names ("Field3", or none) are recognised by what
//   they hold: part numbers, manufacturers, descriptions, DNP marks, web
//   addresses.
ImportHeader FindImportHeader(const ImportFile& file, const ImportMapping& mapping);

// Of a workbook's visible sheets the one that holds the bill (a header the
// mapping knows, designators and part names under it, rows), selected in
// the file; its index. A text file stays as it is (-1).
int ChooseImportSheet(ImportFile& file, const ImportMapping& mapping);

// The targets a user chose for a layout of headings, kept in the user's
// settings: the next file with the same headings maps the same way.
void RememberImportMapping(const QStringList& fields, const QStringList& targets);
// True when the layout was remembered; the header's targets are then those.
bool ApplyRememberedMapping(ImportHeader& header, const ImportMapping& mapping);

// "COLUMN=TARGET": the column by its heading or number from 1, the target
// by its name ("Value", "Mfr Part", "Quan"); "DROP" or "-" leaves the
// column unused. Empty when applied, else what is wrong, in words.
QString ApplyImportMap(ImportHeader& header, const ImportMapping& mapping, const QString& assignment);

// The columns of the file with a sample of each, one per line, for the
// question which of them names the part.
QString ImportColumnsText(const ImportFile& file, const ImportHeader& header);
