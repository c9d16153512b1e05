#include "partinfo/hostileservice.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

HostileService::HostileService(Mode mode, qint64 bytes) : m_mode(mode), m_bytes(bytes)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            // Answer once the request is in.
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                if (socket->property("answered").toBool() || !socket->peek(65536).contains("\r\n\r\n"))
                    return;
                socket->setProperty("answered", true);
                socket->readAll();
                answer(socket);
            });
        }
    });
}

QString HostileService::address() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

QByteArray HostileService::Body(qint64 bytes)
{
    QByteArray body;
    body.reserve(bytes);
    for (qint64 i = 0; i < bytes; ++i)
        body.append(char('a' + i % 26));
    return body;
}

void HostileService::answer(QTcpSocket* socket)
{
    const QByteArray unannounced = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    const QByteArray announced = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
        + QByteArray::number(m_bytes) + "\r\n\r\n";
    switch (m_mode) {
    case Mode::Trickle: {
        socket->write(unannounced);
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(20);
        break;
    }
    case Mode::Flood:
        socket->write(unannounced + Body(m_bytes));
        socket->disconnectFromHost();
        break;
    case Mode::Announce:
        socket->write(announced + Body(16));
        break;
    case Mode::BreakOff:
        socket->write(announced + Body(m_bytes / 10));
        socket->flush();
        socket->disconnectFromHost();
        break;
    case Mode::Serve:
        socket->write(announced + Body(m_bytes));
        socket->disconnectFromHost();
        break;
    }
}
