#include "db/changelog.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/tabledefs.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

#include <algorithm>

bool RecordChanges(const std::vector<ChangeEntry>& entries)
{
    std::vector<QStringList> rows;
    rows.reserve(entries.size());
    const QString stamp = TimestampText();
    const QString user = App().CurrentUser.isEmpty() ? CurrentUserName() : App().CurrentUser;
    for (const ChangeEntry& e : entries) {
        if (e.oldValue == e.newValue || e.table < 0 || e.table >= kTableCount)
            continue;
        rows.push_back({TableSqlName(e.table), e.record, e.part, e.field, e.oldValue, e.newValue, user, stamp});
    }
    if (rows.empty())
        return true;
    InsertRows(rows, ChngList);
    return LastResultCode() == 0;
}

std::vector<LoggedChange> LoadChanges(const ChangeFilter& filter, bool* ok)
{
    QStringList conditions;
    SqlArgs args;
    if (!filter.table.isEmpty()) {
        // The key ("PARTLIST") and the SQL name ("PartList") both name a table.
        QString name = filter.table;
        for (int t = 0; t < kTableCount; ++t)
            if (TableKey(t).compare(filter.table, Qt::CaseInsensitive) == 0)
                name = TableSqlName(t);
        conditions << SameTextIgnoringCaseBound(QStringLiteral("Table_Name"));
        args.emplace_back(name);
    }
    if (!filter.part.isEmpty()) {
        conditions << QStringLiteral("Part_nBr=?");
        args.emplace_back(filter.part);
    }
    if (!filter.since.isEmpty()) {
        conditions << QStringLiteral("Time_Stamp>=?");
        args.emplace_back(filter.since);
    }
    QString sql = QStringLiteral("Select Table_Name,Record,Part_nBr,Field,Old_Value,New_Value,User,Time_Stamp,id "
                                 "from ChngList");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    sql += QStringLiteral(" order by id");
    if (filter.limit > 0)
        sql += QStringLiteral(" desc limit ") + QString::number(filter.limit);
    const QueryResult rows = QueryBound(sql, args);
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<LoggedChange> changes;
    changes.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        changes.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4),
                           rows.cell(r, 5), rows.cell(r, 6), rows.cell(r, 7)});
    if (filter.limit > 0)
        std::reverse(changes.begin(), changes.end());
    return changes;
}
