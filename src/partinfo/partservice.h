#pragma once
// The HTTP side of the online part information: where the part service is,
// the two requests it answers, and fetching text and files from it. Every
// call waits for its answer (at most the timeout), so the dialog, koltctl and
// the tests use the same calls.
#include <QString>

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

// Milliseconds a request may take before it counts as unreachable.
constexpr int kPartServiceTimeout = 10000;
// For tests of the timeout; 0 restores kPartServiceTimeout.
void SetPartServiceTimeout(int milliseconds);

// The caption of the service's messages: the application name.
QString PartServiceCaption();

// GETs url and returns its body decoded as UTF-8, after showing it to the
// user. A service that cannot be reached (or refuses, or does not answer in
// time) shows "Internet Connection Error" and gives an empty text.
QString FetchText(const QString& url);
// GETs url into localPath, written whole or not at all. False, after
// "Internet Connection Error", when the URL cannot be fetched; false, after
// its own message, when the file cannot be written.
bool DownloadFile(const QString& url, const QString& localPath);
