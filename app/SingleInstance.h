#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running copy of the program per user. The first start holds a lock file "ZN Monitor.lock"
// in the per-user runtime folder (the temporary folder where there is none) for the life of this
// object and listens beside it on the local socket "ZN Monitor.socket"; a later start hands the
// running copy the settings data file it was given, asks it to come to the front, and ends. A lock
// left by a crashed copy is taken over; a running copy's lock never goes stale with age.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // How long a later start waits for the running copy's answer. The running copy listens only
    // once its window is made, after its start-up messages, which the operator may still be
    // reading.
    static constexpr int HandOverTimeoutMs = 10000;

    // directory overrides the folder (tests); it must exist.
    explicit SingleInstance(const QString &directory = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process now holds the lock; false while another copy runs.
    bool tryAcquire();
    // Only for the holder of the lock: takes the requests of later starts from now on
    // (activationRequested). False when the socket cannot be made; the program then runs on, and
    // a later start says that it is already running.
    bool listen();
    // For a later start: asks the running copy to come to the front and to load filePath (empty:
    // no file). A relative path is taken from this process's current folder. True when the
    // running copy took the request within timeoutMs.
    bool handOver(const QString &filePath, int timeoutMs = HandOverTimeoutMs) const;

    QString lockFilePath() const { return m_lockPath; }
    QString socketPath() const { return m_socketPath; }

    static QString defaultDirectory();

signals:
    // A later start asked this copy to come to the front; filePath is the absolute path of the
    // settings data file it was given, or empty.
    void activationRequested(const QString &filePath);

private:
    void acceptRequests();
    void readRequest(QLocalSocket *socket);

    QString m_lockPath;
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
};
