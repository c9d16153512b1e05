#pragma once
// A bill file read as the import reads it, as plain bill lines: for
// comparing it with the assembly it would replace, or with another bill.
#include "db/bills.h"
#include "interchange/importfile.h"

#include <QString>
#include <QStringList>
#include <vector>

// Every line the import would store, numbered in file order when the file
// has no item column.
std::vector<BillLine> ImportBillLines(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                                      const QStringList& columnNames);

// Reads a file through the header and mapping the import proposes; false
// with the reason when the file is no bill.
bool ReadImportBill(const QString& path, std::vector<BillLine>& lines, QString* error);

// What a replace of the assembly by the file's lines would change, one
// change per line as `bom diff` prints it; at most limit lines (0: all),
// then how many more there are. Empty when nothing would change.
QString ImportReplaceChangesText(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                                 const QStringList& columnNames, const QString& assembly, int limit = 0);

// Whether the assembly holds exactly the lines the file would add, the same
// parts with the same quantities in any order: the file was imported into it
// already, and importing it again would double every quantity. False when
// the assembly has no lines or they could not be read.
bool ImportRepeatsAssembly(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                           const QStringList& columnNames, const QString& assembly);

// What a refused repeat says, naming the assembly.
QString ImportRepeatText(const QString& assembly);

// Lets `bom diff` and the comparison read bill files.
void RegisterImportBillReader();
