#include "db/bills.h"

#include "core/appstate.h"
#include "core/format.h"
#include "core/utilities.h"
#include "core/tabledefs.h"
#include "db/database.h"
#include "db/statement.h"

#include <QHash>
#include <QSet>

namespace {

// The placeholders of one "in (...)" clause, its values appended to args.
QString boundList(const QStringList& values, SqlArgs& args)
{
    AppendArgs(args, values);
    return Placeholders(static_cast<int>(values.size()));
}

// Record ids are numbers: anything else is left out.
SqlArgs idList(const QStringList& ids)
{
    SqlArgs numbers;
    for (const QString& id : ids) {
        bool number = false;
        const qlonglong value = id.trimmed().toLongLong(&number);
        if (number)
            numbers.emplace_back(static_cast<long long>(value));
    }
    return numbers;
}

} // namespace

std::vector<BillLine> LoadBillLines(const QString& assembly, bool* ok)
{
    const QueryResult rows = QueryBound(
        QStringLiteral("Select id,Item,Part_nBr,Quan,Ref_Des,Notes from AssyList where Assy=? order by Item,id"),
        {assembly});
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<BillLine> lines;
    lines.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        lines.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4),
                         rows.cell(r, 5)});
    return lines;
}

std::vector<BillUse> LoadUsesOfParts(const QStringList& parts, const QString& assembly, bool* ok)
{
    std::vector<BillUse> uses;
    if (ok)
        *ok = true;
    if (parts.isEmpty())
        return uses;
    SqlArgs args;
    QString sql = QStringLiteral("Select id,Assy,Item,Part_nBr,Quan from AssyList where Part_nBr in (")
                  + boundList(parts, args) + QLatin1Char(')');
    if (!assembly.isEmpty()) {
        sql += QStringLiteral(" and Assy=?");
        args.emplace_back(assembly);
    }
    sql += QStringLiteral(" order by Assy,Item,id");
    const QueryResult rows = QueryBound(sql, args);
    if (ok)
        *ok = LastResultCode() == 0;
    uses.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r)
        uses.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3), rows.cell(r, 4)});
    return uses;
}

int PartRecordCount(const QString& part)
{
    const QString text = QueryTextBound(QStringLiteral("Select count(*) from PartList where Part_nBr=?"), {part});
    if (LastResultCode() != 0)
        return -1;
    return text.trimmed().toInt();
}

QStringList PartsWithoutRecord(const QStringList& parts, bool* ok)
{
    if (ok)
        *ok = true;
    if (parts.isEmpty())
        return {};
    SqlArgs args;
    const QueryResult rows = QueryBound(
        QStringLiteral("Select distinct Part_nBr from PartList where Part_nBr in (") + boundList(parts, args) + QLatin1Char(')'),
        args);
    if (LastResultCode() != 0) {
        if (ok)
            *ok = false;
        return {};
    }
    QSet<QString> present;
    for (int r = 0; r < rows.rowCount; ++r)
        present.insert(rows.cell(r, 0));
    QStringList missing;
    for (const QString& part : parts)
        if (!present.contains(part) && !missing.contains(part))
            missing << part;
    return missing;
}

QString PartRevision(const QString& part)
{
    const QueryResult rows =
        QueryBound(QStringLiteral("Select Revision from PartList where Part_nBr=? order by id"), {part});
    return rows.rowCount > 0 ? rows.cell(0, 0).trimmed() : QString();
}

bool SetPartRevisions(const std::vector<std::pair<QString, QString>>& partAndRevision)
{
    if (partAndRevision.empty())
        return true;
    // One statement for the set: a case per part.
    QString cases;
    SqlArgs args;
    QStringList parts;
    for (const auto& [part, revision] : partAndRevision) {
        cases += QStringLiteral(" when ? then ?");
        args.insert(args.end(), {part, revision});
        parts << part;
    }
    const QString list = boundList(parts, args);
    return ExecuteBound(QStringLiteral("Update PartList set Revision = case Part_nBr") + cases
                            + QStringLiteral(" end where Part_nBr in (") + list + QLatin1Char(')'),
                        args);
}

bool StoreRevisions(const std::vector<RevisionRecord>& revisions)
{
    if (revisions.empty())
        return true;
    std::vector<QStringList> rows;
    rows.reserve(revisions.size());
    for (const RevisionRecord& r : revisions)
        rows.push_back({r.assembly, r.revision, r.note, QString::number(r.lineCount), r.lines, r.date, r.user,
                        r.stamp});
    InsertRows(rows, RevsList);
    return LastResultCode() == 0;
}

std::vector<RevisionRecord> LoadRevisions(const QString& assembly, bool withLines, bool* ok)
{
    const QueryResult rows =
        QueryBound(withLines ? QStringLiteral("Select Revision,Note,Line_Count,Date,User,Time_Stamp,Lines from "
                                              "RevsList where Assy=? order by id")
                             : QStringLiteral("Select Revision,Note,Line_Count,Date,User,Time_Stamp from RevsList "
                                              "where Assy=? order by id"),
                   {assembly});
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<RevisionRecord> revisions;
    revisions.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r) {
        RevisionRecord record;
        record.assembly = assembly;
        record.revision = rows.cell(r, 0);
        record.note = rows.cell(r, 1);
        record.lineCount = rows.cell(r, 2).toInt();
        record.date = rows.cell(r, 3);
        record.user = rows.cell(r, 4);
        record.stamp = rows.cell(r, 5);
        if (withLines)
            record.lines = rows.cell(r, 6);
        revisions.push_back(record);
    }
    return revisions;
}

bool SetLinesPart(const QStringList& lineIds, const QString& oldPart, const QString& newPart, const QString& user,
                  const QString& stamp)
{
    const SqlArgs ids = idList(lineIds);
    if (ids.empty())
        return true;
    SqlArgs args{newPart, user, stamp, oldPart};
    args.insert(args.end(), ids.begin(), ids.end());
    return ExecuteBound(QStringLiteral("Update AssyList set Part_nBr=?,User=?,Time_Stamp=? where Part_nBr=? and id in (")
                            + Placeholders(static_cast<int>(ids.size())) + QLatin1Char(')'),
                        args);
}

QStringList AssembliesAmong(const QStringList& names)
{
    QStringList found;
    if (names.isEmpty())
        return found;
    SqlArgs args;
    const QueryResult rows = QueryBound(
        QStringLiteral("Select distinct Assy from AssyList where Assy in (") + boundList(names, args) + QLatin1Char(')'),
        args);
    for (int r = 0; r < rows.rowCount; ++r)
        found << rows.cell(r, 0);
    return found;
}

std::vector<std::pair<QString, std::vector<BillLine>>> LoadBillsOf(const QStringList& assemblies, bool* ok)
{
    std::vector<std::pair<QString, std::vector<BillLine>>> bills;
    QHash<QString, size_t> at;
    for (const QString& assembly : assemblies)
        if (!at.contains(assembly)) {
            at.insert(assembly, bills.size());
            bills.emplace_back(assembly, std::vector<BillLine>{});
        }
    if (ok)
        *ok = true;
    if (assemblies.isEmpty())
        return bills;
    SqlArgs args;
    const QueryResult rows = QueryBound(QStringLiteral("Select id,Item,Part_nBr,Quan,Ref_Des,Notes,Assy from AssyList "
                                                       "where Assy in (")
                                            + boundList(assemblies, args) + QStringLiteral(") order by Assy,Item,id"),
                                        args);
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r) {
        const auto found = at.constFind(rows.cell(r, 6));
        if (found != at.constEnd())
            bills[*found].second.push_back({rows.cell(r, 0), rows.cell(r, 1), rows.cell(r, 2), rows.cell(r, 3),
                                            rows.cell(r, 4), rows.cell(r, 5)});
    }
    return bills;
}

std::vector<std::pair<QString, QString>> PartRevisions(const QStringList& parts, bool* ok)
{
    std::vector<std::pair<QString, QString>> revisions;
    QSet<QString> seen;
    if (ok)
        *ok = true;
    if (parts.isEmpty())
        return revisions;
    SqlArgs args;
    const QueryResult rows = QueryBound(QStringLiteral("Select Part_nBr,Revision from PartList where Part_nBr in (")
                                            + boundList(parts, args) + QStringLiteral(") order by id"),
                                        args);
    if (ok)
        *ok = LastResultCode() == 0;
    for (int r = 0; r < rows.rowCount; ++r) {
        if (!seen.contains(rows.cell(r, 0))) {
            seen.insert(rows.cell(r, 0));
            revisions.emplace_back(rows.cell(r, 0), rows.cell(r, 1).trimmed());
        }
    }
    return revisions;
}

bool TableHasColumn(const QString& table, const QString& column)
{
    for (const QString& present : TableColumns(table))
        if (present.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QHash<QString, QString> ObsoletePartReplacements(bool* ok)
{
    if (ok)
        *ok = true;
    if (!TableHasColumn(QStringLiteral("PartList"), QStringLiteral("Obsolete")))
        return {};
    const QueryResult rows = QueryBound(QStringLiteral("Select Part_nBr,Replacement from PartList where ")
                                            + SameTextIgnoringCaseBound(QStringLiteral("Obsolete")),
                                        {QStringLiteral("Yes")});
    if (ok)
        *ok = LastResultCode() == 0;
    QHash<QString, QString> parts;
    for (int r = 0; r < rows.rowCount; ++r)
        parts.insert(rows.cell(r, 0), rows.cell(r, 1).trimmed());
    return parts;
}

QSet<QString> ObsoleteParts()
{
    const QHash<QString, QString> parts = ObsoletePartReplacements();
    return QSet<QString>(parts.keyBegin(), parts.keyEnd());
}

bool AddPartRecord(const QString& part, const QString& description)
{
    return ExecuteBound(QStringLiteral("Insert into PartList (Part_nBr,Description,User,Revision,Time_Stamp,Currency) "
                                       "values (?,?,?,?,?,?)"),
                        {part, description, App().CurrentUser, QStringLiteral("A"), TimestampText(),
                         App().CurrentCurrency});
}
