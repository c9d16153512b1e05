#pragma once
// The HTTP side of the online part information: where the part service is,
// the two requests it answers, and fetching text and files from it. Every
// call waits for its answer (at most the timeout), so the dialog, koltctl and
// the tests use the same calls.
#include <QString>
#include <QtGlobal>

// The stand-in service of tools/partservice listens here unless told otherwise.
QString DefaultPartServiceAddress();
// The saved base address (profile entry "HUX-KOLT/PARTSERVICE"), or the default.
QString PartServiceAddress();
void SetPartServiceAddress(const QString& address);
// "host:port" becomes "http://host:port"; a trailing "/" goes.
QString NormalizeServiceAddress(const QString& address);

// The search by text and the detail by uid, as full URLs in encoded form.
QString PartSearchUrl(const QString& serviceAddress, const QString& searchText);
QString PartDetailUrl(const QString& serviceAddress, const QString& uid);

// Milliseconds a request may wait for the service (for its answer to start,
// or for more of it) before the service counts as unreachable.
constexpr int kPartServiceTimeout = 10000;
// For tests of the timeout; 0 restores kPartServiceTimeout.
void SetPartServiceTimeout(int milliseconds);

// Bounds on one exchange beyond the silence above: a service that trickles
// its answer or sends without end must neither hang KOLT nor fill its memory
// or its disk.
struct PartServiceLimits
{
    int answerDeadline = 30000;          // ms for a whole search or detail exchange
    int datasheetDeadline = 300000;      // ms for a whole datasheet
    qint64 answerBytes = 4 << 20;        // the largest answer read
    qint64 datasheetBytes = 64 << 20;    // the largest datasheet saved
};
PartServiceLimits CurrentPartServiceLimits();
// For tests; PartServiceLimits{} restores the defaults.
void SetPartServiceLimits(const PartServiceLimits& limits);

// Whether every answer is shown to the user as it arrives (the Setup option
// "Show service answers", kept in the profile; off unless chosen).
bool ShowServiceAnswers();
void SetShowServiceAnswers(bool show);

// The caption of the service's messages: the application name.
QString PartServiceCaption();

// GETs url and returns its body decoded as UTF-8, shown to the user first
// when ShowServiceAnswers(). A service that cannot be reached (or refuses,
// does not answer in time or sends more than the limit) shows "Internet
// Connection Error", with the reason when there is one, and gives an empty
// text.
QString FetchText(const QString& url);
// GETs url into localPath, streamed to disk and put in place only when
// complete: a failed download leaves whatever was there before. False,
// after "Internet Connection Error", when the URL cannot be fetched in time
// or within the size limit; false, after its own message, when the file
// cannot be written.
bool DownloadFile(const QString& url, const QString& localPath);
