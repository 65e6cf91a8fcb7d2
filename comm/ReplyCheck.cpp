#include "ReplyCheck.h"

#include "base/SessionState.h"

namespace ReplyCheck
{

namespace
{

Outcome judge(const QString &reply, qint16 protocolIndex, QLatin1String good, QLatin1String refused)
{
    if (isNoReply(reply))
        return Outcome::NoReply;
    if (protocolIndex == Ravtocol) {
        if (reply.at(3) == QLatin1Char('$'))
            return Outcome::Good;
        return reply.at(3) == QLatin1Char('!') ? Outcome::Refused : Outcome::Unrecognised;
    }
    const QString code = functionCode(reply);
    if (code == good)
        return Outcome::Good;
    return code == refused ? Outcome::Refused : Outcome::Unrecognised;
}

} // namespace

QString functionCode(const QString &reply)
{
    return reply.mid(3, 2);
}

bool isNoReply(const QString &reply)
{
    return reply.size() < 4;
}

Outcome judgeRead(const QString &reply, qint16 protocolIndex)
{
    return judge(reply, protocolIndex, QLatin1String("03"), QLatin1String("83"));
}

Outcome judgeWrite(const QString &reply, qint16 protocolIndex)
{
    return judge(reply, protocolIndex, QLatin1String("06"), QLatin1String("86"));
}

bool isGoodRead(const QString &reply, qint16 protocolIndex)
{
    return judgeRead(reply, protocolIndex) == Outcome::Good;
}

bool isGoodWrite(const QString &reply, qint16 protocolIndex)
{
    return judgeWrite(reply, protocolIndex) == Outcome::Good;
}

QString errorCode(const QString &reply, qint16 protocolIndex)
{
    if (isNoReply(reply))
        return QString();
    if (protocolIndex == Ravtocol)
        return reply.at(3) == QLatin1Char('!') ? reply.mid(4, 2) : QString();
    const QString code = functionCode(reply);
    if (code == QLatin1String("83") || code == QLatin1String("86"))
        return reply.mid(5, 2);
    return QString();
}

bool isKeysOperated(const QString &reply, qint16 protocolIndex)
{
    const QString code = errorCode(reply, protocolIndex);
    return code == (protocolIndex == Ravtocol ? QLatin1String("63") : QLatin1String("12"));
}

VendorReply judgeVendor(const QString &reply)
{
    if (reply.isEmpty())
        return VendorReply::None;
    switch (reply.at(0).unicode()) {
    case 0x06:
        return VendorReply::Accepted;
    case 0x15:
        return VendorReply::WriteRefused;
    case '!':
        return VendorReply::ReadRefused;
    case 0x1B:
        return VendorReply::NotUnderstood;
    default:
        return VendorReply::None;
    }
}

} // namespace ReplyCheck
