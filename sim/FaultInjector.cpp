#include "sim/FaultInjector.h"

#include <algorithm>

namespace
{
// Line noise as a bad contact produces it: no start characters of any framing among them.
const QByteArray NoiseBytes = QByteArray::fromHex("FF00F8E0");
} // namespace

FaultInjector::FaultInjector(quint32 seed) : m_random(seed) {}

void FaultInjector::dropFraction(double fraction)
{
    m_dropFraction = std::clamp(fraction, 0.0, 1.0);
}

void FaultInjector::delayNext(int count, int delayMs)
{
    m_delayed = qMax(0, count);
    m_delayMs = qMax(0, delayMs);
}

void FaultInjector::clear()
{
    m_drop = m_corrupt = m_truncate = m_noise = m_delayed = m_delayMs = 0;
    m_dropFraction = 0;
    m_silent = false;
}

bool FaultInjector::take(int &counter)
{
    if (counter <= 0)
        return false;
    --counter;
    return true;
}

FaultInjector::Outcome FaultInjector::apply(const QByteArray &reply, int terminatorBytes)
{
    if (m_silent || reply.isEmpty())
        return {};
    const bool drop = take(m_drop);
    const bool corrupt = take(m_corrupt);
    const bool truncate = take(m_truncate);
    const bool noise = take(m_noise);
    const bool delay = take(m_delayed);
    if (drop || (m_dropFraction > 0 &&
                 std::uniform_real_distribution<double>(0, 1)(m_random) < m_dropFraction))
        return {};
    Outcome outcome{reply, delay ? m_delayMs : 0};
    const int checksumAt = int(reply.size()) - terminatorBytes - 2;
    if (corrupt && checksumAt >= 0) {
        char &c = outcome.bytes[checksumAt + 1];
        if (terminatorBytes == 0) {
            c = char(quint8(c) ^ 0x01); // a binary CRC byte
        } else {
            // Another hexadecimal digit, so that the frame still looks complete.
            const QByteArray digits = "0123456789ABCDEF";
            c = digits.at((digits.indexOf(c) + 1) % 16);
        }
    }
    if (truncate)
        outcome.bytes.truncate(outcome.bytes.size() / 2);
    if (noise)
        outcome.bytes.prepend(NoiseBytes);
    return outcome;
}
