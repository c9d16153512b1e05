#include "db/stamps.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

bool StampRecord(const QString& table, const QString& keyColumn, const QString& key)
{
    // Table and column come from the callers' constants, never from input.
    return ExecuteBound(QStringLiteral("Update %1 Set User = ?, Time_Stamp = ? where %2 = ?").arg(table, keyColumn),
                        {CurrentUserName(), TimestampText(), key});
}
