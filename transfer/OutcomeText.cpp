#include "OutcomeText.h"

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

namespace
{

constexpr int NotTakenNote = 881;
constexpr int NotConfirmedNote = 882;
constexpr int KeysOperatedNote = 883;
constexpr int UnconfirmedToolTip = 884;
constexpr int NotTakenLine = 894;
constexpr int NotReadText = 895;
constexpr int NotSentLine = 1111;
constexpr int NotSentToolTip = 1112;

QString valueText(const SessionState &shared, const ItemOutcome &outcome, qint16 value)
{
    return itemValueText(shared, outcome.code, value);
}

} // namespace

namespace OutcomeText
{

QString note(const SessionState &shared, const ItemOutcome &outcome)
{
    const QString name = SettingRanges::itemName(shared, outcome.code);
    const QString sent = valueText(shared, outcome, outcome.sent);
    switch (outcome.verdict()) {
    case ItemOutcome::Verdict::Taken:
    case ItemOutcome::Verdict::NotReached:
        return QString();
    case ItemOutcome::Verdict::KeysOperated:
        return msg(KeysOperatedNote).arg(name);
    case ItemOutcome::Verdict::NotTaken:
    case ItemOutcome::Verdict::Refused:
    case ItemOutcome::Verdict::Unconfirmed:
    case ItemOutcome::Verdict::NoReply:
        break;
    }
    if (outcome.readBack)
        return msg(NotTakenNote).arg(name, sent, valueText(shared, outcome, *outcome.readBack));
    return msg(NotConfirmedNote).arg(name, sent);
}

QString listLine(const SessionState &shared, const ItemOutcome &outcome)
{
    const QString name = SettingRanges::itemName(shared, outcome.code);
    const QString value = valueText(shared, outcome, outcome.sent);
    if (!outcome.sentOut())
        return msg(NotSentLine).arg(outcome.code).arg(name, value);
    return msg(NotTakenLine)
        .arg(outcome.code)
        .arg(name, value,
             outcome.readBack ? valueText(shared, outcome, *outcome.readBack) : msg(NotReadText));
}

QString toolTip(const SessionState &shared, const ItemOutcome &outcome)
{
    const QString value = formatItemValue(shared, outcome.code, outcome.sent).trimmed();
    const QString shown = value.isEmpty() ? QString::number(outcome.sent) : value;
    return msg(outcome.sentOut() ? UnconfirmedToolTip : NotSentToolTip).arg(shown);
}

QString landedWord(const ItemOutcome &outcome)
{
    switch (outcome.verdict()) {
    case ItemOutcome::Verdict::Taken:
        return QStringLiteral("landed");
    case ItemOutcome::Verdict::NoReply:
        return QStringLiteral("no reply");
    case ItemOutcome::Verdict::NotReached:
        return QStringLiteral("not reached");
    case ItemOutcome::Verdict::Unconfirmed:
        return QStringLiteral("not confirmed");
    case ItemOutcome::Verdict::NotTaken:
    case ItemOutcome::Verdict::Refused:
    case ItemOutcome::Verdict::KeysOperated:
        break;
    }
    return QStringLiteral("not landed");
}

} // namespace OutcomeText
