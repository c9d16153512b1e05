#include "partinfo/httpexchange.h"

#include "core/dictionary.h"
#include "partinfo/partservice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

bool loopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QByteArray HttpAnswer::header(const QByteArray& name) const
{
    for (const auto& pair : headers)
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    return QByteArray();
}

bool SecureAddressAllowed(const QString& urlText)
{
    const QUrl url(urlText);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && loopbackHost(url.host()));
}

HttpAnswer HttpExchange(const HttpRequest& request)
{
    HttpAnswer answer;
    const QUrl url(request.url);
    if (!SecureAddressAllowed(request.url)) {
        answer.outcome = HttpAnswer::Refused;
        answer.error = TranslateLabel(QStringLiteral("Only https addresses are used, or http on this computer:"))
                       + QLatin1Char(' ') + request.url;
        return answer;
    }
    if (!QCoreApplication::instance()) {
        answer.error = QStringLiteral("no event loop");
        return answer;
    }

    QNetworkAccessManager manager;
    if (loopbackHost(url.host())) {
        manager.setProxy(QNetworkProxy::NoProxy);
    } else {
        static const bool systemProxy = [] {
            QNetworkProxyFactory::setUseSystemConfiguration(true);
            return true;
        }();
        Q_UNUSED(systemProxy);
    }
    QNetworkRequest networkRequest(url);
    networkRequest.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("KOLT"));
    // Redirects could carry the credentials' answer elsewhere; none is followed.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    for (const auto& header : request.headers)
        networkRequest.setRawHeader(header.first, header.second);
    std::unique_ptr<QNetworkReply> reply(
        manager.sendCustomRequest(networkRequest, request.method, request.body));

    QEventLoop loop;
    HttpAnswer::Outcome outcome = HttpAnswer::Done;
    auto stop = [&loop, &outcome](HttpAnswer::Outcome why) {
        if (outcome == HttpAnswer::Done)
            outcome = why;
        loop.quit();
    };
    QTimer idle;
    idle.setSingleShot(true);
    QTimer whole;
    whole.setSingleShot(true);
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] { stop(HttpAnswer::TooSlow); });
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] { stop(HttpAnswer::TooSlow); });
    const int silence = std::min(request.deadline, kPartServiceTimeout);
    auto drain = [&] {
        if (outcome != HttpAnswer::Done)
            return;
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > request.maxBytes)
            return stop(HttpAnswer::TooLarge);
        while (reply->bytesAvailable() > 0) {
            answer.body += reply->read(64 * 1024);
            if (answer.body.size() > request.maxBytes)
                return stop(HttpAnswer::TooLarge);
        }
        idle.start(silence);
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    idle.start(silence);
    whole.start(request.deadline);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (outcome == HttpAnswer::Done) {
        drain();
        // An HTTP error status is an answer (the service said why); only a
        // failed connection is unreachable.
        if (answer.status == 0 && reply->isFinished() && reply->error() != QNetworkReply::NoError) {
            outcome = HttpAnswer::Unreachable;
            answer.error = reply->errorString();
        }
    }
    if (outcome == HttpAnswer::TooSlow)
        answer.error = Translate(QStringLiteral("The service did not answer in time."));
    else if (outcome == HttpAnswer::TooLarge)
        answer.error = TranslateLabel(QStringLiteral("The answer is larger than the limit:")) + QLatin1Char(' ')
                       + QString::number(double(request.maxBytes) / (1024 * 1024), 'g', 3) + QStringLiteral(" MB");
    for (const auto& pair : reply->rawHeaderPairs())
        answer.headers.append(pair);
    if (!reply->isFinished())
        reply->abort();
    answer.outcome = outcome;
    if (outcome != HttpAnswer::Done)
        answer.body.clear();
    return answer;
}
