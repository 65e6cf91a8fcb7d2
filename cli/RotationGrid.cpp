#include "RotationGrid.h"

qint64 RotationGrid::nextStart(qint64 nowMs)
{
    if (!isPaced())
        return nowMs;
    qint64 next = (nowMs + m_intervalMs - 1) / m_intervalMs * m_intervalMs;
    if (next <= m_lastStart)
        next = m_lastStart + m_intervalMs;
    if (m_lastStart >= 0)
        m_skipped += (next - m_lastStart) / m_intervalMs - 1;
    m_lastStart = next;
    return next;
}
