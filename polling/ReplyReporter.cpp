#include "ReplyReporter.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/PortFault.h"

ReplyReporter::ReplyReporter(const SessionContext &context)
    : m_shared(context.shared), m_link(context.link), m_op(context.op), m_view(context.view),
      m_store(context)
{
}

QString ReplyReporter::cause(const Reply &reply) const
{
    if (reply.verdict == ReplyVerdict::PortLost && m_link.com() != nullptr) {
        const QString lost = PortFaults::lostText(m_shared.portName, m_link.com()->lineLostFault());
        if (!lost.isEmpty())
            return lost;
    }
    return ReplyVerdicts::text(reply);
}

ReplyCheck::Outcome ReplyReporter::read(const Reply &reply, int code)
{
    const ReplyCheck::Outcome outcome = ReplyCheck::judgeRead(reply.text, m_shared.protocolIndex);
    if (outcome == ReplyCheck::Outcome::Good)
        m_store.store(reply.text, code);
    else
        m_store.markUnread(code);
    return report(outcome, reply);
}

ReplyCheck::Outcome ReplyReporter::write(const Reply &reply)
{
    return report(ReplyCheck::judgeWrite(reply.text, m_shared.protocolIndex), reply);
}

ReplyCheck::Outcome ReplyReporter::report(ReplyCheck::Outcome outcome, const Reply &reply)
{
    m_shared.commErrorFlag = false;
    switch (outcome) {
    case ReplyCheck::Outcome::Good:
        m_shared.commErrorCount = 0;
        m_op.setStatusPanel(1, QStringLiteral("OK"));
        break;
    case ReplyCheck::Outcome::NoReply:
        m_view.setCommErrorCause(cause(reply));
        m_view.setCommErrorVisible(true);
        m_shared.commErrorFlag = true;
        m_shared.noteUnanswered();
        break;
    case ReplyCheck::Outcome::Refused:
        m_shared.commErrorCount = 0;
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        if (!ReplyCheck::isKeysOperated(reply.text, m_shared.protocolIndex))
            m_view.showRefusal(ReplyVerdicts::text(reply));
        break;
    case ReplyCheck::Outcome::Unrecognised:
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    }
    return outcome;
}
