// koltctl commands of the bill of materials: the reports, adding an assembly
// and the printed bill and tree.
#include "bom/assemblyindex.h"
#include "bom/bomdiffprint.h"
#include "bom/bomreport.h"
#include "bom/engineeringctl.h"
#include "bom/newassembly.h"
#include "bom/reporttable.h"
#include "bom/rollup.h"
#include "bom/treelayout.h"
#include "bom/treepaint.h"
#include "core/savedfile.h"
#include "core/ctlcommands.h"
#include "core/quantity.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>

namespace {

bool canPaint(CtlContext& ctx)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    ctx.err << "print: fonts need a GUI application instance\n";
    return false;
}

void preparePdf(QPdfWriter& pdf)
{
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::Letter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setCreator(QStringLiteral("KOLT"));
}

int reportCommand(CtlContext& ctx)
{
    if (const int code = RunBomRevisionCommand(ctx); code >= 0)
        return code;
    const QString workbook = ctx.takeOption(QStringLiteral("--xlsx"));
    const QString kind = ctx.args.value(0);
    if (ctx.args.size() != 2 || (kind != QLatin1String("indented") && kind != QLatin1String("flat")))
        return kCtlUsage;
    LoadAssemblyIndex();
    BomReport report;
    ReportColumnChoice all;
    all.fill(true);
    if (!report.produce(ctx.args[1], kind == QLatin1String("flat") ? kFlatBom : kIndentedBom, all))
        return kCtlFailed;
    // The report as its window exports it, every column shown.
    if (!workbook.isEmpty()) {
        if (report.lines.empty()) {
            ctx.err << "bom: " << ctx.args[1] << " has no bill of materials\n";
            return kCtlFailed;
        }
        if (!WriteReportWorkbook(workbook, report.assembly, MakeReportTable(report)))
            return kCtlFailed;
        ctx.out << workbook << ": " << report.lines.size() << " lines\n";
        return report.cycles.isEmpty() ? kCtlOk : kCtlFailed;
    }
    const int part = BomColumn(report.result, QStringLiteral("Part"));
    const int quan = BomColumn(report.result, QStringLiteral("Quan"));
    const int item = BomColumn(report.result, QStringLiteral("Item"));
    for (const ReportLine& line : report.lines) {
        const QString partText = part >= 0 ? report.result.cell(line.row, part) : QString();
        if (report.mode == kFlatBom)
            ctx.out << partText << '\t' << line.number << '\n';
        else
            ctx.out << line.number << '\t' << (item >= 0 ? report.result.cell(line.row, item) : QString()) << '\t'
                    << partText << '\t' << (quan >= 0 ? report.result.cell(line.row, quan) : QString()) << '\n';
    }
    return report.cycles.isEmpty() ? kCtlOk : kCtlFailed;
}

int printBom(CtlContext& ctx)
{
    const QString file = ctx.takeOption(QStringLiteral("--pdf"));
    const bool flat = ctx.takeFlag(QStringLiteral("--flat"));
    const bool indented = ctx.takeFlag(QStringLiteral("--indented"));
    if (file.isEmpty() || ctx.args.size() != 1 || flat == indented)
        return kCtlUsage;
    if (!canPaint(ctx))
        return kCtlFailed;
    LoadAssemblyIndex();
    BomReport report;
    ReportColumnChoice all;
    all.fill(true);
    if (!report.produce(ctx.args[0], flat ? kFlatBom : kIndentedBom, all) || report.lines.empty()) {
        ctx.err << "print bom: " << ctx.args[0] << " has no bill of materials\n";
        return kCtlFailed;
    }
    int pages = 0;
    QString error;
    if (!WriteSavedPdf(file,
                       [&](QPdfWriter& pdf) {
                           preparePdf(pdf);
                           pdf.setTitle(QStringLiteral("KOLT BOM"));
                           pages = PrintBomReport(report, pdf);
                           return pages > 0;
                       },
                       &error)) {
        ctx.err << "print bom: could not write " << file << ": " << error << "\n";
        return kCtlFailed;
    }
    ctx.out << file << ": " << pages << (pages == 1 ? " page" : " pages") << "\n";
    return kCtlOk;
}

int printTree(CtlContext& ctx)
{
    const QString file = ctx.takeOption(QStringLiteral("--pdf"));
    if (file.isEmpty() || ctx.args.size() > 1)
        return kCtlUsage;
    if (!canPaint(ctx))
        return kCtlFailed;
    LoadAssemblyIndex();
    TreeLayout layout;
    layout.selectedAssembly = ctx.args.value(0);
    bool any = false;
    QString error;
    if (!WriteSavedPdf(file,
                       [&](QPdfWriter& pdf) {
                           preparePdf(pdf);
                           pdf.setTitle(QStringLiteral("KOLT BOM Tree"));
                           any = PrintAssemblyTree(layout, pdf);
                           return any;
                       },
                       &error)) {
        ctx.err << (any ? "print tree: could not write " + file + ": " + error : QStringLiteral("print tree: nothing to print"))
                << "\n";
        return kCtlFailed;
    }
    ctx.out << file << ": " << layout.nodes.size() << " boxes\n";
    return kCtlOk;
}

int printDiff(CtlContext& ctx)
{
    const QString file = ctx.takeOption(QStringLiteral("--pdf"));
    if (file.isEmpty() || ctx.args.size() != 2)
        return kCtlUsage;
    if (!canPaint(ctx))
        return kCtlFailed;
    std::vector<BillLine> before;
    std::vector<BillLine> after;
    QString beforeLabel;
    QString afterLabel;
    QString error;
    if (!LoadBomSide(ctx.args[0], before, &beforeLabel, &error)
        || !LoadBomSide(ctx.args[1], after, &afterLabel, &error)) {
        ctx.err << "print diff: " << error << "\n";
        return kCtlFailed;
    }
    QPdfWriter pdf(file);
    preparePdf(pdf);
    pdf.setTitle(QStringLiteral("KOLT BOM Comparison"));
    const int pages = PrintBomComparison(beforeLabel, afterLabel, DiffBills(before, after), pdf);
    if (pages == 0) {
        ctx.err << "print diff: could not write " << file << "\n";
        return kCtlFailed;
    }
    ctx.out << file << ": " << pages << (pages == 1 ? " page" : " pages") << "\n";
    return kCtlOk;
}

} // namespace

void RegisterBomCommands()
{
    RegisterCtlCommand({QStringLiteral("bom"),
                        QStringLiteral("bom (indented|flat) ASSY [--xlsx FILE] | bom revise ASSY [--note TEXT] | bom history ASSY | "
                                       "bom diff A B"),
                        reportCommand});
    RegisterEngineeringCommands();
    RegisterCtlCommand({QStringLiteral("add-assy"), QStringLiteral("add-assy NAME ROWS"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2)
                                return kCtlUsage;
                            return AddAssembly(ctx.args[0], ctx.args[1]) == AddAssemblyResult::Added ? kCtlOk
                                                                                                   : kCtlFailed;
                        }});
    RegisterCtlCommand({QStringLiteral("rollup"), QStringLiteral("rollup [--quantity N]"), [](CtlContext& ctx) {
                            const QString quantityText = ctx.takeOption(QStringLiteral("--quantity"));
                            if (!ctx.args.isEmpty())
                                return kCtlUsage;
                            double builds = 0;
                            if (!quantityText.isEmpty()) {
                                QString error;
                                if (!ParseQuantity(quantityText, kMaxRequirementQuantity, &builds, &error)) {
                                    ctx.err << error << "\n";
                                    return kCtlFailed;
                                }
                            }
                            const int count = RunCostRollup(builds);
                            if (count < 0)
                                return kCtlFailed;
                            ctx.out << "Assemblies: " << count << "\n";
                            return kCtlOk;
                        }});
    RegisterPrintCommand({QStringLiteral("bom"), QStringLiteral("bom ASSY (--indented|--flat) --pdf FILE"), printBom});
    RegisterPrintCommand({QStringLiteral("tree"), QStringLiteral("tree [ASSY] --pdf FILE"), printTree});
    RegisterPrintCommand({QStringLiteral("diff"), QStringLiteral("diff A B --pdf FILE"), printDiff});
}
