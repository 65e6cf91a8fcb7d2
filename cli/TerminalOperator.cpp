#include "TerminalOperator.h"

#include "Console.h"
#include "Interrupt.h"
#include "app/MessageTable.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <utility>

namespace
{

// Messages 455/456 ask the operator to end the key operation at the controller; the core sends
// again once the box is closed. Nobody closes it here, so a pause stands in for the operator.
constexpr int KeysOperatedMessage = 455;
constexpr unsigned long KeysOperatedPauseMs = 1000;

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
    if (messageIds.contains(KeysOperatedMessage))
        QThread::msleep(KeysOperatedPauseMs);
}

bool TerminalOperator::askYesNo(const QList<int> &messageIds, MessageIcon icon)
{
    return askYesNoText(0, joined(messageIds), icon);
}

void TerminalOperator::showText(int, const QString &text, MessageIcon)
{
    m_console.errorLine(text);
}

bool TerminalOperator::askYesNoText(int, const QString &text, MessageIcon)
{
    m_console.errorLine(text +
                        (m_assumeYes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no")));
    return m_assumeYes;
}

void TerminalOperator::processEvents()
{
    QCoreApplication::processEvents();
    if (Interrupt::requested() && m_onInterrupt)
        std::exchange(m_onInterrupt, {})();
}
