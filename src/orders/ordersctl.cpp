// koltctl commands of the orders subsystem: process (and its dry run),
// complete, cancel, receive, po show, the stock check and repair, and the
// purchase-order and routing printouts.
#include "core/ctlcommands.h"
#include "core/dates.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/production.h"
#include "db/purchaseorders.h"
#include "db/requirements.h"
#include "db/stockledger.h"
#include "grid/stockcheck.h"
#include "orders/completion.h"
#include "orders/poprint.h"
#include "orders/purchaseorder.h"
#include "orders/receipt.h"
#include "orders/requirement.h"
#include "schedule/routingprint.h"
#include "schedule/schedule.h"

#include <QGuiApplication>
#include <QRegularExpression>

namespace {

bool requirementExists(const QString& order)
{
    return RequirementOnFile(order);
}

int needRequirement(CtlContext& ctx, const QString& order)
{
    if (requirementExists(order))
        return kCtlOk;
    ctx.err << "no such requirement: " << order << "\n";
    return kCtlFailed;
}

} // namespace

// Printing paints text, which needs the GUI side of Qt even without a screen.
bool CtlCanPaint(CtlContext& ctx)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    ctx.err << "printing needs koltctl to run with a QGuiApplication (QT_QPA_PLATFORM=offscreen)\n";
    return false;
}

void RegisterOrdersCommands()
{
    RegisterCtlCommand({QStringLiteral("process"),
                        QStringLiteral("process REQ --quantity Q [--assembly NAME] [--need-date YYYY-MM-DD] [--dry-run] [--use-alternates]"),
                        [](CtlContext& ctx) {
                            const bool dryRun = ctx.takeFlag(QStringLiteral("--dry-run"));
                            const bool useAlternates = ctx.takeFlag(QStringLiteral("--use-alternates"));
                            const QString quantityText = ctx.takeOption(QStringLiteral("--quantity"));
                            QString assembly = ctx.takeOption(QStringLiteral("--assembly"));
                            const QString needText = ctx.takeOption(QStringLiteral("--need-date"));
                            if (ctx.args.size() != 1 || quantityText.isEmpty())
                                return kCtlUsage;
                            const QString order = ctx.args[0];
                            if (const int code = needRequirement(ctx, order))
                                return code;
                            double quantity = 0;
                            QString error;
                            if (!ParseQuantity(quantityText, kMaxRequirementQuantity, &quantity, &error)) {
                                ctx.err << error << "\n";
                                return kCtlFailed;
                            }
                            QDate needDate;
                            if (!needText.isEmpty() && !CtlIsoDate(ctx, needText, &needDate))
                                return kCtlFailed;
                            if (assembly.isEmpty())
                                assembly = LoadRequirement(order).assembly;
                            assembly = UpperCaseAscii(assembly);
                            if (!needDate.isValid())
                                needDate = StoredDate(ReadRequirementBuild(order).needDate);
                            if (dryRun) {
                                const ProcessOutcome preview = PreviewProcess(order, quantity, assembly, useAlternates);
                                if (!preview.done)
                                    return kCtlFailed;
                                for (const QString& line : PreviewLines(preview.plan))
                                    ctx.out << line << "\n";
                                if (needDate.isValid()) {
                                    const int late = PreviewLateDays(assembly, quantity, needDate,
                                                                     QDateTime::currentDateTime());
                                    if (late > 0)
                                        ctx.out << IsoDate(needDate) << "\t" << LateText(late) << "\n";
                                }
                                for (const QString& warning : preview.plan.warnings)
                                    ctx.err << "warning: " << warning << "\n";
                                for (const QString& note : preview.plan.notes)
                                    ctx.err << note << "\n";
                                return kCtlOk;
                            }
                            // The need date is the requirement's own: it is kept
                            // like the quantity typed, and Process reads it.
                            if (needDate.isValid() && !SetRequirementNeedDate(order, IsoDate(needDate))) {
                                ctx.err << LastErrorText() << "\n";
                                return kCtlFailed;
                            }
                            const ProcessOutcome outcome = ProcessRequirement(order, quantity, assembly, {}, ProcessMode::Write, useAlternates);
                            if (!outcome.done)
                                return kCtlFailed;
                            ctx.out << Format("%i Purchase Orders Created under %s", {outcome.batch.count, order})
                                    << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("stock"),
                        QStringLiteral("stock check | stock repair [--yes] | stock adjust PART DELTA --reason TEXT"),
                        [](CtlContext& ctx) {
                            const bool yes = ctx.takeFlag(QStringLiteral("--yes")) || ctx.yes;
                            if (ctx.args.value(0) == QLatin1String("adjust")) {
                                const QString reason = ctx.takeOption(QStringLiteral("--reason"));
                                if (ctx.args.size() != 3 || reason.isEmpty())
                                    return kCtlUsage;
                                static const QRegularExpression number(
                                    QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
                                if (!number.match(ctx.args[2].trimmed()).hasMatch()) {
                                    ctx.err << "not a plain number: " << ctx.args[2] << "\n";
                                    return kCtlFailed;
                                }
                                return AdjustStock(ctx.args[1], ctx.args[2].trimmed().toDouble(), reason) ? kCtlOk
                                                                                                            : kCtlFailed;
                            }
                            if (ctx.args.size() != 1)
                                return kCtlUsage;
                            if (ctx.args[0] == QLatin1String("check")) {
                                bool ok = false;
                                const std::vector<StockDisagreement> found = CheckStockFigures(&ok);
                                if (!ok) {
                                    ctx.err << "the stock figures could not be read\n";
                                    return kCtlFailed;
                                }
                                for (const StockDisagreement& d : found)
                                    ctx.out << d.part << "\t" << d.figure << "\t" << PlainNumber(d.stored) << "\t"
                                            << PlainNumber(d.ledger) << "\n";
                                if (found.empty())
                                    ctx.out << "Stock figures agree\n";
                                return found.empty() ? kCtlOk : kCtlFailed;
                            }
                            if (ctx.args[0] != QLatin1String("repair"))
                                return kCtlUsage;
                            const int repaired = RepairStockFiguresAfterAsking(yes);
                            if (repaired == kRepairDeclined)
                                ctx.err << "nothing was repaired (answer with --yes)\n";
                            if (repaired < 0)
                                return kCtlFailed;
                            ctx.out << Format("%i stock figures repaired", {repaired}) << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("complete"), QStringLiteral("complete REQ [--quantity N]"), [](CtlContext& ctx) {
                            const QString quantityText = ctx.takeOption(QStringLiteral("--quantity"));
                            if (ctx.args.size() != 1)
                                return kCtlUsage;
                            if (const int code = needRequirement(ctx, ctx.args[0]))
                                return code;
                            double quantity = 0;
                            QString error;
                            if (!quantityText.isEmpty()
                                && !ParseQuantity(quantityText, kMaxRequirementQuantity, &quantity, &error)) {
                                ctx.err << error << "\n";
                                return kCtlFailed;
                            }
                            return CompleteOrder(ctx.args[0], quantity) ? kCtlOk : kCtlFailed;
                        }});
    RegisterCtlCommand({QStringLiteral("cancel"), QStringLiteral("cancel REQ"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 1)
                                return kCtlUsage;
                            if (const int code = needRequirement(ctx, ctx.args[0]))
                                return code;
                            return CancelOrder(ctx.args[0]) ? kCtlOk : kCtlFailed;
                        }});
    RegisterCtlCommand({QStringLiteral("receive"), QStringLiteral("receive PO [--part PART --quantity N]"), [](CtlContext& ctx) {
                            const QString part = ctx.takeOption(QStringLiteral("--part"));
                            const QString quantityText = ctx.takeOption(QStringLiteral("--quantity"));
                            if (ctx.args.size() != 1 || part.isEmpty() != quantityText.isEmpty())
                                return kCtlUsage;
                            if (!part.isEmpty()) {
                                double quantity = 0;
                                QString error;
                                if (!ParseQuantity(quantityText, kMaxLineQuantity, &quantity, &error)) {
                                    ctx.err << error << "\n";
                                    return kCtlFailed;
                                }
                                const ReceiptOutcome outcome = ReceivePurchaseOrderPart(ctx.args[0], part, quantity);
                                if (outcome == ReceiptOutcome::Declined)
                                    ctx.err << "nothing was received (answer with --yes)\n";
                                return outcome == ReceiptOutcome::Received ? kCtlOk : kCtlFailed;
                            }
                            const int answer = ReceivePurchaseOrder(ctx.args[0]);
                            return answer == 6 ? kCtlOk : kCtlFailed;
                        }});
    RegisterCtlCommand({QStringLiteral("po"), QStringLiteral("po show PO"), [](CtlContext& ctx) {
                            if (ctx.args.size() != 2 || ctx.args[0] != QLatin1String("show"))
                                return kCtlUsage;
                            const QString number = ctx.args[1];
                            if (!PurchaseOrderExists(number)) {
                                ctx.err << "no such purchase order: " << number << "\n";
                                return kCtlFailed;
                            }
                            const PurchaseOrderRecord record = LoadPurchaseOrder(number);
                            ctx.out << "PO_nBr\t" << number << "\n";
                            QStringList shown;
                            for (const QString& field : PurchaseOrderReadOrder()) {
                                if (field == QLatin1String("Item_List") || shown.contains(field))
                                    continue;
                                shown << field;
                                QString value = record.value(field);
                                value.replace(QLatin1Char('\t'), QLatin1Char(' '));
                                value.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
                                ctx.out << field << "\t" << value << "\n";
                            }
                            for (const ItemRow& row : ParseItemList(record.value(QStringLiteral("Item_List"))))
                                ctx.out << "ITEM\t" << row.join(QLatin1Char('\t')) << "\n";
                            return kCtlOk;
                        }});
    RegisterCtlCommand({QStringLiteral("po"), QStringLiteral("po lines [PART]"), [](CtlContext& ctx) {
                            if (ctx.args.isEmpty() || ctx.args[0] != QLatin1String("lines") || ctx.args.size() > 2)
                                return kCtlUsage;
                            bool ok = true;
                            const std::vector<OpenPurchaseLine> lines = ctx.args.size() == 2
                                                                            ? ReadPurchaseLinesOfPart(ctx.args[1], &ok)
                                                                            : ReadAllPurchaseLines(&ok);
                            if (!ok)
                                return kCtlFailed;
                            ctx.out << "PO_nBr\tLine\tPart_nBr\tOrdered\tReceived\tOpen\tLine_Status\tOrder_Status\n";
                            for (const OpenPurchaseLine& open : lines) {
                                const PurchaseLine& l = open.line;
                                // As the ledger counts it: nothing once the order is closed.
                                const double still = OpenLineQuantities(open.orderStatus, {l}).value(l.part);
                                ctx.out << l.number << "\t" << l.line << "\t" << l.part << "\t" << PlainNumber(l.ordered)
                                        << "\t" << PlainNumber(l.received) << "\t" << PlainNumber(still) << "\t"
                                        << l.status << "\t" << open.orderStatus << "\n";
                            }
                            return kCtlOk;
                        }});
    RegisterPrintCommand({QStringLiteral("po"), QStringLiteral("po PO --pdf FILE"), [](CtlContext& ctx) {
                            const QString file = ctx.takeOption(QStringLiteral("--pdf"));
                            if (ctx.args.size() != 1 || file.isEmpty())
                                return kCtlUsage;
                            if (!PurchaseOrderExists(ctx.args[0])) {
                                ctx.err << "no such purchase order: " << ctx.args[0] << "\n";
                                return kCtlFailed;
                            }
                            if (!CtlCanPaint(ctx))
                                return kCtlFailed;
                            // Printed all the same: the warning is for whoever sends it.
                            const QString unpriced = ZeroPriceWarning(
                                ParseItemList(LoadPurchaseOrder(ctx.args[0]).value(QStringLiteral("Item_List"))));
                            if (!unpriced.isEmpty())
                                ctx.err << unpriced << "\n";
                            return PrintPurchaseOrderPdf(ctx.args[0], file) ? kCtlOk : kCtlFailed;
                        }});
    RegisterPrintCommand({QStringLiteral("routing"), QStringLiteral("routing REQ --pdf FILE"),
                        [](CtlContext& ctx) {
                            const QString file = ctx.takeOption(QStringLiteral("--pdf"));
                            if (ctx.args.size() != 1 || file.isEmpty())
                                return kCtlUsage;
                            if (const int code = needRequirement(ctx, ctx.args[0]))
                                return code;
                            if (!CtlCanPaint(ctx))
                                return kCtlFailed;
                            return PrintRoutingPdf(ctx.args[0], file) ? kCtlOk : kCtlFailed;
                        }});
}
