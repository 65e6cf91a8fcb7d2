#include "WriteOutcome.h"

#include "comm/ReplyCheck.h"

#include <array>
#include <utility>

namespace
{

const std::array<std::pair<WriteOutcome::Kind, const char *>, 4> Keywords = {{
    {WriteOutcome::Kind::Taken, "taken"},
    {WriteOutcome::Kind::Refused, "refused"},
    {WriteOutcome::Kind::NoReply, "no reply"},
    {WriteOutcome::Kind::ReadBackDifferent, "read back different"},
}};

} // namespace

WriteOutcome WriteOutcome::ofReply(const QString &reply, qint16 protocolIndex)
{
    switch (ReplyCheck::judgeWrite(reply, protocolIndex)) {
    case ReplyCheck::Outcome::Good:
        return {Kind::Taken, {}};
    case ReplyCheck::Outcome::NoReply:
        return {Kind::NoReply, {}};
    case ReplyCheck::Outcome::Refused:
        return {Kind::Refused, ReplyCheck::isKeysOperated(reply, protocolIndex)
                                   ? QStringLiteral("keys operated")
                                   : ReplyCheck::errorCode(reply, protocolIndex)};
    case ReplyCheck::Outcome::Unrecognised:
        break;
    }
    return {Kind::Refused, QStringLiteral("not understood")};
}

WriteOutcome WriteOutcome::ofVendorReply(const QString &reply)
{
    switch (ReplyCheck::judgeVendor(reply)) {
    case ReplyCheck::VendorReply::Accepted:
        return {Kind::Taken, {}};
    case ReplyCheck::VendorReply::WriteRefused:
        return {Kind::Refused, QStringLiteral("NAK")};
    case ReplyCheck::VendorReply::ReadRefused:
    case ReplyCheck::VendorReply::NotUnderstood:
        return {Kind::Refused, QStringLiteral("not understood")};
    case ReplyCheck::VendorReply::None:
        break;
    }
    return {Kind::NoReply, {}};
}

WriteOutcome WriteOutcome::checkedBy(std::optional<qint16> readBack, qint16 sent,
                                     const QString &readBackText) const
{
    if (kind != Kind::Taken)
        return *this;
    if (!readBack)
        return {Kind::NoReply, QStringLiteral("read-back")};
    if (*readBack != sent)
        return {Kind::ReadBackDifferent, readBackText};
    return *this;
}

QString WriteOutcome::keyword() const
{
    for (const auto &[k, word] : Keywords) {
        if (k == kind)
            return QLatin1String(word);
    }
    return QString();
}

std::optional<WriteOutcome::Kind> WriteOutcome::fromKeyword(const QString &keyword)
{
    for (const auto &[k, word] : Keywords) {
        if (keyword == QLatin1String(word))
            return k;
    }
    return std::nullopt;
}
