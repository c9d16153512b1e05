// Digi-Key's Product Information v4: an OAuth2 client-credentials token, the
// keyword search and the product details, in the locale the settings name
// (site, language, currency headers). Digi-Key allows 120 requests a minute
// and 1,000 a day; the count is kept between runs so a refresh stops with a
// word before the service starts refusing.
#include "core/dictionary.h"
#include "partinfo/providerclients.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString rateFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/KOLT/digikey-requests.json");
}

// The requests spent: today's count (UTC, when Digi-Key's day turns) and the
// times of the last minute's.
class RequestBudget
{
public:
    RequestBudget(int perMinute, int perDay) : m_perMinute(perMinute), m_perDay(perDay)
    {
        QFile file(rateFile());
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonObject o = QJsonDocument::fromJson(file.read(1 << 20)).object();
            if (o.value(QStringLiteral("day")).toString() == today())
                m_today = o.value(QStringLiteral("count")).toInt();
            for (const QJsonValue& t : o.value(QStringLiteral("recent")).toArray())
                m_recent << static_cast<qint64>(t.toDouble());
        }
    }

    // Empty when a request may go; else why not.
    QString refusal()
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        while (!m_recent.isEmpty() && m_recent.first() <= now - 60000)
            m_recent.removeFirst();
        if (m_today >= m_perDay)
            return Translate(QStringLiteral("the daily limit of requests is reached")) + QStringLiteral(" (")
                   + QString::number(m_perDay) + QStringLiteral("); ")
                   + Translate(QStringLiteral("it renews at midnight UTC"));
        if (m_recent.size() >= m_perMinute) {
            const qint64 wait = (m_recent.first() + 60000 - now + 999) / 1000;
            return Translate(QStringLiteral("the limit of requests a minute is reached")) + QStringLiteral(" (")
                   + QString::number(m_perMinute) + QStringLiteral("); ")
                   + TranslateLabel(QStringLiteral("seconds until the next request:")) + QLatin1Char(' ')
                   + QString::number(wait);
        }
        return QString();
    }

    void spend()
    {
        ++m_today;
        m_recent << QDateTime::currentMSecsSinceEpoch();
        QJsonArray recent;
        for (qint64 t : m_recent)
            recent.append(double(t));
        QDir().mkpath(QFileInfo(rateFile()).path());
        QSaveFile file(rateFile());
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QJsonDocument(QJsonObject{{QStringLiteral("day"), today()},
                                                 {QStringLiteral("count"), m_today},
                                                 {QStringLiteral("recent"), recent}})
                           .toJson(QJsonDocument::Compact));
            file.commit();
        }
    }

private:
    static QString today() { return QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate); }

    int m_perMinute;
    int m_perDay;
    int m_today = 0;
    QList<qint64> m_recent;
};

QString text(const QJsonObject& o, const char* key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isDouble() ? QString::number(v.toDouble(), 'g', 15) : v.toString();
}

void addProductOffers(const QJsonObject& product, const QString& currency, std::vector<Offer>& offers)
{
    Offer base;
    base.provider = QStringLiteral("digikey");
    base.distributor = QStringLiteral("Digi-Key");
    base.mpn = text(product, "ManufacturerProductNumber");
    base.manufacturer = product.value(QStringLiteral("Manufacturer")).toObject().value(QStringLiteral("Name")).toString();
    const QJsonObject description = product.value(QStringLiteral("Description")).toObject();
    base.description = description.value(QStringLiteral("ProductDescription")).toString();
    if (base.description.isEmpty())
        base.description = description.value(QStringLiteral("DetailedDescription")).toString();
    base.stock = static_cast<long long>(product.value(QStringLiteral("QuantityAvailable")).toDouble());
    base.lifecycle = product.value(QStringLiteral("ProductStatus")).toObject().value(QStringLiteral("Status")).toString();
    const int weeks = text(product, "ManufacturerLeadWeeks").toInt();
    base.leadDays = weeks > 0 ? weeks * 7 : -1;
    base.currency = currency;
    base.datasheetUrl = product.value(QStringLiteral("DatasheetUrl")).toString();
    base.productUrl = product.value(QStringLiteral("ProductUrl")).toString();

    const QJsonArray variations = product.value(QStringLiteral("ProductVariations")).toArray();
    for (const QJsonValue& value : variations) {
        const QJsonObject v = value.toObject();
        Offer offer = base;
        offer.orderCode = text(v, "DigiKeyProductNumber");
        offer.minimumOrder = v.value(QStringLiteral("MinimumOrderQuantity")).toInt();
        offer.pack = v.value(QStringLiteral("StandardPackage")).toInt();
        // A full reel is sold by the reel; cut tape by the piece.
        const QString packaging = v.value(QStringLiteral("PackageType")).toObject().value(QStringLiteral("Name")).toString();
        offer.multiple = packaging.contains(QLatin1String("Tape & Reel")) && offer.pack > 0 ? offer.pack : 1;
        if (v.contains(QStringLiteral("QuantityAvailableforPackageType")))
            offer.stock = static_cast<long long>(v.value(QStringLiteral("QuantityAvailableforPackageType")).toDouble());
        for (const QJsonValue& b : v.value(QStringLiteral("StandardPricing")).toArray()) {
            const QJsonObject priceBreak = b.toObject();
            offer.breaks.push_back({priceBreak.value(QStringLiteral("BreakQuantity")).toDouble(),
                                    priceBreak.value(QStringLiteral("UnitPrice")).toDouble()});
        }
        NormaliseBreaks(offer.breaks);
        offers.push_back(offer);
    }
    if (variations.isEmpty()) {
        base.orderCode = text(product, "DigiKeyProductNumber");
        const double unit = product.value(QStringLiteral("UnitPrice")).toDouble();
        if (unit > 0)
            base.breaks.push_back({1, unit});
        offers.push_back(base);
    }
}

class DigikeyProvider final : public PartProvider
{
public:
    explicit DigikeyProvider(const QMap<QString, QString>& values)
        : m_values(values),
          m_address(values.value(QStringLiteral("address"), ProviderDefaultAddress(QStringLiteral("digikey")))),
          m_token(QString(), values.value(QStringLiteral("client-id")), values.value(QStringLiteral("client-secret"))),
          m_budget(values.value(QStringLiteral("minute-limit"), QStringLiteral("120")).toInt(),
                   values.value(QStringLiteral("daily-limit"), QStringLiteral("1000")).toInt())
    {
        while (m_address.endsWith(QLatin1Char('/')))
            m_address.chop(1);
        m_token = OAuthToken(m_address + QStringLiteral("/v1/oauth2/token"), values.value(QStringLiteral("client-id")),
                             values.value(QStringLiteral("client-secret")));
    }

    QString name() const override { return QStringLiteral("digikey"); }
    QString title() const override { return QStringLiteral("Digi-Key"); }

    ProviderResult searchParts(const QStringList& mpns) override
    {
        ProviderResult result;
        for (const QString& mpn : mpns) {
            ProviderResult one = keyword(mpn, 10, 0);
            if (!one.reached) {
                result.error = one.error;
                result.limitReached = one.limitReached;
                return result;
            }
            result.reached = true;
            bool found = false;
            for (Offer& offer : one.offers) {
                if (offer.mpn.compare(mpn, Qt::CaseInsensitive) != 0)
                    continue; // a near match is not this part
                offer.mpn = mpn;
                result.offers.push_back(offer);
                found = true;
            }
            if (!found)
                result.notFound << mpn;
        }
        return result;
    }

    ProviderResult searchKeyword(const QString& words, int maxResults) override
    {
        ProviderResult result;
        constexpr int kPage = 50;
        for (int offset = 0; offset < maxResults; offset += kPage) {
            ProviderResult page = keyword(words, std::min(kPage, maxResults - offset), offset);
            if (!page.reached) {
                result.error = page.error;
                result.limitReached = page.limitReached;
                return result;
            }
            result.reached = true;
            result.offers.insert(result.offers.end(), page.offers.begin(), page.offers.end());
            if (offset + kPage >= m_total)
                break;
        }
        return result;
    }

private:
    ProviderResult keyword(const QString& words, int limit, int offset)
    {
        const QJsonObject body{{QStringLiteral("Keywords"), words},
                               {QStringLiteral("Limit"), limit},
                               {QStringLiteral("Offset"), offset}};
        return call("POST", QStringLiteral("/products/v4/search/keyword"),
                    QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    ProviderResult call(const QByteArray& method, const QString& path, const QByteArray& body)
    {
        ProviderResult result;
        if (m_values.value(QStringLiteral("client-id")).isEmpty()
            || m_values.value(QStringLiteral("client-secret")).isEmpty()) {
            result.error = QStringLiteral("Digi-Key: ") + Translate(QStringLiteral("no client id and secret are set"));
            return result;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            const QString refusal = m_budget.refusal();
            if (!refusal.isEmpty()) {
                result.limitReached = true;
                result.error = QStringLiteral("Digi-Key: ") + refusal;
                return result;
            }
            QString error;
            const QString token = m_token.token(&error);
            if (token.isEmpty()) {
                result.error = QStringLiteral("Digi-Key ") + error;
                return result;
            }
            HttpRequest request;
            request.method = method;
            request.url = m_address + path;
            request.headers = {
                {"Content-Type", "application/json"},
                {"Accept", "application/json"},
                {"Authorization", "Bearer " + token.toUtf8()},
                {"X-DIGIKEY-Client-Id", m_values.value(QStringLiteral("client-id")).toUtf8()},
                {"X-DIGIKEY-Locale-Site", m_values.value(QStringLiteral("site"), QStringLiteral("US")).toUtf8()},
                {"X-DIGIKEY-Locale-Language", m_values.value(QStringLiteral("language"), QStringLiteral("en")).toUtf8()},
                {"X-DIGIKEY-Locale-Currency", m_values.value(QStringLiteral("currency"), QStringLiteral("USD")).toUtf8()}};
            request.body = body;
            m_budget.spend();
            const HttpAnswer answer = HttpExchange(request);
            if (answer.outcome != HttpAnswer::Done) {
                result.error = ExchangeFailure(title(), answer, QString());
                return result;
            }
            if (answer.status == 401 && attempt == 0) {
                // The token expired before its time, or was revoked: one new grant.
                m_token.forget();
                continue;
            }
            if (answer.status == 429) {
                result.limitReached = true;
                const QByteArray retry = answer.header("Retry-After");
                result.error = QStringLiteral("Digi-Key: ")
                               + Translate(QStringLiteral("the request limit is reached; try again later"))
                               + (retry.isEmpty() ? QString()
                                                  : QStringLiteral(" (") + TranslateLabel(QStringLiteral("seconds until the next request:"))
                                                        + QLatin1Char(' ') + QString::fromLatin1(retry) + QLatin1Char(')'));
                return result;
            }
            result = ReadDigikeyAnswer(answer.body, answer.status);
            m_total = QJsonDocument::fromJson(answer.body).object().value(QStringLiteral("ProductsCount")).toInt();
            return result;
        }
        return result;
    }

    QMap<QString, QString> m_values;
    QString m_address;
    OAuthToken m_token;
    RequestBudget m_budget;
    int m_total = 0;
};

} // namespace

ProviderResult ReadDigikeyAnswer(const QByteArray& body, int httpStatus)
{
    ProviderResult result;
    QJsonParseError parse;
    const QJsonObject root = QJsonDocument::fromJson(body, &parse).object();
    if (httpStatus < 200 || httpStatus >= 300 || parse.error != QJsonParseError::NoError
        || (!root.contains(QStringLiteral("Products")) && !root.contains(QStringLiteral("Product")))) {
        // Problem details: "title" and "detail"; older answers "ErrorMessage".
        QString said = root.value(QStringLiteral("detail")).toString();
        if (said.isEmpty())
            said = root.value(QStringLiteral("ErrorMessage")).toString();
        if (said.isEmpty())
            said = root.value(QStringLiteral("title")).toString();
        if (said.isEmpty() && httpStatus >= 200 && httpStatus < 300)
            said = Translate(QStringLiteral("the answer could not be read"));
        HttpAnswer answer;
        answer.outcome = HttpAnswer::Done;
        answer.status = httpStatus;
        result.error = ExchangeFailure(QStringLiteral("Digi-Key"), answer, said);
        return result;
    }
    result.reached = true;
    QString currency = root.value(QStringLiteral("SearchLocaleUsed")).toObject().value(QStringLiteral("Currency")).toString();
    if (currency.isEmpty())
        currency = QStringLiteral("USD");
    QSet<QString> seen; // an exact match is listed again among the products
    const auto add = [&](const QJsonObject& product) {
        const QString key = text(product, "ManufacturerProductNumber") + QLatin1Char('\n')
                            + product.value(QStringLiteral("Manufacturer")).toObject().value(QStringLiteral("Name")).toString();
        if (seen.contains(key))
            return;
        seen.insert(key);
        addProductOffers(product, currency, result.offers);
    };
    if (root.value(QStringLiteral("Product")).isObject())
        add(root.value(QStringLiteral("Product")).toObject());
    for (const QJsonValue& p : root.value(QStringLiteral("ExactMatches")).toArray())
        add(p.toObject());
    for (const QJsonValue& p : root.value(QStringLiteral("Products")).toArray())
        add(p.toObject());
    return result;
}

std::unique_ptr<PartProvider> NewDigikeyProvider(const QMap<QString, QString>& values)
{
    return std::make_unique<DigikeyProvider>(values);
}
