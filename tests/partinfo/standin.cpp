#include "partinfo/standin.h"

#include "support/testsupport.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>

StandInService::StandInService()
{
    start(QStringLiteral("partservice.py"), {});
}

StandInService::StandInService(const QString& script, const QStringList& arguments)
{
    start(script, arguments);
}

void StandInService::start(const QString& script, const QStringList& arguments)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        m_why = QStringLiteral("python3 not found");
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, QStringList{SourceDir() + QStringLiteral("/tools/partservice/") + script,
                                        QStringLiteral("--port"), QStringLiteral("0")}
                                + arguments);
    if (!m_process.waitForStarted(15000)) {
        m_why = QStringLiteral("the stand-in did not start");
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
    }
    bool ok = false;
    const int port = QString::fromLatin1(m_process.readLine()).trimmed().toInt(&ok);
    if (ok && port > 0)
        m_port = port;
    else
        m_why = QStringLiteral("the stand-in printed no port");
}

StandInService::~StandInService()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString StandInService::address() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

int ClosedLoopbackPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 9; // discard: nothing listens there on a test machine
    const int port = server.serverPort();
    server.close();
    return port;
}

void EnsureCoreApplication()
{
    static int argc = 1;
    static char name[] = "partinfo_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}
