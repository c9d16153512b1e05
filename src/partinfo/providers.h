#pragma once
// Distributors' part data behind one interface: Mouser, Digi-Key, Nexar
// (Octopart) and the generic part service. Each provider turns a search by
// manufacturer part number or keyword into Offers; the credentials are the
// user's, kept in a file of the user's readable by the user alone, never in
// the shop's database.
#include "partinfo/offers.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct ProviderResult
{
    bool reached = false;      // the provider answered (an empty answer included)
    bool limitReached = false; // the provider's request limit stopped the work
    QString error;             // in words, when the work did not get through
    std::vector<Offer> offers;
    QStringList notFound;      // part numbers nothing was offered for
};

class PartProvider
{
public:
    virtual ~PartProvider() = default;
    virtual QString name() const = 0;  // "mouser", "digikey", "nexar", "generic"
    virtual QString title() const = 0; // "Mouser", "Digi-Key", ...
    // The offers for each manufacturer part number.
    virtual ProviderResult searchParts(const QStringList& mpns) = 0;
    // Up to maxResults offers for a keyword, page by page.
    virtual ProviderResult searchKeyword(const QString& keyword, int maxResults) = 0;
};

// The provider names in the order they are asked.
QStringList ProviderNames();
// The keys a provider's settings take; the first ones are its credentials.
QStringList ProviderKeys(const QString& name);
QStringList ProviderSecretKeys(const QString& name);
QString ProviderTitle(const QString& name);
QString ProviderDefaultAddress(const QString& name);

// The user's provider settings file (in the user's configuration folder).
QString ProviderSettingsPath();
QMap<QString, QString> ProviderValues(const QString& name);
// Merges values into the provider's settings (an empty value removes the
// key) and writes the file readable by the user alone. False, with *error,
// for an unknown provider or key, an address that is not https (or http on
// this computer), or a file that cannot be written.
bool SetProviderValues(const QString& name, const QMap<QString, QString>& values, QString* error);
// A provider whose credentials are all set.
bool ProviderConfigured(const QString& name);
// A value as it may be shown: credentials masked, the rest as stored.
QString ShownProviderValue(const QString& name, const QString& key, const QString& value);

// How long an answer is reused before the provider is asked again.
int OfferCacheHours();
bool SetOfferCacheHours(int hours, QString* error);

std::unique_ptr<PartProvider> MakeProvider(const QString& name);

// The offers for the part numbers from one provider, answers younger than
// OfferCacheHours() taken from the cache (so a second refresh of the same
// bill spends no requests) and new answers stored in it.
ProviderResult FindOffers(PartProvider& provider, const QStringList& mpns, bool useCache = true);

// Readers of each provider's documented answers, for the providers and tests.
ProviderResult ReadMouserAnswer(const QByteArray& body, int httpStatus);
ProviderResult ReadDigikeyAnswer(const QByteArray& body, int httpStatus);
ProviderResult ReadNexarAnswer(const QByteArray& body, int httpStatus, const QString& currency);

// The koltctl commands "provider" and "offers", and "sources refresh".
void RegisterProviderCommands();
void RegisterSourceRefreshCommands();
