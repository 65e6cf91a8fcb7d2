#include "Reply.h"

#include "base/MessageTable.h"
#include "comm/FrameText.h"

Reply Reply::fromFrame(const QString &text)
{
    Reply reply{text, ReplyVerdict::Ok, 0};
    if (text.isEmpty())
        return failed(ReplyVerdict::NoReply);
    const QByteArray bytes = text.toLatin1();
    switch (bytes.at(0)) {
    case ':': {
        const int function = FrameText::hexByte(bytes, 3);
        if (function >= 0x80) {
            reply.verdict = ReplyVerdict::Exception;
            reply.exceptionCode = qMax(0, FrameText::hexByte(bytes, 5));
        }
        break;
    }
    case '@':
        if (bytes.size() > 5 && bytes.at(3) == '!') {
            reply.verdict = ReplyVerdict::Exception;
            reply.exceptionCode = bytes.mid(4, 2).toInt();
        }
        break;
    case 0x15:
    case '!':
    case 0x1B:
        reply.verdict = ReplyVerdict::Exception;
        break;
    default:
        break;
    }
    return reply;
}

namespace ReplyVerdicts
{

int messageId(ReplyVerdict verdict)
{
    switch (verdict) {
    case ReplyVerdict::Ok:
    case ReplyVerdict::NoReply:
        return 0;
    case ReplyVerdict::Checksum:
        return 1207;
    case ReplyVerdict::WrongStation:
        return 1208;
    case ReplyVerdict::WrongFunction:
        return 1209;
    case ReplyVerdict::WrongLength:
        return 1210;
    case ReplyVerdict::Exception:
        return 1211;
    case ReplyVerdict::LateReplyDropped:
        return 1212;
    case ReplyVerdict::Noise:
        return 1213;
    case ReplyVerdict::PortLost:
        return 1214;
    }
    return 0;
}

QString text(const Reply &reply)
{
    const int id = messageId(reply.verdict);
    if (id == 0)
        return QString();
    if (reply.verdict != ReplyVerdict::Exception)
        return msg(id);
    // Modbus codes are hexadecimal on the wire, Ravtocol codes decimal: shown as sent.
    const bool modbus = reply.text.startsWith(QLatin1Char(':'));
    const QString code =
        QStringLiteral("%1").arg(reply.exceptionCode, 2, modbus ? 16 : 10, QLatin1Char('0'));
    return reply.exceptionCode == 0 && !reply.text.startsWith(QLatin1Char('@')) && !modbus
               ? msg(1215)
               : msg(id).arg(code.toUpper());
}

} // namespace ReplyVerdicts

namespace ReplyVerdicts
{

QString commErrorLine(const QString &cause)
{
    if (cause.isEmpty())
        return msg(451);
    const bool japanese = MessageTable::instance().language() == Language::Japanese;
    return msg(451) + (japanese ? QStringLiteral("。") : QStringLiteral(". ")) + cause;
}

QString commErrorLine(const Reply &reply)
{
    return commErrorLine(text(reply));
}

} // namespace ReplyVerdicts
