// An import file: decoded, cut into lines, each line split into values.
#include "fuzztarget.h"
#include "interchange/importfile.h"

KOLT_FUZZ_TARGET(FuzzImportFile)
{
    ImportFile file;
    file.setBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (int i = 0; i < file.lineCount(); ++i) {
        KOLT_FUZZ_CHECK(file.values(i).size() <= kMaxImportValues);
        KOLT_FUZZ_CHECK(file.endOf(i) <= file.length());
    }
    return 0;
}
