#include "ReplyReporter.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/ParameterTable.h"

ReplyReporter::ReplyReporter(ZN8P_INC &inc, ComLink &link, OperatorInterface &op, MainView &view)
    : m_inc(inc), m_link(link), m_op(op), m_view(view)
{
}

ReplyCheck::Outcome ReplyReporter::read(const QString &reply, int code)
{
    const ReplyCheck::Outcome outcome = ReplyCheck::judgeRead(reply, m_inc.protocolIndex);
    const bool stored = outcome == ReplyCheck::Outcome::Good &&
                        ParameterTable::ReadDataSet(m_inc, m_link.com(), reply, code);
    if (stored)
        m_inc.unreadCodes.remove(code);
    else
        m_inc.unreadCodes.insert(code);
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
        m_op.setStatusPanel(1, QStringLiteral("OK"));
        break;
    case ReplyCheck::Outcome::NoReply:
        m_view.setCommErrorVisible(true);
        m_inc.commErrorFlag = true;
        break;
    case ReplyCheck::Outcome::Refused:
    case ReplyCheck::Outcome::Unrecognised:
        m_op.setStatusPanel(1, QStringLiteral("NG"));
        break;
    }
    return outcome;
}
