#pragma once

#include "app/MainView.h"

#include <functional>

class Console;

// What the core shows on the main window, on a terminal: the communication error once when it
// appears, and the search message while the search panels are up. The monitoring timers belong to
// the monitor subcommand, which learns here when the core starts or stops them.
class TerminalView : public NullMainView
{
public:
    explicit TerminalView(Console &console);

    void setTimersHandler(std::function<void(bool enabled)> handler)
    {
        m_onTimers = std::move(handler);
    }

    void setSearchPanelsVisible(bool visible) override;
    void setCommErrorVisible(bool visible) override;
    void setMonitoringTimersEnabled(bool enabled) override;

private:
    Console &m_console;
    bool m_commErrorShown = false;
    std::function<void(bool)> m_onTimers;
};
