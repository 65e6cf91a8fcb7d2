#include "LinkCheck.h"

#include "base/MainView.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
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
constexpr int TestRequestCode = Code::MainSetValue;

constexpr int SerialOptionQuestion = 85;
constexpr int NoAnswerMessage = 1205;
constexpr int WhatToCheckMessage = 1206;
const QList<int> NoPortMessage = {260};
const QList<int> CheckFailedMessage = {451, 270};
const QList<int> SearchCancelledMessage = {83};
const QList<int> AccessDeniedMessage = {871, 872};
constexpr int StoredInstrumentMessage = 1150;
constexpr int SilentServerMessage = 1177;
constexpr int FixedSpeedMessage = 1178;
constexpr int StatusNotePanel = 4;

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

// The exchanges of a scan or search are recorded as its probes while this lives.
class SearchProbes
{
public:
    explicit SearchProbes(ComLink &link) : m_link(link) { m_link.setSearchProbes(true); }
    ~SearchProbes() { m_link.setSearchProbes(false); }
    SearchProbes(const SearchProbes &) = delete;
    SearchProbes &operator=(const SearchProbes &) = delete;

private:
    ComLink &m_link;
};

} // namespace

LinkCheck::LinkCheck(const SessionContext &context, SettingsStore &store,
                     VendorFrameSession &vendorFrame)
    : m_shared(context.shared), m_link(context.link), m_request(context.request), m_store(store),
      m_op(context.op), m_view(context.view), m_vendorFrame(vendorFrame)
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
    checkStoredConditions();
    m_view.setLinkCheckState(LinkCheckState::Idle);
    if (!m_shared.commActive) {
        if (askSerialOption())
            searchForController();
        else
            scanFixedConditions();
        if (!m_shared.commActive)
            return;
    }
    linkEstablished();
}

bool LinkCheck::askSerialOption()
{
    if (!m_storedUnanswered)
        return m_op.askYesNo({SerialOptionQuestion}, MessageIcon::Question);
    // What happened comes first: the option question alone reads as if nothing had been tried.
    const QString text = msg(NoAnswerMessage).arg(m_shared.portName, m_shared.speedText) +
                         QLatin1Char('\n') + msg(WhatToCheckMessage) + QLatin1Char('\n') +
                         msg(SerialOptionQuestion);
    return m_op.askYesNoText(SerialOptionQuestion, text, MessageIcon::Question);
}

bool LinkCheck::checkStoredConditions()
{
    m_storedUnanswered = false;
    m_accessDeniedShown = false;
    m_busyShown = false;
    m_networkFaultShown = false;
    setMainMenus(false);
    m_store.loadCommValues(m_shared);
    showStoredConditions();
    RegisterMap::fillRegisterTable(m_shared);
    // A stored instrument number edited into something else reaches no controller, and no other.
    if (!InstrumentNumber::parse(m_shared.stationAddress)) {
        m_op.showText(StoredInstrumentMessage,
                      msg(StoredInstrumentMessage).arg(m_shared.stationAddress),
                      MessageIcon::Exclamation);
        dropLink();
        return m_shared.linkVerified;
    }
    if (!preparePort(m_shared.portName, m_shared.speedText, PortUse::Chosen))
        return m_shared.linkVerified;
    if (probe()) {
        m_shared.commActive = true;
        m_shared.timerJob = TimerJob::Monitor;
        m_shared.linkVerified = true;
    } else {
        m_storedUnanswered = true;
        dropLink();
    }
    return m_shared.linkVerified;
}

void LinkCheck::checkChosenConditions()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    m_networkFaultShown = false;
    RegisterMap::fillRegisterTable(m_shared);
    if (preparePort(m_shared.portName, m_shared.speedText, PortUse::Chosen) && probe()) {
        m_shared.commActive = true;
        m_shared.timerJob = TimerJob::Monitor;
        m_shared.linkVerified = true;
        linkEstablished();
        return;
    }
    // A port named as missing, busy or not serial needs no second, vaguer box.
    if (!m_openFaultNamed) {
        if (const auto address = networkAddress(m_shared.portName))
            m_op.showText(SilentServerMessage,
                          msg(SilentServerMessage).arg(m_shared.portName, address->hostAndPort()),
                          MessageIcon::Exclamation);
        else
            showCheckFailed();
    }
    dropLink();
}

void LinkCheck::scanFixedConditions()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    m_networkFaultShown = false;
    setMainMenus(false);
    RegisterMap::fillRegisterTable(m_shared, RegisterMap::Form::Modbus);
    m_shared.protocolIndex = ModbusAscii;
    m_shared.stationAddress = QStringLiteral("01");
    const SearchProbes probes(m_link);
    for (const QString &port : PortNames::comNames()) {
        m_shared.dataBitsText = QStringLiteral("7");
        m_shared.stopBitsText = QStringLiteral("1");
        m_shared.parityText = QStringLiteral("EVEN");
        if (preparePort(port, FixedSpeed, PortUse::Scan)) {
            // A controller left in the vendor frame by an earlier run ignores Modbus requests.
            m_vendorFrame.returnFromVendorFrame();
            m_shared.protocolIndex = ModbusAscii;
            if (probe()) {
                m_shared.commActive = true;
                m_shared.linkVerified = true;
            } else {
                dropLink();
            }
        }
        closePort();
        if (m_shared.commActive)
            return;
    }

    m_view.refreshSettingPage();
    m_op.showMessage(NoPortMessage);
    dropLink();
    m_link.release();
    m_view.requestClose();
}

void LinkCheck::searchForController()
{
    m_accessDeniedShown = false;
    m_busyShown = false;
    m_networkFaultShown = false;
    m_searching = true;
    {
        const SearchProbes probes(m_link);
        search();
    }
    m_searching = false;
    m_op.setStatusPanel(StatusNotePanel, QString());
}

void LinkCheck::search()
{
    m_shared.protocolIndex = ModbusAscii;
    m_shared.stationAddress = QStringLiteral("01");
    m_view.setLinkCheckState(LinkCheckState::Searching);
    CommComponent &com = m_link.renew();
    com.closePort();
    com.setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    int port = 1;
    int speedStep = 0;
    m_shared.commActive = false;

    while (!m_shared.commActive) {
        m_op.processEvents();
        if (port > PortCount) {
            searchEnded(CheckFailedMessage);
            return;
        }
        RegisterMap::fillRegisterTable(m_shared);
        const QString portName = QStringLiteral("COM%1").arg(port);
        const std::optional<NetworkAddress> address = networkAddress(portName);
        const bool serverSpeed = address && address->mode == NetworkAddress::Mode::Raw;
        m_op.setStatusPanel(
            StatusNotePanel,
            serverSpeed ? msg(FixedSpeedMessage).arg(portName, address->hostAndPort()) : QString());
        if (!openWith(portName, SearchSpeeds[speedStep], PortUse::Scan)) {
            ++port;
            speedStep = 0;
            m_shared.protocolIndex = ModbusAscii;
            closePort();
            continue;
        }
        for (int number = 1; number <= MaxInstrument; ++number) {
            if (m_searchCancelled) {
                searchEnded(SearchCancelledMessage);
                return;
            }
            m_shared.stationAddress = InstrumentNumber::text(number);
            const int probesLeft =
                searchProbesLeft(port, speedStep, m_shared.protocolIndex, number);
            m_view.showSearchProgress(
                {QStringLiteral("COM%1").arg(port), SearchSpeeds[speedStep],
                 protocolName(m_shared.protocolIndex), m_shared.stationAddress, probesLeft,
                 int((qint64(probesLeft) * CommComponent::DefaultReplyTimeoutMs + 999) / 1000)});
            if (probe()) {
                m_shared.commActive = true;
                m_shared.linkVerified = true;
                return;
            }
            m_op.processEvents();
        }
        if (m_shared.protocolIndex < Ravtocol) {
            ++m_shared.protocolIndex;
        } else {
            m_shared.protocolIndex = ModbusAscii;
            if (++speedStep > 1 || serverSpeed) {
                speedStep = 0;
                ++port;
            }
        }
        closePort();
        m_shared.stationAddress = QStringLiteral("01");
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
    m_searchCancelled = true;
}

void LinkCheck::linkEstablished()
{
    if (m_shared.commActive) {
        m_view.setLinkCheckState(LinkCheckState::Idle);
        for (MenuItem item :
             {MenuItem::File, MenuItem::Online, MenuItem::Setting, MenuItem::Upload,
              MenuItem::Download, MenuItem::FileSave, MenuItem::FileLoad, MenuItem::Trace})
            m_op.setMenuEnabled(item, true);
        m_view.setParameterButtonsEnabled(true);
        showAndStoreConditions();
    }
    readOrKeepSettings();
    if (m_shared.online) {
        m_shared.timerJob = TimerJob::Monitor;
        m_view.setMonitoringState(true);
        m_view.setMonitoringTimersEnabled(true);
    } else {
        m_shared.timerJob = TimerJob::Idle;
        m_view.setLinkCheckState(LinkCheckState::Idle);
    }
}

void LinkCheck::showAndStoreConditions()
{
    const CommComponent *com = m_link.com();
    if (!com)
        return;
    m_shared.portName = com->portName();
    m_shared.speedText = com->speed();
    m_shared.dataBitsText = com->dataBits();
    m_shared.stopBitsText = com->stopBits();
    m_shared.parityText = com->parity();
    // The frame follows through the store's listener.
    m_store.storeConnectedConditions(m_shared, m_shared.portName, m_shared.speedText,
                                     m_shared.dataBitsText, m_shared.stopBitsText,
                                     m_shared.parityText);
}

void LinkCheck::showStoredConditions()
{
    // Read back rather than taken from shared: a search or scan under way changes shared, and a
    // check that failed leaves shared with what it tried, while the next check starts from the
    // store.
    SessionState stored;
    stored.useSecondKey = m_shared.useSecondKey;
    m_store.loadCommValues(stored);
    // A COM name that stands for a serial server's line shows where that line is.
    QString port = stored.portName;
    if (const auto address = networkAddress(stored.portName); address && address->url() != port)
        port += QStringLiteral(" (%1)").arg(address->hostAndPort());
    m_view.showCommInfo(
        port, stored.speedText, stored.dataBitsText + QLatin1String(", ") + stored.parityText,
        stored.stopBitsText, stored.stationAddress, protocolName(stored.protocolIndex));
}

bool LinkCheck::preparePort(const QString &port, const QString &speed, PortUse use)
{
    // Whatever answers after this check may be another controller than the one last read: what
    // was read, and what the last writes left unconfirmed, is of that one.
    m_shared.readValues.fill(std::nullopt);
    m_shared.linkLostSinceRead = true;
    m_shared.unconfirmedWrites.clear();
    if (m_shared.writeNoteCode != 0) {
        m_shared.writeNoteCode = 0;
        m_op.setStatusPanel(2, QString());
    }
    m_link.renew();
    return openWith(port, speed, use);
}

bool LinkCheck::openWith(const QString &port, const QString &speed, PortUse use)
{
    m_openFaultNamed = false;
    CommComponent *com = m_link.com();
    if (!com)
        return false;
    com->setPortName(port);
    com->setSpeed(speed);
    com->setDataBits(m_shared.dataBitsText);
    com->setStopBits(m_shared.stopBitsText);
    com->setParity(m_shared.parityText);
    com->setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    com->closePort();
    com->openPort();
    if (com->openPort())
        return true;
    reportOpenFault(port, com->lastOpenFault(), use);
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
    if (PortFaults::isNetwork(fault.fault)) {
        if (!m_networkFaultShown)
            m_op.showText(PortFaults::messageId(fault.fault), PortFaults::text(port, fault),
                          MessageIcon::Exclamation);
        m_networkFaultShown = true;
        m_openFaultNamed = true;
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
        const CommComponent *com = m_link.com();
        m_progress(
            {com->portName(), com->speed(), m_shared.protocolIndex, m_shared.stationAddress});
    }
    m_lastProbe = m_request.read(m_shared.registerTable[TestRequestCode]);
    m_shared.commErrorFlag = false;
    return ReplyCheck::isGoodRead(m_lastProbe.text, m_shared.protocolIndex);
}

void LinkCheck::showCheckFailed()
{
    const QString why = ReplyVerdicts::text(m_lastProbe);
    if (why.isEmpty())
        m_op.showMessage(CheckFailedMessage);
    else
        m_op.showText(CheckFailedMessage.first(), msg(CheckFailedMessage.first()) +
                                                      QLatin1Char('\n') + why + QLatin1Char('\n') +
                                                      msg(CheckFailedMessage.last()));
}

std::optional<NetworkAddress> LinkCheck::networkAddress(const QString &port) const
{
    // znctl names a server's line by its URL directly.
    if (const auto direct = NetworkAddress::parse(port))
        return direct;
    return NetworkAddress::parse(PortNames(m_store.portMap(m_shared)).deviceFor(port));
}

void LinkCheck::dropLink()
{
    closePort();
    m_shared.linkVerified = false;
    m_shared.online = false;
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
    if (CommComponent *com = m_link.com())
        com->closePort();
}

void LinkCheck::readOrKeepSettings()
{
    if (m_shared.keepUnitFlag) {
        // The file named at start-up stays on the display; its unit configuration is checked
        // against the controller's at the first online start.
        m_view.refreshSettingPage();
        m_shared.unitCheckFlag = true;
        m_shared.keepUnitFlag = false;
        if (!m_shared.online)
            m_shared.unsavedOnlineChanges = true;
    } else if (m_settingsRead) {
        m_settingsRead();
    }
}

void LinkCheck::searchEnded(const QList<int> &messageIds)
{
    m_view.setLinkCheckState(LinkCheckState::Idle);
    m_view.refreshSettingPage();
    m_op.showMessage(messageIds);
    dropLink();
    m_searchCancelled = false;
}
