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
