#include "TerminalOperator.h"

#include "Console.h"
#include "Interrupt.h"
#include "ServiceNotifier.h"
#include "base/MessageTable.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <utility>

namespace
{

// Messages 455/456 ask the operator to end the key operation at the controller; the core sends
// again once the box is closed. Nobody closes it here, so a pause stands in for the operator.
constexpr int KeysOperatedMessage = 455;
constexpr int KeysOperatedPauseMs = 1000;
// Ctrl-C is looked for this often during the pause.
constexpr int InterruptCheckMs = 50;
constexpr int WaitCancelledMessage = 931;
constexpr int WaitTimedOutMessage = 932;

// The window's advice names its menus and buttons; the tool's names its options and commands.
int toolsOwn(int messageId)
{
    switch (messageId) {
    case 277: // "select Setting(V) on the menu bar - Communication setting(C)"
        return 1160;
    case 278: // "enable online status"
        return 1161;
    default:
        return messageId;
    }
}

QString joined(const QList<int> &messageIds)
{
    QStringList texts;
    for (const int id : messageIds)
        texts << msg(toolsOwn(id));
    return texts.join(QLatin1Char('\n'));
}

} // namespace

TerminalOperator::TerminalOperator(Console &console, bool assumeYes, int waitSeconds)
    : m_console(console), m_assumeYes(assumeYes), m_waitMs(qint64(waitSeconds) * 1000)
{
}

QString TerminalOperator::named(const QString &text) const
{
    if (!m_subject)
        return text;
    const QString prefix = QStringLiteral("znctl: %1: ").arg(m_subject());
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line.prepend(prefix);
    return lines.join(QLatin1Char('\n'));
}

void TerminalOperator::showMessage(const QList<int> &messageIds, MessageIcon)
{
    m_console.errorLine(named(joined(messageIds)), true);
    if (!messageIds.contains(KeysOperatedMessage) || m_waitEnd != WaitEnd::None)
        return;
    for (int paused = 0; paused < KeysOperatedPauseMs && !Interrupt::requested();
         paused += InterruptCheckMs) {
        ServiceNotifier::alive();
        QThread::msleep(InterruptCheckMs);
    }
}

bool TerminalOperator::keepWaiting(int round)
{
    if (m_waitEnd != WaitEnd::None)
        return false;
    if (round == 0)
        m_waiting.start();
    if (Interrupt::requested())
        m_waitEnd = WaitEnd::Interrupted;
    else if (m_waiting.hasExpired(m_waitMs))
        m_waitEnd = WaitEnd::TimedOut;
    else
        return true;
    m_console.errorLine(named(m_waitEnd == WaitEnd::Interrupted
                                  ? msg(WaitCancelledMessage)
                                  : msg(WaitTimedOutMessage).arg(m_waitMs / 1000)),
                        true);
    return false;
}

bool TerminalOperator::askYesNo(const QList<int> &messageIds, MessageIcon icon)
{
    return askYesNoText(0, joined(messageIds), icon);
}

void TerminalOperator::showText(int, const QString &text, MessageIcon)
{
    m_console.errorLine(named(text), true);
}

bool TerminalOperator::askYesNoText(int, const QString &text, MessageIcon)
{
    m_console.errorLine(
        named(text + (m_assumeYes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no"))), true);
    return m_assumeYes;
}

void TerminalOperator::processEvents()
{
    QCoreApplication::processEvents();
    if (Interrupt::requested() && m_onInterrupt)
        std::exchange(m_onInterrupt, {})();
}
