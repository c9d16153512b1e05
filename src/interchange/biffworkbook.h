#pragma once
// The older Excel workbook (.xls, BIFF8 inside an OLE2 compound file) read
// record by record. FreeXL refuses some workbooks that Excel and LibreOffice
// open without a word (a contract manufacturer's form with macros and drawing
// objects among them); this reader takes those.
#include "interchange/importsheet.h"

#include <QByteArray>

// Every worksheet of the workbook: cells as the sheet shows them, hidden
// rows and sheets marked as the xlsx reader marks them. Chart and macro
// sheets are left out. On a file it cannot read, error says why.
ImportWorkbook ReadBiffWorkbook(const QByteArray& bytes);
