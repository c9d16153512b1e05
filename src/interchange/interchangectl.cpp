// koltctl commands of the data interchange: import, export.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "db/database.h"
#include "interchange/csvexport.h"
#include "interchange/importbill.h"
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
    const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
    ImportOptions options;
    options.replace = ctx.takeFlag(QStringLiteral("--replace"));
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
    const QString problem = ImportFileProblemText(file, header);
    if (!problem.isEmpty()) {
        ctx.err << "import: " << ctx.args[0] << ": " << problem << "\n";
        return kCtlFailed;
    }
    const QStringList targets = header.targetNames(mapping);
    const QString assembly = assemblyOption.isEmpty() ? AssemblyNameFromPath(file.path()) : assemblyOption;
    if (assembly.trimmed().isEmpty()) {
        ctx.err << "import: the assembly name is empty\n";
        return kCtlUsage;
    }
    options.columnNames = header.fields;
    const ImportPreview preview = PreviewImport(file, header.line + 1, targets, assembly, options);
    ctx.out << ImportSummaryText(header, mapping, preview, assembly, options.replace);
    if (options.replace && preview.existingLines > 0) {
        // What the replace would change, as `bom diff` says it.
        const QString changes =
            ImportReplaceChangesText(file, header.line + 1, targets, header.fields, assembly);
        ctx.out << "Changes:\n" << (changes.isEmpty() ? QStringLiteral("none\n") : changes);
    }
    if (preview.lines == 0) {
        ctx.err << "import: " << ctx.args[0] << ": no line names a part; nothing to import\n";
        return kCtlFailed;
    }
    if (dryRun)
        return kCtlOk;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, targets, assembly, {}, options);
    ctx.out << "Lines Scanned: " << outcome.scanned << "\n";
    ctx.out << "Valid Items Added: " << outcome.added << " (" << ImportAddedMeaning(outcome) << ")\n";
    if (outcome.replaced > 0)
        ctx.out << "Lines Replaced: " << outcome.replaced << "\n";
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
    RegisterImportBillReader();
    RegisterCtlCommand({QStringLiteral("import"), QStringLiteral("import FILE [--assembly NAME] [--dry-run] [--replace]"), runImport});
    RegisterCtlCommand({QStringLiteral("export"), QStringLiteral("export TABLE FILE [--assy NAME]"), runExport});
}
