#pragma once
// The Export command: the rows a table grid holds, written as a
// comma-separated file for spreadsheets.
#include <QByteArray>
#include <QString>

struct QueryResult;

// The statement the grid loads a table with (for AssyList and RescList, the
// lines of one assembly in their default order).
QString ExportLoadStatement(int table, const QString& assembly);

// The whole file: banner, heading line and one line per row, in UTF-8.
QByteArray CsvExportBytes(const QueryResult& result, int table, const QString& timestamp);

// Writes the file in one go (a crash leaves the old file or the new one,
// never half of it). A file that cannot be written is reported; false then.
bool WriteCsvExport(const QString& path, const QueryResult& result, int table);

// Runs the load statement and writes its rows: what the grid would export.
bool ExportTable(const QString& path, int table, const QString& assembly);
