#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "ItemValueEntry.h"
#include "WriteSide.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "comm/VendorFrameSession.h"
#include "dialogs/SettingResets.h"
#include "transfer/SettingRanges.h"
#include "transfer/SingleWrite.h"

namespace
{

constexpr int SetValue2Code = 58;
constexpr int KeysOperatedNote = 883;

// Whether this controller has the item at all: the vendor-frame items come with options.
bool present(const SessionState &shared, int code)
{
    if (code >= SetValue2Code && code <= Code::ContactInputFunction)
        return VendorFrameSession::hasSv2Option(shared);
    if (code == Code::AbnormalOutput)
        return VendorFrameSession::hasAbnormalOutputItem(shared);
    return true;
}

// Reads code's present value (tried once more when unanswered): its register, or the vendor
// frame for codes 58 to 63. False when the controller did not answer.
bool readCode(CliSession &session, int code)
{
    SessionState &shared = session.shared;
    if (RegisterMap::modbusAddress(code).isEmpty() && !present(shared, code))
        return true;
    return session.core.itemRead.read(code) || !shared.commErrorFlag;
}

// The exit code of a write, from its record; none when nothing needed writing.
int exitCodeOf(const std::optional<ItemOutcome> &outcome, const SessionState &shared)
{
    if (!outcome)
        return Success;
    switch (outcome->verdict()) {
    case ItemOutcome::Verdict::Taken:
        return Success;
    case ItemOutcome::Verdict::KeysOperated:
        return Busy;
    case ItemOutcome::Verdict::NoReply:
        return NoController;
    case ItemOutcome::Verdict::NotReached:
        // Nothing of it was sent: the line went quiet, or the main set value the frame must
        // carry was refused.
        return shared.commErrorFlag ? NoController : Refused;
    case ItemOutcome::Verdict::NotTaken:
    case ItemOutcome::Verdict::Refused:
    case ItemOutcome::Verdict::Unconfirmed:
        break;
    }
    return Refused;
}

} // namespace

int runWrite(CliSession &session, const CommandLine &commandLine)
{
    bool isNumber = false;
    const int code = commandLine.arguments.at(0).toInt(&isNumber);
    if (!isNumber || !ItemValueEntry::isWritable(code)) {
        session.console.errorLine(QStringLiteral("znctl: '%1' is no setting code (11 to 63)")
                                      .arg(commandLine.arguments.at(0)));
        return UsageError;
    }
    SessionState &shared = session.shared;
    WriteSide side(session);
    WriteSide::Outcome outcome = side.connect();
    if (outcome != WriteSide::Outcome::Done)
        return outcome == WriteSide::Outcome::NoController ? NoController : Busy;

    for (const int input : ItemValueEntry::inputsFor(code)) {
        if (!readCode(session, input))
            return NoController;
    }
    const QString name = SettingRanges::itemName(shared, code);
    // The limits and the decimal point come from these values: a refused one is no value.
    for (const int input : ItemValueEntry::inputsFor(code)) {
        if (shared.unreadCodes.contains(input)) {
            session.console.errorLine(
                QStringLiteral("znctl: %1 not written: item %2 (%3) could not be read")
                    .arg(name)
                    .arg(input)
                    .arg(msg(ParameterTable::captionMessage(input))));
            return Refused;
        }
    }
    if (!present(shared, code)) {
        session.console.errorLine(
            QStringLiteral("znctl: this controller has no item %1 (%2)").arg(code).arg(name));
        return Refused;
    }
    const ItemValueEntry::Result entry =
        ItemValueEntry::parse(shared, code, commandLine.arguments.at(1));
    if (!entry.raw) {
        session.console.errorLine(QStringLiteral("znctl: %1: %2").arg(name, entry.error));
        return UsageError;
    }

    // Nobody is there to weigh a change that resets other items: the question is printed and
    // only --yes lets it through.
    if (!SettingResets::confirm(shared, session.op, code, *entry.raw)) {
        session.console.errorLine(
            QStringLiteral(
                "znctl: %1 not written: it resets the items above; add --yes to write it")
                .arg(name));
        return UsageError;
    }

    // As a dialog leaves a change for job 2: the new value, the one before, the code.
    shared.downloadValues = shared.settingValues;
    shared.setting(code) = *entry.raw;
    SingleWrite &write = session.core.singleWrite;
    write.write(code);
    if (CommComponent *com = session.core.link.com())
        com->closePort();
    // The item's record decides: a write whose reply was lost has landed when the value read
    // back is the one sent, and a refused one has not, whatever the value held here says.
    const std::optional<ItemOutcome> &record = write.lastOutcome();
    const int exitCode = exitCodeOf(record, shared);
    if (exitCode == Busy) {
        session.console.errorLine(msg(KeysOperatedNote).arg(name));
    } else if (record && record->verdict() == ItemOutcome::Verdict::Unconfirmed) {
        // Answered as taken, but nothing read since says what the controller holds.
        session.console.errorLine(
            QStringLiteral("znctl: %1 for %2 was answered, but not confirmed: its read-back failed")
                .arg(commandLine.arguments.at(1), name));
    } else if (exitCode == Refused) {
        session.console.errorLine(QStringLiteral("znctl: the controller did not take %1 for %2")
                                      .arg(commandLine.arguments.at(1), name));
    }
    if (exitCode != Success)
        return exitCode;
    session.console.line(QStringList{QString::number(code), name,
                                     ItemValueEntry::displayText(shared, code),
                                     QString::number(shared.setting(code))}
                             .join(QLatin1Char('\t')));
    return Success;
}
