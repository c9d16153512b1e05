#include "db/sortorder.h"

#include "core/utilities.h"
#include "db/database.h"

namespace {

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// SQLite has no regular expression: a value of digits, a point, signs and
// exponents with at least one digit is a number there. The server checks
// the full shape, so that its cast can never fail on a row.
QString isNumber(const QString& quoted)
{
    const QString value = QStringLiteral("trim(") + quoted + QLatin1Char(')');
    if (DatabaseOnServer())
        return QLatin1Char('(') + value
               + QStringLiteral(" ~ '^[-+]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][-+]?[0-9]+)?$')");
    return QLatin1Char('(') + value + QStringLiteral(" <> '' and ") + value + QStringLiteral(" not glob '*[^0-9.eE+-]*' and ")
           + value + QStringLiteral(" glob '*[0-9]*')");
}

QString numberOf(const QString& quoted)
{
    return QStringLiteral("cast(trim(") + quoted
           + (DatabaseOnServer() ? QStringLiteral(") as double precision)") : QStringLiteral(") as real)"));
}

} // namespace

bool ColumnHoldsNumbers(const QString& table, const QString& column, const QString& condition, const SqlArgs& args)
{
    const QString quoted = quotedName(column);
    const QString test = isNumber(quoted);
    QueryResult counts;
    headingsCaptured = 0;
    RunQueryBound(counts, QStringLiteral("Select sum(case when ") + test + QStringLiteral(" then 1 else 0 end),")
                         + QStringLiteral("sum(case when trim(") + quoted + QStringLiteral(") <> '' and not ") + test
                         + QStringLiteral(" then 1 else 0 end) from ") + table
                         + (condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition),
                  args);
    if (LastResultCode() != 0 || counts.rowCount == 0)
        return false;
    return TextToInt(counts.cell(0, 0)) > 0 && TextToInt(counts.cell(0, 1)) == 0;
}

QString NumericOrderTerms(const QString& column, bool descending)
{
    const QString quoted = quotedName(column);
    const QString test = isNumber(quoted);
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    return QStringLiteral("case when ") + test + QStringLiteral(" then 1 else 0 end") + direction
           + QStringLiteral(",case when ") + test + QStringLiteral(" then ") + numberOf(quoted) + QStringLiteral(" end")
           + direction + QLatin1Char(',') + quoted + direction;
}
