// The import mapping (import.def): read from a file, as the import reads it.
#include "fuzztarget.h"
#include "interchange/importer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

KOLT_FUZZ_TARGET(FuzzImportMapping)
{
    static const QString path =
        QDir::tempPath() + QStringLiteral("/kolt-fuzz-mapping-%1.def").arg(QCoreApplication::applicationPid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const ImportMapping mapping = LoadImportMapping(path);
    mapping.choices();
    MatchImportTarget(mapping, QStringLiteral("Part Number"));
    return 0;
}
