#include "db/changefeed.h"

#include "core/appstate.h"
#include "db/database.h"
#include "db/engine.h"
#include "db/location.h"
#include "db/serveraccess.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

namespace {

constexpr int kFolderPoll = 2000;  // a folder's data version, read this often
constexpr int kServerRetry = 5000; // a lost listener is opened again this often
constexpr int kSettle = 250;       // notices closer than this make one refresh

} // namespace

QByteArray DeskChangeToken()
{
    // Random per process: two desks on one computer are two desks.
    static const QByteArray token = QByteArray::number(QCoreApplication::applicationPid()) + '-'
                                    + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    return token;
}

ChangeFeed::ChangeFeed(QObject* parent) : QObject(parent), m_poll(new QTimer(this)), m_settle(new QTimer(this))
{
    m_poll->setInterval(kFolderPoll);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (m_server)
            listen();
        else
            poll();
    });
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettle);
    connect(m_settle, &QTimer::timeout, this, [this] {
        m_pending = false;
        Q_EMIT changed();
    });
}

ChangeFeed::~ChangeFeed()
{
    dropListener();
}

void ChangeFeed::watch(const QString& location)
{
    stop();
    m_location = location;
    if (location.isEmpty())
        return;
    m_server = IsServerAddress(location);
    if (m_server) {
        m_poll->setInterval(kServerRetry);
        listen();
    } else {
        // The first reading is the one later readings are compared with.
        m_version = QueryText(QStringLiteral("PRAGMA data_version"), false);
        m_poll->start();
    }
}

void ChangeFeed::stop()
{
    m_poll->stop();
    m_settle->stop();
    m_pending = false;
    dropListener();
    m_location.clear();
    m_version.clear();
    m_server = false;
}

bool ChangeFeed::listening() const
{
    return m_socket != nullptr;
}

void ChangeFeed::setPollInterval(int milliseconds)
{
    if (!m_server)
        m_poll->setInterval(milliseconds);
}

int ChangeFeed::pollInterval() const
{
    return m_poll->interval();
}

bool ChangeFeed::poll()
{
    if (m_location.isEmpty())
        return false;
    if (m_server) {
        if (!m_socket)
            listen();
        const bool before = m_pending;
        readNotices();
        return m_pending && !before;
    }
    if (InTransaction())
        return false;
    // Another connection's commit moves the file's data version; this
    // desk's own do not. A read that fails (the file gone a moment) waits
    // for the next.
    const QString version = QueryText(QStringLiteral("PRAGMA data_version"), false);
    if (LastResultCode() != 0 || version.isEmpty() || version == m_version)
        return false;
    const bool first = m_version.isEmpty();
    m_version = version;
    if (first)
        return false;
    announce();
    return true;
}

void ChangeFeed::listen()
{
    if (m_socket || !m_server)
        return;
    // A connection of its own: the desk's one connection is busy with the
    // desk's work and may be opened again at any time.
    m_listener = NewServerEngine();
    QString error;
    if (!m_listener->load() || !m_listener->open(m_location, &error)) {
        m_listener.reset();
        m_poll->start(); // tried again a little later
        return;
    }
    const QByteArray statement =
        "LISTEN " + QuoteSqlIdentifier(QStringLiteral("kolt.") + m_listener->shopSchema()).toUtf8();
    if (m_listener->exec(statement, nullptr, &error) != kEngineOk || m_listener->notificationSocket() < 0) {
        m_listener.reset();
        m_poll->start();
        return;
    }
    const bool retried = m_poll->isActive();
    m_poll->stop();
    m_socket = new QSocketNotifier(static_cast<qintptr>(m_listener->notificationSocket()), QSocketNotifier::Read, this);
    connect(m_socket, &QSocketNotifier::activated, this, &ChangeFeed::readNotices);
    // While nobody listened, other desks may have written.
    if (retried)
        announce();
}

void ChangeFeed::readNotices()
{
    if (!m_listener)
        return;
    const int notices = m_listener->takeChangeNotices();
    if (notices < 0) {
        // The server went away (a restart): listen again once it is back.
        dropListener();
        m_poll->start();
        return;
    }
    if (notices > 0)
        announce();
}

void ChangeFeed::dropListener()
{
    delete m_socket;
    m_socket = nullptr;
    if (m_listener)
        m_listener->close();
    m_listener.reset();
}

void ChangeFeed::announce()
{
    m_pending = true;
    if (!m_settle->isActive())
        m_settle->start();
}
