#include "db/stamps.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"

bool StampRecord(const QString& table, const QString& keyColumn, const QString& key)
{
    // Table and column come from the callers' constants, never from input.
    return Execute(SqlFormat("Update %s Set User = '%s', Time_Stamp = '%s' where %s = '%s'",
                             {table, CurrentUserName(), TimestampText(), keyColumn, key}));
}
