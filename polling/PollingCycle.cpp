#include "PollingCycle.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "comm/SettingsStore.h"
#include "comm/VendorFrameSession.h"
#include "polling/StatusCheck.h"
#include "polling/VendorFrameReads.h"

namespace
{

const QList<int> OfflineMessage = {274, 275, 276, 277, 278};
const QList<int> SettingErrorMessage = {715};

} // namespace

PollingCycle::PollingCycle(const SessionContext &context, VendorFrameReads &vendorReads,
                           VendorFrameSession &vendorFrame, SettingsStore &store)
    : m_shared(context.shared), m_request(context.request), m_link(context.link), m_op(context.op),
      m_view(context.view), m_vendorReads(vendorReads), m_vendorFrame(vendorFrame), m_store(store),
      m_reporter(context)
{
}

int PollingCycle::monitorCode(qint16 step, qint16 optionWord)
{
    switch (step) {
    case 0:
        return 0;
    case 1:
        return 4;
    case 2:
        return 3;
    case 3:
        return 1;
    case 4:
        return (optionWord & OptionBit::HeatCool) ? 2 : 0;
    case 5:
        return (optionWord & 0x04) ? 5 : 4;
    default:
        return (optionWord & 0x10) ? 6 : 3;
    }
}

bool PollingCycle::runMonitorJob()
{
    // A message box inside a vendor-frame exchange lets timer ticks through; a user-protocol
    // read now would go out as a vendor frame.
    if (m_vendorFrame.exchangeRunning())
        return false;
    const int code = monitorCode(m_shared.monitorStep, m_shared.optionWord());
    const ReplyCheck::Outcome outcome =
        m_reporter.read(m_request.read(m_shared.registerTable.at(code)), code);
    const bool read = outcome == ReplyCheck::Outcome::Good;
    m_shared.monitorReadFailed = !read;
    // Judged only when just read: the word kept from an earlier read still shows a change that
    // an upload has dealt with since, and would start that upload again on every tick until the
    // next read of the status word.
    if (code == Code::Status && read)
        checkStatusWord(m_shared);
    m_shared.monitorStep = qint16((m_shared.monitorStep + 1) % RotationLength);
    m_view.showChartValues();
    m_view.refreshMonitor();
    return read;
}

void PollingCycle::refreshVendorItems()
{
    if ((quint16(m_shared.statusWord()) & StatusBit::AutoTuning) || m_vendorFrame.exchangeRunning())
        return;
    const Reply reply =
        m_request.write(m_shared.registerTable.at(Code::ModeRegister), QStringLiteral("0000"));
    m_shared.commErrorFlag = false;
    // A refusal of the mode write ("86", or '!' under Ravtocol) ends the tick; any other reply,
    // none included, lets the reads run. Ravtocol follows the Modbus rule so that both protocols
    // refresh the same items.
    if (ReplyCheck::judgeWrite(reply.text, m_shared.protocolIndex) ==
        ReplyCheck::Outcome::Refused) {
        m_op.setStatusPanel(1, QString());
        return;
    }
    m_op.setStatusPanel(1, QStringLiteral("OK"));
    if (VendorFrameSession::hasSv2Option(m_shared))
        m_vendorReads.refreshSetValues();
    m_vendorReads.refreshAbnormalOutput();
    m_op.setStatusPanel(4, QString());
}

void PollingCycle::superviseLink()
{
    if (!m_shared.commErrorFlag) {
        m_view.setCommErrorVisible(false);
        // An exchange still running has index 3 legitimately (a message box of it let this
        // tick in); only one left behind is repaired.
        if (m_shared.protocolIndex == VendorFrame && !m_vendorFrame.exchangeRunning()) {
            restoreUserProtocol();
            m_op.setStatusPanel(4, QString());
            m_op.showMessage(SettingErrorMessage);
        }
        return;
    }
    if (m_shared.commErrorCount >= OfflineErrorCount)
        goOffline();
}

void PollingCycle::goOffline()
{
    if (m_shared.uploadRequested || m_shared.downloadRequested) {
        m_shared.uploadRequested = false;
        m_shared.downloadRequested = false;
        m_view.setProgressVisible(false, 0);
        m_op.setStatusPanel(4, QString());
    }
    // Why the line went: a serial server that ended the connection says so after the offline
    // message; a local port lost says no more than that nothing answers.
    PortOpenFault lost;
    if (m_shared.commActive) {
        m_view.setMonitoringTimersEnabled(false);
        m_shared.commActive = false;
        if (CommComponent *com = m_link.com()) {
            lost = com->lineLostFault();
            com->closePort();
        }
    }
    if (m_view.isTracing())
        m_view.stopTracing();
    m_shared.online = false;
    m_shared.linkLostSinceRead = true;
    m_op.setMenuEnabled(MenuItem::CommSetting, true);
    m_op.setMenuEnabled(MenuItem::ModelChange, true);
    m_view.setMonitoringState(false);
    m_op.setStatusPanel(1, QString());
    if (m_shared.protocolIndex == VendorFrame)
        restoreUserProtocol();
    else
        m_store.writeProtocol(m_shared);
    m_view.setCommErrorVisible(false);
    m_shared.commErrorFlag = false;
    m_shared.commErrorCount = 0;
    if (PortFaults::messageId(lost.fault) == 0) {
        m_op.showMessage(OfflineMessage);
        return;
    }
    // One box: the offline message with the server's fault below it.
    QStringList lines;
    for (const int id : OfflineMessage)
        lines << msg(id);
    lines << PortFaults::text(m_shared.portName, lost);
    m_op.showText(PortFaults::messageId(lost.fault), lines.join(QLatin1Char('\n')));
}

void PollingCycle::restoreUserProtocol()
{
    m_shared.protocolIndex = m_shared.savedProtocolIndex;
    m_store.writeProtocol(m_shared);
}
