#include "LinkCheck.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/InstrumentNumber.h"
#include "comm/PortNames.h"
#include "comm/RegisterMap.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "comm/SettingsStore.h"
#include "comm/VendorFrameSession.h"

#include <QList>

#include <iterator>

namespace
{

// registerTable entry of the test request.
constexpr int TestRequestCode = 11;

const QList<int> SerialOptionQuestion = {85};
const QList<int> NoPortMessage = {260};
const QList<int> CheckFailedMessage = {451, 270};
const QList<int> SearchCancelledMessage = {83};
const QList<int> AccessDeniedMessage = {871, 872};
constexpr int StoredInstrumentMessage = 1150;

const QString FixedSpeed = QStringLiteral("9600");
const QString SearchSpeeds[] = {QStringLiteral("9600"), QStringLiteral("19200")};
constexpr int SpeedCount = int(std::size(SearchSpeeds));
constexpr int ProtocolCount = Ravtocol + 1;

QString protocolName(qint16 protocolIndex)
{
    switch (protocolIndex) {
    case ModbusAscii:
        return QStringLiteral("Modbus ASCII");
    case ModbusRtu:
        return QStringLiteral("Modbus RTU");
    default:
        return QStringLiteral("Ravtocol");
    }
}

} // namespace

LinkCheck::LinkCheck(ZN8P_INC &inc, ComLink &link, RequestLayer &request, SettingsStore &store,
                     OperatorInterface &op, MainView &view, VendorFrameSession &vendorFrame)
    : m_inc(inc), m_link(link), m_request(request), m_store(store), m_op(op), m_view(view),
      m_vendorFrame(vendorFrame)
{
    // The store may outlive this check (a window replaced over the same store) or end first, so
    // the listener asks whether the check is still there instead of being removed by it.
    m_store.setCommChangeListener([this, alive = std::weak_ptr<const bool>(m_alive)] {
        if (!alive.expired())
            showStoredConditions();
    });
}

void LinkCheck::startup()
{
    // The window shows that it waits for the controller; the check itself blocks.
    m_view.setLinkCheckState(LinkCheckState::Checking);
    checkcommunicate1();
    m_view.setLinkCheckState(LinkCheckState::Idle);
    if (!m_inc.commActive) {
        if (m_op.askYesNo(SerialOptionQuestion, MessageIcon::Question))
            checkcommunicate2();
        else
            checkcommunicate();
        if (!m_inc.commActive)
            return;
    }
    communicate();
}

bool LinkCheck::checkcommunicate1()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    setMainMenus(false);
    m_store.loadCommValues(m_inc);
    showStoredConditions();
    RegisterMap::fillRegisterTable(m_inc);
    // A stored instrument number edited into something else reaches no controller, and no other.
    if (!InstrumentNumber::parse(m_inc.stationAddress)) {
        m_op.showText(StoredInstrumentMessage,
                      msg(StoredInstrumentMessage).arg(m_inc.stationAddress),
                      MessageIcon::Exclamation);
        m_inc.commSettingsConfirmed = false;
        dropLink();
        return m_inc.linkVerified;
    }
    if (!preparePort(m_inc.portName, m_inc.speedText, PortUse::Chosen))
        return m_inc.linkVerified;
    if (probe()) {
        m_inc.commActive = true;
        m_inc.timerJob = 1;
        m_inc.linkVerified = true;
    } else {
        m_inc.commSettingsConfirmed = false;
        dropLink();
    }
    return m_inc.linkVerified;
}

void LinkCheck::checkcommunicate()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    if (m_inc.commSettingsConfirmed) {
        RegisterMap::fillRegisterTable(m_inc);
        if (preparePort(m_inc.portName, m_inc.speedText, PortUse::Chosen) && probe()) {
            m_inc.commActive = true;
            m_inc.timerJob = 1;
            m_inc.linkVerified = true;
            m_inc.commSettingsConfirmed = false;
            communicate();
            return;
        }
        // A port named as missing, busy or not serial needs no second, vaguer box.
        if (!m_openFaultNamed)
            m_op.showMessage(CheckFailedMessage);
        m_inc.commSettingsConfirmed = false;
        dropLink();
        return;
    }

    setMainMenus(false);
    RegisterMap::fillRegisterTable(m_inc, RegisterMap::Form::Modbus);
    m_inc.protocolIndex = ModbusAscii;
    m_inc.stationAddress = QStringLiteral("01");
    for (const QString &port : PortNames::comNames()) {
        m_inc.dataBitsText = QStringLiteral("7");
        m_inc.stopBitsText = QStringLiteral("1");
        m_inc.parityText = QStringLiteral("EVEN");
        if (preparePort(port, FixedSpeed, PortUse::Scan)) {
            // A controller left in the vendor frame by an earlier run ignores Modbus requests.
            m_vendorFrame.ReturnFromVendorFrame();
            m_inc.protocolIndex = ModbusAscii;
            if (probe()) {
                m_inc.commActive = true;
                m_inc.linkVerified = true;
            } else {
                dropLink();
            }
        }
        closePort();
        if (m_inc.commActive)
            return;
    }

    m_view.refreshSettingPage();
    m_op.showMessage(NoPortMessage);
    dropLink();
    m_link.release();
    m_view.requestClose();
}

void LinkCheck::checkcommunicate2()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    m_searching = true;
    search();
    m_searching = false;
}

void LinkCheck::search()
{
    m_inc.protocolIndex = ModbusAscii;
    m_inc.stationAddress = QStringLiteral("01");
    m_view.setLinkCheckState(LinkCheckState::Searching);
    ZN8PCom &com = m_link.renew();
    com.setFlagA(true);
    com.ClosePort();
    com.setReplyTimeout(ReplyTimeoutMs);
    com.setFlagB(true);
    int port = 1;
    int speedStep = 0;
    m_inc.commActive = false;

    while (!m_inc.commActive) {
        m_op.processEvents();
        if (port > PortCount) {
            searchEnded(CheckFailedMessage);
            return;
        }
        RegisterMap::fillRegisterTable(m_inc);
        if (!openWith(QStringLiteral("COM%1").arg(port), SearchSpeeds[speedStep], PortUse::Scan)) {
            ++port;
            speedStep = 0;
            m_inc.protocolIndex = ModbusAscii;
            closePort();
            continue;
        }
        for (int number = 1; number <= MaxInstrument; ++number) {
            if (m_inc.searchCancelled) {
                searchEnded(SearchCancelledMessage);
                return;
            }
            m_inc.stationAddress = InstrumentNumber::text(number);
            const int probesLeft = searchProbesLeft(port, speedStep, m_inc.protocolIndex, number);
            m_view.showSearchProgress({QStringLiteral("COM%1").arg(port), SearchSpeeds[speedStep],
                                       protocolName(m_inc.protocolIndex), m_inc.stationAddress,
                                       probesLeft,
                                       int((qint64(probesLeft) * ReplyTimeoutMs + 999) / 1000)});
            if (probe()) {
                m_inc.commActive = true;
                m_inc.linkVerified = true;
                return;
            }
            m_op.processEvents();
        }
        if (m_inc.protocolIndex < Ravtocol) {
            ++m_inc.protocolIndex;
        } else {
            m_inc.protocolIndex = ModbusAscii;
            if (++speedStep > 1) {
                speedStep = 0;
                ++port;
            }
        }
        closePort();
        m_inc.stationAddress = QStringLiteral("01");
    }
}

int LinkCheck::searchProbesLeft(int port, int speedStep, qint16 protocol, int number)
{
    const int combinationsLeftHere =
        (SpeedCount - 1 - speedStep) * ProtocolCount + Ravtocol - protocol;
    const int combinationsPerPort = SpeedCount * ProtocolCount;
    return MaxInstrument - number + 1 + combinationsLeftHere * MaxInstrument +
           (PortCount - port) * combinationsPerPort * MaxInstrument;
}

void LinkCheck::cancelSearch()
{
    m_inc.searchCancelled = true;
}

void LinkCheck::communicate()
{
    if (m_inc.commActive) {
        m_view.setLinkCheckState(LinkCheckState::Idle);
        for (MenuItem item :
             {MenuItem::File, MenuItem::Online, MenuItem::Setting, MenuItem::Upload,
              MenuItem::Download, MenuItem::FileSave, MenuItem::FileLoad, MenuItem::Trace})
            m_op.setMenuEnabled(item, true);
        m_view.setParameterButtonsEnabled(true);
        showAndStoreConditions();
    }
    readOrKeepSettings();
    if (m_inc.online) {
        m_inc.timerJob = 1;
        m_view.setMonitoringState(true);
        m_view.setMonitoringTimersEnabled(true);
    } else {
        m_inc.timerJob = 0;
        m_view.setLinkCheckState(LinkCheckState::Idle);
    }
}

void LinkCheck::showAndStoreConditions()
{
    const ZN8PCom *com = m_link.com();
    if (!com)
        return;
    m_inc.portName = com->PortName();
    m_inc.speedText = com->Speed();
    m_inc.dataBitsText = com->DataBits();
    m_inc.stopBitsText = com->StopBits();
    m_inc.parityText = com->Parity();
    // The frame follows through the store's listener.
    m_store.storeConnectedConditions(m_inc, m_inc.portName, m_inc.speedText, m_inc.dataBitsText,
                                     m_inc.stopBitsText, m_inc.parityText);
}

void LinkCheck::showStoredConditions()
{
    // Read back rather than taken from inc: a search or scan under way changes inc, and a check
    // that failed leaves inc with what it tried, while the next check starts from the store.
    ZN8P_INC stored;
    stored.useSecondKey = m_inc.useSecondKey;
    m_store.loadCommValues(stored);
    m_view.showCommInfo(stored.portName, stored.speedText,
                        stored.dataBitsText + QLatin1String(", ") + stored.parityText,
                        stored.stopBitsText, stored.stationAddress,
                        protocolName(stored.protocolIndex));
}

bool LinkCheck::preparePort(const QString &port, const QString &speed, PortUse use)
{
    // Whatever answers after this check may be another controller than the one last read: what
    // was read, and what the last writes left unconfirmed, is of that one.
    m_inc.readValues.fill(std::nullopt);
    m_inc.linkLostSinceRead = true;
    m_inc.unconfirmedWrites.clear();
    if (m_inc.writeNoteCode != 0) {
        m_inc.writeNoteCode = 0;
        m_op.setStatusPanel(2, QString());
    }
    m_link.renew().setFlagA(true);
    return openWith(port, speed, use);
}

bool LinkCheck::openWith(const QString &port, const QString &speed, PortUse use)
{
    m_openFaultNamed = false;
    ZN8PCom *com = m_link.com();
    if (!com)
        return false;
    com->setPortName(port);
    com->setSpeed(speed);
    com->setDataBits(m_inc.dataBitsText);
    com->setStopBits(m_inc.stopBitsText);
    com->setParity(m_inc.parityText);
    com->setReplyTimeout(ReplyTimeoutMs);
    com->setFlagB(true);
    com->ClosePort();
    com->OpenPort();
    if (com->OpenPort())
        return true;
    reportOpenFault(port, com->LastOpenFault(), use);
    return false;
}

void LinkCheck::reportOpenFault(const QString &port, const PortOpenFault &fault, PortUse use)
{
    // Said once per check: the search meets the same port at every speed and protocol.
    if (fault.fault == PortFault::AccessDenied) {
        if (!m_accessDeniedShown)
            m_op.showMessage(AccessDeniedMessage, MessageIcon::Exclamation);
        m_accessDeniedShown = true;
        return;
    }
    if (fault.fault == PortFault::Busy) {
        if (!m_busyShown)
            m_op.showText(PortFaults::messageId(fault.fault), PortFaults::text(port, fault),
                          MessageIcon::Exclamation);
        m_busyShown = true;
        m_openFaultNamed = true;
        return;
    }
    if (use == PortUse::Scan || PortFaults::messageId(fault.fault) == 0)
        return;
    m_op.showText(PortFaults::messageId(fault.fault), PortFaults::text(port, fault),
                  MessageIcon::Exclamation);
    m_openFaultNamed = true;
}

bool LinkCheck::probe()
{
    if (m_progress && m_link.com()) {
        const ZN8PCom *com = m_link.com();
        m_progress({com->PortName(), com->Speed(), m_inc.protocolIndex, m_inc.stationAddress});
    }
    const QString reply = m_request.read(m_inc.registerTable[TestRequestCode]);
    m_inc.commErrorFlag = false;
    return ReplyCheck::isGoodRead(reply, m_inc.protocolIndex);
}

void LinkCheck::dropLink()
{
    closePort();
    m_inc.linkVerified = false;
    m_inc.online = false;
    setMainMenus(true);
    m_op.setStatusPanel(1, QString());
}

void LinkCheck::setMainMenus(bool enabled)
{
    m_op.setMenuEnabled(MenuItem::File, enabled);
    m_op.setMenuEnabled(MenuItem::Online, enabled);
    m_op.setMenuEnabled(MenuItem::Setting, enabled);
}

void LinkCheck::closePort()
{
    if (ZN8PCom *com = m_link.com())
        com->ClosePort();
}

void LinkCheck::readOrKeepSettings()
{
    if (m_inc.keepUnitFlag) {
        // The file named at start-up stays on the display; its unit configuration is checked
        // against the controller's at the first online start.
        m_view.refreshSettingPage();
        m_inc.unitCheckFlag = true;
        m_inc.keepUnitFlag = false;
        if (!m_inc.online)
            m_inc.unsavedOnlineChanges = true;
    } else if (m_setdataRead) {
        m_setdataRead();
    }
}

void LinkCheck::searchEnded(const QList<int> &messageIds)
{
    m_view.setLinkCheckState(LinkCheckState::Idle);
    m_view.refreshSettingPage();
    m_op.showMessage(messageIds);
    dropLink();
    m_inc.searchCancelled = false;
}
