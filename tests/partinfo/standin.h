#pragma once
// The stand-in part service of tools/partservice, started for one test on a
// free loopback port and stopped with SIGTERM when the test ends.
#include <QProcess>
#include <QString>

class StandInService
{
public:
    StandInService();
    // Another script of tools/partservice with its arguments (the port is added).
    StandInService(const QString& script, const QStringList& arguments);
    ~StandInService();
    StandInService(const StandInService&) = delete;
    StandInService& operator=(const StandInService&) = delete;

    bool running() const { return m_port > 0; }
    QString address() const; // "http://127.0.0.1:PORT"
    QString why() const { return m_why; }

private:
    void start(const QString& script, const QStringList& arguments);

    QProcess m_process;
    int m_port = 0;
    QString m_why;
};

// A loopback port nothing listens on.
int ClosedLoopbackPort();
// Makes sure a QCoreApplication exists (network replies need its event loop).
void EnsureCoreApplication();
