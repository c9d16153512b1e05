#include "db/schema.h"

#include "core/appstate.h"
#include "core/tabledefs.h"
#include "db/database.h"
#include "db/purchaseorders.h"

#include <algorithm>

namespace {

bool createEveryTable()
{
    for (int t = 0; t < kTableCount; ++t)
        CreateTable(t);
    return true;
}

// A step made after the first release creates only what is missing: a shop
// made new by step 1 has every table of this release already.
bool createIfMissing(int table)
{
    const int exists = TableExists(TableSqlName(table));
    if (exists < 0)
        return false;
    return exists > 0 || CreateTable(table);
}

std::vector<SchemaStep> makeSteps()
{
    std::vector<SchemaStep> steps;
    // A shop written before versions existed: its nine tables are already
    // there; a new shop gets every table of this release.
    steps.push_back({1, QStringLiteral("the tables of the first release"), createEveryTable});
    // Production: the quantity completed so far of each requirement, and
    // the holidays beside the weekly days off.
    steps.push_back({4, QStringLiteral("built quantities and holidays"), [] {
                         if (!AddColumnIfMissing(QStringLiteral("ReqmList"), QStringLiteral("Built"),
                                                 QStringLiteral("text")))
                             return false;
                         const int holidays = TableExists(TableSqlName(HoliList));
                         return holidays > 0 || (holidays == 0 && CreateTable(HoliList));
                     }});
    // Engineering changes: the kept revisions of bills, the change log,
    // obsolete parts with their replacement, alternates and line substitutes.
    steps.push_back({5, QStringLiteral("bill revisions, the change log, obsolete parts and alternates"), [] {
                         for (int table : {RevsList, ChngList})
                             if (TableExists(TableSqlName(table)) == 0 && !CreateTable(table))
                                 return false;
                         return AddColumnIfMissing(QStringLiteral("PartList"), QStringLiteral("Obsolete"),
                                                   QStringLiteral("text"))
                                && AddColumnIfMissing(QStringLiteral("PartList"), QStringLiteral("Replacement"),
                                                      QStringLiteral("text"))
                                && AddColumnIfMissing(QStringLiteral("PartList"), QStringLiteral("Alternates"),
                                                      QStringLiteral("text"))
                                && AddColumnIfMissing(QStringLiteral("AssyList"), QStringLiteral("Substitutes"),
                                                      QStringLiteral("text"));
                     }});
    // Buying from several sources: the sources, their price breaks, and the
    // currency rates their prices are converted with.
    steps.push_back({3, QStringLiteral("sources, price breaks and currency rates"), [] {
                         return createIfMissing(SrcList) && createIfMissing(BrkList) && createIfMissing(RateList);
                     }});
    // Distributors' data in the sources: the stock the vendor last reported
    // and the day it did.
    steps.push_back({10, QStringLiteral("the vendor's stock and its date in the sources"), [] {
                         return createIfMissing(SrcList)
                                && AddColumnIfMissing(QStringLiteral("SrcList"), QStringLiteral("Vendor_Stock"),
                                                      QStringLiteral("text"))
                                && AddColumnIfMissing(QStringLiteral("SrcList"), QStringLiteral("Stock_Date"),
                                                      QStringLiteral("text"));
                     }});
    // Purchase-order lines as rows of their own, so that what is on order
    // and what was received can be asked of the database: every order's
    // Item_List is read once and its lines written beside it.
    steps.push_back({11, QStringLiteral("the lines of the purchase orders"), [] {
                         return createIfMissing(PurcLine) && RebuildAllPurchaseLines();
                     }});
    return steps;
}

bool storeVersion(int version)
{
    if (DatabaseOnServer()) {
        if (!Execute(QStringLiteral("delete from SchemaVersion")))
            return false;
        return Execute(QStringLiteral("insert into SchemaVersion (Version) values (%1)").arg(version));
    }
    return Execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

bool ensureVersionTable()
{
    if (!DatabaseOnServer())
        return true;
    const int exists = TableExists(QStringLiteral("SchemaVersion"));
    if (exists < 0)
        return false;
    if (exists > 0)
        return true;
    return Execute(QStringLiteral("create table SchemaVersion (Version integer not null)"));
}

} // namespace

const std::vector<SchemaStep>& SchemaSteps()
{
    // In version order whatever order they were written in: a shop's version
    // only ever moves forward.
    static const std::vector<SchemaStep> steps = [] {
        std::vector<SchemaStep> all = makeSteps();
        std::stable_sort(all.begin(), all.end(),
                         [](const SchemaStep& a, const SchemaStep& b) { return a.version < b.version; });
        return all;
    }();
    return steps;
}

int CurrentSchemaVersion()
{
    return SchemaSteps().empty() ? 0 : SchemaSteps().back().version;
}

int StoredSchemaVersion()
{
    if (DatabaseOnServer()) {
        const int exists = TableExists(QStringLiteral("SchemaVersion"));
        if (exists <= 0)
            return exists;
        const QString text = QueryText(QStringLiteral("select max(Version) from SchemaVersion"), false);
        if (LastResultCode() != 0)
            return -1;
        return text.trimmed().toInt();
    }
    const QString text = QueryText(QStringLiteral("PRAGMA user_version"), false);
    if (LastResultCode() != 0)
        return -1;
    return text.trimmed().toInt();
}

bool MigrateSchema(QString* error)
{
    const int stored = StoredSchemaVersion();
    if (stored < 0) {
        if (error)
            *error = LastErrorText();
        return false;
    }
    if (stored > CurrentSchemaVersion()) {
        if (error)
            *error = QStringLiteral("The data was written by a newer KOLT (schema version %1; this program knows %2). "
                                    "Open it with that version.")
                         .arg(stored)
                         .arg(CurrentSchemaVersion());
        return false;
    }
    for (const SchemaStep& step : SchemaSteps()) {
        if (step.version <= stored)
            continue;
        Transaction transaction;
        const bool done = transaction.active() && ensureVersionTable() && step.run() && transaction.ok()
                          && storeVersion(step.version) && transaction.commit();
        if (!done) {
            if (error)
                *error = QStringLiteral("The data could not be brought to schema version %1 (%2): %3")
                             .arg(step.version)
                             .arg(step.summary, LastErrorText());
            return false;
        }
    }
    return true;
}

bool AddColumnIfMissing(const QString& table, const QString& column, const QString& definitionType)
{
    const QStringList columns = TableColumns(table);
    if (columns.isEmpty())
        return false;
    for (const QString& present : columns)
        if (present.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return Execute(QStringLiteral("alter table ") + table + QStringLiteral(" add column ") + column + QLatin1Char(' ')
                   + ColumnType(definitionType));
}
