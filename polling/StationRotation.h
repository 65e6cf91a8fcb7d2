#pragma once

#include <QList>
#include <QtGlobal>

// The turn of several instruments polled on one line. An instrument that answers is polled on
// every rotation; one that did not answer is silent and is tried again only once every
// SilentRetryMs, so that its reply timeout costs the others that once, not every rotation.
// Times are milliseconds on any steady clock.
class StationRotation
{
public:
    static constexpr qint64 SilentRetryMs = 60000;

    // count instruments, every one due at once.
    explicit StationRotation(int count) : m_retryAt(count, 0) {}

    int count() const { return int(m_retryAt.size()); }
    // Whether instrument index is to be polled at nowMs.
    bool due(int index, qint64 nowMs) const { return nowMs >= m_retryAt.at(index); }
    bool isSilent(int index) const { return m_retryAt.at(index) > 0; }
    void answered(int index) { m_retryAt[index] = 0; }
    void fellSilent(int index, qint64 nowMs) { m_retryAt[index] = nowMs + SilentRetryMs; }
    // How long from nowMs until an instrument is due (0: one is due now).
    qint64 untilDue(qint64 nowMs) const;

private:
    // When each one is due next: 0 for one that answers.
    QList<qint64> m_retryAt;
};
