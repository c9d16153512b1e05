#include "db/production.h"

#include "core/statuses.h"
#include "core/dates.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/statement.h"

#include <QSet>

namespace {


// Lists of parts are read in slices: a statement stays small however big the bill.
template <typename Fn> bool forSlices(const QStringList& parts, Fn&& fn)
{
    bool ok = true;
    for (qsizetype from = 0; from < parts.size(); from += 500)
        ok = fn(parts.mid(from, 500)) && ok;
    return ok;
}

// The routing step behind a task: a step number stored as a number compares
// with the task's text through a cast, on both databases.
QString stepField(const char* field)
{
    return QStringLiteral("(Select RescList.%1 from RescList where RescList.Assy = TaskList.Assy and "
                          "cast(RescList.Step as text) = TaskList.Step order by RescList.id limit 1)")
        .arg(QString::fromLatin1(field));
}

std::vector<TaskRow> readTasks(const QString& where, const SqlArgs& args)
{
    const QueryResult rows = QueryBound(
        QStringLiteral("Select TaskList.id,TaskList.Requirement,TaskList.Task_nBr,TaskList.Assy,TaskList.Step,"
                       "TaskList.Status,TaskList.Count,TaskList.Actual,%1,%2,%3,ReqmList.Status from TaskList "
                       "left join ReqmList on ReqmList.Order_nBr = TaskList.Requirement ")
                .arg(stepField("Description"), stepField("Resource"), stepField("Hours"))
            + where,
        args);
    std::vector<TaskRow> tasks;
    tasks.reserve(static_cast<size_t>(rows.rowCount));
    for (int r = 0; r < rows.rowCount; ++r) {
        TaskRow task;
        task.id = rows.cell(r, 0);
        task.orderNumber = rows.cell(r, 1);
        task.taskNumber = TextToInt(rows.cell(r, 2));
        task.assembly = rows.cell(r, 3);
        task.step = rows.cell(r, 4);
        task.status = rows.cell(r, 5);
        task.count = TextToDouble(rows.cell(r, 6));
        task.actual = TextToDouble(rows.cell(r, 7));
        task.description = rows.cell(r, 8);
        task.resource = rows.cell(r, 9);
        task.stepHours = TextToDouble(rows.cell(r, 10));
        task.requirementStatus = rows.cell(r, 11);
        tasks.push_back(task);
    }
    // Task numbers may be stored as text, which would sort 10 before 2.
    std::stable_sort(tasks.begin(), tasks.end(), [](const TaskRow& a, const TaskRow& b) {
        return a.orderNumber != b.orderNumber ? a.orderNumber < b.orderNumber : a.taskNumber < b.taskNumber;
    });
    return tasks;
}

} // namespace

RequirementBuild ReadRequirementBuild(const QString& orderNumber)
{
    RequirementBuild build;
    const QueryResult row = QueryBound(
        QStringLiteral("Select Assy,Quan,Built,Status,Need_Date from ReqmList where Order_nBr = ? order by id"),
        {orderNumber});
    if (row.rowCount == 0)
        return build;
    build.found = true;
    build.assembly = row.cell(0, 0);
    build.quantity = TextToDouble(row.cell(0, 1));
    build.built = TextToDouble(row.cell(0, 2));
    build.status = row.cell(0, 3);
    build.needDate = row.cell(0, 4);
    return build;
}

bool SetRequirementNeedDate(const QString& orderNumber, const QString& isoDate)
{
    return ExecuteBound(QStringLiteral("Update ReqmList Set Need_Date = ?,User = ?,Time_Stamp = ? where Order_nBr = ?"),
                        {isoDate, CurrentUserName(), TimestampText(), orderNumber});
}

bool SetRequirementBuilt(const QString& orderNumber, double built)
{
    return ExecuteBound(QStringLiteral("Update ReqmList Set Built = ?,User = ?,Time_Stamp = ? where Order_nBr = ?"),
                        {PlainNumber(built), CurrentUserName(), TimestampText(), orderNumber});
}

bool SetRequirementStatus(const QString& orderNumber, const QString& status)
{
    // Whoever moved the requirement on is named on it: a desk whose window
    // still shows it as it was is told who.
    return ExecuteBound(QStringLiteral("Update ReqmList Set Status = ?,User = ?,Time_Stamp = ? where Order_nBr = ?"),
                        {status, CurrentUserName(), TimestampText(), orderNumber});
}

std::vector<HeldAllocation> ReadAllocations(const QString& orderNumber, bool* ok)
{
    const QueryResult rows =
        QueryBound(QStringLiteral("Select Part_nBr,PO_nBr,Quan from AlloList where Requirement = ? order by id"),
                   {orderNumber});
    if (ok)
        *ok = LastResultCode() == 0;
    std::vector<HeldAllocation> allocations;
    for (int r = 0; r < rows.rowCount; ++r)
        allocations.push_back({rows.cell(r, 0), rows.cell(r, 1), TextToDouble(rows.cell(r, 2)), rows.cell(r, 2)});
    return allocations;
}

bool ReplaceAllocations(const QString& orderNumber, const std::vector<HeldAllocation>& rows)
{
    if (!ExecuteBound(QStringLiteral("Delete from AlloList where Requirement = ?"), {orderNumber}))
        return false;
    std::vector<QStringList> values;
    const QString user = CurrentUserName();
    const QString stamp = TimestampText();
    for (const HeldAllocation& row : rows)
        values.push_back({orderNumber, row.purchaseOrder, row.part, PlainNumber(row.quantity), user, stamp});
    if (values.empty())
        return true;
    InsertRows(values, AlloList);
    return LastResultCode() == 0;
}

QHash<QString, double> ReadPartFigure(const QString& column, const QStringList& parts, bool* ok)
{
    QHash<QString, double> figures;
    const bool read = forSlices(parts, [&](const QStringList& slice) {
        // The column comes from the callers' fixed names, never from user text.
        SqlArgs args;
        AppendArgs(args, slice);
        const QueryResult rows =
            QueryBound(QStringLiteral("Select Part_nBr,%1 from PartList where Part_nBr in (%2)")
                           .arg(column, Placeholders(static_cast<int>(slice.size()))),
                       args);
        for (int r = 0; r < rows.rowCount; ++r)
            figures.insert(rows.cell(r, 0), TextToDouble(rows.cell(r, 1)));
        return LastResultCode() == 0;
    });
    if (ok)
        *ok = read;
    return figures;
}

QStringList PartsOnFile(const QStringList& parts, bool* ok)
{
    const QHash<QString, double> figures = ReadPartFigure(QStringLiteral("Stock"), parts, ok);
    QStringList found;
    for (const QString& part : parts)
        if (figures.contains(part))
            found << part;
    return found;
}

std::vector<TaskRow> ReadTasks(const QString& status, const QString& resource)
{
    QStringList conditions;
    SqlArgs args;
    if (!status.isEmpty()) {
        conditions << QStringLiteral("TaskList.Status = ?");
        args.emplace_back(status);
    }
    if (!resource.isEmpty()) {
        conditions << stepField("Resource") + QStringLiteral(" = ?");
        args.emplace_back(resource);
    }
    return readTasks(conditions.isEmpty() ? QString() : QStringLiteral("where ") + conditions.join(QStringLiteral(" and ")),
                     args);
}

std::vector<TaskRow> ReadOpenTasks()
{
    std::vector<TaskRow> open;
    for (TaskRow& task : readTasks(QString(), {})) {
        if (!IsFinished(RequirementStatusOf(task.requirementStatus)))
            open.push_back(std::move(task));
    }
    return open;
}

QStringList TaskResources()
{
    const QueryResult rows = Query(QStringLiteral("Select distinct Resource from RescList order by Resource"));
    QStringList resources;
    for (int r = 0; r < rows.rowCount; ++r)
        if (!rows.cell(r, 0).isEmpty())
            resources << rows.cell(r, 0);
    return resources;
}

bool SetRequirementTasksStatus(const QString& orderNumber, const QString& status)
{
    return ExecuteBound(QStringLiteral("Update TaskList Set Status = ?,User = ?,Time_Stamp = ? where Requirement = ?"),
                        {status, CurrentUserName(), TimestampText(), orderNumber});
}

bool SetTaskStatus(const QString& orderNumber, int taskNumber, const QString& status)
{
    const bool done =
        ExecuteBound(QStringLiteral("Update TaskList Set Status = ?,User = ?,Time_Stamp = ? where Requirement = ? "
                                    "and Task_nBr = ?"),
                     {status, CurrentUserName(), TimestampText(), orderNumber, QString::number(taskNumber)});
    return done && LastChangedRows() > 0;
}

bool SetPurchaseOrderNeedDates(const QString& orderNumber, const QString& isoDate)
{
    return ExecuteBound(QStringLiteral("Update PurcList Set Need_Date = ? where Order_nBr = ? and "
                                       "(Need_Date is null or Need_Date = '')"),
                        {isoDate, orderNumber});
}

QStringList ReadHolidayDates()
{
    const QueryResult rows = Query(QStringLiteral("Select Date from HoliList order by Date"));
    QStringList dates;
    QSet<QString> seen;
    for (int r = 0; r < rows.rowCount; ++r) {
        const QString iso = IsoDate(StoredDate(rows.cell(r, 0)));
        if (!iso.isEmpty() && !seen.contains(iso)) {
            seen.insert(iso);
            dates << iso;
        }
    }
    dates.sort();
    return dates;
}

bool AddHoliday(const QString& isoDate, const QString& description)
{
    Transaction transaction;
    const QString present = QueryTextBound(QStringLiteral("Select count(*) from HoliList where Date = ?"), {isoDate});
    if (TextToInt(present) == 0)
        InsertRows({{isoDate, description, CurrentUserName(), TimestampText()}}, HoliList);
    return transaction.commit();
}

int RemoveHoliday(const QString& isoDate)
{
    Transaction transaction;
    ExecuteBound(QStringLiteral("Delete from HoliList where Date = ?"), {isoDate});
    const long long removed = LastChangedRows();
    if (!transaction.commit())
        return -1;
    return static_cast<int>(removed);
}
