#include "OnlineSwitch.h"

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/LinkCheck.h"
#include "comm/SettingsStore.h"

#include <QList>

namespace
{

const QList<int> TracingStoppedMessage = {500};
const QList<int> SaveChangesQuestion = {362, 363};
const QList<int> SendDisplayQuestion = {516};

// The link check panel in one state for as long as a blocking step runs, so that the window says
// what it is doing from the click on rather than standing still for seconds.
class PanelWhile
{
public:
    PanelWhile(MainView &view, LinkCheckState state) : m_view(view)
    {
        m_view.setLinkCheckState(state);
    }
    ~PanelWhile() { m_view.setLinkCheckState(LinkCheckState::Idle); }
    PanelWhile(const PanelWhile &) = delete;
    PanelWhile &operator=(const PanelWhile &) = delete;

private:
    MainView &m_view;
};

} // namespace

OnlineSwitch::OnlineSwitch(const SessionContext &context, LinkCheck &linkCheck,
                           SettingsStore &store)
    : m_shared(context.shared), m_link(context.link), m_linkCheck(linkCheck), m_store(store),
      m_op(context.op), m_view(context.view)
{
}

void OnlineSwitch::onlineButton()
{
    if (!m_shared.linkVerified) {
        const bool found = [this] {
            PanelWhile checking(m_view, LinkCheckState::Checking);
            return m_linkCheck.checkStoredConditions();
        }();
        for (MenuItem item : {MenuItem::File, MenuItem::Online, MenuItem::Setting})
            m_op.setMenuEnabled(item, true);
        if (!found) {
            m_linkCheck.showCheckFailed();
            return;
        }
        m_linkCheck.showAndStoreConditions();
    }

    if (m_shared.online) {
        switchOff();
        return;
    }
    if (!m_shared.unsavedOnlineChanges) {
        switchOn(TimerJob::Monitor);
        return;
    }

    const bool save = m_op.askYesNo(SaveChangesQuestion, MessageIcon::Question);
    if (save) {
        if (m_fileSave)
            m_fileSave();
        if (!m_shared.unitCheckFlag)
            return;
    }
    if (m_op.askYesNo(SendDisplayQuestion, MessageIcon::Question)) {
        switchOn(TimerJob::SendDisplayData);
    } else if (save) {
        m_op.beep();
    } else {
        switchOn(TimerJob::Monitor);
    }
}

void OnlineSwitch::switchOff()
{
    if (m_shared.commActive) {
        m_view.setMonitoringTimersEnabled(false);
        m_shared.commActive = false;
    }
    if (m_view.isTracing()) {
        m_view.stopTracing();
        m_op.showMessage(TracingStoppedMessage, MessageIcon::Information);
        m_op.beep();
    }
    m_shared.online = false;
    m_op.setMenuEnabled(MenuItem::CommSetting, true);
    m_op.setMenuEnabled(MenuItem::ModelChange, true);
    m_view.setMonitoringState(false);
    m_store.writeProtocol(m_shared);
    m_shared.unitCheckFlag = true;
}

void OnlineSwitch::switchOn(TimerJob job)
{
    m_op.beep();
    m_shared.online = true;
    // Failures counted before this start say nothing of the line now.
    m_shared.commErrorCount = 0;
    CommComponent *com = m_link.com();
    if (m_shared.commActive) {
        if (com && !com->openPort())
            com->openPort();
    } else {
        m_shared.commActive = true;
        if (com)
            com->openPort();
    }
    if (m_settingsRead) {
        PanelWhile reading(m_view, LinkCheckState::GoingOnline);
        m_settingsRead();
    }
    if (m_shared.unitCheckFlag) {
        m_op.setStatusPanel(1, QString());
        m_op.setStatusPanel(4, QString());
        return;
    }
    m_shared.timerJob = job;
    m_op.setMenuEnabled(MenuItem::CommSetting, false);
    m_op.setMenuEnabled(MenuItem::ModelChange, false);
    m_view.setMonitoringState(true);
    m_view.setMonitoringTimersEnabled(true);
}
