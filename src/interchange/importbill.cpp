#include "interchange/importbill.h"

#include "bom/bomdiff.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/uppercase.h"
#include "core/utilities.h"
#include "interchange/importer.h"
#include "interchange/importheader.h"
#include "interchange/importlines.h"
#include "interchange/importmapping.h"

#include <algorithm>

std::vector<BillLine> ImportBillLines(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                                      const QStringList& columnNames)
{
    std::vector<BillLine> lines;
    ImportLineReader reader(file, firstLine, columnTargets, columnNames);
    QStringList warnings;
    ImportLine line;
    int next = 1;
    for (const int record : reader.records()) {
        if (!reader.read(record, line, warnings))
            continue;
        // The texts share the file's characters; the lines outlive the file.
        line.detach();
        BillLine bill;
        bill.item = line.item.isEmpty() ? QString::number(next) : line.item;
        next = std::max(next, TextToInt(bill.item)) + 1;
        bill.part = line.partNumber;
        bill.quantity = line.quantity;
        bill.designators = line.designators;
        bill.notes = line.notes;
        lines.push_back(bill);
    }
    return lines;
}

bool ReadImportBill(const QString& path, std::vector<BillLine>& lines, QString* error)
{
    ImportFile file;
    if (!file.load(path)) {
        if (error)
            *error = Translate(QStringLiteral("cannot read")) + QLatin1Char(' ') + path;
        return false;
    }
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    const ImportHeader header = FindImportHeader(file, mapping);
    const QString problem = ImportFileProblemText(file, header);
    if (!problem.isEmpty()) {
        if (error)
            *error = path + QStringLiteral(": ") + problem;
        return false;
    }
    lines = ImportBillLines(file, header.line + 1, header.targetNames(mapping), header.fields);
    return true;
}

QString ImportReplaceChangesText(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                                 const QStringList& columnNames, const QString& assembly, int limit)
{
    const std::vector<BillLine> before = LoadBillLines(UpperCaseAscii(assembly.trimmed()));
    const std::vector<BomChange> changes =
        DiffBills(before, ImportBillLines(file, firstLine, columnTargets, columnNames));
    QStringList out;
    for (const BomChange& change : changes) {
        if (limit > 0 && out.size() >= limit) {
            out << Format(qPrintable(Translate(QStringLiteral("… and %i more"))),
                          {static_cast<int>(changes.size()) - limit});
            break;
        }
        out << BomChangeLine(change);
    }
    return out.isEmpty() ? QString() : out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

namespace {

// A line as the repeat check compares it: the part, whatever its letter
// case, and the quantity as a number where it is one ("2" and "2.0" agree).
std::vector<std::pair<QString, QString>> comparedLines(const std::vector<BillLine>& lines)
{
    std::vector<std::pair<QString, QString>> compared;
    compared.reserve(lines.size());
    for (const BillLine& line : lines) {
        bool number = false;
        const double value = line.quantity.trimmed().toDouble(&number);
        compared.emplace_back(line.part.trimmed().toUpper(),
                              number ? QString::number(value, 'g', 17) : line.quantity.trimmed());
    }
    std::sort(compared.begin(), compared.end());
    return compared;
}

} // namespace

bool ImportRepeatsAssembly(const ImportFile& file, int firstLine, const QStringList& columnTargets,
                           const QStringList& columnNames, const QString& assembly)
{
    bool ok = true;
    const std::vector<BillLine> stored = LoadBillLines(UpperCaseName(assembly.trimmed()), &ok);
    if (!ok || stored.empty())
        return false;
    const std::vector<BillLine> incoming = ImportBillLines(file, firstLine, columnTargets, columnNames);
    return stored.size() == incoming.size() && comparedLines(stored) == comparedLines(incoming);
}

QString ImportRepeatText(const QString& assembly)
{
    return Format(qPrintable(Translate(QStringLiteral("%s already holds these lines: the same parts and quantities."))),
                  {UpperCaseName(assembly.trimmed())})
           + QLatin1Char('\n') + Translate(QStringLiteral("Importing the file again would double every quantity."));
}

void RegisterImportBillReader()
{
    SetBomFileReader(ReadImportBill);
}
