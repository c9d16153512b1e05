#pragma once
// A loopback HTTP server that misbehaves on purpose, for the bounds of an
// exchange with the part service. It runs in the test's own thread: the
// client's wait serves it.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpServer>

class HostileService : public QObject
{
public:
    enum class Mode {
        Trickle,  // no length, then one byte every 20 ms without end
        Flood,    // no length, then `bytes` bytes at once
        Announce, // announces `bytes`, sends a few and waits
        BreakOff, // announces `bytes`, sends a tenth and hangs up
        Serve,    // `bytes` bytes, properly announced
    };
    HostileService(Mode mode, qint64 bytes = 0);

    QString address() const;
    bool listening() const { return m_server.isListening(); }
    // The body Serve sends: bytes of a recognisable pattern.
    static QByteArray Body(qint64 bytes);

private:
    void answer(class QTcpSocket* socket);

    QTcpServer m_server;
    Mode m_mode;
    qint64 m_bytes;
};
