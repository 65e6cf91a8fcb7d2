#pragma once

#include <QLockFile>
#include <QString>

// Refuses a second running copy of the program: a lock file "ZN Monitor.lock" in the per-user
// runtime folder (the temporary folder where there is none), held for the life of this object.
// A lock left by a crashed copy is taken over; a running copy's lock never goes stale with age.
class SingleInstance
{
public:
    // lockDirectory overrides the folder (tests); it must exist.
    explicit SingleInstance(const QString &lockDirectory = QString());

    // True when this process now holds the lock; false while another copy runs.
    bool tryAcquire();
    QString lockFilePath() const { return m_path; }

    static QString defaultDirectory();

private:
    QString m_path;
    QLockFile m_lock;
};
