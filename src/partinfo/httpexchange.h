#pragma once
// One bounded HTTP exchange with a distributor's service: any method, headers
// and body, waited for in a local event loop so callers see a plain call.
// Like the part service's requests it is bounded in silence, in time and in
// size, and it goes only to https addresses, or to plain http on the loopback
// interface (the stand-ins of the tests and proxies on this machine).
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

struct HttpRequest
{
    QByteArray method = "GET";
    QString url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int deadline = 30000;      // ms for the whole exchange
    qint64 maxBytes = 4 << 20; // the largest answer read
};

struct HttpAnswer
{
    enum Outcome { Done, Refused, Unreachable, TooSlow, TooLarge };
    Outcome outcome = Unreachable;
    int status = 0; // the HTTP status when an answer came
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString error; // in words, for the user, when outcome is not Done

    bool ok() const { return outcome == Done && status >= 200 && status < 300; }
    QByteArray header(const QByteArray& name) const;
};

// Whether a request may go to the address: https anywhere, http only to a
// loopback host. Credentials are never sent in the clear over a network.
bool SecureAddressAllowed(const QString& url);

HttpAnswer HttpExchange(const HttpRequest& request);
