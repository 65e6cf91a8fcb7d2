#include "TerminalOperator.h"

#include "Console.h"
#include "Interrupt.h"
#include "app/MessageTable.h"

#include <QCoreApplication>
#include <QStringList>

#include <utility>

namespace
{

QString joined(const QList<int> &messageIds)
{
    QStringList texts;
    for (const int id : messageIds)
        texts << msg(id);
    return texts.join(QLatin1Char('\n'));
}

} // namespace

TerminalOperator::TerminalOperator(Console &console, bool assumeYes)
    : m_console(console), m_assumeYes(assumeYes)
{
}

void TerminalOperator::showMessage(const QList<int> &messageIds, MessageIcon)
{
    m_console.errorLine(joined(messageIds));
}

bool TerminalOperator::askYesNo(const QList<int> &messageIds, MessageIcon)
{
    m_console.errorLine(joined(messageIds) +
                        (m_assumeYes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no")));
    return m_assumeYes;
}

void TerminalOperator::processEvents()
{
    QCoreApplication::processEvents();
    if (Interrupt::requested() && m_onInterrupt)
        std::exchange(m_onInterrupt, {})();
}
