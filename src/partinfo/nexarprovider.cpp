// Nexar, Octopart's successor: an OAuth2 client-credentials token for the
// supply scope and one GraphQL query that matches many part numbers at once
// (supMultiMatch), every seller's offers with their prices in the currency
// and country asked for.
#include "core/dictionary.h"
#include "partinfo/providerclients.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kQueriesPerRequest = 20;

const char kMatchQuery[] =
    "query KoltMatch($queries: [SupPartMatchQuery!]!, $country: String!, $currency: String!) {"
    " supMultiMatch(queries: $queries, country: $country, currency: $currency) {"
    "  reference hits"
    "  parts { mpn manufacturer { name } shortDescription bestDatasheet { url } octopartUrl"
    "   sellers { company { name } offers { sku inventoryLevel moq orderMultiple packaging"
    "    factoryLeadDays clickUrl prices { quantity price currency } } } } } }";

const char kSearchQuery[] =
    "query KoltSearch($q: String!, $start: Int!, $limit: Int!, $country: String!, $currency: String!) {"
    " supSearch(q: $q, start: $start, limit: $limit, country: $country, currency: $currency) {"
    "  hits results { part { mpn manufacturer { name } shortDescription bestDatasheet { url } octopartUrl"
    "   sellers { company { name } offers { sku inventoryLevel moq orderMultiple packaging"
    "    factoryLeadDays clickUrl prices { quantity price currency } } } } } } }";

void addPartOffers(const QJsonObject& part, const QString& currency, std::vector<Offer>& offers)
{
    Offer base;
    base.provider = QStringLiteral("nexar");
    base.mpn = part.value(QStringLiteral("mpn")).toString();
    base.manufacturer = part.value(QStringLiteral("manufacturer")).toObject().value(QStringLiteral("name")).toString();
    base.description = part.value(QStringLiteral("shortDescription")).toString();
    base.datasheetUrl = part.value(QStringLiteral("bestDatasheet")).toObject().value(QStringLiteral("url")).toString();
    base.productUrl = part.value(QStringLiteral("octopartUrl")).toString();
    for (const QJsonValue& s : part.value(QStringLiteral("sellers")).toArray()) {
        const QJsonObject seller = s.toObject();
        const QString company = seller.value(QStringLiteral("company")).toObject().value(QStringLiteral("name")).toString();
        for (const QJsonValue& o : seller.value(QStringLiteral("offers")).toArray()) {
            const QJsonObject source = o.toObject();
            Offer offer = base;
            offer.distributor = company;
            offer.orderCode = source.value(QStringLiteral("sku")).toString();
            const QJsonValue level = source.value(QStringLiteral("inventoryLevel"));
            offer.stock = level.isDouble() ? static_cast<long long>(level.toDouble()) : -3;
            offer.stockText = StockCodeText(offer.stock);
            if (offer.stock < 0)
                offer.stock = -1;
            offer.minimumOrder = source.value(QStringLiteral("moq")).toInt();
            offer.multiple = source.value(QStringLiteral("orderMultiple")).toInt();
            offer.leadDays = source.value(QStringLiteral("factoryLeadDays")).isDouble()
                                 ? source.value(QStringLiteral("factoryLeadDays")).toInt()
                                 : -1;
            if (offer.productUrl.isEmpty())
                offer.productUrl = source.value(QStringLiteral("clickUrl")).toString();
            // Prices may come in several currencies; the one asked for first.
            const QJsonArray prices = source.value(QStringLiteral("prices")).toArray();
            for (const QJsonValue& p : prices)
                if (p.toObject().value(QStringLiteral("currency")).toString() == currency)
                    offer.currency = currency;
            if (offer.currency.isEmpty() && !prices.isEmpty())
                offer.currency = prices.first().toObject().value(QStringLiteral("currency")).toString();
            for (const QJsonValue& p : prices) {
                const QJsonObject price = p.toObject();
                if (price.value(QStringLiteral("currency")).toString() == offer.currency)
                    offer.breaks.push_back({price.value(QStringLiteral("quantity")).toDouble(),
                                            price.value(QStringLiteral("price")).toDouble()});
            }
            NormaliseBreaks(offer.breaks);
            offers.push_back(offer);
        }
    }
}

class NexarProvider final : public PartProvider
{
public:
    explicit NexarProvider(const QMap<QString, QString>& values)
        : m_values(values), m_token(QString(), QString(), QString())
    {
        const QString address = values.value(QStringLiteral("address"));
        QString api = address.isEmpty() ? ProviderDefaultAddress(QStringLiteral("nexar")) : address;
        while (api.endsWith(QLatin1Char('/')))
            api.chop(1);
        m_graphql = api + QStringLiteral("/graphql");
        // The identity service has an address of its own; an override serves both.
        const QString identity = address.isEmpty() ? QStringLiteral("https://identity.nexar.com") : api;
        m_token = OAuthToken(identity + QStringLiteral("/connect/token"), values.value(QStringLiteral("client-id")),
                             values.value(QStringLiteral("client-secret")), QStringLiteral("supply.domain"));
        m_currency = values.value(QStringLiteral("currency"), QStringLiteral("USD"));
        m_country = values.value(QStringLiteral("country"), QStringLiteral("US"));
    }

    QString name() const override { return QStringLiteral("nexar"); }
    QString title() const override { return QStringLiteral("Nexar"); }

    ProviderResult searchParts(const QStringList& mpns) override
    {
        ProviderResult result;
        for (qsizetype first = 0; first < mpns.size(); first += kQueriesPerRequest) {
            const QStringList group = mpns.mid(first, kQueriesPerRequest);
            QJsonArray queries;
            for (qsizetype i = 0; i < group.size(); ++i)
                queries.append(QJsonObject{{QStringLiteral("mpn"), group[i]},
                                           {QStringLiteral("reference"), QString::number(i)},
                                           {QStringLiteral("limit"), 3}});
            const QJsonObject variables{{QStringLiteral("queries"), queries},
                                        {QStringLiteral("country"), m_country},
                                        {QStringLiteral("currency"), m_currency}};
            QJsonObject data;
            ProviderResult page = query(QString::fromLatin1(kMatchQuery), variables, &data);
            if (!page.reached) {
                result.error = page.error;
                result.limitReached = page.limitReached;
                return result;
            }
            result.reached = true;
            const QJsonArray matches = data.value(QStringLiteral("supMultiMatch")).toArray();
            for (qsizetype i = 0; i < group.size(); ++i) {
                // Answers carry the reference they were asked with; without
                // it, they come in the order of the queries.
                QJsonObject match;
                for (const QJsonValue& m : matches)
                    if (m.toObject().value(QStringLiteral("reference")).toString() == QString::number(i))
                        match = m.toObject();
                if (match.isEmpty() && i < matches.size())
                    match = matches.at(i).toObject();
                std::vector<Offer> offers;
                for (const QJsonValue& part : match.value(QStringLiteral("parts")).toArray())
                    if (part.toObject().value(QStringLiteral("mpn")).toString().compare(group[i], Qt::CaseInsensitive) == 0)
                        addPartOffers(part.toObject(), m_currency, offers);
                if (offers.empty())
                    result.notFound << group[i];
                for (Offer& offer : offers) {
                    offer.mpn = group[i];
                    result.offers.push_back(offer);
                }
            }
        }
        return result;
    }

    ProviderResult searchKeyword(const QString& keyword, int maxResults) override
    {
        ProviderResult result;
        constexpr int kPage = 20;
        for (int start = 0; start < maxResults; start += kPage) {
            const QJsonObject variables{{QStringLiteral("q"), keyword},
                                        {QStringLiteral("start"), start},
                                        {QStringLiteral("limit"), std::min(kPage, maxResults - start)},
                                        {QStringLiteral("country"), m_country},
                                        {QStringLiteral("currency"), m_currency}};
            QJsonObject data;
            ProviderResult page = query(QString::fromLatin1(kSearchQuery), variables, &data);
            if (!page.reached) {
                result.error = page.error;
                result.limitReached = page.limitReached;
                return result;
            }
            result.reached = true;
            const QJsonObject search = data.value(QStringLiteral("supSearch")).toObject();
            const QJsonArray results = search.value(QStringLiteral("results")).toArray();
            for (const QJsonValue& r : results)
                addPartOffers(r.toObject().value(QStringLiteral("part")).toObject(), m_currency, result.offers);
            if (results.size() < kPage || start + kPage >= search.value(QStringLiteral("hits")).toInt())
                break;
        }
        return result;
    }

private:
    ProviderResult query(const QString& text, const QJsonObject& variables, QJsonObject* data)
    {
        ProviderResult result;
        if (m_values.value(QStringLiteral("client-id")).isEmpty()
            || m_values.value(QStringLiteral("client-secret")).isEmpty()) {
            result.error = QStringLiteral("Nexar: ") + Translate(QStringLiteral("no client id and secret are set"));
            return result;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            QString error;
            const QString token = m_token.token(&error);
            if (token.isEmpty()) {
                result.error = QStringLiteral("Nexar ") + error;
                return result;
            }
            HttpRequest request;
            request.method = "POST";
            request.url = m_graphql;
            request.headers = {{"Content-Type", "application/json"},
                               {"Accept", "application/json"},
                               {"Authorization", "Bearer " + token.toUtf8()}};
            request.body = QJsonDocument(QJsonObject{{QStringLiteral("query"), text},
                                                     {QStringLiteral("variables"), variables}})
                               .toJson(QJsonDocument::Compact);
            const HttpAnswer answer = HttpExchange(request);
            if (answer.outcome != HttpAnswer::Done) {
                result.error = ExchangeFailure(title(), answer, QString());
                return result;
            }
            if (answer.status == 401 && attempt == 0) {
                m_token.forget();
                continue;
            }
            result = ReadNexarAnswer(answer.body, answer.status, m_currency);
            if (result.reached && data)
                *data = QJsonDocument::fromJson(answer.body).object().value(QStringLiteral("data")).toObject();
            return result;
        }
        return result;
    }

    QMap<QString, QString> m_values;
    QString m_graphql;
    OAuthToken m_token;
    QString m_currency;
    QString m_country;
};

} // namespace

ProviderResult ReadNexarAnswer(const QByteArray& body, int httpStatus, const QString& currency)
{
    ProviderResult result;
    QJsonParseError parse;
    const QJsonObject root = QJsonDocument::fromJson(body, &parse).object();
    QString said;
    for (const QJsonValue& e : root.value(QStringLiteral("errors")).toArray())
        said += (said.isEmpty() ? QString() : QStringLiteral("; ")) + e.toObject().value(QStringLiteral("message")).toString();
    if (httpStatus == 429 || said.contains(QLatin1String("rate limit"), Qt::CaseInsensitive)
        || said.contains(QLatin1String("quota"), Qt::CaseInsensitive)) {
        result.limitReached = true;
        result.error = QStringLiteral("Nexar: ") + Translate(QStringLiteral("the request limit is reached; try again later"))
                       + (said.isEmpty() ? QString() : QStringLiteral(" (") + said + QLatin1Char(')'));
        return result;
    }
    const QJsonObject data = root.value(QStringLiteral("data")).toObject();
    if (httpStatus < 200 || httpStatus >= 300 || parse.error != QJsonParseError::NoError || data.isEmpty()
        || !said.isEmpty()) {
        if (said.isEmpty() && httpStatus >= 200 && httpStatus < 300)
            said = Translate(QStringLiteral("the answer could not be read"));
        HttpAnswer answer;
        answer.outcome = HttpAnswer::Done;
        answer.status = httpStatus;
        result.error = ExchangeFailure(QStringLiteral("Nexar"), answer, said);
        return result;
    }
    result.reached = true;
    for (const QJsonValue& m : data.value(QStringLiteral("supMultiMatch")).toArray())
        for (const QJsonValue& part : m.toObject().value(QStringLiteral("parts")).toArray())
            addPartOffers(part.toObject(), currency, result.offers);
    return result;
}

std::unique_ptr<PartProvider> NewNexarProvider(const QMap<QString, QString>& values)
{
    return std::make_unique<NexarProvider>(values);
}
