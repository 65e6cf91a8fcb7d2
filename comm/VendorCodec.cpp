#include "VendorCodec.h"

#include "comm/Checksums.h"
#include "comm/FrameText.h"

static constexpr char Stx = 0x02;
static constexpr char Etx = 0x03;
static constexpr char Ack = 0x06;
static constexpr char Nak = 0x15;
static constexpr char Esc = 0x1B;
// Reply character, station, data word, BCC, ETX.
static constexpr int MaxFrameLength = 1 + 1 + 4 + 2 + 1;

static bool isReplyStart(char c)
{
    return c == Ack || c == Nak || c == '!' || c == Esc;
}

// Reads are answered with a data word, writes without; refusals never carry one.
static bool carriesData(char replyCharacter, const FrameRequest &request)
{
    const QString &command = request.command;
    return replyCharacter == Ack && command.size() == 1 &&
           QStringLiteral(" ab`").contains(command.at(0));
}

QByteArray VendorCodec::requestFrame(const FrameRequest &request) const
{
    const QString fields =
        request.station + request.subAddress + request.command + request.address + request.data;
    if (request.station.size() != 1)
        return {};
    for (QChar c : fields) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            return {};
    }
    const QByteArray characters = fields.toLatin1();
    return Stx + characters + Checksums::hex2(Checksums::vendorBcc(characters)) + Etx;
}

FrameVerdict VendorCodec::judge(const QByteArray &input, const FrameRequest &request) const
{
    int start = 0;
    while (start < input.size() && !isReplyStart(input[start]))
        ++start;
    if (start > 0)
        return FrameVerdict::discard(start);
    if (input.isEmpty())
        return FrameVerdict::incomplete();

    // '!' is both a reply character and the station character of instrument 1, so a frame that
    // fails its checks gives up only its first character: the real start may lie inside it.
    const int end = int(input.indexOf(Etx));
    if (end < 0)
        return input.size() < MaxFrameLength ? FrameVerdict::incomplete()
                                             : FrameVerdict::discard(1);
    const QByteArray frame = input.left(end + 1);
    const QByteArray data = frame.mid(2, frame.size() - 5);
    if (frame.size() < 5)
        return FrameVerdict::discard(1, ReplyVerdict::WrongLength);
    if (FrameText::hexByte(frame, end - 2) != Checksums::vendorBcc(frame.mid(1, end - 3)))
        return FrameVerdict::discard(1, ReplyVerdict::Checksum);
    if (frame.mid(1, 1) != request.station.toLatin1())
        return FrameVerdict::discard(1, ReplyVerdict::WrongStation);
    const bool dataRight = carriesData(frame[0], request)
                               ? data.size() == 4 && FrameText::isHex(data)
                               : data.isEmpty();
    if (!dataRight)
        return FrameVerdict::discard(1, ReplyVerdict::WrongLength);
    return FrameVerdict::complete(int(frame.size()), QString::fromLatin1(frame));
}

QString VendorCodec::replyWord(const QString &reply, int wordNumber)
{
    if (wordNumber < 1 || !reply.startsWith(QLatin1Char(Ack)) || !reply.endsWith(QLatin1Char(Etx)))
        return {};
    const int start = 2 + 4 * (wordNumber - 1);
    if (start + 4 > reply.size() - 3)
        return {};
    const QString word = reply.mid(start, 4);
    return FrameText::isHex(word.toLatin1()) ? word : QString();
}
