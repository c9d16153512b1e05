#pragma once
// Workbooks as the import reads them: every sheet as rows of the text the
// sheet shows (numbers as the sheet would show them, dates, the cached value
// of a formula), so that the rest of the import reads a sheet as it reads a
// tab-separated file.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

enum class WorkbookKind {
    None,
    Xlsx, // Office Open XML, a zip
    Ods,  // OpenDocument, a zip
    Xls,  // the older compound file (BIFF)
};

// By the first bytes, and for a zip by what it holds.
WorkbookKind WorkbookKindOf(const QByteArray& bytes);

struct ImportSheet
{
    QString name;
    bool hidden = false; // hidden sheets are listed but never chosen
    int hiddenRows = 0;  // rows left out because the sheet hides them
    std::vector<QStringList> rows;
};

struct ImportWorkbook
{
    WorkbookKind kind = WorkbookKind::None;
    std::vector<ImportSheet> sheets;
    QString error; // why the workbook could not be read; empty when it could
};

// Reads every sheet of a workbook given as its bytes.
ImportWorkbook ReadImportWorkbook(const QByteArray& bytes);

// A sheet as tab-separated text that SplitImportLine reads back cell for
// cell: a cell holding a tab, a line break or a leading quote is quoted.
QString ImportSheetText(const ImportSheet& sheet);

// The text a number cell shows under the General format: at most fifteen
// significant digits, no float noise, no exponent below 1E+11.
QString GeneralNumberText(double value);
