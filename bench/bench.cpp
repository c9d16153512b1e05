// kolt_bench OPERATION DIR: runs one operation of the system once on the data
// folder DIR and exits. bench/run times the whole process against a floor
// command (usually the sqlite3 shell doing the same work), so both sides pay
// for starting a process and opening the file.
//
// To add an operation: write a function below, list it in kOperations, and add
// one line naming it and its floor command to bench/run.
//
// Built with the widgets, it also runs the window operations (benchwindows.cpp),
// offscreen; those time their own work and print it ("kolt_bench timed: ...").
// Every run ends with the peak memory of the process on standard error.
#include "app/startup.h"
#include "bom/assemblyindex.h"
#include "bom/bomreport.h"
#include "bom/bomtree.h"
#include "bom/navigationtree.h"
#include "bom/rollup.h"
#include "core/appstate.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/engine.h"
#include "grid/gridmodel.h"
#include "interchange/csvexport.h"
#include "interchange/importer.h"
#include "orders/requirement.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#ifdef KOLT_BENCH_WINDOWS
#include "benchwindows.h"
#endif

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

ConsoleInterface* g_console = nullptr;

// Statements handed to the library (counted on a server, where each is a
// round trip): of the whole run, or from the start of the timed part of an
// operation that times itself.
long long g_statements = 0;
bool g_counting = false;

// The time of the work of an operation that times itself, after its
// untimed preparation; bench/run reads the line.
class TimedPart
{
public:
    TimedPart()
    {
        g_statements = 0;
        m_wall.start();
        m_cpu = cpuMicroseconds();
    }
    void report() const
    {
        std::printf("kolt_bench timed: %lld us wall, %lld us cpu\n", static_cast<long long>(m_wall.nsecsElapsed() / 1000),
                    cpuMicroseconds() - m_cpu);
    }

private:
    static long long cpuMicroseconds()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
    }
    QElapsedTimer m_wall;
    long long m_cpu = 0;
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

// The report dialog's work: the report rows of the assembly's bill and the
// explosion.
int bomReport(int mode)
{
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

// The navigation view's reload: the index of assemblies with the links
// between them, the cycle check and the top-level items; then the branch of
// the benchmarked assembly opened, as a desk opens it.
int treeIndex()
{
    AssemblyGraph graph;
    if (!graph.load())
        return 1;
    CycleReport cycles;
    graph.findCycles(cycles);
    const std::vector<BomTreeItem> items = TopLevelItems(graph);
    const QString assembly = benchAssembly();
    const auto branch = AssemblyBranches({assembly}, graph, false);
    std::printf("%zu top-level assemblies, %zu lines in %s\n", items.size(), branch.value(assembly).size(),
                qPrintable(assembly));
    return items.empty() ? 1 : 0;
}

// The program's start: library, settings, dictionary and the definitions
// from the program folder; then the data folder of the run.
void startCore()
{
    StartCore(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QLatin1Char('/'));
    App().DataFolder = QString::fromLocal8Bit(qgetenv("KOLT_BENCH_DATA"));
}

// The grid's load of a table: statement, re-map, layout and the error check
// with its look-ups; the definitions come from the program folder.
int gridLoad(int table, const QString& assembly)
{
    startCore();
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
// The largest bill: bench/run names it in KOLT_BENCH_GRID_ASSY, so that the
// search for it (a scan of every bill) is not timed as the grid's work.
int gridLargeAssembly()
{
    QString assembly = QString::fromLocal8Bit(qgetenv("KOLT_BENCH_GRID_ASSY"));
    if (assembly.isEmpty()) {
        assembly = QueryText(QStringLiteral("Select Assy from AssyList group by Assy order by count(*) desc limit 1"),
                             true);
        assembly.chop(1);
    }
    return gridLoad(AssyList, assembly);
}

// One cell of the part table edited as the grid stores it (the record
// compared under the write lock, the value written, the stamps), after the
// grid's load, which is not timed; each run writes a new text.
int editPartList()
{
    startCore();
    SelectTable(App().DataFolder, PartList);
    CGridModel grid;
    grid.Load(PartList);
    if (grid.rowCount() == 0)
        return 1;
    int column = -1;
    for (int lc = 0; lc < grid.listColumnCount(); ++lc)
        if (grid.tableHeading(lc).compare(QStringLiteral("Description"), Qt::CaseInsensitive) == 0)
            column = lc;
    if (column < 0)
        return 1;
    const int row = grid.rowCount() / 2;
    const QString text = QStringLiteral("Edited %1").arg(QDateTime::currentMSecsSinceEpoch());
    const TimedPart watch;
    grid.CommitEdit(column, row, text, {});
    watch.report();
    return grid.lastEditResult() == EditResult::Changed ? 0 : 1;
}

// The Update command: every assembly's price and labour recomputed and
// written. bench/run hands each run a fresh copy of the data.
int rollup()
{
    startCore();
    const int assemblies = RunCostRollup();
    std::printf("%i assemblies\n", assemblies);
    return assemblies > 0 ? 0 : 1;
}

// The import command on KOLT_BENCH_CSV into the data folder, with the header
// and mapping the dialog proposes.
int importCsv()
{
    startCore();
    ImportFile file;
    if (!file.load(qEnvironmentVariable("KOLT_BENCH_CSV")))
        return 1;
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    const ImportHeader header = FindImportHeader(file, mapping);
    QStringList targets;
    for (int target : header.targets)
        targets << (target >= 0 ? mapping.lines[static_cast<size_t>(target)].target : QString());
    const ImportOutcome outcome =
        ProcessImport(file, header.line + 1, targets, AssemblyNameFromPath(file.path()));
    std::printf("%i lines scanned, %i added, %i vendors\n", outcome.scanned, outcome.added, outcome.vendors);
    return outcome.stored && outcome.added > 0 ? 0 : 1;
}

// The import of the largest file of the real-world corpus, KOLT_BENCH_CORPUS_CSV
// (a KiCad export with a title block, the same bill twice and 34 columns), as
// koltctl imports it: the header, the mapping corrected by content, the lines.
int importCorpus()
{
    startCore();
    ImportFile file;
    if (!file.load(qEnvironmentVariable("KOLT_BENCH_CORPUS_CSV")))
        return 1;
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    const ImportHeader header = FindImportHeader(file, mapping);
    ImportOptions options;
    options.columnNames = header.fields;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, header.targetNames(mapping),
                                                AssemblyNameFromPath(file.path()), {}, options);
    std::printf("%i lines scanned, %i lines, %i added\n", outcome.scanned, outcome.lines, outcome.added);
    return outcome.stored && outcome.lines > 0 ? 0 : 1;
}

// The import of the largest spreadsheet of the corpus, KOLT_BENCH_SHEET, as
// koltctl imports it: the workbook unpacked, its bill sheet chosen, the lines.
int importSheet()
{
    startCore();
    ImportFile file;
    if (!file.load(qEnvironmentVariable("KOLT_BENCH_SHEET")))
        return 1;
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    ChooseImportSheet(file, mapping);
    const ImportHeader header = FindImportHeader(file, mapping);
    ImportOptions options;
    options.columnNames = header.fields;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, header.targetNames(mapping),
                                                AssemblyNameFromPath(file.path()), {}, options);
    std::printf("%i lines scanned, %i lines, %i added\n", outcome.scanned, outcome.lines, outcome.added);
    return outcome.stored && outcome.lines > 0 ? 0 : 1;
}

// The rows of the sheet importSheet reads, tab-separated into
// KOLT_BENCH_OUT: what the floor imports.
int sheetRows()
{
    startCore();
    ImportFile file;
    if (!file.load(qEnvironmentVariable("KOLT_BENCH_SHEET")))
        return 1;
    ChooseImportSheet(file, LoadImportMapping(ImportMappingPath()));
    QFile out(qEnvironmentVariable("KOLT_BENCH_OUT"));
    return out.open(QIODevice::WriteOnly) && out.write(file.text().toUtf8()) >= 0 ? 0 : 1;
}

// The Export command on the part table, into KOLT_BENCH_OUT.
int exportPartList()
{
    startCore();
    QString path = qEnvironmentVariable("KOLT_BENCH_OUT");
    if (path.isEmpty())
        path = QDir::tempPath() + QStringLiteral("/kolt-bench-export.csv");
    return ExportTable(path, PartList, QString()) ? 0 : 1;
}

// "Process" of requirement KOLT_BENCH_REQ (bench/run creates it in a copy of
// the data) for quantity 10 of its assembly.
int processRequirement()
{
    startCore();
    const QString order = qEnvironmentVariable("KOLT_BENCH_REQ");
    const RequirementRecord record = LoadRequirement(order);
    const int messages = g_console->failures;
    const ProcessOutcome outcome = ProcessRequirement(order, 10, record.assembly.toUpper());
    if (!outcome.done)
        return 1;
    // A done Process tells its count of purchase orders and may warn on the
    // way (a made part without a bill of its own): neither is a failure.
    g_console->failures = messages;
    std::printf("%i purchase orders, %zu parts\n", outcome.batch.count, outcome.flatList.size());
    return 0;
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
    {"edit-partlist", editPartList},
    {"rollup", rollup},
    {"import", importCsv},
    {"import-corpus", importCorpus},
    {"import-sheet", importSheet},
    {"sheet-rows", sheetRows},
    {"export", exportPartList},
    {"process", processRequirement},
#ifdef KOLT_BENCH_WINDOWS
    {"window-partlist", WindowPartList},
    {"window-tree", WindowTree},
    {"window-timeline", WindowTimeline},
    {"window-process", WindowProcess},
#endif
};

// KOLT_BENCH_RECORD=FILE: every statement that succeeded is written to FILE,
// one per line, so that bench/run can hand the same work to the sqlite3 shell.
FILE* g_record = nullptr;

void recordStatement(const QByteArray& statement, int resultCode)
{
    ++g_statements;
    if (resultCode != 0 || !g_record)
        return;
    // On a server, as the server was given it, so that psql does the same work.
    const QByteArray sent = DatabaseOnServer() ? ServerStatement(statement) : statement;
    std::fwrite(sent.constData(), 1, static_cast<size_t>(sent.size()), g_record);
    std::fputs(sent.trimmed().endsWith(';') ? "\n" : ";\n", g_record);
}

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
#ifdef KOLT_BENCH_WINDOWS
    if (std::strncmp(operation->name, "window-", 7) == 0)
        StartWindows(argc, argv);
#endif
    ConsoleInterface console;
    g_console = &console;
    SetUserInterface(&console);
    // Settings of whoever runs this must not change what is measured.
    qputenv("XDG_CONFIG_HOME", IsServerAddress(QString::fromLocal8Bit(argv[2]))
                                   ? QDir::tempPath().toLocal8Bit() + "/kolt-bench-config"
                                   : QByteArray(argv[2]) + "/.config");
    const QByteArray recordPath = qgetenv("KOLT_BENCH_RECORD");
    if (!recordPath.isEmpty()) {
        g_record = std::fopen(recordPath.constData(), "w");
        if (!g_record)
            return 1;
        ObserveStatements(recordStatement);
    }
    // On a server every statement is a round trip, so the count is part of
    // the result. (On a file the observer would turn the prepared inserts
    // off, which is not measured.)
    if (IsServerAddress(QString::fromLocal8Bit(argv[2]))) {
        g_counting = true;
        ObserveStatements(recordStatement);
    }
    if (!LoadDatabaseLibrary())
        return 1;
    // Table 0 is current at start, so this only points the layer at the folder.
    SelectTable(QString::fromLocal8Bit(argv[2]), 0);
    qputenv("KOLT_BENCH_DATA", argv[2]);
    const int rc = operation->run();
    SetUserInterface(nullptr);
#ifdef KOLT_BENCH_WINDOWS
    StopWindows();
#endif
    if (g_record)
        std::fclose(g_record);
    if (g_record || g_counting)
        ObserveStatements(nullptr);
    if (g_counting)
        std::fprintf(stderr, "kolt_bench statements: %lld\n", g_statements);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::fprintf(stderr, "kolt_bench peak: %ld KB\n", usage.ru_maxrss);
    return rc != 0 || console.failures ? 1 : 0;
}
