#include "partinfo/partservice.h"

#include "core/dictionary.h"
#include "core/userinterface.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <QUrl>

namespace {

int g_timeout = 0;

const char kSearchPath[] =
    "/api/v2/parts/search?q=%1&limit=15&optimize.hide_datasheets=1&optimize.hide_images=1"
    "&optimize.hide_offers=1&optimize.hide_unauthorized_offers=1&optimize.hide_specs=1"
    "&optimize.hide_descriptions=1&prettyprint=1";
const char kDetailPath[] =
    "/api/v2/parts/get?uid=%1&optimize.hide_datasheets=0&optimize.hide_images=0"
    "&optimize.hide_offers=1&optimize.hide_unauthorized_offers=1&optimize.hide_specs=1"
    "&optimize.hide_descriptions=1&prettyprint=1";

QSettings profile()
{
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("KOLT"));
}

bool isLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

struct HttpAnswer
{
    bool ok = false;
    QByteArray body;
};

// One GET, waited for in a local event loop so the caller sees a plain call.
HttpAnswer httpGet(const QString& urlText)
{
    HttpAnswer answer;
    const QUrl url = QUrl::fromEncoded(urlText.toUtf8(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return answer;
    if (!QCoreApplication::instance())
        return answer;

    QNetworkAccessManager manager;
    if (isLoopback(url.host())) {
        manager.setProxy(QNetworkProxy::NoProxy);
    } else {
        static const bool systemProxy = [] {
            QNetworkProxyFactory::setUseSystemConfiguration(true);
            return true;
        }();
        Q_UNUSED(systemProxy);
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Octapart"));
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The limit is on silence, not on the whole transfer: a large datasheet
    // on a slow line keeps arriving and must not be cut off.
    const int limit = g_timeout > 0 ? g_timeout : kPartServiceTimeout;
    QObject::connect(reply, &QNetworkReply::downloadProgress, &timer, [&timer, limit] { timer.start(limit); });
    timer.start(limit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (reply->isFinished() && reply->error() == QNetworkReply::NoError) {
        answer.ok = true;
        answer.body = reply->readAll();
    } else {
        reply->abort();
    }
    delete reply;
    return answer;
}

void reportUnreachable()
{
    ShowMessage(Translate(QStringLiteral("Internet Connection Error")), PartServiceCaption());
}

} // namespace

QString DefaultPartServiceAddress()
{
    return QStringLiteral("http://127.0.0.1:8642");
}

QString PartServiceAddress()
{
    const QString saved = profile().value(QStringLiteral("HUX-KOLT/PARTSERVICE")).toString().trimmed();
    return NormalizeServiceAddress(saved.isEmpty() ? DefaultPartServiceAddress() : saved);
}

void SetPartServiceAddress(const QString& address)
{
    QSettings settings = profile();
    settings.setValue(QStringLiteral("HUX-KOLT/PARTSERVICE"), NormalizeServiceAddress(address));
    settings.sync();
}

QString NormalizeServiceAddress(const QString& address)
{
    QString result = address.trimmed();
    if (result.isEmpty())
        return result;
    if (!result.contains(QLatin1String("://")))
        result.prepend(QLatin1String("http://"));
    while (result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QString PartSearchUrl(const QString& serviceAddress, const QString& searchText)
{
    // A part number may hold " ", "#", "&" or "+", which would end or change
    // the query unless encoded.
    return NormalizeServiceAddress(serviceAddress)
        + QString::fromLatin1(kSearchPath).arg(QString::fromLatin1(QUrl::toPercentEncoding(searchText)));
}

QString PartDetailUrl(const QString& serviceAddress, const QString& uid)
{
    return NormalizeServiceAddress(serviceAddress)
        + QString::fromLatin1(kDetailPath).arg(QString::fromLatin1(QUrl::toPercentEncoding(uid)));
}

void SetPartServiceTimeout(int milliseconds)
{
    g_timeout = milliseconds;
}

QString PartServiceCaption()
{
    return QStringLiteral("KOLT");
}

QString FetchText(const QString& url)
{
    const HttpAnswer answer = httpGet(url);
    if (!answer.ok) {
        reportUnreachable();
        return QString();
    }
    const QString text = QString::fromUtf8(answer.body);
    ShowMessage(text, PartServiceCaption());
    return text;
}

bool DownloadFile(const QString& url, const QString& localPath)
{
    const HttpAnswer answer = httpGet(url);
    if (!answer.ok) {
        reportUnreachable();
        return false;
    }
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer.body) != answer.body.size() || !file.commit()) {
        ShowMessage(TranslateLabel(QStringLiteral("Cannot write the file:")) + QLatin1Char('\n') + localPath,
                    PartServiceCaption());
        return false;
    }
    return true;
}
