// koltctl commands of the data interchange: import, export.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "db/database.h"
#include "interchange/csvexport.h"
#include "interchange/importer.h"

namespace {

int tableFromText(const QString& text)
{
    bool numeric = false;
    const int index = text.toInt(&numeric);
    if (numeric)
        return index >= 0 && index < kTableCount ? index : -1;
    for (int t = 0; t < kTableCount; ++t)
        if (TableSqlName(t).compare(text, Qt::CaseInsensitive) == 0 || TableKey(t) == text.toUpper())
            return t;
    return -1;
}

int runImport(CtlContext& ctx)
{
    const QString assemblyOption = ctx.takeOption(QStringLiteral("--assembly"));
    if (ctx.args.size() != 1)
        return kCtlUsage;
    ImportFile file;
    if (!file.load(ctx.args[0])) {
        ctx.err << "import: cannot read " << ctx.args[0] << "\n";
        return kCtlFailed;
    }
    // The header and mapping the dialog would propose, taken as they are.
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    const ImportHeader header = FindImportHeader(file, mapping);
    QStringList targets;
    for (int target : header.targets)
        targets << (target >= 0 ? mapping.lines[static_cast<size_t>(target)].target : QString());
    const QString assembly = assemblyOption.isEmpty() ? AssemblyNameFromPath(file.path()) : assemblyOption;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, targets, assembly);
    ctx.out << "Lines Scanned: " << outcome.scanned << "\n";
    ctx.out << "Valid Items Added: " << outcome.added << "\n";
    return outcome.stored ? kCtlOk : kCtlFailed;
}

int runExport(CtlContext& ctx)
{
    const QString assembly = ctx.takeOption(QStringLiteral("--assy"));
    if (ctx.args.size() != 2)
        return kCtlUsage;
    const int table = tableFromText(ctx.args[0]);
    if (table < 0) {
        ctx.err << "export: unknown table " << ctx.args[0] << "\n";
        return kCtlUsage;
    }
    return ExportTable(ctx.args[1], table, assembly) ? kCtlOk : kCtlFailed;
}

} // namespace

void RegisterInterchangeCommands()
{
    RegisterCtlCommand({QStringLiteral("import"), QStringLiteral("import FILE [--assembly NAME]"), runImport});
    RegisterCtlCommand({QStringLiteral("export"), QStringLiteral("export TABLE FILE [--assy NAME]"), runExport});
}
