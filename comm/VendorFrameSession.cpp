#include "VendorFrameSession.h"

#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"

namespace
{

// The reply wait of the vendor-frame requests, slower than the user protocol's.
constexpr int VendorReplyTimeout = 400;

const QList<int> KeysOperatedMessage = {455, 456};
const QList<int> SettingErrorMessage = {715};

} // namespace

VendorFrameSession::VendorFrameSession(const SessionContext &context)
    : m_shared(context.shared), m_request(context.request), m_link(context.link), m_op(context.op)
{
}

bool VendorFrameSession::hasSv2Option(const SessionState &shared)
{
    return (shared.optionWord() & OptionBit::ContactInput) &&
           !(shared.optionWord() & OptionBit::SerialComm);
}

bool VendorFrameSession::hasAbnormalOutputItem(const SessionState &shared)
{
    return shared.setting(Code::InputType) >= 30 &&
           (shared.optionWord2() & Option2Bit::DcCurrentOutput);
}

QString VendorFrameSession::keyData(qint16 protocolIndex)
{
    return protocolIndex == Ravtocol ? QStringLiteral("1A4C") : QStringLiteral("4C1A");
}

void VendorFrameSession::runExchange(const std::function<void()> &body, bool refresh)
{
    if (m_running)
        return;
    m_running = true;
    // An index of 3 here is a broken exchange that supervision has not repaired yet; the user's
    // protocol is then the saved one.
    if (m_shared.protocolIndex != VendorFrame)
        m_shared.savedProtocolIndex = m_shared.protocolIndex;
    m_shared.protocolIndex = m_shared.savedProtocolIndex;
    setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);

    const KeyResult key = writeKeyUntilAccepted(keyData(m_shared.protocolIndex));
    if (key == KeyResult::GaveUp || key == KeyResult::KeysHeld) {
        // The controller never entered the vendor frame: nothing to read, nothing to return from.
        m_running = false;
        return;
    }

    m_shared.protocolIndex = VendorFrame;
    setReplyTimeout(VendorReplyTimeout);
    body();

    setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    if (refresh)
        m_op.setStatusPanel(1, QString());
    returnFromVendorFrame();
    setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    m_shared.protocolIndex = m_shared.savedProtocolIndex;
    m_running = false;
}

VendorFrameSession::KeyResult VendorFrameSession::writeKeyUntilAccepted(const QString &key)
{
    for (int otherAnswers = 0, keysRound = 0;;) {
        const Reply reply = m_request.write(m_shared.registerTable[Code::ModeRegister], key);
        m_shared.commErrorFlag = false;
        if (reply.text.isEmpty())
            return KeyResult::NoReply;
        if (ReplyCheck::isGoodWrite(reply.text, m_shared.protocolIndex))
            return KeyResult::Accepted;
        if (ReplyCheck::isKeysOperated(reply.text, m_shared.protocolIndex)) {
            m_op.showMessage(KeysOperatedMessage, MessageIcon::Exclamation);
            if (!m_op.keepWaiting(keysRound++))
                return KeyResult::KeysHeld;
            continue;
        }
        if (++otherAnswers == MaxAttempts) {
            m_op.showMessage(SettingErrorMessage, MessageIcon::Exclamation);
            return KeyResult::GaveUp;
        }
    }
}

void VendorFrameSession::returnFromVendorFrame()
{
    m_shared.protocolIndex = VendorFrame;
    setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
    // "06" becomes the vendor-frame write; item 0000 with data 0000 is the return command.
    for (int round = 0;
         !m_request.write(QStringLiteral("0000"), QStringLiteral("0000")).text.isEmpty(); ++round) {
        m_op.beep();
        m_op.showMessage(KeysOperatedMessage, MessageIcon::Exclamation);
        if (!m_op.keepWaiting(round))
            break;
    }
    setReplyTimeout(CommComponent::DefaultReplyTimeoutMs);
}

void VendorFrameSession::setReplyTimeout(int milliseconds)
{
    if (CommComponent *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
