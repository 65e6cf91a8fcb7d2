#include "TerminalView.h"

#include "Console.h"
#include "app/MessageTable.h"

TerminalView::TerminalView(Console &console) : m_console(console) {}

void TerminalView::setSearchPanelsVisible(bool visible)
{
    if (!visible)
        m_console.endProgress();
    else if (m_console.errorIsTerminal())
        m_console.errorLine(msg(261));
}

void TerminalView::setCommErrorVisible(bool visible)
{
    if (visible && !m_commErrorShown)
        m_console.errorLine(msg(451));
    m_commErrorShown = visible;
}

void TerminalView::setMonitoringTimersEnabled(bool enabled)
{
    if (m_onTimers)
        m_onTimers(enabled);
}
