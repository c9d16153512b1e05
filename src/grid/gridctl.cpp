// koltctl commands of the table grid: check, insert, set, delete and the
// "print" dispatcher with its "print table". They run the grid's own engine.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "core/format.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/tablerecords.h"
#include "grid/gridmodel.h"
#include "grid/gridprint.h"

namespace {

// TABLE is the SQL name (PartList), in any letter case.
int tableFromName(const QString& name)
{
    for (int t = 0; t < kTableCount; ++t)
        if (TableSqlName(t).compare(name, Qt::CaseInsensitive) == 0)
            return t;
    return -1;
}

// The assembly a record of AssyList or RescList belongs to, so that a
// record can be named by its id alone.
QString assemblyOfRecord(int table, const QString& id)
{
    if (table != AssyList && table != RescList)
        return QString();
    return AssemblyOfRecord(TableSqlName(table), id);
}

bool takeTable(CtlContext& ctx, int& table)
{
    table = tableFromName(ctx.args.value(0));
    if (table < 0) {
        ctx.err << "unknown table " << ctx.args.value(0) << "; use the SQL name, e.g. PartList\n";
        return false;
    }
    ctx.args.removeFirst();
    // As the main window does when it shows a table: make it current, creating it if missing.
    SelectTable(App().DataFolder, table);
    return true;
}

// "--assy NAME": assembly names are stored in upper case (ASCII letters
// only), so a name typed in any case finds and makes the same bill. False
// for "--assy" with an empty name, which no bill line may carry.
bool takeAssembly(CtlContext& ctx, QString& assembly)
{
    const bool given = ctx.args.contains(QStringLiteral("--assy"));
    assembly = UpperCaseAscii(ctx.takeOption(QStringLiteral("--assy")).trimmed());
    if (given && assembly.isEmpty()) {
        ctx.err << "--assy needs the name of an assembly\n";
        return false;
    }
    return true;
}

// The common form "COMMAND TABLE [--assy NAME]": loads the table as the grid
// shows it; false for a wrong command line.
bool loadNamedTable(CtlContext& ctx, CGridModel& grid, int& table)
{
    QString assembly;
    if (!takeAssembly(ctx, assembly) || ctx.args.size() != 1 || !takeTable(ctx, table))
        return false;
    grid.currentAssembly = assembly;
    grid.Load(table);
    return true;
}

int rowOfId(const CGridModel& grid, const QString& id)
{
    bool number = false;
    const long long value = id.toLongLong(&number);
    return number ? grid.rowOfId(value) : -1;
}

int runCheck(CtlContext& ctx)
{
    int table = 0;
    CGridModel grid;
    if (!loadNamedTable(ctx, grid, table))
        return kCtlUsage;
    for (int r = 0; r < grid.rowCount(); ++r)
        ctx.out << grid.rowId(r) << '\t' << grid.errorWord(r) << '\n';
    if (grid.errorCheck().Ran())
        ctx.err << grid.errorCheck().SummaryLine() << '\n';
    if (grid.errorCheck().writeFailed()) {
        ctx.err << "check: the error words could not be stored: " << LastErrorText() << '\n';
        return kCtlFailed;
    }
    return kCtlOk;
}

int runInsert(CtlContext& ctx)
{
    int table = 0;
    CGridModel grid;
    if (!loadNamedTable(ctx, grid, table))
        return kCtlUsage;
    if (!grid.InsertRecord()) {
        // Whether it was added nobody knows then; the message said so.
        if (!LastCommitOutcomeUnknown())
            ctx.err << "insert: no record was added to " << TableSqlName(table) << "\n";
        return kCtlFailed;
    }
    if (table == PurcList || table == ReqmList)
        ctx.out << grid.newRecordNumber << '\n';
    else
        ctx.out << grid.rowId(grid.rowToShow()) << '\n';
    return kCtlOk;
}

int runSet(CtlContext& ctx)
{
    QString assembly;
    int table = 0;
    if (!takeAssembly(ctx, assembly) || ctx.args.size() != 4 || !takeTable(ctx, table))
        return kCtlUsage;
    const QString id = ctx.args[0];
    const QString heading = ctx.args[1];
    const QString text = ctx.args[2];
    if (assembly.isEmpty())
        assembly = assemblyOfRecord(table, id);
    CGridModel grid;
    grid.currentAssembly = assembly;
    grid.Load(table);
    const int row = rowOfId(grid, id);
    if (row < 0) {
        ctx.err << "set: no record " << id << " in " << TableSqlName(table) << "\n";
        return kCtlFailed;
    }
    int column = -1;
    for (int lc = 0; lc < grid.listColumnCount(); ++lc)
        if (grid.tableHeading(lc).compare(heading, Qt::CaseInsensitive) == 0)
            column = lc;
    if (column < 0) {
        ctx.err << "set: " << TableSqlName(table) << " shows no column " << heading << "\n";
        return kCtlFailed;
    }
    if (grid.isReadOnly(column) || grid.isErrColumn(column)) {
        ctx.err << "set: the column " << heading << " is read-only\n";
        return kCtlFailed;
    }
    if (text == grid.cellText(row, column))
        return kCtlOk;
    // A refused edit (a part that would make the bill contain itself) and a
    // write the database refused leave the cell as it was; both are reported.
    grid.CommitEdit(column, row, text, {});
    switch (grid.lastEditResult()) {
    case EditResult::Changed:
    case EditResult::Unchanged: return kCtlOk;
    case EditResult::Refused:
    case EditResult::Failed: break;
    }
    ctx.err << "set: " << TableSqlName(table) << ' ' << id << ' ' << heading << " was not changed\n";
    return kCtlFailed;
}

int runDelete(CtlContext& ctx)
{
    QString assembly;
    int table = 0;
    if (!takeAssembly(ctx, assembly) || ctx.args.size() < 2 || !takeTable(ctx, table))
        return kCtlUsage;
    CGridModel grid;
    grid.currentAssembly = assembly.isEmpty() ? assemblyOfRecord(table, ctx.args[0]) : assembly;
    grid.Load(table);
    QList<int> rows;
    for (const QString& id : std::as_const(ctx.args)) {
        const int row = rowOfId(grid, id);
        if (row < 0) {
            ctx.err << "delete: no record " << id << " in " << TableSqlName(table)
                    << (grid.currentAssembly.isEmpty() ? QString() : QStringLiteral(" of ") + grid.currentAssembly)
                    << "\n";
            return kCtlFailed;
        }
        rows.append(row);
    }
    return grid.DeleteRecords(rows) ? kCtlOk : kCtlFailed;
}

int runPrintTable(CtlContext& ctx)
{
    const QString pdf = ctx.takeOption(QStringLiteral("--pdf"));
    int table = 0;
    CGridModel grid;
    if (pdf.isEmpty() || !loadNamedTable(ctx, grid, table))
        return kCtlUsage;
    if (grid.rowCount() == 0) {
        ctx.err << "No Data to Print\n";
        return kCtlFailed;
    }
    int pages = 0;
    if (!PrintGridToPdf(MakeGridPrintout(grid, grid.displayOrder()), pdf, &pages)) {
        ctx.err << "print: cannot write " << pdf << "\n";
        return kCtlFailed;
    }
    ctx.out << pdf << '\t' << pages << " page(s)\n";
    return kCtlOk;
}

int runPrint(CtlContext& ctx)
{
    const QString sub = ctx.args.value(0);
    for (const CtlCommand& command : PrintCommands())
        if (command.name == sub) {
            ctx.args.removeFirst();
            const int code = command.run(ctx);
            if (code == kCtlUsage)
                ctx.err << "usage: koltctl print " << command.usage << "\n";
            return code == kCtlUsage ? kCtlFailed : code;
        }
    ctx.err << "print: unknown printout " << sub << "; one of:\n";
    for (const CtlCommand& command : PrintCommands())
        ctx.err << "  print " << command.usage << "\n";
    return kCtlUsage;
}

} // namespace

void RegisterGridCommands()
{
    RegisterCtlCommand({QStringLiteral("check"), QStringLiteral("check TABLE [--assy NAME]"), runCheck});
    RegisterCtlCommand({QStringLiteral("insert"), QStringLiteral("insert TABLE [--assy NAME]"), runInsert});
    RegisterCtlCommand({QStringLiteral("set"), QStringLiteral("set TABLE ID HEADING TEXT"), runSet});
    RegisterCtlCommand({QStringLiteral("delete"), QStringLiteral("delete TABLE ID... (asks unless --yes)"), runDelete});
    RegisterCtlCommand({QStringLiteral("print"), QStringLiteral("print WHAT ... (print table TABLE --pdf FILE [--assy NAME])"),
                        runPrint});
    RegisterPrintCommand({QStringLiteral("table"), QStringLiteral("table TABLE --pdf FILE [--assy NAME]"), runPrintTable});
}
