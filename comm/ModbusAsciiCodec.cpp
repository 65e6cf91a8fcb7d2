#include "ModbusAsciiCodec.h"

#include "comm/Checksums.h"
#include "comm/FrameText.h"
#include "comm/ModbusPdu.h"

// ':' + 2 x (255 data bytes + station, function, count, LRC) + CR LF.
static constexpr int MaxFrameLength = 1 + 2 * 259 + 2;

QByteArray ModbusAsciiCodec::requestFrame(const FrameRequest &request) const
{
    const QByteArray adu = ModbusPdu::requestAdu(request);
    return adu.isEmpty() ? QByteArray() : ModbusPdu::asciiText(adu).toLatin1();
}

FrameVerdict ModbusAsciiCodec::judge(const QByteArray &input, const FrameRequest &request) const
{
    const int start = int(input.indexOf(':'));
    if (start < 0)
        return input.isEmpty() ? FrameVerdict::incomplete()
                               : FrameVerdict::discard(int(input.size()));
    if (start > 0)
        return FrameVerdict::discard(start);

    const int end = int(input.indexOf('\n'));
    const int restart = int(input.indexOf(':', 1));
    if (restart > 0 && (end < 0 || restart < end))
        return FrameVerdict::discard(restart);
    if (end < 0)
        return input.size() < MaxFrameLength ? FrameVerdict::incomplete()
                                             : FrameVerdict::discard(1);

    const int frameLength = end + 1;
    const QByteArray hex = input.mid(1, end - 2);
    const QByteArray head = ModbusPdu::requestAdu(request);
    if (input[end - 1] != '\r' || hex.size() % 2 != 0 || !FrameText::isHex(hex) || head.size() < 2)
        return FrameVerdict::discard(frameLength);
    const QByteArray bytes = QByteArray::fromHex(hex);
    const QByteArray adu = bytes.left(bytes.size() - 1);
    const int expected = ModbusPdu::replyLength(adu, quint8(head[0]), quint8(head[1]));
    if (expected <= 0 || adu.size() != expected || Checksums::lrc(adu) != quint8(bytes.back()) ||
        !ModbusPdu::answersRequest(adu, head))
        return FrameVerdict::discard(frameLength);
    return FrameVerdict::complete(frameLength, QString::fromLatin1(input.left(frameLength)));
}
