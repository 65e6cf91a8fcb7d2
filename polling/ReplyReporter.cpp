#include "ReplyReporter.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"

ReplyReporter::ReplyReporter(ZN8P_INC &inc, ComLink &link, OperatorInterface &op, MainView &view)
    : m_inc(inc), m_op(op), m_view(view), m_store(inc, link, op)
{
}

ReplyCheck::Outcome ReplyReporter::read(const QString &reply, int code)
{
    const ReplyCheck::Outcome outcome = ReplyCheck::judgeRead(reply, m_inc.protocolIndex);
    if (outcome == ReplyCheck::Outcome::Good)
        m_store.store(reply, code);
    else
        m_store.markUnread(code);
    return report(outcome);
}

ReplyCheck::Outcome ReplyReporter::write(const QString &reply)
{
    return report(ReplyCheck::judgeWrite(reply, m_inc.protocolIndex));
}

ReplyCheck::Outcome ReplyReporter::report(ReplyCheck::Outcome outcome)
{
    m_inc.commErrorFlag = false;
    switch (outcome) {
    case ReplyCheck::Outcome::Good:
        m_inc.commErrorCount = 0;
        m_op.setStatusPanel(1, QStringLiteral("OK"));
        break;
    case ReplyCheck::Outcome::NoReply:
        m_view.setCommErrorVisible(true);
        m_inc.commErrorFlag = true;
        m_inc.noteUnanswered();
        break;
    case ReplyCheck::Outcome::Refused:
        m_inc.commErrorCount = 0;
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    case ReplyCheck::Outcome::Unrecognised:
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    }
    return outcome;
}
