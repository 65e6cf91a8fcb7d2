#include "ParameterDownload.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "comm/VendorFrameSession.h"
#include "transfer/PauseForEvents.h"
#include "transfer/VendorFrameWrites.h"
#include "transfer/WriteJournal.h"
#include "transfer/WriteOutcome.h"

#include <optional>
#include <utility>

namespace
{

constexpr int DownloadMessage = 501;
constexpr int KeyOperationMessage = 292;
const QList<int> AutoTuningMessage = {503, 504};

} // namespace

const std::array<qint16, ParameterDownload::StepCount> ParameterDownload::Chain = {
    49, 25, 26, 36, 37, 11,                         // steps 1 to 6
    13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, // 7 to 18
    27, 28, 29, 30, 31, 32, 33, 34, 35,             // 19 to 27
    38, 39, 40, 41, 42, 43, 44, 45,                 // 28 to 35
    47, 48,                                         // 36, 37
    50, 51, 52, 53, 54, 55, 56, 57,                 // 38 to 45
    61, 58, 59, 60, 62, 63,                         // 46 to 51, vendor frame
    12,                                             // 52
};

ParameterDownload::ParameterDownload(const SessionContext &context, ItemReadBack &itemRead,
                                     VendorFrameWrites &vendorWrites, WriteJournal &journal)
    : m_shared(context.shared), m_request(context.request), m_link(context.link), m_op(context.op),
      m_view(context.view), m_vendorWrites(vendorWrites), m_journal(journal), m_reporter(context),
      m_itemRead(itemRead), m_report(context)
{
}

bool ParameterDownload::applies(int code, const SessionState &shared, const Values &source)
{
    const quint16 status = quint16(shared.statusWord());
    const quint16 option = quint16(shared.optionWord());
    const auto value = [&](int c) { return source.at(c - 10); };
    const bool sv2Option = VendorFrameSession::hasSv2Option(shared);
    const bool dcInput = InputType::isDc(value(Code::InputType));
    if (Code::isHeatCoolItem(code))
        return option & OptionBit::HeatCool;
    switch (code) {
    case Code::AutoTuning: {
        // Only a change of the controller's state is sent.
        const bool running = status & StatusBit::AutoTuning;
        return (value(code) == 0 && running) || (value(code) == 1 && !running);
    }
    case 19:
    case 38:
    case 40:
    case 47:
        return value(36) != 0;
    case 37:
        return option & OptionBit::Alarm2;
    case 20:
    case 39:
    case 41:
    case 48:
        return (option & OptionBit::Alarm2) && value(37) != 0;
    case 21:
        return option & OptionBit::HeaterBurnout;
    case 53:
        return (option & OptionBit::HeaterBurnout) && (option & OptionBit::ThreePhase);
    case Code::DecimalPlace:
        return dcInput;
    case Code::AtBias:
        return !dcInput && value(13) != 0 && value(15) != 0 && value(16) != 0;
    case 44:
        return !(status & StatusBit::AutoManualKey);
    case 45:
        return status & StatusBit::AutoManualKey;
    case 58:
    case Code::ContactInputFunction:
        return sv2Option;
    case 59:
    case 60:
        return sv2Option && value(Code::ContactInputFunction) == 0;
    case 62:
        return dcInput && (quint16(shared.optionWord2()) & Option2Bit::DcCurrentOutput);
    default:
        return true;
    }
}

ParameterDownload::Result ParameterDownload::downloadDisplayedSettings()
{
    if (quint16(m_shared.statusWord()) & StatusBit::AutoTuning) {
        m_op.showMessage(AutoTuningMessage, MessageIcon::Exclamation);
        m_op.beep();
        return Result::AutoTuningRunning;
    }
    return download(m_shared.settingValues);
}

ParameterDownload::Result ParameterDownload::downloadPreparedCopy()
{
    const Result result = download(m_shared.downloadValues);
    // After a stop by the keys too: what the controller holds now is read back. A lost line
    // would only pay a reply timeout per read.
    if (result != Result::LineLost && m_readBack)
        m_readBack();
    return result;
}

ParameterDownload::Result ParameterDownload::download(const Values &source)
{
    m_report.begin();
    m_outcomes.clear();
    for (const qint16 code : Chain) {
        if (applies(code, m_shared, source))
            m_outcomes.append(ItemOutcome::planned(code, m_shared.readValues.at(code - 10),
                                                   source.at(code - 10)));
    }
    const Reply flagReply = m_request.write(m_shared.registerTable.at(Code::SettingFlag),
                                            DataWord::dataField(1, m_shared.protocolIndex));
    m_reporter.write(flagReply);
    if (ReplyCheck::isKeysOperated(flagReply.text, m_shared.protocolIndex)) {
        m_view.showKeyOperationNotice();
        // The 2-second notice alone is missed by an operator who looked away.
        m_op.showMessage({KeyOperationMessage}, MessageIcon::Exclamation);
        return Result::KeysOperated;
    }

    m_view.setProgressVisible(true, DownloadMessage);
    m_op.setStatusPanel(1, msg(DownloadMessage));
    m_op.setStatusPanel(4, QString());
    pauseForEvents();
    m_view.setProgressValue(0);

    int sent = 0;
    int unanswered = 0;
    std::optional<TransferReport::StopReason> stop;
    for (int step = 1; step <= StepCount && !stop; ++step) {
        ItemOutcome *record = recordOf(Chain[step - 1]);
        if (record == nullptr)
            continue;
        writeStep(*record);
        ++sent;
        // Under Ravtocol a keys-operated refusal of the auto-tuning switch, the last step, is
        // passed over: every other item has been written by then.
        const bool passedOver =
            m_shared.protocolIndex == Ravtocol && record->code == Code::AutoTuning;
        if (record->reply == ItemOutcome::Reply::KeysOperated && !passedOver) {
            stop = TransferReport::StopReason::KeysOperated;
            break;
        }
        unanswered = record->reply == ItemOutcome::Reply::NoReply ? unanswered + 1 : 0;
        if (unanswered == TransferReport::LineLostAfter)
            stop = TransferReport::StopReason::LineLost;
        m_op.setStatusPanel(1, QString());
        m_view.setProgressValue(step);
    }

    const bool lineLost = stop == TransferReport::StopReason::LineLost;
    const bool readBackWhole = lineLost || confirm();
    for (const ItemOutcome &record : std::as_const(m_outcomes)) {
        if (record.marked())
            m_shared.unconfirmedWrites.insert(record.code, record);
        else
            m_shared.unconfirmedWrites.remove(record.code);
        m_journal.record(m_shared, record);
    }
    // The marks show at once, also over a page that no read will rebuild (a lost line).
    m_view.refreshSettingPage();
    if (stop) {
        // The step that stopped it, and the unanswered steps that took the line for lost, are not
        // counted as done.
        const int done = sent - (lineLost ? TransferReport::LineLostAfter : 1);
        m_report.stopped(TransferReport::Kind::Download, done, int(m_outcomes.size()), *stop,
                         m_outcomes);
        m_view.setProgressVisible(false, DownloadMessage);
        m_op.setStatusPanel(1, QString());
        return lineLost ? Result::LineLost : Result::KeysOperated;
    }
    endProgress();
    m_shared.settingDataValid = true;
    // The controller now holds what the display shows, each item read back from it.
    m_shared.settingsFromFile = false;
    m_shared.linkLostSinceRead = false;
    m_shared.downloadRequested = false;
    m_report.completed(TransferReport::Kind::Download, m_outcomes);
    // Every item was sent, but the line went quiet while they were read back.
    return readBackWhole ? Result::Completed : Result::LineLost;
}

ItemOutcome *ParameterDownload::recordOf(int code)
{
    for (ItemOutcome &record : m_outcomes) {
        if (record.code == code)
            return &record;
    }
    return nullptr;
}

bool ParameterDownload::confirm()
{
    int unanswered = 0;
    for (ItemOutcome &record : m_outcomes) {
        if (!record.sentOut())
            continue;
        // Only a good read from here on tells what the controller holds now.
        m_shared.readValues.at(record.code - 10).reset();
        // A line lost during the read-back leaves the rest unconfirmed instead of paying two
        // reply timeouts per item for nothing.
        if (unanswered == TransferReport::LineLostAfter) {
            record.readBackTried = true;
            continue;
        }
        m_shared.commErrorFlag = false;
        m_itemRead.confirm(record);
        unanswered = m_shared.commErrorFlag ? unanswered + 1 : 0;
        m_op.setStatusPanel(1, QString());
    }
    return unanswered < TransferReport::LineLostAfter;
}

void ParameterDownload::writeStep(ItemOutcome &record)
{
    const int code = record.code;
    const qint16 value = record.sent;
    const QString data = DataWord::dataField(value, m_shared.protocolIndex);
    const QString vendorData = DataWord::toHex(value);
    switch (code) {
    case Code::MainSetValue:
    case 58:
    case 59:
    case 60:
    case Code::ContactInputFunction:
        WriteReply::judgeVendor(record, m_vendorWrites.writeSetValue(code, vendorData));
        return;
    case 62:
    case 63:
        WriteReply::judgeVendor(record, m_vendorWrites.writeOutputItem(code, vendorData));
        return;
    case Code::AtBias:
        if (m_vendorWrites.writeAtBias(record, data))
            return;
        break;
    case Code::InputType:
        // The controller re-ranges itself on a new input type before it answers.
        setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
        break;
    default:
        break;
    }
    const Reply reply = m_request.write(m_shared.registerTable.at(code), data);
    m_reporter.write(reply);
    WriteReply::judge(record, reply, m_shared.protocolIndex);
}

void ParameterDownload::endProgress()
{
    m_view.setProgressVisible(false, DownloadMessage);
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
}

void ParameterDownload::setReplyTimeout(int milliseconds)
{
    if (CommComponent *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
