// kolt_bench OPERATION DIR: runs one operation of the system once on the data
// folder DIR and exits. bench/run times the whole process against a floor
// command (usually the sqlite3 shell doing the same work), so both sides pay
// for starting a process and opening the file.
//
// To add an operation: write a function below, list it in kOperations, and add
// one line naming it and its floor command to bench/run.
#include "app/appstate.h"
#include "app/startup.h"
#include "app/userinterface.h"
#include "bom/assemblyindex.h"
#include "bom/bomreport.h"
#include "bom/bomtree.h"
#include "db/database.h"
#include "grid/gridmodel.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

// Errors of the database layer must not pass unnoticed in a benchmark.
class ConsoleInterface final : public UserInterface
{
public:
    int showMessage(const QString& text, const QString& caption, int buttons, int) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        ++failures;
        return SafeAnswer(buttons);
    }
    void progressOpen(const QString&, int, int) override {}
    void progressCaption(const QString&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void progressClose() override {}

    int failures = 0;
};

// Reads a whole result into a QueryResult, as the grid does on every load, and
// reports the cell count so that the work cannot be skipped.
int runQuery(const QString& sql)
{
    QueryResult result;
    headingsCaptured = 0;
    const int rows = RunQuery(result, sql);
    std::printf("%i rows, %i columns\n", rows, result.columnCount);
    return rows > 0 ? 0 : 1;
}

// Process start, library load and nothing else: the fixed cost every
// measured operation pays.
int noop()
{
    return 0;
}

// The part table as the grid loads it.
int runQueryPartList()
{
    return runQuery(QStringLiteral("Select * from PartList"));
}

// The bill-of-materials join the navigation tree and the assembly index load.
int runQueryBomJoin()
{
    return runQuery(QStringLiteral(
        "Select AssyList.ID,AssyList.Assy,AssyList.Item,AssyList.Part_nBr,PartList.Description,AssyList.Ref_Des,"
        "AssyList.Quan,PartList.Category,PartList.Price,PartList.Labor from AssyList LEFT JOIN PartList on "
        "AssyList.Part_nBr = PartList.Part_nBr Order by AssyList.Item"));
}

// The assembly the bill-of-materials operations explode: KOLT_BENCH_ASSY
// (bench/run passes the deepest top-level assembly), else the first one.
QString benchAssembly()
{
    const QString named = qEnvironmentVariable("KOLT_BENCH_ASSY");
    if (!named.isEmpty())
        return named;
    const AssemblyLookup index;
    return index.topLevel().value(0);
}

// The report dialog's work: the index the navigation view keeps, the report
// rows and the explosion.
int bomReport(int mode)
{
    LoadAssemblyIndex();
    BomReport report;
    ReportColumnChoice all;
    all.fill(true);
    if (!report.produce(benchAssembly(), mode, all))
        return 1;
    std::printf("%zu lines\n", report.lines.size());
    return report.lines.empty() ? 1 : 0;
}

int bomFlat()
{
    return bomReport(kFlatBom);
}

int bomIndented()
{
    return bomReport(kIndentedBom);
}

// The navigation view's reload: its rows, the index and the tree contents.
int treeIndex()
{
    const QueryResult rows = Query(QString::fromUtf8(kAssemblyViewQuery));
    RebuildAssemblyIndex(rows);
    CycleReport cycles;
    const std::vector<BomTreeItem> items = AssemblyViewItems(rows, cycles);
    std::printf("%zu top-level assemblies\n", items.size());
    return items.empty() ? 1 : 0;
}

// The grid's load of a table: statement, re-map, layout and the error check
// with its look-ups; the definitions come from the program folder.
int gridLoad(int table, const QString& assembly)
{
    StartCore(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QLatin1Char('/'));
    App().DataFolder = QString::fromLocal8Bit(qgetenv("KOLT_BENCH_DATA"));
    SelectTable(App().DataFolder, table);
    CGridModel grid;
    grid.currentAssembly = assembly;
    grid.Load(table);
    unsigned faults = 0;
    for (int r = 0; r < grid.rowCount(); ++r)
        faults += grid.errorWord(r) != 0;
    std::printf("%i rows, %u with errors\n", grid.rowCount(), faults);
    return grid.rowCount() > 0 ? 0 : 1;
}

int gridPartList()
{
    return gridLoad(PartList, QString());
}

// The bill with the most lines.
int gridLargeAssembly()
{
    QString assembly = QueryText(
        QStringLiteral("Select Assy from AssyList group by Assy order by count(*) desc limit 1"), true);
    assembly.chop(1);
    return gridLoad(AssyList, assembly);
}

struct Operation
{
    const char* name;
    int (*run)();
};

const Operation kOperations[] = {
    {"noop", noop},
    {"runquery-partlist", runQueryPartList},
    {"runquery-bomjoin", runQueryBomJoin},
    {"bom-flat", bomFlat},
    {"bom-indented", bomIndented},
    {"tree-index", treeIndex},
    {"grid-partlist", gridPartList},
    {"grid-assylist", gridLargeAssembly},
};

void usage()
{
    std::fprintf(stderr, "usage: kolt_bench OPERATION DIR\noperations:");
    for (const Operation& op : kOperations)
        std::fprintf(stderr, " %s", op.name);
    std::fprintf(stderr, "\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        usage();
        return 2;
    }
    const Operation* operation = nullptr;
    for (const Operation& op : kOperations)
        if (std::strcmp(op.name, argv[1]) == 0)
            operation = &op;
    if (!operation) {
        usage();
        return 2;
    }
    ConsoleInterface console;
    SetUserInterface(&console);
    if (!LoadDatabaseLibrary())
        return 1;
    // Table 0 is current at start, so this only points the layer at the folder.
    SelectTable(QString::fromLocal8Bit(argv[2]), 0);
    qputenv("KOLT_BENCH_DATA", argv[2]);
    const int rc = operation->run();
    SetUserInterface(nullptr);
    return rc != 0 || console.failures ? 1 : 0;
}
