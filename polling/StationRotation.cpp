#include "StationRotation.h"

#include <algorithm>

qint64 StationRotation::untilDue(qint64 nowMs) const
{
    const qint64 first = *std::min_element(m_retryAt.cbegin(), m_retryAt.cend());
    return std::max<qint64>(0, first - nowMs);
}
