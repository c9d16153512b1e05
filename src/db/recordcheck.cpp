#include "db/recordcheck.h"

#include "core/dictionary.h"
#include "db/bills.h"
#include "db/database.h"
#include "db/statement.h"

#include <QCryptographicHash>

RecordSnapshot ReadRecordSnapshot(const QString& table, const RecordKey& key, bool* ok)
{
    RecordSnapshot snapshot;
    QString where;
    SqlArgs args;
    for (const auto& [column, value] : key) {
        where += where.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ");
        where += column + QStringLiteral(" = ?");
        args.emplace_back(value);
    }
    const QueryResult row =
        QueryBound(QStringLiteral("Select * from ") + table + where + QStringLiteral(" order by id limit 1"), args);
    const bool read = LastResultCode() == 0;
    if (ok)
        *ok = read;
    snapshot.read = read;
    if (!read || row.rowCount == 0)
        return snapshot;
    snapshot.found = true;
    for (int c = 0; c < row.columnCount; ++c) {
        snapshot.values << row.cell(0, c);
        const QString& heading = row.headings[static_cast<size_t>(c)];
        snapshot.columns << heading;
        if (heading.compare(QLatin1String("User"), Qt::CaseInsensitive) == 0)
            snapshot.user = row.cell(0, c);
        else if (heading.compare(QLatin1String("Time_Stamp"), Qt::CaseInsensitive) == 0)
            snapshot.time = row.cell(0, c);
    }
    return snapshot;
}

QString RecordSnapshot::value(const QString& column) const
{
    for (qsizetype c = 0; c < columns.size(); ++c)
        if (columns[c].compare(column, Qt::CaseInsensitive) == 0)
            return values.value(c);
    return {};
}

bool SameStoredText(const QString& stored, const QString& loaded)
{
    if (stored == loaded)
        return true;
    bool storedIsNumber = false;
    bool loadedIsNumber = false;
    const double a = stored.toDouble(&storedIsNumber);
    const double b = loaded.toDouble(&loadedIsNumber);
    return storedIsNumber && loadedIsNumber && a == b;
}

bool SameRecord(const RecordSnapshot& a, const RecordSnapshot& b)
{
    if (a.found != b.found || a.values.size() != b.values.size())
        return false;
    for (qsizetype c = 0; c < a.values.size(); ++c)
        if (!SameStoredText(b.values[c], a.values[c]))
            return false;
    return true;
}

QString ChangedByText(const QString& what, const QString& user, const QString& time)
{
    if (user.isEmpty() && time.isEmpty())
        return Translate(QStringLiteral("%1 was changed meanwhile; it is shown again as it is now")).arg(what);
    return Translate(QStringLiteral("%1 was changed by %2 at %3; it is shown again as it is now"))
        .arg(what, user.isEmpty() ? Translate(QStringLiteral("another user")) : user, time);
}

QString ChangedByText(const QString& what, const RecordSnapshot& loaded, const RecordSnapshot& now)
{
    // A stamp that did not move names the earlier change, not this one.
    if (now.user == loaded.user && now.time == loaded.time)
        return ChangedByText(what, QString(), QString());
    return ChangedByText(what, now.user, now.time);
}

QString StaleRecordText(const QString& what, const QString& table, const RecordKey& key,
                        const RecordSnapshot& loaded, RecordSnapshot* now)
{
    bool read = true;
    const RecordSnapshot stored = ReadRecordSnapshot(table, key, &read);
    if (now)
        *now = stored;
    if (!read)
        return LastErrorText();
    if (!stored.found)
        return what + QStringLiteral(": ") + Translate(QStringLiteral("the record no longer exists"));
    if (SameRecord(loaded, stored))
        return {};
    return ChangedByText(what, loaded, stored);
}

BillSnapshot ReadBillSnapshot(const QString& assembly, bool* ok)
{
    BillSnapshot snapshot;
    const QueryResult rows = QueryBound(QStringLiteral("Select * from AssyList where Assy = ? order by id"), {assembly});
    bool read = LastResultCode() == 0;
    const QString revision = read ? PartRevision(assembly) : QString();
    read = read && LastResultCode() == 0;
    if (ok)
        *ok = read;
    snapshot.read = read;
    if (!read)
        return snapshot;
    int userColumn = -1;
    int timeColumn = -1;
    for (int c = 0; c < rows.columnCount; ++c) {
        const QString& heading = rows.headings[static_cast<size_t>(c)];
        if (heading.compare(QLatin1String("User"), Qt::CaseInsensitive) == 0)
            userColumn = c;
        else if (heading.compare(QLatin1String("Time_Stamp"), Qt::CaseInsensitive) == 0)
            timeColumn = c;
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(revision.toUtf8());
    for (int r = 0; r < rows.rowCount; ++r) {
        hash.addData(QByteArrayView("\x1e"));
        for (int c = 0; c < rows.columnCount; ++c) {
            hash.addData(rows.cell(r, c).toUtf8());
            hash.addData(QByteArrayView("\x1f"));
        }
        // The stamps are "yyyy-MM-dd HH:mm:ss": as text they sort by time.
        const QString time = timeColumn >= 0 ? rows.cell(r, timeColumn) : QString();
        if (time >= snapshot.time) {
            snapshot.time = time;
            snapshot.user = userColumn >= 0 ? rows.cell(r, userColumn) : QString();
        }
    }
    snapshot.lines = rows.rowCount;
    snapshot.digest = QString::fromLatin1(hash.result().toHex().left(16));
    return snapshot;
}
