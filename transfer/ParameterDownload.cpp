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
#include "polling/ValueFormat.h"
#include "transfer/VendorFrameWrites.h"
#include "transfer/WaitTick.h"
#include "transfer/WriteJournal.h"

#include <optional>

namespace
{

constexpr int InputTypeReplyTimeout = 300;
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

ParameterDownload::ParameterDownload(ZN8P_INC &inc, RequestLayer &request, ComLink &link,
                                     OperatorInterface &op, MainView &view, ItemReadBack &itemRead,
                                     VendorFrameWrites &vendorWrites, WriteJournal &journal)
    : m_inc(inc), m_request(request), m_link(link), m_op(op), m_view(view),
      m_vendorWrites(vendorWrites), m_journal(journal), m_reporter(inc, link, op, view),
      m_itemRead(itemRead), m_report(inc, op)
{
}

bool ParameterDownload::applies(int code, const ZN8P_INC &inc, const Values &source)
{
    const quint16 status = quint16(inc.statusWord());
    const quint16 option = quint16(inc.optionWord());
    const auto value = [&](int c) { return source.at(c - 10); };
    const bool sv2Option = VendorFrameSession::hasSv2Option(inc);
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
        return dcInput && (quint16(inc.optionWord2()) & Option2Bit::DcCurrentOutput);
    default:
        return true;
    }
}

ParameterDownload::Result ParameterDownload::DownloadSettings()
{
    if (quint16(m_inc.statusWord()) & StatusBit::AutoTuning) {
        m_op.showMessage(AutoTuningMessage, MessageIcon::Exclamation);
        m_op.beep();
        return Result::AutoTuningRunning;
    }
    return download(m_inc.settingValues);
}

ParameterDownload::Result ParameterDownload::DownloadCopy()
{
    const Result result = download(m_inc.downloadValues);
    // After a stop by the keys too: what the controller holds now is read back. A lost line
    // would only pay a reply timeout per read.
    if (result != Result::LineLost && m_readBack)
        m_readBack();
    return result;
}

ParameterDownload::Result ParameterDownload::download(const Values &source)
{
    m_report.begin();
    const QString flagReply = m_request.write(m_inc.registerTable.at(Code::SettingFlag),
                                              DataWord::dataField(1, m_inc.protocolIndex));
    m_reporter.write(flagReply);
    if (ReplyCheck::isKeysOperated(flagReply, m_inc.protocolIndex)) {
        m_view.showKeyOperationNotice();
        // The 2-second notice alone is missed by an operator who looked away.
        m_op.showMessage({KeyOperationMessage}, MessageIcon::Exclamation);
        return Result::KeysOperated;
    }

    m_view.setProgressVisible(true, DownloadMessage);
    m_op.setStatusPanel(1, msg(DownloadMessage));
    m_op.setStatusPanel(4, QString());
    WaitTick();
    m_view.setProgressValue(0);

    QList<int> applicable;
    for (const qint16 code : Chain) {
        if (applies(code, m_inc, source))
            applicable << code;
    }
    QList<int> written;
    QList<SentStep> sentSteps;
    int unanswered = 0;
    std::optional<TransferReport::StopReason> stop;
    for (int step = 1; step <= StepCount && !stop; ++step) {
        const int code = Chain[step - 1];
        if (!applicable.contains(code))
            continue;
        const qint16 value = source.at(code - 10);
        const std::optional<qint16> before = m_inc.readValues.at(code - 10);
        bool sentDirectly = true;
        const QString reply = writeStep(code, value, sentDirectly);
        if (sentDirectly)
            m_reporter.write(reply);
        const bool vendorReply =
            !sentDirectly && (code != Code::AtBias || m_vendorWrites.atbThroughVendorFrame(value));
        sentSteps.append({code, before, value,
                          vendorReply ? WriteOutcome::ofVendorReply(reply)
                                      : WriteOutcome::ofReply(reply, m_inc.protocolIndex)});
        // Under Ravtocol a keys-operated refusal of the auto-tuning switch, the last step, is
        // passed over: every other item has been written by then.
        const bool passedOver = m_inc.protocolIndex == Ravtocol && code == Code::AutoTuning;
        if (ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex) && !passedOver) {
            stop = TransferReport::StopReason::KeysOperated;
            break;
        }
        written << code;
        unanswered = ReplyCheck::isNoReply(reply) ? unanswered + 1 : 0;
        if (unanswered == TransferReport::LineLostAfter)
            stop = TransferReport::StopReason::LineLost;
        m_op.setStatusPanel(1, QString());
        m_view.setProgressValue(step);
    }

    const bool lineLost = stop == TransferReport::StopReason::LineLost;
    const QList<TransferReport::NotTaken> notTaken = confirm(source, applicable, written, lineLost);
    // Journalled once the read-back has judged them; a refusal or a lost reply stays as it was.
    for (const SentStep &step : sentSteps) {
        const std::optional<qint16> held = m_inc.readValues.at(step.code - 10);
        m_journal.record(
            m_inc, step.code, step.before, step.value,
            lineLost ? step.outcome
                     : step.outcome.checkedBy(held, step.value, FormatItemValue(m_inc, step.code)));
    }
    if (stop) {
        // The unanswered writes that took the line for lost are not counted as done.
        const int done =
            int(written.size()) -
            (*stop == TransferReport::StopReason::LineLost ? TransferReport::LineLostAfter : 0);
        m_report.stopped(TransferReport::Kind::Download, done, int(applicable.size()), *stop,
                         notTaken);
        m_view.setProgressVisible(false, DownloadMessage);
        m_op.setStatusPanel(1, QString());
        return stop == TransferReport::StopReason::KeysOperated ? Result::KeysOperated
                                                                : Result::LineLost;
    }
    endProgress();
    m_inc.settingDataValid = true;
    // The controller now holds what the display shows, each item read back from it.
    m_inc.settingsFromFile = false;
    m_inc.linkLostSinceRead = false;
    m_inc.downloadRequested = false;
    m_report.completed(TransferReport::Kind::Download, notTaken);
    return Result::Completed;
}

QList<TransferReport::NotTaken> ParameterDownload::confirm(const Values &source,
                                                           const QList<int> &applicable,
                                                           const QList<int> &written, bool lineLost)
{
    QList<TransferReport::NotTaken> notTaken;
    for (const int code : applicable) {
        const qint16 sent = source.at(code - 10);
        // An item the download did not reach keeps the value meant for it on the display,
        // marked as not held by the controller.
        if (!written.contains(code)) {
            m_inc.unconfirmedWrites.insert(code, sent);
            continue;
        }
        // Only a good read from here on tells what the controller holds now.
        if (!lineLost)
            m_inc.readValues.at(code - 10).reset();
        const bool read = !lineLost && m_itemRead.read(code);
        m_op.setStatusPanel(1, QString());
        if (read && m_inc.setting(code) == sent)
            continue;
        m_inc.unconfirmedWrites.insert(code, sent);
        notTaken.append({code, sent, read});
    }
    return notTaken;
}

QString ParameterDownload::writeStep(int code, qint16 value, bool &sentDirectly)
{
    const QString data = DataWord::dataField(value, m_inc.protocolIndex);
    const QString vendorData = DataWord::toHex(value);
    sentDirectly = false;
    switch (code) {
    case Code::MainSetValue:
    case 58:
    case 59:
    case 60:
    case Code::ContactInputFunction:
        m_inc.itemCode = qint16(code);
        return m_vendorWrites.SV_change(vendorData);
    case 62:
    case 63:
        m_inc.itemCode = qint16(code);
        return m_vendorWrites.DCOSL_change(vendorData);
    case Code::AtBias:
        m_reporter.read(m_request.read(m_inc.registerTable.at(Code::ModeRegister)),
                        Code::ModeRegister);
        if (m_inc.setting(Code::ModeRegister) < VendorFrameWrites::DirectAtBiasMode) {
            m_inc.itemCode = Code::AtBias;
            return m_vendorWrites.atb(data);
        }
        break;
    case Code::InputType: {
        // The controller re-ranges itself on a new input type before it answers.
        setReplyTimeout(InputTypeReplyTimeout);
        sentDirectly = true;
        const QString reply = m_request.write(m_inc.registerTable.at(code), data);
        setReplyTimeout(InputTypeReplyTimeout);
        return reply;
    }
    default:
        break;
    }
    sentDirectly = true;
    return m_request.write(m_inc.registerTable.at(code), data);
}

void ParameterDownload::endProgress()
{
    m_view.setProgressVisible(false, DownloadMessage);
    m_op.setStatusPanel(1, QString());
    m_op.setStatusPanel(4, QString());
}

void ParameterDownload::setReplyTimeout(int milliseconds)
{
    if (ZN8PCom *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
