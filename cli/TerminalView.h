#pragma once

#include "base/MainView.h"

#include <functional>

class Console;

// What the core shows on the main window, on a terminal: the communication error once when it
// appears (with its cause), each new kind of refusal, the search message while the search runs, the
// transfer progress on one line and the key-operation notice. The monitoring timers belong to the
// monitor subcommand, which learns here when the core starts or stops them. The subcommands ask
// afterwards whether the key-operation notice was shown during the run.
class TerminalView : public NullMainView
{
public:
    explicit TerminalView(Console &console);

    // Names the port and instrument on each message (TerminalOperator::named).
    void setNaming(std::function<QString(const QString &)> named) { m_named = std::move(named); }

    void setTimersHandler(std::function<void(bool enabled)> handler)
    {
        m_onTimers = std::move(handler);
    }

    void setLinkCheckState(LinkCheckState state) override;
    void setCommErrorVisible(bool visible) override;
    void setCommErrorCause(const QString &text) override { m_commErrorCause = text; }
    void showRefusal(const QString &text) override;
    void setMonitoringTimersEnabled(bool enabled) override;
    void setProgressVisible(bool visible, int messageId) override;
    void setProgressValue(int value) override;
    void showKeyOperationNotice() override;

    bool keyOperationSeen() const { return m_keyOperationSeen; }

private:
    Console &m_console;
    bool m_commErrorShown = false;
    QString m_commErrorCause;
    // The last refusal told, so that a monitor refused the same register every cycle says it once.
    QString m_refusalShown;
    bool m_keyOperationSeen = false;
    QString m_progressCaption;
    int m_progressTotal = 0;
    std::function<void(bool)> m_onTimers;
    std::function<QString(const QString &)> m_named;
};
