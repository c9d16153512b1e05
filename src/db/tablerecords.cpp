#include "db/tablerecords.h"

#include "core/format.h"
#include "core/utilities.h"
#include "db/statement.h"

QueryResult ReadTableColumns(const QString& table, const QStringList& quotedColumns, const QString& condition,
                             const SqlArgs& args)
{
    QString sql = QStringLiteral("Select id");
    for (const QString& column : quotedColumns)
        sql += QLatin1Char(',') + column;
    sql += QStringLiteral(" from ") + table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" where ") + condition;
    return QueryBound(sql, args);
}

bool WriteErrorWords(const QString& table, const QHash<unsigned, QStringList>& idsOfWord)
{
    constexpr qsizetype kSlice = 500;
    bool done = true;
    for (auto it = idsOfWord.constBegin(); it != idsOfWord.constEnd(); ++it) {
        const QStringList& ids = it.value();
        for (qsizetype from = 0; from < ids.size(); from += kSlice) {
            // The ids are the table's own integers, read back from it.
            QStringList numbers;
            for (const QString& id : ids.mid(from, kSlice))
                numbers << QString::number(TextToInt(id));
            done = Execute(Format("Update %s Set Err = %i where id in (%s)",
                                  {table, static_cast<long long>(it.key()), numbers.join(QLatin1Char(','))}))
                   && done;
        }
    }
    return done;
}

QString AssemblyOfRecord(const QString& table, const QString& id)
{
    const QueryResult row = QueryBound(QStringLiteral("Select Assy from %1 where id = ?").arg(table), {id});
    return row.rowCount > 0 ? row.cell(0, 0) : QString();
}

std::vector<long long> ParseIdList(const QString& answer)
{
    std::vector<long long> ids;
    ids.reserve(static_cast<size_t>(answer.size() / 4 + 1));
    long long value = 0;
    bool digits = false;
    bool negative = false;
    for (const QChar ch : answer) {
        const char16_t u = ch.unicode();
        if (u >= '0' && u <= '9') {
            value = value * 10 + (u - '0');
            digits = true;
        } else if (u == '-' && !digits) {
            negative = true;
        } else if (u == '|') {
            if (digits)
                ids.push_back(negative ? -value : value);
            value = 0;
            digits = false;
            negative = false;
        }
    }
    if (digits)
        ids.push_back(negative ? -value : value);
    return ids;
}

std::vector<long long> ReadTableIds(const QString& table, const QString& condition, const QString& orderBy, bool* ok)
{
    return ReadTableIds(table, condition, SqlArgs(), orderBy, ok);
}

std::vector<long long> ReadTableIds(const QString& table, const QString& condition, const SqlArgs& args,
                                    const QString& orderBy, bool* ok)
{
    QString sql = QStringLiteral("Select id from ") + table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" where ") + condition;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" order by ") + orderBy;
    // The ids come back as one text: a table of a hundred thousand rows is
    // read without a cell per row.
    const QString answer = QueryTextBound(sql, args, true);
    if (ok)
        *ok = LastResultCode() == 0;
    return ParseIdList(answer);
}

QueryResult ReadTableRecords(const QString& table, const std::vector<long long>& ids)
{
    const SqlArgs args(ids.begin(), ids.end());
    return QueryBound(QStringLiteral("Select * from ") + table + QStringLiteral(" where id in (")
                          + Placeholders(static_cast<int>(ids.size())) + QLatin1Char(')'),
                      args);
}
