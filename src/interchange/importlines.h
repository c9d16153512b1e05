#pragma once
// The lines of an imported bill as a buyer reads them: where the table is in
// the file, which records are its lines, and what each line says (part
// number, quantity, designators, do-not-populate).
#include "interchange/importcells.h"
#include "interchange/importfile.h"
#include "interchange/importmapping.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// One line of the bill as it will be stored.
struct ImportLine
{
    int fileLine = 0;
    QString item;       // the file's item number; empty: numbered when stored
    QString partNumber; // upper-cased; empty only on a DNP line that names nothing
    QString quantity;   // "0" on a DNP line
    QString designators;
    QString notes;
    bool dnp = false;
    double pieces = 0; // the quantity as a number (0 when it is none)
    // For the part record.
    QString description;
    QString manufacturer;
    QString distributor;
    QString mfrPart;
    QString orderCode;
    // Every supplier order number of the line, as (vendor, order code): the
    // sources the import creates for its part.
    std::vector<std::pair<QString, QString>> supplierCodes;
    std::vector<std::pair<int, QString>> others; // index into ImportLineReader::otherTargets()

    // The texts of a line read from a file share the file's characters
    // where they can: a line kept beyond the file's life is given its own.
    void detach();
};

// The data records of the table whose header is record headerLine: blank
// records, label lines ("Component Count:,47", "Collated Components:") and
// repeated header lines are not among them. Several tables under the same
// header (one row per reference, then one row per group) are told apart by
// their designators: a table naming the same designators as an earlier one
// is the same bill again, and only the one with fewer rows is kept.
// designatorColumn < 0: every table is kept. Notes say what was left out.
// At most limit records are found when given.
std::vector<int> LocateImportData(const ImportFile& file, int headerLine, int designatorColumn,
                                  QStringList* notes = nullptr, size_t limit = 0);

class ImportLineReader
{
public:
    // columnTargets: per file column the target it feeds (empty: not used).
    // columnNames: the header names the targets were chosen for; empty: the
    // cells of the record before firstLine.
    ImportLineReader(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                     const QStringList& columnNames = {});

    // Records to read, in file order.
    const std::vector<int>& records() const { return m_records; }
    // What was left out of the file, for the preview.
    const QStringList& notes() const { return m_notes; }
    // The targets of the columns filled as they are (Price, Datasheet, ...).
    const QStringList& otherTargets() const { return m_otherTargets; }
    bool hasItemColumn() const { return !m_columns[RoleItem].empty(); }
    // Lines read so far that were refused (a quantity that is no plain number).
    int refused() const { return m_refused; }

    // The line of a record; false when it makes none (it names no part and
    // is fitted). Problems a buyer should see go to warnings.
    bool read(int record, ImportLine& line, QStringList& warnings);

private:
    QStringView first(int role) const;
    // The text of a view as a string: sharing the file's characters when it
    // lies in them (no copy for most cells), a copy otherwise.
    QString keep(QStringView text) const;
    void collectColumns(const QStringList& columnTargets, const QStringList& names);
    void sampleColumns();
    void shareGroupNumbers();
    // Value, symbol and footprint of the current cells, as one key.
    QString groupKey() const;

    const ImportFile& m_file;
    std::vector<int> m_records;
    QStringList m_notes;
    QStringList m_otherTargets;
    // Per role the columns that feed it, in the order they are consulted.
    std::vector<std::vector<int>> m_columns;
    std::vector<QString> m_orderCodeSuppliers; // per order-code column: the supplier its header names
    std::vector<std::pair<int, int>> m_otherColumns; // column, index into m_otherTargets
    // A "DNP" anywhere on a line means it is not fitted, except in these:
    // unmapped columns of part numbers, where "Leave empty" says "no
    // alternative part".
    std::vector<int> m_alternativeColumns;
    // Designators name pieces, one each: some line lists several. Where
    // every line names one, they label the lines of a mechanical bill
    // ("A1" for 4 standoffs), and a count that differs says nothing.
    bool m_designatorsPerPiece = false;
    int m_refused = 0;
    QHash<QString, QString> m_groupNumbers; // group key -> its one part number; empty: none or several
    ImportCells m_cells;
};

// The supplier that a column header names by its order numbers ("LCSC",
// "JLCPCB Part #", "Digi-Key_PN", "Mouser"), upper-cased; empty for none.
QString SupplierOfHeader(const QString& header);
// The supplier whose order numbers look like the code: LCSC "C12345",
// Digi-Key "296-38557-1-ND", Mouser "595-TPS61023DRLR"; empty when the code
// could be anyone's.
QString SupplierOfCode(QStringView code);
