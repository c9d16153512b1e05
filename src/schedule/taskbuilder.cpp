#include "schedule/taskbuilder.h"

#include "app/appstate.h"
#include "app/format.h"
#include "app/userinterface.h"
#include "app/utilities.h"
#include "orders/requirement.h"

#include <algorithm>

void CollectAssemblies(const QueryResult& rows, double multiplier, int level, const QString& assembly,
                       std::vector<AssemblyEntry>& list)
{
    const bool known = std::any_of(list.begin(), list.end(),
                                   [&](const AssemblyEntry& e) { return e.assembly == assembly; });
    if (!known)
        list.push_back({assembly, multiplier, level});
    const int assyColumn = FindHeading(rows, QStringLiteral("Assy"));
    const int partColumn = FindHeading(rows, QStringLiteral("Part"));
    const int quanColumn = FindHeading(rows, QStringLiteral("Quan"));
    if (assyColumn < 0 || partColumn < 0 || quanColumn < 0)
        return;
    for (int r = 0; r < rows.rowCount; ++r) {
        if (rows.cell(r, assyColumn) != assembly)
            continue;
        const QString part = rows.cell(r, partColumn);
        if (IsAssembly(rows, part))
            CollectAssemblies(rows, TextToDouble(rows.cell(r, quanColumn)) * multiplier, level + 1, part, list);
    }
}

int BuildTasks(const QString& orderNumber, const QString& assembly, double quantity)
{
    const QueryResult rows =
        Query(QStringLiteral("Select AssyList.ID,AssyList.Assy,AssyList.Part_nBr,AssyList.Quan from AssyList"));
    const QStringList cycle = FindAssemblyCycle(rows, assembly);
    if (!cycle.isEmpty()) {
        ShowMessage(CycleMessage(cycle));
        return -1;
    }
    std::vector<AssemblyEntry> list;
    CollectAssemblies(rows, quantity, 0, assembly, list);
    int maxLevel = 0;
    for (const AssemblyEntry& entry : list)
        maxLevel = std::max(maxLevel, entry.level);

    const QueryResult steps = Query(QStringLiteral("Select * from RescList"));
    if (steps.rowCount == 0)
        return 0;
    const int assyColumn = FindHeading(steps, QStringLiteral("Assy"));
    const int descrColumn = FindHeading(steps, QStringLiteral("Descr"));
    const int hoursColumn = FindHeading(steps, QStringLiteral("Hours"));
    const int stepColumn = FindHeading(steps, QStringLiteral("Step"));
    const int resourceColumn = FindHeading(steps, QStringLiteral("Resour"));
    const int rateColumn = FindHeading(steps, QStringLiteral("Rate"));
    if (assyColumn < 0 || descrColumn < 0 || hoursColumn < 0 || stepColumn < 0 || resourceColumn < 0
        || rateColumn < 0)
        return -1;

    int t = 0;
    for (int level = maxLevel; level >= 0; --level) {
        for (const AssemblyEntry& entry : list) {
            if (entry.level != level)
                continue;
            for (int r = 0; r < steps.rowCount; ++r) {
                if (steps.cell(r, assyColumn) != entry.assembly)
                    continue;
                Execute(SqlFormat("Insert into TaskList (Status,Count,Actual,Requirement,Task_nBr,Assy,Step,User,"
                                  "Time_Stamp) values('%s','%s','%s','%s','%s','%s','%s','%s','%s')",
                                  {QStringLiteral("Pending"), QStringLiteral("1"), QStringLiteral("0"), orderNumber,
                                   Format("%i", {t}), entry.assembly, steps.cell(r, stepColumn),
                                   App().CurrentUser, TimestampText()}));
                ++t;
            }
        }
    }
    return t;
}

namespace {

void appendRouting(const QueryResult& bom, const QString& assembly, int count, int depth, QStringList& path,
                   std::vector<RoutingEntry>& list)
{
    list.push_back({assembly, count, depth});
    const int assyColumn = FindColumn(bom, QStringLiteral("Assy"));
    const int partColumn = FindColumn(bom, QStringLiteral("Part"));
    const int quanColumn = FindColumn(bom, QStringLiteral("Quan"));
    if (assyColumn < 0 || partColumn < 0 || quanColumn < 0)
        return;
    path << assembly;
    for (int r = 0; r < bom.rowCount; ++r) {
        if (bom.cell(r, assyColumn) != assembly)
            continue;
        const QString part = bom.cell(r, partColumn);
        // A bill that contains itself is printed down to the repetition only.
        if (!IsAssembly(bom, part) || path.contains(part))
            continue;
        const int childCount = static_cast<int>(TextToDouble(bom.cell(r, quanColumn)) * count);
        appendRouting(bom, part, childCount, depth + 1, path, list);
    }
    path.removeLast();
}

} // namespace

std::vector<RoutingEntry> BuildRoutingList(const QueryResult& bom, const QString& assembly, double quantity)
{
    std::vector<RoutingEntry> list;
    QStringList path;
    appendRouting(bom, assembly, static_cast<int>(quantity), 0, path, list);
    return list;
}

std::vector<RoutingEntry> BuildRoutingList(const QString& orderNumber)
{
    const QString assembly =
        QueryText(SqlFormat("Select Assy from ReqmList where Order_nBr = '%s'", {orderNumber}), false);
    const double quantity =
        TextToDouble(QueryText(SqlFormat("Select Quan from ReqmList where Order_nBr = '%s'", {orderNumber}), false));
    const QueryResult bom = Query(QStringLiteral(
        "Select AssyList.id,AssyList.Assy,AssyList.Part_nBr,PartList.Description,AssyList.Quan,"
        "PartList.Manufacturer from AssyList LEFT JOIN PartList on AssyList.Part_nBr = PartList.Part_nBr"));
    return BuildRoutingList(bom, assembly, quantity);
}
