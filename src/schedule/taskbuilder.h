#pragma once
// Production tasks of a requirement: one TaskList row per routing step of its
// assembly and of every sub-assembly, deepest sub-assemblies first.
#include "db/database.h"

#include <QString>
#include <QStringList>
#include <vector>

struct AssemblyEntry
{
    QString assembly;
    double quantity = 0; // units to build for the requirement
    int level = 0;       // 0 for the requirement's assembly
};

// Appends assembly and, depth first, its sub-assemblies; an assembly reached
// twice keeps its first quantity and level. Rows: AssyList ID, Assy, Part_nBr,
// Quan. A bill with a cycle must be refused first (FindAssemblyCycle).
void CollectAssemblies(const QueryResult& rows, double multiplier, int level, const QString& assembly,
                       std::vector<AssemblyEntry>& list);

// A task as Process would write it: the routing step of an assembly and the
// units of it the requirement builds.
struct PlannedTask
{
    QString assembly;
    QString step;
    QString resource;
    double count = 0;     // units built
    double stepHours = 0; // per unit
};

// The tasks of a build of `quantity` units of the assembly, deepest
// sub-assemblies first; *ok false when the bill contains itself (reported)
// or a heading is missing.
std::vector<PlannedTask> PlanTasks(const QString& assembly, double quantity, bool* ok);

// Writes the tasks; returns how many, or -1 when the bill contains itself or
// a heading is missing (reported). Runs inside the caller's transaction.
int BuildTasks(const QString& orderNumber, const QString& assembly, double quantity);

struct RoutingEntry
{
    QString assembly;
    int count = 0;
    int depth = 0;
};

// The assemblies of the routing sheet: the requirement's assembly, then every
// use of a sub-assembly depth first, each with its whole count of units.
std::vector<RoutingEntry> BuildRoutingList(const QString& orderNumber);
std::vector<RoutingEntry> BuildRoutingList(const QueryResult& bom, const QString& assembly, double quantity);
