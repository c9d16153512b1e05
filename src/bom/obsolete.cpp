#include "bom/obsolete.h"

#include "bom/explosion.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "db/bills.h"

#include <QSet>

QStringList ObsoletePartWarnings(const QueryResult& bom)
{
    QStringList warnings;
    const int part = FindColumn(bom, QStringLiteral("Part"));
    if (part < 0 || bom.rowCount == 0)
        return warnings;
    const QHash<QString, QString> obsolete = ObsoletePartReplacements();
    if (obsolete.isEmpty())
        return warnings;
    QSet<QString> named;
    for (int r = 0; r < bom.rowCount; ++r) {
        const QString number = bom.cell(r, part);
        const auto found = obsolete.constFind(number);
        if (found == obsolete.constEnd() || named.contains(number))
            continue;
        named.insert(number);
        warnings << (found->isEmpty()
                         ? Format(qPrintable(Translate(QStringLiteral("Obsolete part in the bill: %s"))), {number})
                         : Format(qPrintable(Translate(QStringLiteral("Obsolete part in the bill: %s (replacement: %s)"))),
                                  {number, *found}));
    }
    return warnings;
}
