#pragma once

#include "comm/SessionContext.h"

#include "base/TimerJob.h"

#include <QtGlobal>

#include <functional>

class ComLink;
class LinkCheck;
class MainView;
class OperatorInterface;
class SettingsStore;
struct SessionState;

// The online button (onlineButton): switches monitoring on and off on top of a verified link. The
// window owns the timers; this class only asks the view to run or stop them.
class OnlineSwitch
{
public:
    using Hook = std::function<void()>;

    OnlineSwitch(const SessionContext &context, LinkCheck &linkCheck, SettingsStore &store);

    // The online start read; monitoring starts only when it leaves unitCheckFlag clear.
    void setSettingsRead(Hook read) { m_settingsRead = std::move(read); }
    // File save of the settings data file (asked for when the display holds unsaved changes).
    void setFileSave(Hook save) { m_fileSave = std::move(save); }

    // Without a link: checkStoredConditions first (failure: messages 451 and 270, nothing else).
    // The link check panel shows the check and then the start read while they run. Online: switch
    // off. Offline: switch on; when the display holds changes that were neither saved nor sent,
    // questions 362/363 (save them?) and 516 (send them?) come first, and a Yes to 516 sends the
    // display's data before monitoring (TimerJob::SendDisplayData).
    void onlineButton();

private:
    void switchOff();
    void switchOn(TimerJob job);

    SessionState &m_shared;
    ComLink &m_link;
    LinkCheck &m_linkCheck;
    SettingsStore &m_store;
    OperatorInterface &m_op;
    MainView &m_view;
    Hook m_settingsRead;
    Hook m_fileSave;
};
