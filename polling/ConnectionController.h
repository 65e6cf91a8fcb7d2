#pragma once

#include "comm/SessionContext.h"

#include "comm/LinkCheck.h"
#include "polling/OnlineSwitch.h"

#include <functional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class SettingsStore;
class VendorFrameSession;
struct SessionState;

// What the main window's connection controls do, without widgets: the start-up link check, the
// online button, both search-cancel buttons and the Communication setting menu command around its
// dialog. The desktop window and the headless tool each hold one.
class ConnectionController
{
public:
    ConnectionController(const SessionContext &context, SettingsStore &store,
                         VendorFrameSession &vendorFrame);

    // The online start read (OnlineStartRead::readAtOnlineStart), run by the checks and the online
    // button.
    void setSettingsRead(std::function<void()> read);
    // File save, offered by the online button when the display holds unsaved changes.
    void setFileSave(std::function<void()> save);
    void setProgressCallback(LinkCheck::ProgressCallback callback);

    // After the splash: checkStoredConditions, question 85 and the search or scan, linkEstablished.
    void startupLinkCheck() { m_linkCheck.startup(); }
    // onlineButton; ignored while the automatic search runs.
    void toggleOnline();
    // Either cancel button of the search panels.
    void cancelSearch() { m_linkCheck.cancelSearch(); }

    // Setting > Communication setting, before the dialog: false while the automatic search runs;
    // while online message 58 and false (the dialog is not opened); else the stored conditions are
    // reloaded into the shared state, for the dialog to show, and true.
    bool prepareCommSettings();
    // After the dialog closed: when it was accepted, the check with the conditions just
    // confirmed (on success the link is set up as after any check).
    void commSettingsClosed(bool accepted);

    LinkCheck &linkCheck() { return m_linkCheck; }
    OnlineSwitch &onlineSwitch() { return m_onlineSwitch; }

private:
    SessionState &m_shared;
    SettingsStore &m_store;
    OperatorInterface &m_op;
    LinkCheck m_linkCheck;
    OnlineSwitch m_onlineSwitch;
};
