#include "partinfo/partservice.h"

#include "core/savedfile.h"
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

#include <functional>
#include <memory>

namespace {

int g_timeout = 0;
PartServiceLimits g_limits;

const char kSearchPath[] =
    "/api/v2/parts/search?q=%1&limit=15&optimize.hide_datasheets=1&optimize.hide_images=1"
    "&optimize.hide_offers=1&optimize.hide_unauthorized_offers=1&optimize.hide_specs=1"
    "&optimize.hide_descriptions=1&prettyprint=1";
const char kDetailPath[] =
    "/api/v2/parts/get?uid=%1&optimize.hide_datasheets=0&optimize.hide_images=0"
    "&optimize.hide_offers=1&optimize.hide_unauthorized_offers=1&optimize.hide_specs=1"
    "&optimize.hide_descriptions=1&prettyprint=1";

// Read in pieces of this size, so that memory holds one piece of a
// datasheet, never the whole.
constexpr qint64 kReadPiece = 64 * 1024;

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

QUrl webUrl(const QString& urlText)
{
    const QUrl url = QUrl::fromEncoded(urlText.toUtf8(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QUrl();
    return url;
}

enum class Outcome { Done, Unreachable, TooSlow, TooLarge, WriteFailed };

// Takes the body piece by piece; false when it cannot keep a piece.
using BodySink = std::function<bool(const QByteArray& piece)>;

// One GET, waited for in a local event loop so the caller sees a plain call.
// The body goes to sink as it arrives; the exchange ends at the deadline or
// after maxBytes, whichever the service reaches first.
Outcome httpGet(const QUrl& url, int deadline, qint64 maxBytes, const BodySink& sink)
{
    if (url.isEmpty() || !QCoreApplication::instance())
        return Outcome::Unreachable;

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
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    reply->setReadBufferSize(4 * kReadPiece);

    QEventLoop loop;
    Outcome outcome = Outcome::Done;
    auto stop = [&loop, &outcome](Outcome why) {
        if (outcome == Outcome::Done)
            outcome = why;
        loop.quit();
    };
    // Silence and the whole exchange are bounded apart: a large datasheet on
    // a slow line keeps arriving and is not cut off for a pause, but a
    // service that sends a byte now and then is not waited for without end.
    const int silence = g_timeout > 0 ? g_timeout : kPartServiceTimeout;
    QTimer idle;
    idle.setSingleShot(true);
    QTimer whole;
    whole.setSingleShot(true);
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] { stop(Outcome::TooSlow); });
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] { stop(Outcome::TooSlow); });

    qint64 received = 0;
    auto drain = [&] {
        if (outcome != Outcome::Done)
            return;
        // A service that announces too much is refused before it sends it.
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > maxBytes)
            return stop(Outcome::TooLarge);
        while (reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(kReadPiece);
            received += piece.size();
            if (received > maxBytes)
                return stop(Outcome::TooLarge);
            if (!sink(piece))
                return stop(Outcome::WriteFailed);
        }
        idle.start(silence);
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    idle.start(silence);
    whole.start(deadline);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (outcome == Outcome::Done) {
        if (reply->isFinished() && reply->error() == QNetworkReply::NoError)
            drain(); // what arrived with the end
        else
            outcome = Outcome::Unreachable;
    }
    if (!reply->isFinished())
        reply->abort();
    return outcome;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'g', 3);
}

void reportFailure(Outcome outcome, qint64 maxBytes)
{
    QString text = Translate(QStringLiteral("Internet Connection Error"));
    if (outcome == Outcome::TooSlow)
        text += QLatin1Char('\n') + Translate(QStringLiteral("The part service did not answer in time."));
    else if (outcome == Outcome::TooLarge)
        text += QLatin1Char('\n') + TranslateLabel(QStringLiteral("The answer is larger than the limit:"))
            + QLatin1Char(' ') + megabytes(maxBytes) + QStringLiteral(" MB");
    ShowMessage(text, PartServiceCaption());
}

void reportUnwritable(const QString& path, const QString& reason = QString())
{
    ShowMessage(TranslateLabel(QStringLiteral("Cannot write the file:")) + QLatin1Char('\n') + path
                    + (reason.isEmpty() ? QString() : QStringLiteral("\n") + reason),
                PartServiceCaption());
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

PartServiceLimits CurrentPartServiceLimits()
{
    return g_limits;
}

void SetPartServiceLimits(const PartServiceLimits& limits)
{
    g_limits = limits;
}

bool ShowServiceAnswers()
{
    return profile().value(QStringLiteral("HUX-KOLT/SHOWANSWERS"), false).toBool();
}

void SetShowServiceAnswers(bool show)
{
    QSettings settings = profile();
    settings.setValue(QStringLiteral("HUX-KOLT/SHOWANSWERS"), show);
    settings.sync();
}

QString PartServiceCaption()
{
    return QStringLiteral("KOLT");
}

QString FetchText(const QString& url)
{
    QByteArray body;
    const Outcome outcome = httpGet(webUrl(url), g_limits.answerDeadline, g_limits.answerBytes,
                                    [&body](const QByteArray& piece) {
                                        body += piece;
                                        return true;
                                    });
    if (outcome != Outcome::Done) {
        reportFailure(outcome, g_limits.answerBytes);
        return QString();
    }
    const QString text = QString::fromUtf8(body);
    if (ShowServiceAnswers())
        ShowMessage(text, PartServiceCaption());
    return text;
}

bool DownloadFile(const QString& url, const QString& localPath)
{
    const QUrl address = webUrl(url);
    if (address.isEmpty()) {
        reportFailure(Outcome::Unreachable, 0);
        return false;
    }
    // Written beside its place and renamed over it only when whole: a
    // download cut off, refused or killed never stands in for a datasheet.
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly)) {
        reportUnwritable(localPath, file.errorString());
        return false;
    }
    const Outcome outcome = httpGet(address, g_limits.datasheetDeadline, g_limits.datasheetBytes,
                                    [&file](const QByteArray& piece) {
                                        return file.write(piece) == piece.size();
                                    });
    if (outcome == Outcome::WriteFailed) {
        const QString reason = file.errorString();
        file.cancelWriting();
        reportUnwritable(localPath, reason);
        return false;
    }
    if (outcome != Outcome::Done) {
        file.cancelWriting();
        reportFailure(outcome, g_limits.datasheetBytes);
        return false;
    }
    QString reason;
    if (!CommitSavedFile(file, &reason)) {
        reportUnwritable(localPath, reason);
        return false;
    }
    return true;
}
