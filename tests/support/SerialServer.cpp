#include "SerialServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace
{
constexpr int StartTimeoutMs = 10000;
} // namespace

SerialServer::~SerialServer()
{
    kill();
}

QString SerialServer::executable()
{
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                           QStringLiteral("/usr/local/sbin")});
}

quint16 SerialServer::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

bool SerialServer::start(const QString &device, Mode mode, const QString &lineConditions)
{
    m_mode = mode;
    m_port = freePort();
    const QString config = m_folder.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    const QString accepter = mode == Mode::Raw ? QStringLiteral("tcp,127.0.0.1,%1")
                                               : QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1");
    // "local": a pseudo-terminal has no modem lines to wait for.
    const QString text = QStringLiteral("connection: &line\n"
                                        "  accepter: %1\n"
                                        "  connector: serialdev,%2,%3,local\n"
                                        "  options:\n"
                                        "    max-connections: 1\n")
                             .arg(accepter.arg(m_port), device, lineConditions);
    if (!m_folder.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(text.toUtf8()) != text.toUtf8().size()) {
        m_error = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(executable(), {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                                   QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    // Listening shows as a connection taken; it is let go at once, so the line stays free.
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (socket.waitForConnected(200)) {
            socket.abort();
            // ser2net closes the device after the connection; the next client opens it anew.
            QThread::msleep(100);
            return true;
        }
        QThread::msleep(50);
    }
    m_error = QStringLiteral("ser2net did not listen on %1: %2")
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(m_process.readAll()));
    kill();
    return false;
}

QString SerialServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_mode == Mode::Raw ? QStringLiteral("tcp") : QStringLiteral("rfc2217"))
        .arg(m_port);
}

void SerialServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(StartTimeoutMs);
}
