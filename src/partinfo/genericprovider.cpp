// The part service KOLT has always asked (tools/partservice stands in for
// it), as one more provider: its matches carry a part's maker, description
// and average price, but no distributor's offer.
#include "partinfo/partinfo.h"
#include "partinfo/partservice.h"
#include "partinfo/providerclients.h"

namespace {

class GenericProvider final : public PartProvider
{
public:
    explicit GenericProvider(const QMap<QString, QString>& values)
        : m_address(NormalizeServiceAddress(values.value(QStringLiteral("address"), PartServiceAddress())))
    {
    }

    QString name() const override { return QStringLiteral("generic"); }
    QString title() const override { return ProviderTitle(name()); }

    ProviderResult searchParts(const QStringList& mpns) override
    {
        ProviderResult result;
        for (const QString& mpn : mpns) {
            ProviderResult one = searchKeyword(mpn, kMaxPartMatches);
            if (!one.reached) {
                result.error = one.error;
                return result;
            }
            result.reached = true;
            bool found = false;
            for (Offer& offer : one.offers)
                if (offer.mpn.compare(mpn, Qt::CaseInsensitive) == 0) {
                    offer.mpn = mpn;
                    result.offers.push_back(offer);
                    found = true;
                }
            if (!found)
                result.notFound << mpn;
        }
        return result;
    }

    ProviderResult searchKeyword(const QString& keyword, int maxResults) override
    {
        ProviderResult result;
        bool reached = false;
        const std::vector<PartMatch> matches = SearchParts(m_address, keyword, &reached);
        result.reached = reached;
        if (!reached) {
            result.error = title() + QStringLiteral(": ") + m_address;
            return result;
        }
        for (const PartMatch& match : matches) {
            if (int(result.offers.size()) >= maxResults)
                break;
            Offer offer;
            offer.provider = name();
            offer.orderCode = match.uid;
            offer.mpn = match.fields[0];
            offer.description = match.fields[1];
            offer.manufacturer = match.fields[3];
            // "0.0021USD": the amount directly followed by its currency.
            const QString price = match.fields[2];
            if (price.size() > 3) {
                offer.currency = price.right(3);
                const double amount = ParsePriceText(price.chopped(3), offer.currency);
                if (amount >= 0)
                    offer.breaks.push_back({1, amount});
            }
            result.offers.push_back(offer);
        }
        return result;
    }

private:
    QString m_address;
};

} // namespace

std::unique_ptr<PartProvider> NewGenericProvider(const QMap<QString, QString>& values)
{
    return std::make_unique<GenericProvider>(values);
}
