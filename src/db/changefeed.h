#pragma once
// A desk hears of other desks' changes to its shop: on a server through the
// shop's notice channel (every write transaction of every desk sends one at
// COMMIT), on a folder through the file's data version, read every couple
// of seconds. The windows refresh what they show when changed() arrives.
// QtCore only: the engines and koltctl may use it as well.
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
class QTimer;
class DatabaseEngine;

class ChangeFeed final : public QObject
{
    Q_OBJECT
public:
    explicit ChangeFeed(QObject* parent = nullptr);
    ~ChangeFeed() override;

    // Starts watching the data location (a folder or a server address); an
    // empty one, or stop(), watches nothing. A server the feed cannot reach
    // is tried again every few seconds.
    void watch(const QString& location);
    void stop();
    QString location() const { return m_location; }
    // Whether a server location is listened to now (false on a folder).
    bool listening() const;

    // How often a folder's data version is read (milliseconds).
    void setPollInterval(int milliseconds);
    int pollInterval() const;

    // Looks once, now: true when another desk changed the shop since the
    // last look (changed() is sent as well).
    bool poll();

Q_SIGNALS:
    // Another desk wrote to the shop; sent at most once per short burst.
    void changed();

private:
    void listen();
    void readNotices();
    void dropListener();
    void announce();

    QString m_location;
    bool m_server = false;
    QTimer* m_poll = nullptr;      // a folder's data version; a lost server's retry
    QTimer* m_settle = nullptr;    // gathers a burst of notices into one changed()
    QSocketNotifier* m_socket = nullptr;
    std::unique_ptr<DatabaseEngine> m_listener;
    QString m_version; // a folder's data version as last read
    bool m_pending = false;
};
