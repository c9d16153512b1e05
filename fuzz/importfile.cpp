// An import file: decoded, cut into records, its header found and every
// record read as a bill line with the shipped mapping, as the import does.
#include "fuzztarget.h"
#include "interchange/importfile.h"
#include "interchange/importheader.h"
#include "interchange/importlines.h"
#include "interchange/importmapping.h"
#include "interchange/importvalues.h"

#include <QFile>

namespace {

const ImportMapping& shippedMapping()
{
    static const ImportMapping mapping = [] {
        QFile file(QStringLiteral(KOLT_FUZZ_MAPPING));
        return ParseImportMapping(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    }();
    return mapping;
}

} // namespace

KOLT_FUZZ_TARGET(FuzzImportFile)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckImportBytes(bytes);
    ImportFile file;
    file.setBytes(bytes);
    for (int i = 0; i < file.lineCount(); ++i) {
        KOLT_FUZZ_CHECK(file.values(i).size() <= kMaxImportValues);
        KOLT_FUZZ_CHECK(file.endOf(i) <= file.length());
    }
    const ImportMapping& mapping = shippedMapping();
    const ImportHeader header = FindImportHeader(file, mapping);
    if (header.line < 0)
        return 0;
    ImportLineReader reader(file, header.line + 1, header.targetNames(mapping), header.fields);
    QStringList warnings;
    for (const int record : reader.records()) {
        ImportLine line;
        if (reader.read(record, line, warnings)) {
            // A line that is not fitted orders nothing.
            KOLT_FUZZ_CHECK(!line.dnp || line.quantity == QLatin1String("0"));
            ParseDesignators(line.designators);
        }
    }
    return 0;
}
