#pragma once
// The indented and the flat bill of materials of one assembly.
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "db/billrows.h"
#include "db/database.h"

class QPagedPaintDevice;

constexpr int kReportKeyCount = 11;
extern const char* const kReportKeys[kReportKeyCount];
// The report rows (src/db/billrows.h): ReadReportRows reads one assembly's
// bill, its lines and those of every assembly below it.

using ReportColumnChoice = std::array<bool, kReportKeyCount>;

constexpr int kIndentedBom = 0;
constexpr int kFlatBom = 1;
constexpr int kMaxReportPages = 10;

struct ReportLine
{
    int row = 0;         // row of the loaded result it shows
    long long number = 0; // depth (indented) or total quantity (flat)
    QString part;        // flat bill: the part number the totals merge on
};

class BomReport
{
public:
    QueryResult result;
    std::vector<ReportLine> lines;
    int mode = kIndentedBom;
    QString assembly;
    std::vector<int> columns; // result column of each list column, in key order
    QStringList cycles;       // assembly paths that led back into themselves

    // Loads the report rows and explodes the assembly. Shows "Make Selection"
    // for an empty name, a message for each ticked key the rows lack and one
    // message naming every cycle met. False when nothing was produced.
    bool produce(const QString& assemblyName, int reportMode, const ReportColumnChoice& ticked);

    // The explosions over rows already loaded (sorted by assembly, then item).
    void explodeIndented(const QString& name);
    void explodeFlat(const QString& name);

    // The list column's caption: the result column's own name (Part_nBr).
    QString columnName(int listColumn) const;
    // The shown text: the indented bill puts three blanks per level before the part number.
    QString cellText(int line, int listColumn) const;
    bool isPictureColumn(int listColumn) const;
    QString title() const; // "Indented BOM" or "Flat BOM", translated

private:
    void prepare();
    void indented(const QString& name, int depth, QStringList& path);
    struct FlatEntry
    {
        QString part;
        int row;
        long long total;
    };
    struct FlatBill
    {
        std::vector<FlatEntry> entries;
        bool complete = true; // false when a cycle cut a branch: valid only on that path
    };
    FlatBill flat(const QString& name, QStringList& path);
    bool flatByUses(const QString& name);

    // Whether a part heads a bill of its own: the rows hold every bill below
    // the report's assembly, so that is whether it has rows.
    bool isAssembly(const QString& part) const { return !part.isEmpty() && m_ranges.contains(part); }

    QHash<QString, FlatBill> m_flatBills;

    int m_assy = -1, m_part = -1, m_quan = -1;
    QHash<QString, std::pair<int, int>> m_ranges; // assembly -> [first row, end row)
};

// Prints the last report as the dialog lists it (see reporttable.h), its
// columns fitted to the page width, at most ten pages, each with a footer;
// pictures named "*.jpg" come from the Picture folder. Returns the number of
// pages printed.
int PrintBomReport(const BomReport& report, QPagedPaintDevice& device);
