#include "VendorFrameReads.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/ReplyCheck.h"
#include "comm/RequestLayer.h"
#include "comm/VendorFrameSession.h"

VendorFrameReads::VendorFrameReads(const SessionContext &context, VendorFrameSession &session)
    : m_shared(context.shared), m_request(context.request), m_op(context.op), m_view(context.view),
      m_session(session), m_store(context)
{
}

void VendorFrameReads::readBackSetValue(int code)
{
    m_lastReadAccepted = false;
    if (!VendorFrameSession::hasSv2Option(m_shared))
        return;
    const bool setValuesSelectable = m_shared.setting(Code::ContactInputFunction) == 0;
    const bool readsItem =
        code == Code::SetValue2 || code == Code::ContactInputFunction ||
        ((code == Code::SetValue3 || code == Code::SetValue4) && setValuesSelectable);
    // Unread until the exchange reads it: a key write that gives up reads nothing.
    if (readsItem)
        m_shared.unreadCodes.insert(code);
    m_session.runExchange(
        [this, code, readsItem] {
            if (readsItem)
                readItem(code);
        },
        false);
}

void VendorFrameReads::readBackOutputItem(int code)
{
    m_lastReadAccepted = false;
    if (code != Code::AbnormalOutput) {
        m_shared.unreadCodes.insert(Code::OutOffKey);
        m_session.runExchange([this] { readItem(Code::OutOffKey); }, false);
        return;
    }
    if (VendorFrameSession::hasAbnormalOutputItem(m_shared)) {
        m_shared.unreadCodes.insert(Code::AbnormalOutput);
        m_session.runExchange([this] { readItem(Code::AbnormalOutput); }, false);
    }
}

void VendorFrameReads::refreshSetValues()
{
    if (!VendorFrameSession::hasSv2Option(m_shared) ||
        m_shared.setting(Code::ContactInputFunction) == 2)
        return;
    m_op.setStatusPanel(1, QString());
    m_session.runExchange(
        [this] {
            readItem(Code::ContactInputFunction);
            readItem(58);
            // The function just read decides whether set values 3 and 4 exist.
            if (m_shared.setting(Code::ContactInputFunction) == 0) {
                readItem(59);
                readItem(60);
            }
        },
        true);
}

void VendorFrameReads::refreshAbnormalOutput()
{
    if (VendorFrameSession::hasAbnormalOutputItem(m_shared))
        m_session.runExchange([this] { readItem(Code::AbnormalOutput); }, true);
}

void VendorFrameReads::readItem(int code)
{
    const QString &item = m_shared.vendorItemTable.at(ParameterTable::vendorItemIndex(code));
    const QString command = QStringLiteral("a");
    // Only the second of two requests in a row is judged: an item answered only the first time
    // counts as no reply.
    m_request.send(command, item, QString());
    const Reply reply = m_request.send(command, item, QString());
    m_shared.commErrorFlag = false;
    m_lastReadAccepted = false;
    switch (ReplyCheck::judgeVendor(reply.text)) {
    case ReplyCheck::VendorReply::Accepted:
        m_shared.commErrorCount = 0;
        m_lastReadAccepted = m_store.store(reply.text, code);
        m_op.setStatusPanel(1, QStringLiteral("OK"));
        return;
    case ReplyCheck::VendorReply::ReadRefused:
        m_shared.commErrorCount = 0;
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    case ReplyCheck::VendorReply::NotUnderstood:
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    case ReplyCheck::VendorReply::WriteRefused:
    case ReplyCheck::VendorReply::None:
        m_view.setCommErrorCause(ReplyVerdicts::text(reply));
        m_view.setCommErrorVisible(true);
        m_shared.commErrorFlag = true;
        m_shared.noteUnanswered();
        break;
    }
    m_store.markUnread(code);
}
