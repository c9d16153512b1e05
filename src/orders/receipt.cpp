#include "orders/receipt.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/itemlist.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/stamps.h"
#include "db/purchaseorders.h"
#include "db/stockledger.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kLinePartial = QStringLiteral("Partial");
const QString kLineReceived = QStringLiteral("Received");

void tell(const QString& text)
{
    ShowMessage(text, Translate(QStringLiteral("Purchase Order")));
}

enum class Step
{
    Done,
    Excess, // more than the lines expect; nothing written
    Refused,
};

// One receipt under the write lock: the order is read and written inside it,
// so two desks receiving the same line count both receipts, not one.
Step receiveLines(const QString& number, const QString& part, double quantity, bool excessAllowed, double* open)
{
    Transaction transaction;
    const auto refuse = [&](const QString& text) {
        transaction.fail();
        transaction.commit();
        tell(text);
        return Step::Refused;
    };
    bool read = true;
    const PurchaseOrderState order = ReadPurchaseOrderState(number, &read);
    if (!read)
        return refuse(LastErrorText());
    if (!order.found)
        return refuse(TranslateLabel(QStringLiteral("No such purchase order:")) + QLatin1Char(' ') + number);
    if (PurchaseOrderClosed(order.status))
        return refuse(TranslateLabel(QStringLiteral("This purchase order has been received already:")) + QLatin1Char(' ')
                      + number);
    std::vector<ItemRow> rows = ParseItemList(order.items);
    std::vector<size_t> lines;
    *open = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][kItemPart] != part || rows[i][kItemStatus] == QLatin1String("Drop"))
            continue;
        lines.push_back(i);
        *open += ItemOpenQuantity(rows[i]);
    }
    if (lines.empty())
        return refuse(Format("%s %s %s", {number, Translate(QStringLiteral("has no line for")), part}));
    if (quantity > *open + 1e-9 && !excessAllowed) {
        transaction.fail();
        transaction.commit();
        return Step::Excess;
    }

    // Fill the lines in their order; what is left over lands on the last.
    double left = quantity;
    for (size_t k = 0; k < lines.size(); ++k) {
        ItemRow& row = rows[lines[k]];
        while (row.size() < kItemAllColumns)
            row << QString();
        const double take = k + 1 == lines.size() ? left : std::min(left, ItemOpenQuantity(row));
        if (take <= 0)
            continue;
        const double received = std::max(0.0, ItemQuantity(row[kItemReceived])) + take;
        row[kItemReceived] = PlainNumber(received);
        row[kItemStatus] = received + 1e-9 >= ItemQuantity(row[kItemQuantity]) ? kLineReceived : kLinePartial;
        left -= take;
    }
    const QString items = BuildItemList(rows);
    // On_Order falls by what the order had still to deliver of the part,
    // never by the excess: the ledger's own reading of the two lists.
    QHash<QString, double> delta = OpenQuantities(order.status, items);
    const QHash<QString, double> before = OpenQuantities(order.status, order.items);
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        delta[it.key()] -= it.value();
    bool done = WritePurchaseOrderFields(number, {{QStringLiteral("Item_List"), items}});
    done = StampRecord(QStringLiteral("PurcList"), QStringLiteral("PO_nBr"), number) && done;
    done = AddToPartFigure(QStringLiteral("On_Order"), delta) && done;
    done = AddToPartFigure(QStringLiteral("Stock"), {{part, quantity}}) && done;
    done = RecordStockMovements({{part, quantity, QStringLiteral("Receipt"), number, QString()}}) && done;
    if (!done)
        transaction.fail();
    const QString error = LastErrorText();
    if (!transaction.commit()) {
        tell(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
             + error);
        return Step::Refused;
    }
    return Step::Done;
}

} // namespace

ReceiptOutcome ReceivePurchaseOrderPart(const QString& number, const QString& part, double quantity)
{
    if (!(quantity > 0) || quantity > kMaxLineQuantity || quantity != std::floor(quantity)) {
        tell(TranslateLabel(QStringLiteral("The quantity received must be a whole number above 0:")) + QLatin1Char(' ')
             + PlainNumber(quantity));
        return ReceiptOutcome::Refused;
    }
    double open = 0;
    Step step = receiveLines(number, part, quantity, false, &open);
    if (step == Step::Excess) {
        // The question is asked with no lock held; the receipt then reads afresh.
        const QString question = TranslateLabel(QStringLiteral("Receive more than ordered?")) + QLatin1Char(' ')
                                 + PlainNumber(quantity) + QStringLiteral(" / ") + PlainNumber(open);
        if (ShowMessage(question, Translate(QStringLiteral("Purchase Order")), kButtonsYesNo) != kAnswerYes)
            return ReceiptOutcome::Declined;
        step = receiveLines(number, part, quantity, true, &open);
    }
    return step == Step::Done ? ReceiptOutcome::Received : ReceiptOutcome::Refused;
}

bool AdjustStock(const QString& part, double delta, const QString& reason)
{
    const auto refuse = [](const QString& text) {
        ShowMessage(text, Translate(QStringLiteral("Stock")));
        return false;
    };
    if (!std::isfinite(delta) || delta == 0 || std::fabs(delta) > kMaxLineQuantity)
        return refuse(TranslateLabel(QStringLiteral("The adjustment must be a number other than 0:")) + QLatin1Char(' ')
                      + PlainNumber(delta));
    if (reason.trimmed().isEmpty())
        return refuse(Translate(QStringLiteral("An adjustment needs a reason.")));
    Transaction transaction;
    bool read = true;
    const QHash<QString, PartFigures> stored = ReadPartFigures({part}, &read);
    if (!read || !stored.contains(part)) {
        transaction.fail();
        transaction.commit();
        return refuse(TranslateLabel(QStringLiteral("No such part:")) + QLatin1Char(' ') + part);
    }
    const double stock = stored.value(part).stock;
    if (stock + delta < -1e-9) {
        transaction.fail();
        transaction.commit();
        return refuse(TranslateLabel(QStringLiteral("Stock would fall below 0:")) + QLatin1Char(' ') + part + QLatin1Char(' ')
                      + PlainNumber(stock) + QStringLiteral(" + ") + PlainNumber(delta));
    }
    bool done = AddToPartFigure(QStringLiteral("Stock"), {{part, delta}});
    done = RecordStockMovements({{part, delta, QStringLiteral("Adjustment"), QString(), reason.trimmed()}}) && done;
    if (!done)
        transaction.fail();
    const QString error = LastErrorText();
    if (!transaction.commit())
        return refuse(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                      + error);
    return true;
}
