#include "RavtocolCodec.h"

#include "comm/Checksums.h"
#include "comm/FrameText.h"
#include "comm/TextFrameScanner.h"

// '@' station(2) '$' + 4 digits for each of up to 64 registers + BCC(2) CR.
static constexpr int MaxFrameLength = 4 + 4 * 64 + 3;

static bool isDecimal(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The data words a '$' reply to request carries: one per register of an "RD" range (data
// registers step by 2), none for any other command; -1 when the range cannot be read.
static int expectedWords(const FrameRequest &request)
{
    if (request.command != QLatin1String("RD"))
        return 0;
    const QByteArray range = request.address.toLatin1();
    if (range.size() != 10 || !isDecimal(range))
        return -1;
    const int first = range.left(5).toInt();
    const int last = range.mid(5).toInt();
    return last >= first ? (last - first) / 2 + 1 : -1;
}

// The reply body between station and BCC: '$' with exactly the words the request asked for, or
// '!' with a 2-digit code.
static bool isReplyBody(const QByteArray &body, int words)
{
    if (body.startsWith('$'))
        return words >= 0 && body.size() == 1 + 4 * words &&
               (words == 0 || FrameText::isHex(body.mid(1)));
    return body.startsWith('!') && body.size() == 3 && isDecimal(body.mid(1));
}

QByteArray RavtocolCodec::requestFrame(const FrameRequest &request) const
{
    const QString fields = request.station + request.command + request.address + request.data;
    if (request.station.isEmpty() || request.command.isEmpty())
        return {};
    for (QChar c : fields) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || c == QLatin1Char('@'))
            return {};
    }
    const QByteArray frame = '@' + fields.toLatin1();
    return frame + Checksums::hex2(Checksums::ravtocolBcc(frame)) + '\r';
}

FrameVerdict RavtocolCodec::judge(const QByteArray &input, const FrameRequest &request) const
{
    const TextFrameScanner::Front front = TextFrameScanner::front(input, '@', '\r', MaxFrameLength);
    if (front.verdict)
        return *front.verdict;

    const int frameLength = front.length;
    const int end = frameLength - 1;
    const QByteArray frame = input.left(frameLength);
    // '@' station(2) '$'|'!' ... BCC(2) CR
    if (frame.size() < 7)
        return FrameVerdict::discard(frameLength, ReplyVerdict::WrongLength);
    if (FrameText::hexByte(frame, end - 2) != Checksums::ravtocolBcc(frame.left(end - 2)))
        return FrameVerdict::discard(frameLength, ReplyVerdict::Checksum);
    if (frame.mid(1, 2) != request.station.toLatin1())
        return FrameVerdict::discard(frameLength, ReplyVerdict::WrongStation);
    const QByteArray body = frame.mid(3, frame.size() - 6);
    if (!isReplyBody(body, expectedWords(request)))
        return FrameVerdict::discard(frameLength, body.startsWith('$') || body.startsWith('!')
                                                      ? ReplyVerdict::WrongLength
                                                      : ReplyVerdict::WrongFunction);
    return FrameVerdict::complete(frameLength, QString::fromLatin1(frame));
}

QString RavtocolCodec::replyWord(const QString &reply, int wordNumber)
{
    if (wordNumber < 1 || reply.size() < 7 || !reply.startsWith(QLatin1Char('@')) ||
        reply.at(3) != QLatin1Char('$') || !reply.endsWith(QLatin1Char('\r')))
        return {};
    const int start = 4 + 4 * (wordNumber - 1);
    if (start + 4 > reply.size() - 3)
        return {};
    const QString word = reply.mid(start, 4);
    if (!FrameText::isHex(word.toLatin1()))
        return {};
    return word.mid(2, 2) + word.left(2);
}
