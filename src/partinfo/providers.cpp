#include "partinfo/providers.h"

#include "core/dictionary.h"
#include "partinfo/httpexchange.h"
#include "partinfo/providerclients.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QJsonObject readSettings()
{
    QFile file(ProviderSettingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool writeSettings(const QJsonObject& settings, QString* error)
{
    const QString path = ProviderSettingsPath();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    // The credentials are the user's: the file is made readable by the user
    // alone before anything is written into it.
    if (!file.open(QIODevice::WriteOnly)
        || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error)
            *error = TranslateLabel(QStringLiteral("Cannot write the file:")) + QLatin1Char(' ') + path + QStringLiteral(": ")
                     + file.errorString();
        return false;
    }
    file.write(QJsonDocument(settings).toJson());
    if (!file.commit()) {
        if (error)
            *error = TranslateLabel(QStringLiteral("Cannot write the file:")) + QLatin1Char(' ') + path + QStringLiteral(": ")
                     + file.errorString();
        return false;
    }
    return true;
}

QString cacheFile(const QString& provider, const QString& mpn)
{
    const QByteArray key = QCryptographicHash::hash(mpn.trimmed().toUpper().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/KOLT/offers/")
           + provider + QLatin1Char('/') + QString::fromLatin1(key) + QStringLiteral(".json");
}

// A cached answer for the part: offers and whether it was found; false when
// there is none young enough.
bool readCache(const QString& provider, const QString& mpn, std::vector<Offer>& offers, bool& found)
{
    QFile file(cacheFile(provider, mpn));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject object = QJsonDocument::fromJson(file.read(4 << 20)).object();
    const qint64 written = static_cast<qint64>(object.value(QStringLiteral("time")).toDouble());
    const qint64 age = QDateTime::currentSecsSinceEpoch() - written;
    if (written <= 0 || age < 0 || age >= qint64(OfferCacheHours()) * 3600
        || object.value(QStringLiteral("mpn")).toString().compare(mpn.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    found = object.value(QStringLiteral("found")).toBool();
    for (const QJsonValue& value : object.value(QStringLiteral("offers")).toArray())
        offers.push_back(Offer::fromJson(value.toObject()));
    return true;
}

void writeCache(const QString& provider, const QString& mpn, const std::vector<Offer>& offers, bool found)
{
    const QString path = cacheFile(provider, mpn);
    QDir().mkpath(QFileInfo(path).path());
    QJsonArray list;
    for (const Offer& offer : offers)
        list.append(offer.toJson());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return; // a cache that cannot be written only costs a request next time
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("time"), double(QDateTime::currentSecsSinceEpoch())},
                                         {QStringLiteral("mpn"), mpn.trimmed()},
                                         {QStringLiteral("found"), found},
                                         {QStringLiteral("offers"), list}})
                   .toJson(QJsonDocument::Compact));
    file.commit();
}

} // namespace

QStringList ProviderNames()
{
    return {QStringLiteral("mouser"), QStringLiteral("digikey"), QStringLiteral("nexar"), QStringLiteral("generic")};
}

QStringList ProviderSecretKeys(const QString& name)
{
    if (name == QLatin1String("mouser"))
        return {QStringLiteral("key")};
    if (name == QLatin1String("digikey") || name == QLatin1String("nexar"))
        return {QStringLiteral("client-id"), QStringLiteral("client-secret")};
    return {};
}

QStringList ProviderKeys(const QString& name)
{
    QStringList keys = ProviderSecretKeys(name);
    keys << QStringLiteral("address");
    if (name == QLatin1String("digikey"))
        keys << QStringLiteral("site") << QStringLiteral("language") << QStringLiteral("currency")
             << QStringLiteral("minute-limit") << QStringLiteral("daily-limit");
    else if (name == QLatin1String("nexar"))
        keys << QStringLiteral("country") << QStringLiteral("currency");
    return keys;
}

QString ProviderTitle(const QString& name)
{
    if (name == QLatin1String("mouser"))
        return QStringLiteral("Mouser");
    if (name == QLatin1String("digikey"))
        return QStringLiteral("Digi-Key");
    if (name == QLatin1String("nexar"))
        return QStringLiteral("Nexar");
    if (name == QLatin1String("generic"))
        return QStringLiteral("Part service");
    return name;
}

QString ProviderDefaultAddress(const QString& name)
{
    if (name == QLatin1String("mouser"))
        return QStringLiteral("https://api.mouser.com");
    if (name == QLatin1String("digikey"))
        return QStringLiteral("https://api.digikey.com");
    if (name == QLatin1String("nexar"))
        return QStringLiteral("https://api.nexar.com");
    return QString(); // the generic provider uses the part service's address
}

QString ProviderSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/KOLT/providers.json");
}

QMap<QString, QString> ProviderValues(const QString& name)
{
    QMap<QString, QString> values;
    const QJsonObject provider = readSettings().value(name).toObject();
    for (auto it = provider.begin(); it != provider.end(); ++it)
        values.insert(it.key(), it.value().toString());
    return values;
}

bool SetProviderValues(const QString& name, const QMap<QString, QString>& values, QString* error)
{
    if (!ProviderNames().contains(name)) {
        if (error)
            *error = TranslateLabel(QStringLiteral("No such provider:")) + QLatin1Char(' ') + name;
        return false;
    }
    const QStringList keys = ProviderKeys(name);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!keys.contains(it.key())) {
            if (error)
                *error = TranslateLabel(QStringLiteral("Unknown setting:")) + QLatin1Char(' ') + it.key()
                         + QStringLiteral(" (") + keys.join(QStringLiteral(", ")) + QLatin1Char(')');
            return false;
        }
        if (it.key() == QLatin1String("address") && !it.value().isEmpty() && !SecureAddressAllowed(it.value())) {
            if (error)
                *error = TranslateLabel(QStringLiteral("Only https addresses are used, or http on this computer:"))
                         + QLatin1Char(' ') + it.value();
            return false;
        }
    }
    QJsonObject settings = readSettings();
    QJsonObject provider = settings.value(name).toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.value().isEmpty())
            provider.remove(it.key());
        else
            provider.insert(it.key(), it.value());
    }
    settings.insert(name, provider);
    return writeSettings(settings, error);
}

bool ProviderConfigured(const QString& name)
{
    const QMap<QString, QString> values = ProviderValues(name);
    for (const QString& key : ProviderSecretKeys(name))
        if (values.value(key).isEmpty())
            return false;
    return ProviderNames().contains(name);
}

QString ShownProviderValue(const QString& name, const QString& key, const QString& value)
{
    if (!ProviderSecretKeys(name).contains(key))
        return value;
    if (value.isEmpty())
        return QString();
    // Enough to tell two keys apart, never enough to use one.
    return value.size() >= 12 ? QStringLiteral("********") + value.right(2) : QStringLiteral("********");
}

int OfferCacheHours()
{
    const QJsonValue hours = readSettings().value(QStringLiteral("cache-hours"));
    return hours.isDouble() ? hours.toInt() : 24;
}

bool SetOfferCacheHours(int hours, QString* error)
{
    if (hours < 0 || hours > 24 * 365) {
        if (error)
            *error = TranslateLabel(QStringLiteral("The cache time must be between 0 and 8760 hours:"))
                     + QLatin1Char(' ') + QString::number(hours);
        return false;
    }
    QJsonObject settings = readSettings();
    settings.insert(QStringLiteral("cache-hours"), hours);
    return writeSettings(settings, error);
}

std::unique_ptr<PartProvider> MakeProvider(const QString& name)
{
    const QMap<QString, QString> values = ProviderValues(name);
    if (name == QLatin1String("mouser"))
        return NewMouserProvider(values);
    if (name == QLatin1String("digikey"))
        return NewDigikeyProvider(values);
    if (name == QLatin1String("nexar"))
        return NewNexarProvider(values);
    if (name == QLatin1String("generic"))
        return NewGenericProvider(values);
    return nullptr;
}

ProviderResult FindOffers(PartProvider& provider, const QStringList& mpns, bool useCache)
{
    ProviderResult result;
    QStringList ask;
    const bool caching = useCache && OfferCacheHours() > 0;
    for (const QString& mpn : mpns) {
        if (mpn.trimmed().isEmpty())
            continue;
        std::vector<Offer> cached;
        bool found = false;
        if (caching && readCache(provider.name(), mpn, cached, found)) {
            result.reached = true;
            if (!found)
                result.notFound << mpn;
            result.offers.insert(result.offers.end(), cached.begin(), cached.end());
        } else if (!ask.contains(mpn.trimmed(), Qt::CaseInsensitive)) {
            ask << mpn.trimmed();
        }
    }
    if (ask.isEmpty())
        return result;
    ProviderResult fresh = provider.searchParts(ask);
    result.reached = result.reached || fresh.reached;
    result.limitReached = fresh.limitReached;
    result.error = fresh.error;
    result.notFound << fresh.notFound;
    if (fresh.reached && caching) {
        // Only what the provider answered for is cached: a part the limit
        // stopped before is asked again next time.
        for (const QString& mpn : ask) {
            std::vector<Offer> mine;
            for (const Offer& offer : fresh.offers)
                if (offer.mpn.compare(mpn, Qt::CaseInsensitive) == 0)
                    mine.push_back(offer);
            const bool found = !mine.empty();
            if (found || fresh.notFound.contains(mpn, Qt::CaseInsensitive))
                writeCache(provider.name(), mpn, mine, found);
        }
    }
    result.offers.insert(result.offers.end(), fresh.offers.begin(), fresh.offers.end());
    return result;
}
