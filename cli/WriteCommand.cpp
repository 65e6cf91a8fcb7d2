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
bool present(const ZN8P_INC &inc, int code)
{
    if (code >= SetValue2Code && code <= Code::ContactInputFunction)
        return VendorFrameSession::hasSv2Option(inc);
    if (code == Code::AbnormalOutput)
        return VendorFrameSession::hasAbnormalOutputItem(inc);
    return true;
}

// Reads code's present value: its register, or the vendor frame for codes 58 to 63.
void readCode(CliSession &session, ReplyReporter &reporter, int code)
{
    ZN8P_INC &inc = session.inc;
    if (!RegisterMap::modbusAddress(code).isEmpty()) {
        reporter.read(session.core.request.read(inc.registerTable.at(code)), code);
        return;
    }
    if (!present(inc, code))
        return;
    inc.itemCode = qint16(code);
    if (code <= Code::ContactInputFunction)
        session.core.vendorReads.Read_SV();
    else
        session.core.vendorReads.Read_data();
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
    ZN8P_INC &inc = session.inc;
    WriteSide side(session);
    WriteSide::Outcome outcome = side.connect();
    if (outcome != WriteSide::Outcome::Done)
        return outcome == WriteSide::Outcome::NoController ? NoController : Busy;

    ReplyReporter reporter(inc, session.core.link, session.op, session.view);
    for (const int input : ItemValueEntry::inputsFor(code))
        readCode(session, reporter, input);
    const QString name = SettingRanges::itemName(inc, code);
    if (session.view.commErrorSeen())
        return NoController;
    // The limits and the decimal point come from these values: a refused one is no value.
    for (const int input : ItemValueEntry::inputsFor(code)) {
        if (inc.unreadCodes.contains(input)) {
            session.console.errorLine(
                QStringLiteral("znctl: %1 not written: item %2 (%3) could not be read")
                    .arg(name)
                    .arg(input)
                    .arg(msg(ParameterTable::captionMessage(input))));
            return Refused;
        }
    }
    if (!present(inc, code)) {
        session.console.errorLine(
            QStringLiteral("znctl: this controller has no item %1 (%2)").arg(code).arg(name));
        return Refused;
    }
    const ItemValueEntry::Result entry =
        ItemValueEntry::parse(inc, code, commandLine.arguments.at(1));
    if (!entry.raw) {
        session.console.errorLine(QStringLiteral("znctl: %1: %2").arg(name, entry.error));
        return UsageError;
    }

    // Nobody is there to weigh a change that resets other items: the question is printed and
    // only --yes lets it through.
    if (!SettingResets::confirm(inc, session.op, code, *entry.raw)) {
        session.console.errorLine(
            QStringLiteral(
                "znctl: %1 not written: it resets the items above; add --yes to write it")
                .arg(name));
        return UsageError;
    }

    // As a dialog leaves a change for job 2: the new value, the one before, the code.
    inc.downloadValues = inc.settingValues;
    inc.setting(code) = *entry.raw;
    inc.itemCode = qint16(code);
    SingleWrite &write = session.core.singleWrite;
    write.WriteOneSetting();
    if (ZN8PCom *com = session.core.link.com())
        com->ClosePort();
    // Only the read-back decides: a write whose reply was lost has landed when the value read
    // back is the one sent, and a refused one has not, whatever the value held here says.
    switch (write.lastVerdict()) {
    case SingleWrite::Verdict::Taken:
        break;
    case SingleWrite::Verdict::KeysOperated:
        session.console.errorLine(msg(KeysOperatedNote).arg(name));
        return Busy;
    case SingleWrite::Verdict::NoReply:
        return NoController;
    case SingleWrite::Verdict::NotTaken:
    case SingleWrite::Verdict::Unconfirmed:
        session.console.errorLine(QStringLiteral("znctl: the controller did not take %1 for %2")
                                      .arg(commandLine.arguments.at(1), name));
        return Refused;
    }
    session.console.line(QStringList{QString::number(code), name,
                                     ItemValueEntry::displayText(inc, code),
                                     QString::number(inc.setting(code))}
                             .join(QLatin1Char('\t')));
    return Success;
}
