#pragma once
// The Export command's window: the save dialog, then the file.
struct QueryResult;
class QWidget;

// Asks where to save the rows the grid holds and writes them. False when
// the user cancelled or the file could not be written.
bool RunExportDialog(QWidget* parent, const QueryResult& result, int table);
