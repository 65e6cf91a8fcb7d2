#include "Checksums.h"

namespace Checksums
{

quint8 lrc(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum = quint8(sum + quint8(c));
    return quint8(-sum);
}

quint16 crc16(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

quint8 ravtocolBcc(const QByteArray &characters)
{
    quint8 sum = 0;
    for (char c : characters)
        sum = quint8(sum + quint8(c));
    return sum;
}

quint8 vendorBcc(const QByteArray &characters)
{
    quint8 x = 0;
    for (char c : characters)
        x ^= quint8(c);
    return x;
}

QByteArray hex2(quint8 value)
{
    return QByteArray::number(value, 16).rightJustified(2, '0').toUpper();
}

} // namespace Checksums

int LineTiming::bitsPerCharacter(int dataBits, bool parity, int stopBits)
{
    return 1 + dataBits + (parity ? 1 : 0) + stopBits;
}

qint64 LineTiming::characterMicros(int speed, int dataBits, bool parity, int stopBits)
{
    if (speed <= 0)
        return 0;
    return (qint64(bitsPerCharacter(dataBits, parity, stopBits)) * 1000000 + speed - 1) / speed;
}

qint64 LineTiming::rtuFrameGapMicros(int speed, int dataBits, bool parity, int stopBits)
{
    if (speed > 19200)
        return 1750;
    return (characterMicros(speed, dataBits, parity, stopBits) * 7 + 1) / 2;
}

qint64 LineTiming::replyDeadlineMs(int replyWaitMs, qint64 characterMicros, int requestBytes)
{
    // Rounded up: a deadline a fraction early would cut off a reply that is on time.
    return replyWaitMs + (characterMicros * requestBytes + 999) / 1000;
}
