// Mouser's Search API v1: an API key in the query, search by part number
// (up to ten numbers joined by "|" per request) and by keyword, prices as
// people read them ("$0.10", "0,10 €") with the currency beside them.
#include "core/dictionary.h"
#include "partinfo/providerclients.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

namespace {

constexpr int kNumbersPerRequest = 10;
constexpr int kRecordsPerPage = 50;

int leadDays(const QString& text)
{
    // "84 Days", "12 Weeks"
    const QStringList words = text.simplified().split(QLatin1Char(' '));
    const int count = words.value(0).toInt();
    if (count <= 0)
        return -1;
    return words.value(1).startsWith(QLatin1String("Week"), Qt::CaseInsensitive) ? count * 7 : count;
}

long long stockOf(const QJsonObject& part)
{
    const QString inStock = part.value(QStringLiteral("AvailabilityInStock")).toString();
    if (!inStock.isEmpty())
        return inStock.toLongLong();
    // "1,234 In Stock"
    QString digits;
    for (const QChar c : part.value(QStringLiteral("Availability")).toString()) {
        if (c.isDigit())
            digits += c;
        else if (c != QLatin1Char(',') && c != QLatin1Char('.') && !digits.isEmpty())
            break;
    }
    return digits.isEmpty() ? 0 : digits.toLongLong();
}

Offer offerOf(const QJsonObject& part)
{
    Offer offer;
    offer.provider = QStringLiteral("mouser");
    offer.distributor = QStringLiteral("Mouser");
    offer.orderCode = part.value(QStringLiteral("MouserPartNumber")).toString();
    offer.mpn = part.value(QStringLiteral("ManufacturerPartNumber")).toString();
    offer.manufacturer = part.value(QStringLiteral("Manufacturer")).toString();
    offer.description = part.value(QStringLiteral("Description")).toString();
    offer.stock = stockOf(part);
    offer.minimumOrder = part.value(QStringLiteral("Min")).toString().toInt();
    offer.multiple = part.value(QStringLiteral("Mult")).toString().toInt();
    offer.leadDays = leadDays(part.value(QStringLiteral("LeadTime")).toString());
    offer.lifecycle = part.value(QStringLiteral("LifecycleStatus")).toString();
    offer.datasheetUrl = part.value(QStringLiteral("DataSheetUrl")).toString();
    offer.productUrl = part.value(QStringLiteral("ProductDetailUrl")).toString();
    for (const QJsonValue& value : part.value(QStringLiteral("PriceBreaks")).toArray()) {
        const QJsonObject b = value.toObject();
        const QString currency = b.value(QStringLiteral("Currency")).toString();
        if (offer.currency.isEmpty())
            offer.currency = currency;
        if (currency != offer.currency)
            continue;
        const double price = ParsePriceText(b.value(QStringLiteral("Price")).toString(), currency);
        if (price >= 0)
            offer.breaks.push_back({b.value(QStringLiteral("Quantity")).toDouble(), price});
    }
    NormaliseBreaks(offer.breaks);
    return offer;
}

class MouserProvider final : public PartProvider
{
public:
    explicit MouserProvider(const QMap<QString, QString>& values)
        : m_key(values.value(QStringLiteral("key"))),
          m_address(values.value(QStringLiteral("address"), ProviderDefaultAddress(QStringLiteral("mouser"))))
    {
        while (m_address.endsWith(QLatin1Char('/')))
            m_address.chop(1);
    }

    QString name() const override { return QStringLiteral("mouser"); }
    QString title() const override { return QStringLiteral("Mouser"); }

    ProviderResult searchParts(const QStringList& mpns) override
    {
        ProviderResult result;
        for (qsizetype first = 0; first < mpns.size(); first += kNumbersPerRequest) {
            const QStringList group = mpns.mid(first, kNumbersPerRequest);
            const QJsonObject body{{QStringLiteral("SearchByPartRequest"),
                                    QJsonObject{{QStringLiteral("mouserPartNumber"), group.join(QLatin1Char('|'))},
                                                {QStringLiteral("partSearchOptions"), QStringLiteral("Exact")}}}};
            ProviderResult part = post(QStringLiteral("/api/v1/search/partnumber"), body);
            if (!part.reached) {
                result.error = part.error;
                result.limitReached = part.limitReached;
                // Those not asked yet stay unanswered, not "not found".
                return result;
            }
            result.reached = true;
            for (const QString& mpn : group) {
                bool found = false;
                for (const Offer& offer : part.offers)
                    if (offer.mpn.compare(mpn, Qt::CaseInsensitive) == 0
                        || offer.orderCode.compare(mpn, Qt::CaseInsensitive) == 0)
                        found = true;
                if (!found)
                    result.notFound << mpn;
            }
            for (Offer& offer : part.offers) {
                // The offer belongs to the number it was asked for, as asked.
                for (const QString& mpn : group)
                    if (offer.mpn.compare(mpn, Qt::CaseInsensitive) == 0)
                        offer.mpn = mpn;
                result.offers.push_back(offer);
            }
        }
        return result;
    }

    ProviderResult searchKeyword(const QString& keyword, int maxResults) override
    {
        ProviderResult result;
        for (int start = 0; start < maxResults; start += kRecordsPerPage) {
            const QJsonObject body{
                {QStringLiteral("SearchByKeywordRequest"),
                 QJsonObject{{QStringLiteral("keyword"), keyword},
                             {QStringLiteral("records"), std::min(kRecordsPerPage, maxResults - start)},
                             {QStringLiteral("startingRecord"), start},
                             {QStringLiteral("searchOptions"), QString()},
                             {QStringLiteral("searchWithYourSignUpLanguage"), QString()}}}};
            ProviderResult page = post(QStringLiteral("/api/v1/search/keyword"), body);
            if (!page.reached) {
                result.error = page.error;
                result.limitReached = page.limitReached;
                return result;
            }
            result.reached = true;
            result.offers.insert(result.offers.end(), page.offers.begin(), page.offers.end());
            if (int(page.offers.size()) < kRecordsPerPage || start + kRecordsPerPage >= m_total)
                break;
        }
        if (int(result.offers.size()) > maxResults)
            result.offers.resize(static_cast<size_t>(maxResults));
        return result;
    }

private:
    ProviderResult post(const QString& path, const QJsonObject& body)
    {
        ProviderResult result;
        if (m_key.isEmpty()) {
            result.error = QStringLiteral("Mouser: ") + Translate(QStringLiteral("no API key is set"));
            return result;
        }
        QUrl url(m_address + path);
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("apiKey"), m_key);
        url.setQuery(query);
        HttpRequest request;
        request.method = "POST";
        request.url = url.toString(QUrl::FullyEncoded);
        request.headers = {{"Content-Type", "application/json"}, {"Accept", "application/json"}};
        request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
        const HttpAnswer answer = HttpExchange(request);
        if (answer.outcome != HttpAnswer::Done) {
            result.error = ExchangeFailure(title(), answer, QString());
            return result;
        }
        result = ReadMouserAnswer(answer.body, answer.status);
        m_total = QJsonDocument::fromJson(answer.body)
                      .object()
                      .value(QStringLiteral("SearchResults"))
                      .toObject()
                      .value(QStringLiteral("NumberOfResult"))
                      .toInt();
        return result;
    }

    QString m_key;
    QString m_address;
    int m_total = 0;
};

} // namespace

ProviderResult ReadMouserAnswer(const QByteArray& body, int httpStatus)
{
    ProviderResult result;
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parse);
    const QJsonObject root = document.object();
    QString said;
    for (const QJsonValue& e : root.value(QStringLiteral("Errors")).toArray()) {
        const QJsonObject error = e.toObject();
        const QString message = error.value(QStringLiteral("Message")).toString();
        said += (said.isEmpty() ? QString() : QStringLiteral("; ")) + message;
        const QString code = error.value(QStringLiteral("Code")).toString();
        if (code.contains(QLatin1String("TooMany"), Qt::CaseInsensitive)
            || message.contains(QLatin1String("maximum calls"), Qt::CaseInsensitive))
            result.limitReached = true;
    }
    if (httpStatus == 429)
        result.limitReached = true;
    if (result.limitReached) {
        result.error = QStringLiteral("Mouser: ")
                       + Translate(QStringLiteral("the request limit is reached; try again later"))
                       + (said.isEmpty() ? QString() : QStringLiteral(" (") + said + QLatin1Char(')'));
        return result;
    }
    if (!said.isEmpty() || httpStatus < 200 || httpStatus >= 300 || parse.error != QJsonParseError::NoError
        || !root.value(QStringLiteral("SearchResults")).isObject()) {
        HttpAnswer answer;
        answer.outcome = HttpAnswer::Done;
        answer.status = httpStatus;
        if (said.isEmpty() && httpStatus >= 200 && httpStatus < 300)
            said = Translate(QStringLiteral("the answer could not be read"));
        result.error = ExchangeFailure(QStringLiteral("Mouser"), answer, said);
        return result;
    }
    result.reached = true;
    for (const QJsonValue& part : root.value(QStringLiteral("SearchResults")).toObject().value(QStringLiteral("Parts")).toArray())
        result.offers.push_back(offerOf(part.toObject()));
    return result;
}

std::unique_ptr<PartProvider> NewMouserProvider(const QMap<QString, QString>& values)
{
    return std::make_unique<MouserProvider>(values);
}
