#pragma once
// The Export command: the rows a table grid holds, written as a
// comma-separated file or an .xlsx workbook for spreadsheets.
#include <QByteArray>
#include <QString>

struct QueryResult;

// The statement the grid loads a table with (for AssyList and RescList, the
// lines of one assembly in their default order).
QString ExportLoadStatement(int table, const QString& assembly);

// One cell as the export writes it: quoted where a comma, a line break or a
// leading quote would cut the row, guarded against formula injection.
void AppendCsvCell(QByteArray& out, const QString& cell);

// The whole file: banner, heading line and one line per row, in UTF-8.
QByteArray CsvExportBytes(const QueryResult& result, int table, const QString& timestamp);

// Writes the file in one go (a crash leaves the old file or the new one,
// never half of it). A file that cannot be written is reported; false then.
bool WriteCsvExport(const QString& path, const QueryResult& result, int table);

// The rows as an .xlsx workbook: one sheet named for the table.
bool WriteXlsxTableExport(const QString& path, const QueryResult& result, int table);
// A name ending in .xlsx (any case) asks for a workbook.
bool IsXlsxPath(const QString& path);

// Runs the load statement and writes its rows: what the grid would export,
// as a workbook when the name ends in .xlsx, else as CSV.
bool ExportTable(const QString& path, int table, const QString& assembly);
