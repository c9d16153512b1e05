// A table definition file, and the create statement built from it.
#include "db/database.h"
#include "fuzztarget.h"

KOLT_FUZZ_TARGET(FuzzTableDefinition)
{
    TableDefinition definition;
    ParseTableDefinition(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), definition);
    KOLT_FUZZ_CHECK(definition.fieldCount >= 0 && definition.fieldCount <= kMaxColumns);
    CreateTableStatement(definition);
    return 0;
}
