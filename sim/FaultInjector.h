#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <random>

// Faults put on the controller's replies on demand. Counted faults act on the next N replies, one
// each; faults of different kinds add up on the same reply. The request itself always takes
// effect: only its reply is spoiled.
class FaultInjector
{
public:
    // What becomes of one reply.
    struct Outcome {
        QByteArray bytes; // to send; empty: nothing is sent
        int extraDelayMs = 0;
    };

    explicit FaultInjector(quint32 seed = 1);

    void dropNext(int count) { m_drop = qMax(0, count); }
    // Drops each reply with this probability (0 to 1).
    void dropFraction(double fraction);
    void corruptNext(int count) { m_corrupt = qMax(0, count); }
    // Sends only the first half of the reply.
    void truncateNext(int count) { m_truncate = qMax(0, count); }
    // Puts a few noise bytes on the line before the reply.
    void noiseNext(int count) { m_noise = qMax(0, count); }
    void delayNext(int count, int delayMs);
    // No reply at all until switched off.
    void setSilent(bool silent) { m_silent = silent; }
    // Every fault off.
    void clear();

    // Applies the pending faults to a reply whose last terminatorBytes bytes end the frame and
    // whose two bytes before them are the checksum.
    Outcome apply(const QByteArray &reply, int terminatorBytes);

private:
    bool take(int &counter);

    std::mt19937 m_random;
    int m_drop = 0;
    double m_dropFraction = 0;
    int m_corrupt = 0;
    int m_truncate = 0;
    int m_noise = 0;
    int m_delayed = 0;
    int m_delayMs = 0;
    bool m_silent = false;
};
