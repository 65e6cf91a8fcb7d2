#include "ScaleEntry.h"

#include "base/MessageTable.h"

namespace
{
constexpr int ScaleMin = -2000;
constexpr int ScaleMax = 10000;
constexpr int CycleMin = 1;
constexpr int CycleMax = 60;
constexpr int DivisionsMin = 2;
constexpr int DivisionsMax = 10;

constexpr int CheckInput = 559;
constexpr int OutOfRange = 229;
constexpr int ScalingError = 554;
} // namespace

ScaleEntry::ScaleEntry(Mode mode, qint16 high, qint16 low) : m_mode(mode), m_high(high), m_low(low)
{
}

QString ScaleEntry::limitText() const
{
    switch (m_mode) {
    case YHigh:
        return msg(1046).arg(m_low + 1).arg(ScaleMax);
    case YLow:
        return msg(1046).arg(ScaleMin).arg(m_high - 1);
    case Cycle:
        return msg(1046).arg(CycleMin).arg(CycleMax);
    case Divisions:
        break;
    }
    return msg(1046).arg(DivisionsMin).arg(DivisionsMax);
}

void ScaleEntry::edit(const TenKey &key)
{
    if (key.action != TenKey::Point)
        m_keys.edit(key, 0);
}

int ScaleEntry::plusMinus()
{
    m_keys.negate();
    const std::optional<int> v = m_keys.value(0);
    const bool ok =
        !v || (m_mode == Cycle ? inRange(*v, CycleMin, CycleMax) : inRange(*v, ScaleMin, ScaleMax));
    if (ok)
        return 0;
    m_keys.clear();
    return OutOfRange;
}

int ScaleEntry::accept()
{
    if (m_keys.isEmpty())
        return CheckInput;
    const int v = value();
    const bool ok = m_mode == Cycle       ? inRange(v, CycleMin, CycleMax)
                    : m_mode == Divisions ? inRange(v, DivisionsMin, DivisionsMax)
                                          : inRange(v, ScaleMin, ScaleMax);
    int message = ok ? 0 : OutOfRange;
    if (ok && ((m_mode == YHigh && v <= m_low) || (m_mode == YLow && v >= m_high)))
        message = ScalingError;
    if (message != 0)
        m_keys.clear();
    return message;
}
