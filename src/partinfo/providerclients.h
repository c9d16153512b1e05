#pragma once
// The providers behind PartProvider, each made from the user's settings, and
// the OAuth2 client-credentials token that Digi-Key and Nexar share the shape of.
#include "partinfo/httpexchange.h"
#include "partinfo/providers.h"

#include <QMap>

std::unique_ptr<PartProvider> NewMouserProvider(const QMap<QString, QString>& values);
std::unique_ptr<PartProvider> NewDigikeyProvider(const QMap<QString, QString>& values);
std::unique_ptr<PartProvider> NewNexarProvider(const QMap<QString, QString>& values);
std::unique_ptr<PartProvider> NewGenericProvider(const QMap<QString, QString>& values);

// An access token from a client-credentials grant, kept until shortly before
// it expires and asked for again after that (or when the service refused it).
class OAuthToken
{
public:
    OAuthToken(QString tokenUrl, QString clientId, QString clientSecret, QString scope = QString());
    // The token, fetched when there is none or it has (nearly) expired; empty
    // with *error when the grant failed.
    QString token(QString* error);
    // The service refused the token: the next call fetches a new one.
    void forget();
    int grants() const { return m_grants; }

private:
    QString m_tokenUrl, m_clientId, m_clientSecret, m_scope;
    QString m_token;
    qint64 m_expires = 0; // ms since the epoch
    int m_grants = 0;
};

// The words for an answer that did not get through: the service's own
// message where it gave one, else the HTTP status or the connection's fault.
QString ExchangeFailure(const QString& providerTitle, const HttpAnswer& answer, const QString& serviceMessage);
