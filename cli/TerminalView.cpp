#include "TerminalView.h"

#include "Console.h"
#include "base/MessageTable.h"
#include "comm/Reply.h"
#include "transfer/ParameterDownload.h"
#include "transfer/ParameterUpload.h"

namespace
{
constexpr int DownloadCaption = 501;
} // namespace

TerminalView::TerminalView(Console &console) : m_console(console) {}

void TerminalView::setLinkCheckState(LinkCheckState state)
{
    if (state == LinkCheckState::Idle)
        m_console.endProgress();
    else if (state == LinkCheckState::Searching && m_console.errorIsTerminal())
        m_console.errorLine(msg(261));
}

void TerminalView::setCommErrorVisible(bool visible)
{
    if (visible && !m_commErrorShown) {
        const QString text = ReplyVerdicts::commErrorLine(m_commErrorCause);
        m_console.errorLine(m_named ? m_named(text) : text, bool(m_named));
    }
    m_commErrorShown = visible;
}

void TerminalView::showRefusal(const QString &text)
{
    if (text.isEmpty() || text == m_refusalShown)
        return;
    m_console.errorLine(m_named ? m_named(text) : text, bool(m_named));
    m_refusalShown = text;
}

void TerminalView::setProgressVisible(bool visible, int messageId)
{
    if (!visible) {
        m_console.endProgress();
        return;
    }
    m_progressCaption = msg(messageId);
    // The bars count the download's steps or the upload's items.
    m_progressTotal =
        messageId == DownloadCaption ? ParameterDownload::StepCount : ParameterUpload::ItemCount;
    setProgressValue(0);
}

void TerminalView::setProgressValue(int value)
{
    m_console.progress(
        QStringLiteral("%1 %2/%3").arg(m_progressCaption).arg(value).arg(m_progressTotal));
}

void TerminalView::showKeyOperationNotice()
{
    m_console.errorLine(m_named ? m_named(msg(452)) : msg(452), bool(m_named));
    m_keyOperationSeen = true;
}

void TerminalView::setMonitoringTimersEnabled(bool enabled)
{
    if (m_onTimers)
        m_onTimers(enabled);
}
