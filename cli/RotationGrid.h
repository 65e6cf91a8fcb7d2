#pragma once

#include <QtGlobal>

// The pace of monitor --interval: rotations start on a grid of the interval, counted from the
// epoch (an interval of 1 s starts each rotation on a whole second of the clock, 60 s on each
// whole minute). A rotation that takes longer than the interval skips the grid points it
// overran; it never shifts the grid, so that rows stay on it for as long as the run lasts.
class RotationGrid
{
public:
    // intervalMs 0: no grid, each rotation straight after the last.
    explicit RotationGrid(qint64 intervalMs) : m_intervalMs(intervalMs) {}

    bool isPaced() const { return m_intervalMs > 0; }
    // When the next rotation starts (milliseconds since the epoch), for a rotation that may
    // start at nowMs: the first grid point at or after nowMs that is later than the last start.
    qint64 nextStart(qint64 nowMs);
    // Grid points passed by without a rotation, because the one before overran them.
    qint64 skipped() const { return m_skipped; }

private:
    const qint64 m_intervalMs;
    qint64 m_lastStart = -1;
    qint64 m_skipped = 0;
};
