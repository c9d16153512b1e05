#include "partinfo/offerstable.h"

#include "core/dictionary.h"
#include "partinfo/providers.h"

#include <QHeaderView>

namespace {

QString breaksText(const Offer& offer)
{
    QStringList parts;
    for (const OfferBreak& b : offer.breaks)
        parts << QString::number(b.quantity, 'g', 12) + QStringLiteral(" × ") + QString::number(b.unitPrice, 'g', 6);
    return parts.join(QStringLiteral(", "));
}

} // namespace

COffersTable::COffersTable(QWidget* parent)
    : QTableWidget(parent)
{
    const QStringList headings{Translate(QStringLiteral("Provider")),   Translate(QStringLiteral("Distributor")),
                               Translate(QStringLiteral("Order Code")), Translate(QStringLiteral("Stock")),
                               Translate(QStringLiteral("Min. Order")), Translate(QStringLiteral("Multiple")),
                               Translate(QStringLiteral("Currency")),   Translate(QStringLiteral("Price Breaks"))};
    setColumnCount(int(headings.size()));
    setHorizontalHeaderLabels(headings);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
}

QStringList COffersTable::fill(const QString& partNumber)
{
    std::vector<Offer> offers;
    QStringList problems;
    for (const QString& name : ProviderNames()) {
        if (name == QLatin1String("generic") || !ProviderConfigured(name) || partNumber.trimmed().isEmpty())
            continue;
        std::unique_ptr<PartProvider> provider = MakeProvider(name);
        const ProviderResult result = FindOffers(*provider, {partNumber.trimmed()});
        if (!result.error.isEmpty())
            problems << result.error;
        offers.insert(offers.end(), result.offers.begin(), result.offers.end());
    }
    show(offers);
    return problems;
}

void COffersTable::show(const std::vector<Offer>& offers)
{
    m_offers = offers;
    clearContents();
    setRowCount(int(offers.size()));
    for (int r = 0; r < int(offers.size()); ++r) {
        const Offer& o = offers[static_cast<size_t>(r)];
        const QStringList cells{ProviderTitle(o.provider),
                                o.distributor,
                                o.orderCode,
                                o.stock >= 0 ? QString::number(o.stock) : Translate(o.stockText),
                                o.minimumOrder > 0 ? QString::number(o.minimumOrder) : QString(),
                                o.multiple > 0 ? QString::number(o.multiple) : QString(),
                                o.currency,
                                breaksText(o)};
        for (int c = 0; c < int(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            setItem(r, c, item);
        }
    }
    resizeColumnsToContents();
}

const Offer* COffersTable::selectedOffer() const
{
    const int row = currentRow();
    if (row < 0 || row >= int(m_offers.size()) || selectedItems().isEmpty())
        return nullptr;
    return &m_offers[static_cast<size_t>(row)];
}
