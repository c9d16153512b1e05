#pragma once
// The bills (AssyList, with the part records and routing steps they name) as
// the bill engines, the trees, the reports and the timeline read them. Each
// reader is one statement for a whole bill or the whole table; the rows come
// back as a QueryResult, headed as the bill engines find their columns.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "db/database.h"

// The WITH clause that names, as the one-column table Bill(Assy), the assembly
// and every assembly below it, found level by level through the index on
// AssyList.Assy. A statement that reads "from Bill cross join AssyList on
// AssyList.Assy = Bill.Assy" then reads that assembly's bill and nothing else,
// so its cost follows the size of the bill, not of the database. The union
// keeps each name once, so a bill that contains itself still ends. The
// assembly is the clause's one "?": bound as the statement's first value.
QString BillOfAssemblyClause();

// AssyList joined to PartList as the explosion reads it (ID, Assy, Part_nBr,
// Description, Quan, Manufacturer, Make, Stock, Allocated, On_Order,
// Distributor, Price, Currency, Loss, Web_Page): the whole table, or the
// assembly's bill only; by ID.
QueryResult ReadBomRows();
QueryResult ReadBomRows(const QString& assembly);

// The BOM report's columns: the whole table by assembly and item, or one bill.
extern const char* const kReportQuery;
QueryResult ReadReportRows(const QString& assembly);

// The tree and the index of assemblies.
extern const char* const kAssemblyViewQuery;
extern const char* const kAssemblyIndexQuery;
extern const char* const kAssemblyTreeQuery;
QueryResult ReadAssemblyIndexRows();
// The tree window's rows: every bill (empty assembly) or one assembly's.
QueryResult ReadAssemblyTreeRows(const QString& assembly);
// ID, Assy, Part_nBr of every line, in table order.
QueryResult ReadAssemblyLinks();
// Every AssyList column of every line, by assembly and item.
QueryResult ReadAllBillLines();

// The lines of the assembly's bill as the task planner walks them (ID, Assy,
// Part_nBr, Quan) and the routing steps of those assemblies (every RescList
// column), by ID.
QueryResult ReadBillLinks(const QString& assembly);
QueryResult ReadBillRoutingSteps(const QString& assembly);
// The bill as the routing sheet lists it (id, Assy, Part_nBr, Description,
// Quan, Manufacturer), by ID.
QueryResult ReadRoutingBomRows(const QString& assembly);

// The roll-up's reads: every line with its part's Price and Labor, and every
// routing step with its rate, hours and cost.
QueryResult ReadRollupBillLines();
QueryResult ReadRollupRoutingSteps();

// A line of a bill as the alternates read it: how many of the part one of
// its assembly takes, and the substitutes the line names.
struct SubstituteLine
{
    QString assembly;
    QString part;
    double quantity = 0;
    QString substitutes;
};

// Every line of the assembly's bill at every level, by id. The caller has
// checked that the Substitutes column exists.
std::vector<SubstituteLine> ReadSubstituteLines(const QString& assembly);

// Branches of the navigation tree: (assembly, part, category of the part's
// first record) of the lines of the assemblies, by item; and (assembly,
// step, description) of their routing steps, by id.
struct BranchLine
{
    QString assembly;
    QString part;
    QString third; // category for a line, description for a step
    QString step;
};
std::vector<BranchLine> ReadBranchLines(const QStringList& assemblies);
std::vector<BranchLine> ReadBranchSteps(const QStringList& assemblies);
// Up to 50 assemblies whose bills hold the part (letter case aside), by name.
QStringList AssembliesHoldingPart(const QString& part);

// Whether an assembly of that name has lines; the number of its lines; its
// highest item number.
bool AssemblyOnFile(const QString& assembly, bool* ok = nullptr);
int BillLineCount(const QString& assembly);
int HighestBillItem(const QString& assembly);
// The assembly of the newest bill line (by id), empty when there is none.
QString NewestBillAssembly();
// Adds count empty lines (items 1..count, quantity 1) to the assembly's bill
// in one statement.
bool AddBlankBillLines(const QString& assembly, int count, const QString& user, const QString& stamp);
// Deletes every line of the assembly's bill.
bool DeleteBillLines(const QString& assembly);
