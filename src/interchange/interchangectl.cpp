// koltctl commands of the data interchange: import, export.
#include "core/appstate.h"
#include "core/ctlcommands.h"
#include "db/database.h"
#include "db/purchaseorders.h"
#include "interchange/cartexport.h"
#include "interchange/csvexport.h"
#include "interchange/importbill.h"
#include "interchange/xlsxexport.h"
#include "interchange/importer.h"
#include "interchange/pricelist.h"

#include <QDir>

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
    const QString sheetOption = ctx.takeOption(QStringLiteral("--sheet"));
    QStringList maps;
    for (int i = 0; i < ctx.args.size();)
        if (ctx.args[i] == QLatin1String("--map") && i + 1 < ctx.args.size()) {
            maps << ctx.args[i + 1];
            ctx.args.remove(i, 2);
        } else {
            ++i;
        }
    const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
    ImportOptions options;
    options.replace = ctx.takeFlag(QStringLiteral("--replace"));
    options.again = ctx.takeFlag(QStringLiteral("--again"));
    // The bill's digest as an earlier dry run printed it: a replace then
    // refuses when another desk changed the lines since.
    const QString billOption = ctx.takeOption(QStringLiteral("--bill")).trimmed();
    if (ctx.args.size() != 1)
        return kCtlUsage;
    ImportFile file;
    if (!file.load(ctx.args[0])) {
        ctx.err << "import: cannot read " << ctx.args[0] << "\n";
        return kCtlFailed;
    }
    // The header and mapping the dialog would propose, taken as they are.
    const ImportMapping mapping = LoadImportMapping(ImportMappingPath());
    if (!file.sheets().empty()) {
        if (sheetOption.isEmpty()) {
            ChooseImportSheet(file, mapping);
        } else if (!file.selectSheet(sheetOption)) {
            QStringList names;
            for (const ImportSheetInfo& sheet : file.sheets())
                names << sheet.name;
            ctx.err << "import: " << ctx.args[0] << " has no sheet \"" << sheetOption << "\"; its sheets: "
                    << names.join(QStringLiteral(", ")) << "\n";
            return kCtlFailed;
        }
    } else if (!sheetOption.isEmpty()) {
        ctx.err << "import: " << ctx.args[0] << " is no workbook: --sheet does not apply\n";
        return kCtlUsage;
    }
    ImportHeader header = FindImportHeader(file, mapping);
    const QString problem = ImportFileProblemText(file, header);
    if (!problem.isEmpty()) {
        ctx.err << "import: " << ctx.args[0] << ": " << problem << "\n";
        return kCtlFailed;
    }
    ApplyRememberedMapping(header, mapping);
    for (const QString& map : maps) {
        const QString wrong = ApplyImportMap(header, mapping, map);
        if (!wrong.isEmpty()) {
            ctx.err << "import: --map " << map << ": " << wrong << "\n";
            return kCtlUsage;
        }
    }
    const QStringList targets = header.targetNames(mapping);
    const QString assembly = assemblyOption.isEmpty() ? AssemblyNameFromPath(file.path()) : assemblyOption;
    if (assembly.trimmed().isEmpty()) {
        ctx.err << "import: the assembly name is empty\n";
        return kCtlUsage;
    }
    options.columnNames = header.fields;
    const ImportPreview preview = PreviewImport(file, header.line + 1, targets, assembly, options);
    ctx.out << ImportSheetsText(file);
    ctx.out << ImportSummaryText(header, mapping, preview, assembly, options.replace);
    if (options.replace && preview.existingLines > 0) {
        // What the replace would change, as `bom diff` says it.
        const QString changes =
            ImportReplaceChangesText(file, header.line + 1, targets, header.fields, assembly);
        ctx.out << "Changes:\n" << (changes.isEmpty() ? QStringLiteral("none\n") : changes);
    }
    if (options.replace) {
        ctx.out << "Bill: " << preview.bill.digest << "\n";
        // What was read here is what the replace may take the place of.
        options.loadedBill = preview.bill;
        if (!billOption.isEmpty()) {
            options.loadedBill.digest = billOption;
            options.loadedBill.user.clear();
            options.loadedBill.time.clear();
        }
    }
    if (preview.lines == 0) {
        // Rows and not one part: the user is asked which column names it,
        // never told "done" over an empty bill.
        ctx.err << "import: " << ctx.args[0] << ": no line names a part; nothing to import\n"
                << "Columns seen:\n" << ImportColumnsText(file, header) << "\n"
                << "Which column names the part? Say so with --map COLUMN=TARGET (COLUMN: heading or number;"
                   " TARGET: Value, Part, Mfr Part, Order Code, Desc, Quan, Ref Des or DROP),"
                   " e.g. --map \"" << (header.fields.isEmpty() ? QStringLiteral("2") : QStringLiteral("1")) << "=Value\"\n";
        return kCtlFailed;
    }
    // A second import of the same file adds every line again: a script
    // repeating an import whose outcome it did not learn must not double
    // the bill unasked.
    if (!options.replace && !options.again && preview.existingLines > 0
        && ImportRepeatsAssembly(file, header.line + 1, targets, header.fields, assembly)) {
        ctx.err << "import: " << ImportRepeatText(assembly).replace(QLatin1Char('\n'), QLatin1Char(' '))
                << (dryRun ? "" : " Nothing was written.")
                << " --again imports it anyway; --replace replaces the lines.\n";
        return kCtlFailed;
    }
    if (dryRun)
        return kCtlOk;
    const ImportOutcome outcome = ProcessImport(file, header.line + 1, targets, assembly, {}, options);
    if (outcome.repeated)
        ctx.err << "import: --again imports it anyway; --replace replaces the lines.\n";
    ctx.out << "Lines Scanned: " << outcome.scanned << "\n";
    ctx.out << "Valid Items Added: " << outcome.added << " (" << ImportAddedMeaning(outcome) << ")\n";
    if (outcome.sources > 0)
        ctx.out << "Sources Added: " << outcome.sources << "\n";
    if (outcome.replaced > 0)
        ctx.out << "Lines Replaced: " << outcome.replaced << "\n";
    // A layout mapped by hand maps the same way next time.
    if (outcome.stored && !maps.isEmpty())
        RememberImportMapping(header.fields, targets);
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

void reportCart(CtlContext& ctx, const QString& number, const CartExportResult& result)
{
    for (const QString& note : result.notes)
        ctx.err << "export cart: " << number << ": " << note << "\n";
    if (result.written)
        ctx.out << number << "\t" << CartFormatName(result.format) << "\t" << result.lines << "\t" << result.path << "\n";
    else
        ctx.err << "export cart: " << number << ": " << result.error << "\n";
}

// A purchase order as its vendor's cart-upload file; --all writes one file
// per pending order into a folder.
int runExportCart(CtlContext& ctx)
{
    const QString folder = ctx.takeOption(QStringLiteral("--all"));
    if (ctx.args.value(0) != QLatin1String("cart"))
        return kCtlUsage;
    if (!folder.isEmpty()) {
        if (ctx.args.size() != 1)
            return kCtlUsage;
        bool ok = false;
        const QStringList numbers = ReadPendingPurchaseOrderNumbers(&ok);
        if (!ok) {
            ctx.err << "export cart: " << LastErrorText() << "\n";
            return kCtlFailed;
        }
        if (!QDir().mkpath(folder)) {
            ctx.err << "export cart: cannot make the folder " << folder << "\n";
            return kCtlFailed;
        }
        bool all = true;
        for (const QString& number : numbers) {
            const CartExportResult result = ExportPurchaseOrderCartInto(number, folder);
            reportCart(ctx, number, result);
            all = all && result.written;
        }
        if (numbers.isEmpty())
            ctx.err << "export cart: no purchase order is pending\n";
        return all ? kCtlOk : kCtlFailed;
    }
    if (ctx.args.size() != 3)
        return kCtlUsage;
    const CartExportResult result = ExportPurchaseOrderCart(ctx.args[1], ctx.args[2]);
    reportCart(ctx, ctx.args[1], result);
    return result.written ? kCtlOk : kCtlFailed;
}

// A vendor's price list into sources. Parts the shop does not have are
// listed and nothing is stored, unless --known-only says to store the rest.
int runSourcesImport(CtlContext& ctx)
{
    const QString vendor = ctx.takeOption(QStringLiteral("--vendor"));
    const QString currency = ctx.takeOption(QStringLiteral("--currency"));
    const QString sheet = ctx.takeOption(QStringLiteral("--sheet"));
    const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
    const bool knownOnly = ctx.takeFlag(QStringLiteral("--known-only"));
    if (ctx.args.size() != 2 || ctx.args[0] != QLatin1String("import"))
        return kCtlUsage;
    ImportFile file;
    if (!file.load(ctx.args[1])) {
        ctx.err << "sources import: cannot read " << ctx.args[1] << "\n";
        return kCtlFailed;
    }
    if (!sheet.isEmpty() && !file.selectSheet(sheet)) {
        ctx.err << "sources import: " << ctx.args[1] << " has no sheet \"" << sheet << "\"\n";
        return kCtlFailed;
    }
    const PriceListReading reading = ReadPriceList(file, vendor, currency);
    if (!reading.error.isEmpty()) {
        ctx.err << "sources import: " << reading.error << "\n";
        return kCtlFailed;
    }
    ctx.out << PriceListSummaryText(reading);
    if (!reading.unknownParts.isEmpty() && !knownOnly) {
        ctx.err << "sources import: " << reading.unknownParts.size()
                << " parts are not in the shop; nothing stored (add them, or give --known-only)\n";
        return kCtlFailed;
    }
    if (dryRun)
        return kCtlOk;
    if (!SaveSources(reading.sources)) {
        ctx.err << LastErrorText() << "\n";
        return kCtlFailed;
    }
    ctx.out << "Sources Stored: " << reading.sources.size() << "\n";
    return kCtlOk;
}

} // namespace

void RegisterInterchangeCommands()
{
    RegisterImportBillReader();
    RegisterReportWorkbookWriter();
    RegisterCtlCommand({QStringLiteral("import"), QStringLiteral("import FILE [--assembly NAME] [--sheet NAME] [--map COLUMN=TARGET]... [--dry-run] [--replace [--bill DIGEST]] [--again]"), runImport});
    // The table export first: a second word that is no sub-command's is a table.
    RegisterCtlCommand({QStringLiteral("export"), QStringLiteral("export TABLE FILE [--assy NAME]"), runExport});
    RegisterCtlCommand({QStringLiteral("export"), QStringLiteral("export cart (PO FILE | --all FOLDER)"), runExportCart});
    RegisterCtlCommand({QStringLiteral("sources"),
                        QStringLiteral("sources import FILE [--vendor V] [--currency C] [--sheet NAME] [--dry-run] [--known-only]"),
                        runSourcesImport});
}
