#include "ModbusPdu.h"

#include "comm/Checksums.h"
#include "comm/FrameText.h"

namespace ModbusPdu
{

QByteArray requestAdu(const FrameRequest &request)
{
    if (request.station.size() != 2 || request.command.size() != 2)
        return {};
    const QByteArray text =
        (request.station + request.command + request.address + request.data).toLatin1();
    if (text.size() % 2 != 0 || !FrameText::isHex(text))
        return {};
    return QByteArray::fromHex(text);
}

int replyLength(const QByteArray &adu, quint8 station, quint8 function)
{
    if (adu.size() < 2)
        return adu.isEmpty() || quint8(adu[0]) == station ? 0 : -1;
    if (quint8(adu[0]) != station)
        return -1;
    const quint8 replyFunction = quint8(adu[1]);
    if (replyFunction == (function | 0x80))
        return 3;
    if (replyFunction != function)
        return -1;
    switch (function) {
    case 0x03:
        return adu.size() < 3 ? 0 : 3 + quint8(adu[2]);
    case 0x06:
        return 6;
    default:
        return -1;
    }
}

bool answersRequest(const QByteArray &reply, const QByteArray &request)
{
    if (reply.size() < 3 || request.size() < 2 || reply[0] != request[0])
        return false;
    const quint8 function = quint8(request[1]);
    if (quint8(reply[1]) == (function | 0x80))
        return reply.size() == 3;
    if (quint8(reply[1]) != function)
        return false;
    switch (function) {
    case 0x03: {
        // station, function, first register (2), register count (2)
        if (request.size() != 6)
            return false;
        const int registers = (quint8(request[4]) << 8) | quint8(request[5]);
        return quint8(reply[2]) == 2 * registers && reply.size() == 3 + 2 * registers;
    }
    case 0x06:
        return reply == request;
    default:
        return false;
    }
}

ReplyVerdict mismatch(const QByteArray &adu, quint8 station)
{
    return !adu.isEmpty() && quint8(adu[0]) != station ? ReplyVerdict::WrongStation
                                                       : ReplyVerdict::WrongFunction;
}

ReplyVerdict notTheAnswer(const QByteArray &request)
{
    return request.size() >= 2 && quint8(request[1]) == 0x03 ? ReplyVerdict::WrongLength
                                                             : ReplyVerdict::LateReplyDropped;
}

QString asciiText(const QByteArray &adu)
{
    return QString::fromLatin1(':' + adu.toHex().toUpper() + Checksums::hex2(Checksums::lrc(adu)) +
                               "\r\n");
}

QString replyWord(const QString &reply, int wordNumber)
{
    // ':' station(2) function(2) ... LRC(2) CR LF
    if (wordNumber < 1 || reply.size() < 9 || !reply.startsWith(QLatin1Char(':')) ||
        !reply.endsWith(QLatin1String("\r\n")))
        return {};
    const int dataEnd = int(reply.size()) - 4;
    const int first = reply.mid(3, 2) == QLatin1String("03") ? 7 : 5;
    const int start = first + 4 * (wordNumber - 1);
    if (start + 4 > dataEnd)
        return {};
    const QString word = reply.mid(start, 4);
    return FrameText::isHex(word.toLatin1()) ? word : QString();
}

} // namespace ModbusPdu
