#include "ModbusRtuCodec.h"

#include "comm/Checksums.h"
#include "comm/ModbusPdu.h"

static QByteArray withCrc(QByteArray adu)
{
    const quint16 crc = Checksums::crc16(adu);
    adu += char(crc & 0xFF);
    adu += char(crc >> 8);
    return adu;
}

// Length of the valid reply frame (CRC included) at the front of bytes; 0 when there is none yet,
// -1 when the front can be no valid reply (a frame of the right head with a wrong CRC sets
// badCrc).
static int validFrameAt(const QByteArray &bytes, quint8 station, quint8 function,
                        bool *badCrc = nullptr)
{
    const int aduLength = ModbusPdu::replyLength(bytes, station, function);
    if (aduLength <= 0)
        return aduLength;
    if (bytes.size() < aduLength + 2)
        return 0;
    const QByteArray frame = bytes.left(aduLength + 2);
    if (withCrc(frame.left(aduLength)) == frame)
        return aduLength + 2;
    if (badCrc)
        *badCrc = true;
    return -1;
}

QByteArray ModbusRtuCodec::requestFrame(const FrameRequest &request) const
{
    const QByteArray adu = ModbusPdu::requestAdu(request);
    return adu.isEmpty() ? QByteArray() : withCrc(adu);
}

FrameVerdict ModbusRtuCodec::judge(const QByteArray &input, const FrameRequest &request) const
{
    const QByteArray head = ModbusPdu::requestAdu(request);
    if (input.isEmpty())
        return FrameVerdict::incomplete();
    if (head.size() < 2)
        return FrameVerdict::discard(int(input.size()));
    const quint8 station = quint8(head[0]);
    const quint8 function = quint8(head[1]);

    bool badCrc = false;
    const int length = validFrameAt(input, station, function, &badCrc);
    if (length > 0) {
        // A whole, checked frame that answers something else (another register count, another
        // write) gives up only its first byte: the reply may start inside it, and is then found
        // whether the bytes came at once or in pieces.
        const QByteArray adu = input.left(length - 2);
        if (!ModbusPdu::answersRequest(adu, head))
            return FrameVerdict::discard(1, ModbusPdu::notTheAnswer(head));
        return FrameVerdict::complete(length, ModbusPdu::asciiText(adu));
    }
    // Binary frames have no start mark: a head from another station or function is told from
    // noise by nothing, so only a wrong CRC is named.
    if (length < 0)
        return FrameVerdict::discard(1, badCrc ? ReplyVerdict::Checksum : ReplyVerdict::Noise);
    // Binary frames have no start mark: noise whose head looks like a long reply would hold us
    // until the timeout, so a valid frame that starts later wins.
    for (int skip = 1; skip < input.size(); ++skip) {
        if (validFrameAt(input.mid(skip), station, function) > 0)
            return FrameVerdict::discard(skip);
    }
    return FrameVerdict::incomplete();
}
