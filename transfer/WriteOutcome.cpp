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

const QString KeysOperatedDetail = QStringLiteral("keys operated");
const QString NotUnderstoodDetail = QStringLiteral("not understood");

} // namespace

WriteOutcome WriteOutcome::of(const ItemOutcome &record, const QString &heldText)
{
    switch (record.verdict()) {
    case ItemOutcome::Verdict::Taken:
        return {Kind::Taken, {}};
    case ItemOutcome::Verdict::NotTaken:
        return {Kind::ReadBackDifferent, heldText};
    case ItemOutcome::Verdict::Refused:
        return {Kind::Refused, record.detail};
    case ItemOutcome::Verdict::KeysOperated:
        return {Kind::Refused, KeysOperatedDetail};
    case ItemOutcome::Verdict::Unconfirmed:
        return {Kind::NoReply, QStringLiteral("read-back")};
    case ItemOutcome::Verdict::NoReply:
    case ItemOutcome::Verdict::NotReached:
        break;
    }
    return {Kind::NoReply, {}};
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

namespace WriteReply
{

void judge(ItemOutcome &record, const ::Reply &answer, qint16 protocolIndex)
{
    using Reply = ItemOutcome::Reply;
    const QString &reply = answer.text;
    record.detail.clear();
    switch (ReplyCheck::judgeWrite(reply, protocolIndex)) {
    case ReplyCheck::Outcome::Good:
        record.reply = Reply::Answered;
        return;
    case ReplyCheck::Outcome::NoReply:
        record.reply = Reply::NoReply;
        return;
    case ReplyCheck::Outcome::Refused:
        if (ReplyCheck::isKeysOperated(reply, protocolIndex)) {
            record.reply = Reply::KeysOperated;
            record.detail = KeysOperatedDetail;
        } else {
            record.reply = Reply::Refused;
            record.detail = ReplyCheck::errorCode(reply, protocolIndex);
        }
        return;
    case ReplyCheck::Outcome::Unrecognised:
        break;
    }
    record.reply = Reply::Refused;
    record.detail = NotUnderstoodDetail;
}

void judgeVendor(ItemOutcome &record, const ::Reply &answer)
{
    using Reply = ItemOutcome::Reply;
    const QString &reply = answer.text;
    record.detail.clear();
    switch (ReplyCheck::judgeVendor(reply)) {
    case ReplyCheck::VendorReply::Accepted:
        record.reply = Reply::Answered;
        return;
    case ReplyCheck::VendorReply::WriteRefused:
        record.reply = Reply::Refused;
        record.detail = QStringLiteral("NAK");
        return;
    case ReplyCheck::VendorReply::ReadRefused:
    case ReplyCheck::VendorReply::NotUnderstood:
        record.reply = Reply::Refused;
        record.detail = NotUnderstoodDetail;
        return;
    case ReplyCheck::VendorReply::None:
        break;
    }
    record.reply = Reply::NoReply;
}

} // namespace WriteReply
