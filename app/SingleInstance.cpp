#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace
{
QString lockPathIn(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("ZN Monitor.lock"));
}
} // namespace

SingleInstance::SingleInstance(const QString &lockDirectory)
    : m_path(lockPathIn(lockDirectory.isEmpty() ? defaultDirectory() : lockDirectory)),
      m_lock(m_path)
{
    // Only a lock whose process is gone counts as stale, however long the first copy has run.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

QString SingleInstance::defaultDirectory()
{
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    return directory;
}
