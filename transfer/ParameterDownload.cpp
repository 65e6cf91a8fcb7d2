#include "ParameterDownload.h"

#include "app/MainView.h"
#include "app/MessageTable.h"
#include "app/OperatorInterface.h"
#include "comm/ComLink.h"
#include "comm/DataWord.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "display/VendorFrameWrites.h"
#include "transfer/ParameterTable.h"
#include "transfer/WaitTick.h"
#include "transfer/WriteJournal.h"

namespace
{

constexpr int ModeRegisterCode = 10;
constexpr int MainSetValueCode = 11;
constexpr int AutoTuningCode = 12;
constexpr int AtBiasCode = 51;
constexpr int ContactInputFunctionCode = 61;
constexpr int SettingFlagCode = 65;
constexpr int InputTypeReplyTimeout = 300;
constexpr int DownloadMessage = 501;
constexpr int KeyOperationMessage = 292;
const QList<int> AutoTuningMessage = {503, 504};

namespace Status
{
constexpr quint16 AutoTuning = 0x0800;
constexpr quint16 AutoManualKey = 0x1000;
} // namespace Status

namespace Option
{
constexpr quint16 ContactInput = 0x01;
constexpr quint16 SerialComm = 0x02;
constexpr quint16 HeaterBurnout = 0x04;
constexpr quint16 ThreePhase = 0x10;
constexpr quint16 Alarm2 = 0x20;
constexpr quint16 HeatCool = 0x40;
constexpr quint16 DcCurrentOutput = 0x10; // in optionWord2
} // namespace Option

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
                                     OperatorInterface &op, MainView &view,
                                     VendorFrameWrites &vendorWrites, WriteJournal &journal)
    : m_inc(inc), m_request(request), m_link(link), m_op(op), m_view(view),
      m_vendorWrites(vendorWrites), m_journal(journal), m_reporter(inc, link, op, view)
{
}

bool ParameterDownload::applies(int code, const ZN8P_INC &inc, const Values &source)
{
    const quint16 status = quint16(inc.statusWord());
    const quint16 option = quint16(inc.optionWord());
    const auto value = [&](int c) { return source.at(c - 10); };
    const bool sv2Option = (option & Option::ContactInput) && !(option & Option::SerialComm);
    const bool dcInput = InputType::isDc(value(ParameterTable::InputTypeCode));
    switch (code) {
    case AutoTuningCode: {
        // Only a change of the controller's state is sent.
        const bool running = status & Status::AutoTuning;
        return (value(code) == 0 && running) || (value(code) == 1 && !running);
    }
    case 19:
    case 38:
    case 40:
    case 47:
        return value(36) != 0;
    case 37:
        return option & Option::Alarm2;
    case 20:
    case 39:
    case 41:
    case 48:
        return (option & Option::Alarm2) && value(37) != 0;
    case 14:
    case 18:
    case 24:
    case 32:
    case 33:
    case 34:
    case 35:
        return option & Option::HeatCool;
    case 21:
        return option & Option::HeaterBurnout;
    case 53:
        return (option & Option::HeaterBurnout) && (option & Option::ThreePhase);
    case ParameterTable::DecimalPlaceCode:
        return dcInput;
    case AtBiasCode:
        return !dcInput && value(13) != 0 && value(15) != 0 && value(16) != 0;
    case 44:
        return !(status & Status::AutoManualKey);
    case 45:
        return status & Status::AutoManualKey;
    case 58:
    case ContactInputFunctionCode:
        return sv2Option;
    case 59:
    case 60:
        return sv2Option && value(ContactInputFunctionCode) == 0;
    case 62:
        return dcInput && (quint16(inc.optionWord2()) & Option::DcCurrentOutput);
    default:
        return true;
    }
}

ParameterDownload::Result ParameterDownload::DownloadSettings()
{
    if (quint16(m_inc.statusWord()) & Status::AutoTuning) {
        m_op.showMessage(AutoTuningMessage, MessageIcon::Exclamation);
        m_op.beep();
        return Result::AutoTuningRunning;
    }
    return download(m_inc.settingValues);
}

ParameterDownload::Result ParameterDownload::DownloadCopy()
{
    const Result result = download(m_inc.downloadValues);
    if (result == Result::Completed && m_readBack)
        m_readBack();
    return result;
}

ParameterDownload::Result ParameterDownload::download(const Values &source)
{
    const QString flagReply = m_request.write(m_inc.registerTable.at(SettingFlagCode),
                                              DataWord::dataField(1, m_inc.protocolIndex));
    m_reporter.write(flagReply);
    if (ReplyCheck::isKeysOperated(flagReply, m_inc.protocolIndex)) {
        m_view.showKeyOperationNotice();
        return Result::KeysOperated;
    }

    m_view.setProgressVisible(true, DownloadMessage);
    m_op.setStatusPanel(1, msg(DownloadMessage));
    m_op.setStatusPanel(4, QString());
    WaitTick();
    m_view.setProgressValue(0);

    for (int step = 1; step <= StepCount; ++step) {
        const int code = Chain[step - 1];
        if (!applies(code, m_inc, source))
            continue;
        const qint16 value = source.at(code - 10);
        const std::optional<qint16> before = m_inc.readValues.at(code - 10);
        bool sentDirectly = true;
        const QString reply = writeStep(code, value, sentDirectly);
        if (sentDirectly)
            m_reporter.write(reply);
        const bool vendorReply =
            !sentDirectly && (code != AtBiasCode || m_vendorWrites.atbThroughVendorFrame(value));
        m_journal.record(m_inc, code, before, value,
                         vendorReply ? WriteOutcome::ofVendorReply(reply)
                                     : WriteOutcome::ofReply(reply, m_inc.protocolIndex));
        // Under Ravtocol a keys-operated refusal of the auto-tuning switch, the last step, is
        // passed over: every other item has been written by then.
        const bool passedOver = m_inc.protocolIndex == Ravtocol && code == AutoTuningCode;
        if (ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex) && !passedOver) {
            m_op.showMessage({KeyOperationMessage}, MessageIcon::Exclamation);
            m_view.setProgressVisible(false, DownloadMessage);
            m_op.setStatusPanel(1, QString());
            return Result::KeysOperated;
        }
        m_op.setStatusPanel(1, QString());
        m_view.setProgressValue(step);
    }

    endProgress();
    m_inc.settingDataValid = true;
    m_inc.downloadRequested = false;
    return Result::Completed;
}

QString ParameterDownload::writeStep(int code, qint16 value, bool &sentDirectly)
{
    const QString data = DataWord::dataField(value, m_inc.protocolIndex);
    const QString vendorData = DataWord::toHex(value);
    sentDirectly = false;
    switch (code) {
    case MainSetValueCode:
    case 58:
    case 59:
    case 60:
    case ContactInputFunctionCode:
        m_inc.itemCode = qint16(code);
        return m_vendorWrites.SV_change(vendorData);
    case 62:
    case 63:
        m_inc.itemCode = qint16(code);
        return m_vendorWrites.DCOSL_change(vendorData);
    case AtBiasCode:
        m_reporter.read(m_request.read(m_inc.registerTable.at(ModeRegisterCode)), ModeRegisterCode);
        if (m_inc.setting(ModeRegisterCode) < VendorFrameWrites::DirectAtBiasMode) {
            m_inc.itemCode = AtBiasCode;
            return m_vendorWrites.atb(data);
        }
        break;
    case ParameterTable::InputTypeCode: {
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
