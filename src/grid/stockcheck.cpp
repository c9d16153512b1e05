#include "grid/stockcheck.h"

#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/database.h"
#include "db/stockledger.h"

namespace {

constexpr int kListedInQuestion = 20;

QString questionText(const std::vector<StockDisagreement>& found)
{
    const int count = static_cast<int>(found.size());
    QString text = TranslateLabel(QStringLiteral("Stock figures that disagree with the allocations and purchase orders:"))
                   + Format(" %i", {count});
    for (int i = 0; i < count && i < kListedInQuestion; ++i) {
        const StockDisagreement& d = found[static_cast<size_t>(i)];
        text += Format("\n%s  %s  %s -> %s", {d.part, Translate(QString(d.figure).replace(u'_', u' ')),
                                                PlainNumber(d.stored), PlainNumber(d.ledger)});
    }
    if (count > kListedInQuestion)
        text += Format("\n... %i %s", {count - kListedInQuestion, Translate(QStringLiteral("more"))});
    return text + QLatin1Char('\n')
           + Translate(QStringLiteral("Write the figures of the allocations and purchase orders?"));
}

} // namespace

void MarkStockDisagreements(const QueryResult& result, std::vector<unsigned>& words)
{
    const int part = FindColumn(result, QStringLiteral("Part"));
    const int allocated = FindColumn(result, QStringLiteral("Allocated"));
    int onOrder = FindColumn(result, QStringLiteral("On Order"));
    if (onOrder < 0)
        onOrder = FindColumn(result, QStringLiteral("On_Order"));
    if (part < 0 || (allocated < 0 && onOrder < 0))
        return;
    bool ok = false;
    const QHash<QString, LedgerFigures> ledger = ComputeStockLedger(&ok);
    if (!ok)
        return; // an unreadable ledger marks nothing; the read reported itself
    for (int r = 0; r < result.rowCount && r < static_cast<int>(words.size()); ++r) {
        const LedgerFigures figures = ledger.value(result.cell(r, part));
        if ((allocated >= 0 && !FiguresAgree(TextToDouble(result.cell(r, allocated)), figures.allocated))
            || (onOrder >= 0 && !FiguresAgree(TextToDouble(result.cell(r, onOrder)), figures.onOrder)))
            words[static_cast<size_t>(r)] |= kErrStockFigures;
    }
}

QString StockFiguresText(unsigned word)
{
    if (!(word & kErrStockFigures))
        return {};
    return Translate(QStringLiteral("Stock Figures Disagree with Allocations and Purchase Orders")) + QLatin1Char('\n');
}

int RepairStockFiguresAfterAsking(bool confirmed)
{
    bool ok = false;
    const std::vector<StockDisagreement> found = CheckStockFigures(&ok);
    if (!ok)
        return kRepairRefused;
    if (found.empty()) {
        ShowMessage(Translate(QStringLiteral("Stock figures agree")));
        return 0;
    }
    if (!confirmed
        && ShowMessage(questionText(found), Translate(QStringLiteral("Stock Figures")), kButtonsYesNo) != kAnswerYes)
        return kRepairDeclined;
    const int written = RepairStockFigures();
    if (written < 0) {
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:")) + QLatin1Char('\n')
                        + LastErrorText(),
                    QStringLiteral("Database Status"));
        return kRepairRefused;
    }
    return written;
}

bool OfferStockRepair()
{
    bool ok = false;
    if (CheckStockFigures(&ok).empty())
        return false;
    return RepairStockFiguresAfterAsking() > 0;
}
