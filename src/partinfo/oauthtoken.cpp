#include "partinfo/providerclients.h"

#include "core/dictionary.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <utility>

OAuthToken::OAuthToken(QString tokenUrl, QString clientId, QString clientSecret, QString scope)
    : m_tokenUrl(std::move(tokenUrl)), m_clientId(std::move(clientId)), m_clientSecret(std::move(clientSecret)),
      m_scope(std::move(scope))
{
}

QString OAuthToken::token(QString* error)
{
    // A token this close to its end could expire in flight.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_token.isEmpty() && now + 5000 < m_expires)
        return m_token;
    m_token.clear();
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("grant_type"), QStringLiteral("client_credentials"));
    form.addQueryItem(QStringLiteral("client_id"), m_clientId);
    form.addQueryItem(QStringLiteral("client_secret"), m_clientSecret);
    if (!m_scope.isEmpty())
        form.addQueryItem(QStringLiteral("scope"), m_scope);
    HttpRequest request;
    request.method = "POST";
    request.url = m_tokenUrl;
    request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"Accept", "application/json"}};
    request.body = form.query(QUrl::FullyEncoded).toUtf8();
    request.maxBytes = 64 * 1024;
    const HttpAnswer answer = HttpExchange(request);
    ++m_grants;
    const QJsonObject object = QJsonDocument::fromJson(answer.body).object();
    const QString token = object.value(QStringLiteral("access_token")).toString();
    if (!answer.ok() || token.isEmpty()) {
        QString said = object.value(QStringLiteral("error_description")).toString();
        if (said.isEmpty())
            said = object.value(QStringLiteral("error")).toString();
        if (error)
            *error = ExchangeFailure(Translate(QStringLiteral("Sign-in")), answer, said);
        return QString();
    }
    const int seconds = object.value(QStringLiteral("expires_in")).toInt(600);
    m_token = token;
    m_expires = now + qint64(std::max(seconds, 1)) * 1000;
    return m_token;
}

void OAuthToken::forget()
{
    m_token.clear();
    m_expires = 0;
}

QString ExchangeFailure(const QString& providerTitle, const HttpAnswer& answer, const QString& serviceMessage)
{
    QString why = serviceMessage.trimmed();
    if (why.isEmpty()) {
        if (answer.outcome != HttpAnswer::Done)
            why = answer.error;
        else if (answer.status == 401 || answer.status == 403)
            why = Translate(QStringLiteral("the credentials were refused"));
        else if (answer.status == 404)
            why = Translate(QStringLiteral("not found"));
        else if (answer.status != 0 && (answer.status < 200 || answer.status >= 300))
            why = QStringLiteral("HTTP %1").arg(answer.status);
        else
            why = Translate(QStringLiteral("the answer could not be read"));
    }
    // Whatever the service said is shown as text, one line, not too long.
    why.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (why.size() > 300)
        why = why.left(300) + QStringLiteral("…");
    return providerTitle + QStringLiteral(": ") + why;
}
