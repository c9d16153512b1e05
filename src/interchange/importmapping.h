#pragma once
// The mapping file import.def: which file column feeds which table field,
// recognised by keywords in the column's header, and what each target means
// to the import.
#include <QString>
#include <QStringList>
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
    // The first line whose target plays the role, or -1.
    int lineOfRole(int role) const;
};

// ProgramFolder + "import.def".
QString ImportMappingPath();
// The mapping in a text laid out as import.def: comma-separated lines of a
// target and up to five keywords; blank lines and lines without a target are
// skipped.
ImportMapping ParseImportMapping(const QString& text);
// Reads the mapping file; a missing file is reported and yields no targets.
ImportMapping LoadImportMapping(const QString& path);

// The mapping line that recognises a header text (the last one in file
// order), or -1. Line breaks and runs of spaces in the header count as one
// space, so a header a spreadsheet wrapped over two lines is still found.
int MatchImportTarget(const ImportMapping& mapping, const QString& header);
// Every keyword found in one of the values counts once.
int CountKeywordHits(const ImportMapping& mapping, const QStringList& values);

// What a target means to the import, beyond the field it fills.
enum ImportRole : int {
    RoleNone = 0,
    RoleItem,
    RoleQuantity,
    RoleDesignators,
    RoleNotes,
    RolePartNumber,   // a part number the file gives as such
    RoleMfrPart,      // the manufacturer's part number
    RoleOrderCode,    // a supplier's order number (LCSC, JLCPCB, a distributor)
    RoleDescription,
    RoleManufacturer,
    RoleDistributor,
    RoleValue,        // a CAD value: 10k, 100nF, or a part name
    RoleSymbol,       // the CAD symbol or device name
    RoleFootprint,
    RoleDoNotPopulate, // a column whose mark means "not fitted"
    RoleOther,         // any other field, filled as it is
};
// The role of a target: Value, Symbol, Footprint and DNP by name; the others
// by the field of the bill or part table the target names (Part names
// "Part #", Desc names "Description").
ImportRole RoleOfTarget(const QString& target);
