#include "schedule/taskbuilder.h"

#include "bom/explosion.h"
#include "core/statuses.h"
#include "core/appstate.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/billrows.h"
#include "db/requirements.h"
#include "db/taskrows.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>

void CollectAssemblies(const QueryResult& rows, double multiplier, int level, const QString& assembly,
                       std::vector<AssemblyEntry>& list)
{
    const int partColumn = FindHeading(rows, QStringLiteral("Part"));
    const int quanColumn = FindHeading(rows, QStringLiteral("Quan"));
    if (FindHeading(rows, QStringLiteral("Assy")) < 0 || partColumn < 0 || quanColumn < 0)
        return;
    const BomIndex index(rows);
    QSet<QString> listed;
    for (const AssemblyEntry& entry : list)
        listed.insert(entry.assembly);
    // Everything below an assembly was listed on its first walk, so a second
    // use of it has nothing to add: the walk stays in proportion to the bill
    // however often its sub-assemblies are shared.
    QSet<QString> walked;
    std::function<void(double, int, const QString&)> collect = [&](double factor, int depth, const QString& current) {
        if (!listed.contains(current)) {
            listed.insert(current);
            list.push_back({current, factor, depth});
        }
        if (walked.contains(current))
            return;
        walked.insert(current);
        for (const int r : index.rows(current)) {
            const QString part = rows.cell(r, partColumn);
            if (index.isAssembly(part))
                collect(TextToDouble(rows.cell(r, quanColumn)) * factor, depth + 1, part);
        }
    };
    collect(multiplier, level, assembly);
}

std::vector<PlannedTask> PlanTasks(const QString& assembly, double quantity, bool* ok)
{
    *ok = false;
    std::vector<PlannedTask> planned;
    const QueryResult rows = ReadBillLinks(assembly);
    const QStringList cycle = FindAssemblyCycle(rows, assembly);
    if (!cycle.isEmpty()) {
        ShowMessage(CycleMessage(cycle));
        return planned;
    }
    std::vector<AssemblyEntry> list;
    CollectAssemblies(rows, quantity, 0, assembly, list);
    int maxLevel = 0;
    for (const AssemblyEntry& entry : list)
        maxLevel = std::max(maxLevel, entry.level);

    // The steps of the assemblies of this bill only, each assembly's in table order.
    const QueryResult steps = ReadBillRoutingSteps(assembly);
    if (steps.rowCount == 0) {
        *ok = true;
        return planned;
    }
    const int assyColumn = FindHeading(steps, QStringLiteral("Assy"));
    const int descrColumn = FindHeading(steps, QStringLiteral("Descr"));
    const int hoursColumn = FindHeading(steps, QStringLiteral("Hours"));
    const int stepColumn = FindHeading(steps, QStringLiteral("Step"));
    const int resourceColumn = FindHeading(steps, QStringLiteral("Resour"));
    const int rateColumn = FindHeading(steps, QStringLiteral("Rate"));
    if (assyColumn < 0 || descrColumn < 0 || hoursColumn < 0 || stepColumn < 0 || resourceColumn < 0
        || rateColumn < 0)
        return planned;

    QHash<QString, std::vector<int>> stepsOf;
    for (int r = 0; r < steps.rowCount; ++r)
        stepsOf[steps.cell(r, assyColumn)].push_back(r);
    std::vector<std::vector<const AssemblyEntry*>> byLevel(static_cast<size_t>(maxLevel) + 1);
    for (const AssemblyEntry& entry : list)
        byLevel[static_cast<size_t>(entry.level)].push_back(&entry);

    // Deepest sub-assemblies first: they are built before what uses them.
    for (int level = maxLevel; level >= 0; --level)
        for (const AssemblyEntry* entry : byLevel[static_cast<size_t>(level)])
            for (const int r : stepsOf.value(entry->assembly))
                planned.push_back({entry->assembly, steps.cell(r, stepColumn), steps.cell(r, resourceColumn),
                                   entry->quantity, TextToDouble(steps.cell(r, hoursColumn))});
    *ok = true;
    return planned;
}

int BuildTasks(const QString& orderNumber, const QString& assembly, double quantity)
{
    bool ok = false;
    const std::vector<PlannedTask> planned = PlanTasks(assembly, quantity, &ok);
    if (!ok)
        return -1;
    // The count is the units the task builds: its work is the step's hours
    // per unit times the count.
    std::vector<QStringList> rows;
    const QString stamp = TimestampText();
    int t = 0;
    for (const PlannedTask& task : planned) {
        QStringList values;
        for (int i = 0; i < App().tables[TaskList].fieldCount; ++i)
            values << QString();
        auto set = [&](const char* heading, const QString& value) {
            const int field = FieldIndex(App().tables[TaskList], QString::fromLatin1(heading));
            if (field >= 0)
                values[field] = value;
        };
        set("Task_nBr", Format("%i", {t++}));
        set("Requirement", orderNumber);
        set("Assy", task.assembly);
        set("Step", task.step);
        set("Status", StoredWord(TaskStatus::Pending));
        set("Count", PlainNumber(task.count));
        set("Actual", QStringLiteral("0"));
        set("User", App().CurrentUser);
        set("Time_Stamp", stamp);
        rows.push_back(values);
    }
    if (!rows.empty()) {
        InsertRows(rows, TaskList);
        if (LastResultCode() != 0)
            return -1;
    }
    return t;
}

namespace {

void appendRouting(const QueryResult& bom, const BomIndex& index, const QString& assembly, int count, int depth,
                   QStringList& path, std::vector<RoutingEntry>& list)
{
    list.push_back({assembly, count, depth});
    const int partColumn = FindColumn(bom, QStringLiteral("Part"));
    const int quanColumn = FindColumn(bom, QStringLiteral("Quan"));
    if (partColumn < 0 || quanColumn < 0)
        return;
    path << assembly;
    for (const int r : index.rows(assembly)) {
        const QString part = bom.cell(r, partColumn);
        // A bill that contains itself is printed down to the repetition only.
        if (!index.isAssembly(part) || path.contains(part))
            continue;
        const int childCount = static_cast<int>(TextToDouble(bom.cell(r, quanColumn)) * count);
        appendRouting(bom, index, part, childCount, depth + 1, path, list);
    }
    path.removeLast();
}

} // namespace

std::vector<RoutingEntry> BuildRoutingList(const QueryResult& bom, const QString& assembly, double quantity)
{
    std::vector<RoutingEntry> list;
    QStringList path;
    appendRouting(bom, BomIndex(bom), assembly, static_cast<int>(quantity), 0, path, list);
    return list;
}

std::vector<RoutingEntry> BuildRoutingList(const QString& orderNumber)
{
    const RequirementFields requirement = ReadRequirementFields(orderNumber);
    const QString& assembly = requirement.assembly;
    const double quantity = TextToDouble(requirement.quantity);
    const QueryResult bom = ReadRoutingBomRows(assembly);
    return BuildRoutingList(bom, assembly, quantity);
}
