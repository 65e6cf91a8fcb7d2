#include "ModbusAsciiCodec.h"

#include "comm/Checksums.h"
#include "comm/FrameText.h"
#include "comm/ModbusPdu.h"
#include "comm/TextFrameScanner.h"

// ':' + 2 x (255 data bytes + station, function, count, LRC) + CR LF.
static constexpr int MaxFrameLength = 1 + 2 * 259 + 2;

QByteArray ModbusAsciiCodec::requestFrame(const FrameRequest &request) const
{
    const QByteArray adu = ModbusPdu::requestAdu(request);
    return adu.isEmpty() ? QByteArray() : ModbusPdu::asciiText(adu).toLatin1();
}

FrameVerdict ModbusAsciiCodec::judge(const QByteArray &input, const FrameRequest &request) const
{
    const TextFrameScanner::Front front = TextFrameScanner::front(input, ':', '\n', MaxFrameLength);
    if (front.verdict)
        return *front.verdict;

    const int frameLength = front.length;
    const int end = frameLength - 1;
    const QByteArray hex = input.mid(1, end - 2);
    const QByteArray head = ModbusPdu::requestAdu(request);
    if (input[end - 1] != '\r' || hex.size() % 2 != 0 || !FrameText::isHex(hex) || head.size() < 2)
        return FrameVerdict::discard(frameLength);
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (bytes.size() < 2)
        return FrameVerdict::discard(frameLength, ReplyVerdict::WrongLength);
    const QByteArray adu = bytes.left(bytes.size() - 1);
    if (Checksums::lrc(adu) != quint8(bytes.back()))
        return FrameVerdict::discard(frameLength, ReplyVerdict::Checksum);
    const int expected = ModbusPdu::replyLength(adu, quint8(head[0]), quint8(head[1]));
    if (expected < 0)
        return FrameVerdict::discard(frameLength, ModbusPdu::mismatch(adu, quint8(head[0])));
    if (expected == 0 || adu.size() != expected)
        return FrameVerdict::discard(frameLength, ReplyVerdict::WrongLength);
    if (!ModbusPdu::answersRequest(adu, head))
        return FrameVerdict::discard(frameLength, ModbusPdu::notTheAnswer(head));
    return FrameVerdict::complete(frameLength, QString::fromLatin1(input.left(frameLength)));
}
