#pragma once
// The BOM report as the Report dialog lists it and the printout prints it:
// headings as the grid names them, the part number and its description
// first, and in a flat bill the cost of each line with a totals row.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class BomReport;

struct ReportTableColumn
{
    QString heading;
    int listColumn = -1;  // the report's list column; -1 for the computed line total
    bool numeric = false; // right-aligned
    bool picture = false;
    bool part = false;    // the part number: never cut
    bool elastic = false; // free text that may be cut with an ellipsis to fit a page
};

struct ReportTable
{
    std::vector<ReportTableColumn> columns;
    std::vector<QStringList> rows; // one per report line, in column order
    QStringList totals;            // flat bill: the totals row; empty otherwise

    int columnCount() const { return static_cast<int>(columns.size()); }
};

// The heading of a result column name as the table definitions spell it
// (Part_nBr is "Part #"), translated.
QString ReportHeading(const QString& columnName);

ReportTable MakeReportTable(const BomReport& report);

// Widths that fit `available`: natural widths are kept when they fit; else the
// elastic columns give up room, widest first, down to `minimum`; else every
// column but the part number (`fixed`) shrinks in proportion.
std::vector<int> FitColumnWidths(const std::vector<int>& natural, const std::vector<bool>& elastic,
                                 const std::vector<bool>& fixed, int available, int minimum);

// The report as a one-sheet workbook, written the way the table export
// writes one. src/bom stands below the export, so the interchange registers
// its writer; without one the write is refused with a message.
using ReportWorkbookWriter = std::function<bool(const QString& path, const QString& sheetName, const ReportTable& table)>;
void SetReportWorkbookWriter(ReportWorkbookWriter writer);
bool WriteReportWorkbook(const QString& path, const QString& sheetName, const ReportTable& table);
