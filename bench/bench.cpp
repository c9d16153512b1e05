// kolt_bench OPERATION DIR: runs one operation of the system once on the data
// folder DIR and exits. bench/run times the whole process against a floor
// command (usually the sqlite3 shell doing the same work), so both sides pay
// for starting a process and opening the file.
//
// To add an operation: write a function below, list it in kOperations, and add
// one line naming it and its floor command to bench/run.
#include "app/userinterface.h"
#include "db/database.h"

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

struct Operation
{
    const char* name;
    int (*run)();
};

const Operation kOperations[] = {
    {"noop", noop},
    {"runquery-partlist", runQueryPartList},
    {"runquery-bomjoin", runQueryBomJoin},
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
    const int rc = operation->run();
    SetUserInterface(nullptr);
    return rc != 0 || console.failures ? 1 : 0;
}
