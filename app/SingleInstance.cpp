#include "SingleInstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

// Requests of later starts at info level; a socket that cannot be made as a warning.
Q_LOGGING_CATEGORY(lcInstance, "zn.instance", QtWarningMsg)

namespace
{
// A request: this mark, then the file's path as a QString (QDataStream, Qt 6.0 format). The
// answer: one byte, Accepted.
constexpr quint32 RequestMark = 0x5a4e4d31; // "ZNM1"
constexpr char Accepted = 'A';
// A path is far shorter; more is no request of ours.
constexpr qint64 MaxRequestBytes = 64 * 1024;
// While the running copy is still starting, its socket is not there yet.
constexpr int ConnectRetryMs = 100;
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;

int remainingMs(const QDeadlineTimer &deadline)
{
    return int(qMax<qint64>(0, deadline.remainingTime()));
}
} // namespace

SingleInstance::SingleInstance(const QString &directory, QObject *parent)
    : QObject(parent), m_lockPath(QDir(directory.isEmpty() ? defaultDirectory() : directory)
                                      .filePath(QStringLiteral("ZN Monitor.lock"))),
      m_socketPath(QFileInfo(m_lockPath).dir().filePath(QStringLiteral("ZN Monitor.socket"))),
      m_lock(m_lockPath)
{
    // Only a lock whose process is gone counts as stale, however long the first copy has run.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: a copy started after the lock is free makes a socket of
    // its own at the same path, which closing ours later would remove.
    delete m_server;
}

bool SingleInstance::tryAcquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

bool SingleInstance::listen()
{
    if (!m_lock.isLocked())
        return false;
    if (m_server != nullptr)
        return m_server->isListening();
    // Only the holder of the lock gets here, so a socket there was left by a copy that crashed.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptRequests);
    if (m_server->listen(m_socketPath))
        return true;
    qCWarning(lcInstance) << "later starts cannot reach this copy:" << m_socketPath
                          << m_server->errorString();
    return false;
}

void SingleInstance::acceptRequests()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // A peer that never completes its request does not keep the connection.
        QTimer::singleShot(HandOverTimeoutMs, socket, &QLocalSocket::abort);
    }
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.setVersion(StreamVersion);
    in.startTransaction();
    quint32 mark = 0;
    in >> mark;
    if (in.status() == QDataStream::Ok && mark != RequestMark) {
        socket->abort();
        return;
    }
    QString filePath;
    in >> filePath;
    if (!in.commitTransaction())
        return; // the rest is still on its way
    socket->write(&Accepted, 1);
    socket->disconnectFromServer();
    qCInfo(lcInstance) << "a later start asked for the window with the file" << filePath;
    // Told from the event loop, not from within the socket's signal: the window answers with a
    // question box, whose event loop may close and delete the socket under this call.
    QMetaObject::invokeMethod(
        this, [this, filePath] { emit activationRequested(filePath); }, Qt::QueuedConnection);
}

bool SingleInstance::handOver(const QString &filePath, int timeoutMs) const
{
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << RequestMark << (filePath.isEmpty() ? QString() : QFileInfo(filePath).absoluteFilePath());

    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(remainingMs(deadline))) {
            socket.write(request);
            if (!socket.waitForBytesWritten(remainingMs(deadline)) && socket.bytesToWrite() > 0)
                return false;
            if (socket.bytesAvailable() < 1)
                socket.waitForReadyRead(remainingMs(deadline));
            char answer = 0;
            return socket.read(&answer, 1) == 1 && answer == Accepted;
        }
        const QLocalSocket::LocalSocketError error = socket.error();
        const bool starting = error == QLocalSocket::ServerNotFoundError ||
                              error == QLocalSocket::ConnectionRefusedError;
        if (!starting || deadline.hasExpired())
            return false;
        QThread::msleep(qMin(ConnectRetryMs, remainingMs(deadline)));
    }
}

QString SingleInstance::defaultDirectory()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return directory;
}
