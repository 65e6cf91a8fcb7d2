#include "VendorFrameReads.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"

namespace
{

constexpr int ModeRegisterCode = 10;
constexpr int ContactInputFunctionCode = 61;
constexpr int AbnormalOutputCode = 62;
constexpr int OutOffKeyCode = 63;

// Reply waits: the user protocol, and the slower vendor-frame reads.
constexpr int UserReplyTimeout = 300;
constexpr int VendorReplyTimeout = 400;

const QList<int> KeysOperatedMessage = {455, 456};
const QList<int> SettingErrorMessage = {715};

} // namespace

VendorFrameReads::VendorFrameReads(ZN8P_INC &inc, RequestLayer &request, ComLink &link,
                                   OperatorInterface &op, MainView &view)
    : m_inc(inc), m_request(request), m_link(link), m_op(op), m_view(view)
{
}

bool VendorFrameReads::hasSv2Option(const ZN8P_INC &inc)
{
    return (inc.optionWord() & 0x01) && !(inc.optionWord() & 0x02);
}

bool VendorFrameReads::hasAbnormalOutputItem(const ZN8P_INC &inc)
{
    return inc.setting(ParameterTable::InputTypeCode) >= 30 && (inc.optionWord2() & 0x10);
}

QString VendorFrameReads::keyData(qint16 protocolIndex)
{
    return protocolIndex == Ravtocol ? QStringLiteral("1A4C") : QStringLiteral("4C1A");
}

void VendorFrameReads::Read_SV()
{
    m_lastReadAccepted = false;
    if (!hasSv2Option(m_inc))
        return;
    const int code = m_inc.itemCode;
    const bool setValuesSelectable = m_inc.setting(ContactInputFunctionCode) == 0;
    const bool readsItem = code == 58 || code == ContactInputFunctionCode ||
                           ((code == 59 || code == 60) && setValuesSelectable);
    // Unread until the exchange reads it: a key write that gives up reads nothing.
    if (readsItem)
        m_inc.unreadCodes.insert(code);
    runExchange(
        [this, code, readsItem] {
            if (readsItem)
                readItem(code);
        },
        false);
}

void VendorFrameReads::Read_data()
{
    m_lastReadAccepted = false;
    if (m_inc.itemCode != AbnormalOutputCode) {
        m_inc.unreadCodes.insert(OutOffKeyCode);
        runExchange([this] { readItem(OutOffKeyCode); }, false);
        return;
    }
    if (hasAbnormalOutputItem(m_inc)) {
        m_inc.unreadCodes.insert(AbnormalOutputCode);
        runExchange([this] { readItem(AbnormalOutputCode); }, false);
    }
}

void VendorFrameReads::Read_SV2()
{
    if (!hasSv2Option(m_inc) || m_inc.setting(ContactInputFunctionCode) == 2)
        return;
    m_op.setStatusPanel(1, QString());
    runExchange(
        [this] {
            readItem(ContactInputFunctionCode);
            readItem(58);
            // The function just read decides whether set values 3 and 4 exist.
            if (m_inc.setting(ContactInputFunctionCode) == 0) {
                readItem(59);
                readItem(60);
            }
        },
        true);
}

void VendorFrameReads::Read_data2()
{
    if (hasAbnormalOutputItem(m_inc))
        runExchange([this] { readItem(AbnormalOutputCode); }, true);
}

void VendorFrameReads::runExchange(const std::function<void()> &body, bool refresh)
{
    if (m_running)
        return;
    m_running = true;
    // An index of 3 here is a broken exchange that supervision has not repaired yet; the user's
    // protocol is then the saved one.
    if (m_inc.protocolIndex != VendorFrame)
        m_inc.savedProtocolIndex = m_inc.protocolIndex;
    m_inc.protocolIndex = m_inc.savedProtocolIndex;
    setReplyTimeout(UserReplyTimeout);

    const KeyResult key = WriteKeyUntilAccepted(keyData(m_inc.protocolIndex));
    if (key == KeyResult::GaveUp || key == KeyResult::KeysHeld) {
        // The controller never entered the vendor frame: nothing to read, nothing to return from.
        m_running = false;
        return;
    }

    m_inc.protocolIndex = VendorFrame;
    setReplyTimeout(VendorReplyTimeout);
    body();

    setReplyTimeout(UserReplyTimeout);
    if (refresh)
        m_op.setStatusPanel(1, QString());
    ReturnFromVendorFrame();
    setReplyTimeout(UserReplyTimeout);
    m_inc.protocolIndex = m_inc.savedProtocolIndex;
    m_running = false;
}

VendorFrameReads::KeyResult VendorFrameReads::WriteKeyUntilAccepted(const QString &key)
{
    for (int otherAnswers = 0, keysRound = 0;;) {
        const QString reply = m_request.write(m_inc.registerTable[ModeRegisterCode], key);
        m_inc.commErrorFlag = false;
        if (ReplyCheck::isNoReply(reply))
            return KeyResult::NoReply;
        if (ReplyCheck::isGoodWrite(reply, m_inc.protocolIndex))
            return KeyResult::Accepted;
        if (ReplyCheck::isKeysOperated(reply, m_inc.protocolIndex)) {
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

void VendorFrameReads::ReturnFromVendorFrame()
{
    m_inc.protocolIndex = VendorFrame;
    setReplyTimeout(UserReplyTimeout);
    // "06" becomes the vendor-frame write; item 0000 with data 0000 is the return command.
    for (int round = 0; !m_request.write(QStringLiteral("0000"), QStringLiteral("0000")).isEmpty();
         ++round) {
        m_op.beep();
        m_op.showMessage(KeysOperatedMessage, MessageIcon::Exclamation);
        if (!m_op.keepWaiting(round))
            break;
    }
    setReplyTimeout(UserReplyTimeout);
}

void VendorFrameReads::readItem(int code)
{
    const QString &item = m_inc.vendorItemTable.at(ParameterTable::vendorItemIndex(code));
    const QString command = QStringLiteral("a");
    // Only the second of two requests in a row is judged: an item answered only the first time
    // counts as no reply.
    m_request.send(command, item, QString());
    const QString reply = m_request.send(command, item, QString());
    m_inc.commErrorFlag = false;
    m_lastReadAccepted = false;
    switch (ReplyCheck::judgeVendor(reply)) {
    case ReplyCheck::VendorReply::Accepted:
        m_lastReadAccepted = ParameterTable::ReadDataSet(m_inc, m_link.com(), reply, code);
        m_op.setStatusPanel(1, QStringLiteral("OK"));
        break;
    case ReplyCheck::VendorReply::ReadRefused:
    case ReplyCheck::VendorReply::NotUnderstood:
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    case ReplyCheck::VendorReply::WriteRefused:
    case ReplyCheck::VendorReply::None:
        m_view.setCommErrorVisible(true);
        m_inc.commErrorFlag = true;
        break;
    }
    if (m_lastReadAccepted)
        m_inc.unreadCodes.remove(code);
    else
        m_inc.unreadCodes.insert(code);
}

void VendorFrameReads::setReplyTimeout(int milliseconds)
{
    if (ZN8PCom *com = m_link.com())
        com->setReplyTimeout(milliseconds);
}
