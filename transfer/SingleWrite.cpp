#include "SingleWrite.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"
#include "transfer/VendorFrameWrites.h"
#include "transfer/WriteJournal.h"

#include <algorithm>
#include <array>
#include <optional>

namespace
{

constexpr int DataChangingMessage = 453;
constexpr int MainSetValueUnreadMessage = 880;
constexpr int NotTakenMessage = 881;
constexpr int NotConfirmedMessage = 882;
constexpr int KeysOperatedNoteMessage = 883;
// The status bar panel that keeps the outcome of the last write until the next one.
constexpr int WriteNotePanel = 2;
// The input type change makes the controller re-range itself before it answers.
constexpr int InputTypeReplyTimeout = 300;
// Manual output steps of the buttons, in tenths of a percent; the lowest output with
// heating/cooling (-100.0 %).
constexpr std::array<int, 6> ManualSteps = {10, 1, -1, -10, 100, -100};
constexpr int HeatCoolLowestOutput = -1000;

bool isVendorFrameItem(int code)
{
    return code == Code::MainSetValue || code == Code::AtBias || (code >= 58 && code <= 63);
}

} // namespace

SingleWrite::SingleWrite(ZN8P_INC &inc, RequestLayer &request, ComLink &link, OperatorInterface &op,
                         MainView &view, ItemReadBack &itemRead, VendorFrameWrites &vendorWrites,
                         WriteJournal &journal)
    : m_inc(inc), m_request(request), m_link(link), m_op(op), m_view(view),
      m_vendorWrites(vendorWrites), m_journal(journal), m_reporter(inc, link, op, view),
      m_readBack(itemRead)
{
}

bool SingleWrite::WriteOneSetting()
{
    const int code = m_inc.itemCode;
    if (!ParameterTable::isSettingCode(code))
        return true;
    const qint16 value = m_inc.setting(code);
    m_verdict = Verdict::Taken;
    if ((code == Code::AutoTuning || code == Code::OutOff) &&
        value == m_inc.downloadValues.at(code - 10))
        return true;
    const std::optional<qint16> before = m_inc.readValues.at(code - 10);
    // A new write replaces the note the last one left.
    m_op.setStatusPanel(WriteNotePanel, QString());

    if (isVendorFrameItem(code) && !checkKeysThroughMainSetValue(code, before, value))
        return true;

    bool keysNoted = false;
    const Sent sent = writeItem(code, value);
    if (sent.direct) {
        const QString &reply = sent.reply;
        const ReplyCheck::Outcome outcome = ReplyCheck::judgeWrite(reply, m_inc.protocolIndex);
        const bool keysOperated = ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex);
        // Under Ravtocol a keys-operated refusal of the auto-tuning register is passed over, as
        // the download passes over its last step.
        const bool ignored =
            keysOperated && m_inc.protocolIndex == Ravtocol && code == Code::AutoTuning;
        if (!ignored) {
            m_reporter.write(reply);
            if (outcome == ReplyCheck::Outcome::Good)
                m_inc.settingDataValid = true;
            else if (outcome == ReplyCheck::Outcome::NoReply)
                putBack(code);
            else if (keysOperated)
                m_op.beep();
        }
        keysNoted = keysOperated && !ignored;
        if (keysNoted)
            noteKeysOperated(code);
    }

    // Only a good read from here on tells what the controller holds now.
    m_inc.readValues.at(code - 10).reset();
    const bool readBackGood = m_readBack.read(code);
    judgeReadBack(code, value, readBackGood, keysNoted);
    const WriteOutcome outcome = sent.vendorFrame
                                     ? WriteOutcome::ofVendorReply(sent.reply)
                                     : WriteOutcome::ofReply(sent.reply, m_inc.protocolIndex);
    m_journal.record(
        m_inc, code, before, value,
        outcome.checkedBy(m_inc.readValues.at(code - 10), value, FormatItemValue(m_inc, code)));
    m_op.setStatusPanel(1, QString());
    return true;
}

bool SingleWrite::checkKeysThroughMainSetValue(int code, std::optional<qint16> before, qint16 value)
{
    // The frame carries the main set value: the operator's own when it is the item changed, else
    // the controller's, read just before, so that nothing the operator did not choose is sent.
    qint16 mainSetValue = value;
    if (code != Code::MainSetValue) {
        const ReplyCheck::Outcome read = m_reporter.read(
            m_request.read(m_inc.registerTable.at(Code::MainSetValue)), Code::MainSetValue);
        if (read != ReplyCheck::Outcome::Good) {
            m_verdict =
                read == ReplyCheck::Outcome::NoReply ? Verdict::NoReply : Verdict::Unconfirmed;
            putBack(code);
            m_op.showMessage({MainSetValueUnreadMessage}, MessageIcon::Exclamation);
            return false;
        }
        mainSetValue = m_inc.setting(Code::MainSetValue);
    }
    // The main set value's own register answers with the keys-operated refusal before the
    // controller is taken into its vendor frame, where it would only say NAK.
    const QString reply = m_request.write(m_inc.registerTable.at(Code::MainSetValue),
                                          DataWord::dataField(mainSetValue, m_inc.protocolIndex));
    m_inc.commErrorFlag = false;
    if (ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex)) {
        m_view.showKeyOperationNotice();
        m_verdict = Verdict::KeysOperated;
        putBack(code);
        m_op.beep();
        noteKeysOperated(code);
        m_journal.record(m_inc, code, before, value,
                         WriteOutcome::ofReply(reply, m_inc.protocolIndex));
        return false;
    }
    if (ReplyCheck::isNoReply(reply)) {
        m_view.setCommErrorVisible(true);
        m_inc.commErrorFlag = true;
        m_verdict = Verdict::NoReply;
        putBack(code);
        m_journal.record(m_inc, code, before, value, {WriteOutcome::Kind::NoReply, {}});
        return false;
    }
    return true;
}

SingleWrite::Sent SingleWrite::writeItem(int code, qint16 value)
{
    const QString data = DataWord::dataField(value, m_inc.protocolIndex);
    const QString vendorData = DataWord::toHex(value);
    switch (code) {
    case Code::InputType:
        setReplyTimeout(InputTypeReplyTimeout);
        break;
    case Code::AtBias:
        m_reporter.read(m_request.read(m_inc.registerTable.at(Code::ModeRegister)),
                        Code::ModeRegister);
        if (m_inc.setting(Code::ModeRegister) >= VendorFrameWrites::DirectAtBiasMode)
            break;
        return {m_vendorWrites.atb(data), false, m_vendorWrites.atbThroughVendorFrame(value)};
    case Code::MainSetValue:
    case 58:
    case 59:
    case 60:
    case 61:
        return {m_vendorWrites.SV_change(vendorData), false, true};
    case Code::OutOffKey:
        // The OUT/OFF function (0) has no manual control: the controller is put back to
        // automatic first.
        if (value == 0 && m_inc.setting(Code::AutoManual) == 1) {
            m_inc.setting(Code::AutoManual) = 0;
            m_op.setStatusPanel(1, msg(DataChangingMessage));
            const QString reply = m_request.write(m_inc.registerTable.at(Code::AutoManual),
                                                  DataWord::dataField(0, m_inc.protocolIndex));
            m_reporter.write(reply);
            m_journal.record(m_inc, Code::AutoManual, m_inc.readValues.at(Code::AutoManual - 10), 0,
                             WriteOutcome::ofReply(reply, m_inc.protocolIndex));
        }
        return {m_vendorWrites.DCOSL_change(vendorData), false, true};
    case Code::AbnormalOutput:
        return {m_vendorWrites.DCOSL_change(vendorData), false, true};
    default:
        break;
    }
    return {m_request.write(m_inc.registerTable.at(code), data)};
}

void SingleWrite::judgeReadBack(int code, qint16 sent, bool readBackGood, bool keysNoted)
{
    if (readBackGood && m_inc.setting(code) == sent) {
        m_inc.unconfirmedWrites.remove(code);
        m_verdict = Verdict::Taken;
        return;
    }
    m_inc.unconfirmedWrites.insert(code, sent);
    if (keysNoted) {
        m_verdict = Verdict::KeysOperated;
        return;
    }
    const QString name = SettingRanges::itemName(m_inc, code);
    if (readBackGood) {
        m_verdict = Verdict::NotTaken;
        setNote(msg(NotTakenMessage)
                    .arg(name, ItemValueText(m_inc, code, sent),
                         ItemValueText(m_inc, code, m_inc.setting(code))));
    } else {
        m_verdict = m_inc.commErrorFlag ? Verdict::NoReply : Verdict::Unconfirmed;
        setNote(msg(NotConfirmedMessage).arg(name, ItemValueText(m_inc, code, sent)));
    }
}

void SingleWrite::noteKeysOperated(int code)
{
    setNote(msg(KeysOperatedNoteMessage).arg(SettingRanges::itemName(m_inc, code)));
}

void SingleWrite::setNote(const QString &note)
{
    m_op.setStatusPanel(WriteNotePanel, note);
}

void SingleWrite::putBack(int code)
{
    m_inc.setting(code) = m_inc.downloadValues.at(code - 10);
}

void SingleWrite::Manuval_Click(int index)
{
    if (!m_inc.online || index < 0 || index >= int(ManualSteps.size()))
        return;
    const int high = m_inc.setting(Code::OutputHigh) * 10;
    const int low = (quint16(m_inc.optionWord()) & OptionBit::HeatCool)
                        ? HeatCoolLowestOutput
                        : m_inc.setting(Code::OutputLow) * 10;
    m_reporter.read(m_request.read(m_inc.registerTable.at(Code::ManualOutput)), Code::ManualOutput);
    const qint16 present = m_inc.setting(Code::ManualOutput);
    m_inc.downloadValues.at(Code::ManualOutput - 10) = present;
    const int stepped = present + ManualSteps[index];
    m_inc.setting(Code::ManualOutput) = qint16(std::max(low, std::min(high, stepped)));
    m_inc.itemCode = Code::ManualOutput;
    m_inc.timerJob = 2;
}

void SingleWrite::setReplyTimeout(int milliseconds)
{
    if (ZN8PCom *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
