#pragma once
// Tables and reports written as .xlsx workbooks: one sheet, the headings in
// bold and frozen, numbers as numbers, every other text as text (so "00123"
// stays 00123), columns as wide as their contents.
#include <QString>
#include <QStringList>
#include <functional>

// Whether a cell would be read as a number by a spreadsheet: a plain
// decimal with an optional sign, no leading zero before other digits.
bool IsExportNumber(QStringView text);

// OWASP's rule against formula injection: text a spreadsheet would take
// for a formula (=, +, -, @, a tab or carriage return first) gets an
// apostrophe before it, unless it is a number. The import takes it off.
QString GuardExportText(const QString& text);

struct ExportSheet
{
    QString name;                 // the sheet's name (at most 31 characters are kept)
    QStringList headings;
    int rowCount = 0;
    std::function<QString(int row, int column)> cell;
    // Per column: its numbers written as numbers. Columns of codes (part
    // numbers, order codes) are text even where they hold digits only.
    std::vector<bool> numeric;
};

// Writes the workbook in one go (a crash leaves the old file or the new
// one). A file that cannot be written is reported; false then.
bool WriteXlsxExport(const QString& path, const ExportSheet& sheet);

// Per heading of a table: whether its values are quantities or money
// rather than codes, as the export treats them.
bool IsNumericExportHeading(const QString& heading);

struct ReportTable;
// A BOM report (flat or indented, as its window lists it) as a workbook: its
// headings, its lines and the totals row of a flat bill; quantities, items
// and money as numbers.
bool WriteXlsxReport(const QString& path, const QString& sheetName, const ReportTable& table);
// Makes WriteXlsxReport the writer of the BOM report window and koltctl.
void RegisterReportWorkbookWriter();
