#include "db/slices.h"
#include "db/statement.h"

#include <algorithm>

bool ReadInSlices(const QString& head, const QStringList& values, const QString& tail,
                  const std::function<void(const QueryResult&)>& take, qsizetype most)
{
    // A value asked for twice is asked for once: in two slices its rows
    // would be read twice.
    QStringList wanted = values;
    wanted.removeDuplicates();
    qsizetype slice = MaxBoundValues();
    if (most > 0)
        slice = std::min(slice, most);
    for (qsizetype from = 0; from < wanted.size(); from += slice) {
        const QStringList some = wanted.mid(from, slice);
        SqlArgs args;
        AppendArgs(args, some);
        const QueryResult rows = QueryBound(head + Placeholders(static_cast<int>(some.size())) + tail, args);
        if (LastResultCode() != 0)
            return false;
        take(rows);
    }
    return true;
}
