#include "SingleWrite.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "transfer/OutcomeText.h"
#include "transfer/VendorFrameWrites.h"
#include "transfer/WriteJournal.h"
#include "transfer/WriteOutcome.h"

#include <algorithm>
#include <array>
#include <optional>

namespace
{

constexpr int DataChangingMessage = 453;
constexpr int MainSetValueUnreadMessage = 880;
// The status bar panel that keeps the outcome of the last write until the next one.
constexpr int WriteNotePanel = 2;
// Manual output steps of the buttons, in tenths of a percent; the lowest output with
// heating/cooling (-100.0 %).
constexpr std::array<int, 6> ManualSteps = {10, 1, -1, -10, 100, -100};
constexpr int HeatCoolLowestOutput = -1000;

bool isVendorFrameItem(int code)
{
    return code == Code::MainSetValue || code == Code::AtBias ||
           (code >= Code::FirstVendor && code <= Code::LastVendor);
}

} // namespace

SingleWrite::SingleWrite(const SessionContext &context, ItemReadBack &itemRead,
                         VendorFrameWrites &vendorWrites, WriteJournal &journal)
    : m_shared(context.shared), m_request(context.request), m_link(context.link), m_op(context.op),
      m_view(context.view), m_vendorWrites(vendorWrites), m_journal(journal), m_reporter(context),
      m_readBack(itemRead)
{
}

bool SingleWrite::writePosted()
{
    return write(m_shared.postedWriteCode);
}

bool SingleWrite::write(int code)
{
    m_outcome.reset();
    if (!ParameterTable::isSettingCode(code))
        return true;
    const qint16 value = m_shared.setting(code);
    if ((code == Code::AutoTuning || code == Code::OutOff) &&
        value == m_shared.downloadValues.at(code - 10))
        return true;
    ItemOutcome record = ItemOutcome::planned(code, m_shared.readValues.at(code - 10), value);
    // A new write replaces the note the last one left.
    m_op.setStatusPanel(WriteNotePanel, QString());
    m_shared.writeNoteCode = 0;

    if (isVendorFrameItem(code) && !checkKeysThroughMainSetValue(record)) {
        // Its previous value is back on the page; only the main set value's own write carried
        // the value meant for it.
        conclude(record, code == Code::MainSetValue);
        return true;
    }

    writeItem(record);
    // Only a good read from here on tells what the controller holds now.
    m_shared.readValues.at(code - 10).reset();
    m_readBack.confirm(record);
    conclude(record, true);
    m_op.setStatusPanel(1, QString());
    return true;
}

bool SingleWrite::checkKeysThroughMainSetValue(ItemOutcome &record)
{
    const int code = record.code;
    // The frame carries the main set value: the operator's own when it is the item changed, else
    // the controller's, read just before, so that nothing the operator did not choose is sent.
    qint16 mainSetValue = record.sent;
    if (code != Code::MainSetValue) {
        if (!m_readBack.read(Code::MainSetValue)) {
            putBack(code);
            m_op.showMessage({MainSetValueUnreadMessage}, MessageIcon::Exclamation);
            return false;
        }
        mainSetValue = m_shared.setting(Code::MainSetValue);
    }
    // The main set value's own register answers with the keys-operated refusal before the
    // controller is taken into its vendor frame, where it would only say NAK.
    const Reply reply = m_request.write(m_shared.registerTable.at(Code::MainSetValue),
                                        DataWord::dataField(mainSetValue, m_shared.protocolIndex));
    m_shared.commErrorFlag = false;
    if (ReplyCheck::isKeysOperated(reply.text, m_shared.protocolIndex)) {
        m_view.showKeyOperationNotice();
        putBack(code);
        m_op.beep();
        // The item's write was refused at its first step.
        WriteReply::judge(record, reply, m_shared.protocolIndex);
        return false;
    }
    if (!ReplyCheck::isNoReply(reply.text))
        return true;
    // A lost, late or garbled reply says nothing about the keys, nor that the line is gone: a
    // read of the main set value tells. Answered, the write goes on and the vendor frame's own
    // replies judge it.
    if (m_readBack.read(Code::MainSetValue))
        return true;
    m_view.setCommErrorVisible(true);
    m_shared.commErrorFlag = true;
    putBack(code);
    if (code == Code::MainSetValue) {
        // That register write was the item's own, and nothing since showed where it went.
        record.reply = ItemOutcome::Reply::NoReply;
        record.readBackTried = true;
    }
    return false;
}

void SingleWrite::writeItem(ItemOutcome &record)
{
    const int code = record.code;
    const qint16 value = record.sent;
    const QString data = DataWord::dataField(value, m_shared.protocolIndex);
    const QString vendorData = DataWord::toHex(value);
    switch (code) {
    case Code::InputType:
        // The controller re-ranges itself on a new input type before it answers.
        setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
        break;
    case Code::AtBias:
        if (m_vendorWrites.writeAtBias(record, data))
            return;
        break;
    case Code::MainSetValue:
    case 58:
    case 59:
    case 60:
    case 61:
        WriteReply::judgeVendor(record, m_vendorWrites.writeSetValue(code, vendorData));
        return;
    case Code::OutOffKey:
        // The OUT/OFF function (0) has no manual control: the controller is put back to
        // automatic first.
        if (value == 0 && m_shared.setting(Code::AutoManual) == 1) {
            m_shared.setting(Code::AutoManual) = 0;
            m_op.setStatusPanel(1, msg(DataChangingMessage));
            ItemOutcome automatic = ItemOutcome::planned(
                Code::AutoManual, m_shared.readValues.at(Code::AutoManual - 10), 0);
            const Reply reply = m_request.write(m_shared.registerTable.at(Code::AutoManual),
                                                DataWord::dataField(0, m_shared.protocolIndex));
            m_reporter.write(reply);
            WriteReply::judge(automatic, reply, m_shared.protocolIndex);
            m_journal.record(m_shared, automatic);
        }
        WriteReply::judgeVendor(record, m_vendorWrites.writeOutputItem(code, vendorData));
        return;
    case Code::AbnormalOutput:
        WriteReply::judgeVendor(record, m_vendorWrites.writeOutputItem(code, vendorData));
        return;
    default:
        break;
    }
    const Reply reply = m_request.write(m_shared.registerTable.at(code), data);
    WriteReply::judge(record, reply, m_shared.protocolIndex);
    // Under Ravtocol a keys-operated refusal of the auto-tuning register is passed over, as the
    // download passes over its last step: no beep, no box.
    if (record.reply == ItemOutcome::Reply::KeysOperated && m_shared.protocolIndex == Ravtocol &&
        code == Code::AutoTuning)
        return;
    m_reporter.write(reply);
    switch (record.reply) {
    case ItemOutcome::Reply::Answered:
        m_shared.settingDataValid = true;
        break;
    case ItemOutcome::Reply::NoReply:
        putBack(code);
        break;
    case ItemOutcome::Reply::KeysOperated:
        m_op.beep();
        break;
    case ItemOutcome::Reply::Refused:
    case ItemOutcome::Reply::NotSent:
        break;
    }
}

void SingleWrite::conclude(const ItemOutcome &record, bool valueSent)
{
    m_outcome = record;
    // The mark says the value sent was not confirmed: an item whose value never went out has its
    // previous value back on the page and nothing to mark.
    if (valueSent && record.sentOut() && record.marked())
        m_shared.unconfirmedWrites.insert(record.code, record);
    else
        m_shared.unconfirmedWrites.remove(record.code);
    const QString note = OutcomeText::note(m_shared, record);
    if (!note.isEmpty()) {
        m_op.setStatusPanel(WriteNotePanel, note);
        m_shared.writeNoteCode = record.code;
    }
    m_journal.record(m_shared, record);
}

void SingleWrite::putBack(int code)
{
    m_shared.setting(code) = m_shared.downloadValues.at(code - 10);
}

void SingleWrite::stepManualOutput(int index)
{
    if (!m_shared.online || index < 0 || index >= int(ManualSteps.size()))
        return;
    const int high = m_shared.setting(Code::OutputHigh) * 10;
    const int low = (quint16(m_shared.optionWord()) & OptionBit::HeatCool)
                        ? HeatCoolLowestOutput
                        : m_shared.setting(Code::OutputLow) * 10;
    m_reporter.read(m_request.read(m_shared.registerTable.at(Code::ManualOutput)),
                    Code::ManualOutput);
    const qint16 present = m_shared.setting(Code::ManualOutput);
    m_shared.downloadValues.at(Code::ManualOutput - 10) = present;
    const int stepped = present + ManualSteps[index];
    m_shared.setting(Code::ManualOutput) = qint16(std::max(low, std::min(high, stepped)));
    m_shared.postWrite(Code::ManualOutput);
}

void SingleWrite::setReplyTimeout(int milliseconds)
{
    if (CommComponent *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
