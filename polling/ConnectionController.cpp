#include "ConnectionController.h"

#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/SettingsStore.h"

ConnectionController::ConnectionController(const SessionContext &context, SettingsStore &store,
                                           VendorFrameSession &vendorFrame)
    : m_shared(context.shared), m_store(store), m_op(context.op),
      m_linkCheck(context, store, vendorFrame), m_onlineSwitch(context, m_linkCheck, store)
{
}

void ConnectionController::setSettingsRead(std::function<void()> read)
{
    m_linkCheck.setSettingsRead(read);
    m_onlineSwitch.setSettingsRead(std::move(read));
}

void ConnectionController::setFileSave(std::function<void()> save)
{
    m_onlineSwitch.setFileSave(std::move(save));
}

void ConnectionController::setProgressCallback(LinkCheck::ProgressCallback callback)
{
    m_linkCheck.setProgressCallback(std::move(callback));
}

void ConnectionController::toggleOnline()
{
    if (!m_linkCheck.searching())
        m_onlineSwitch.onlineButton();
}

bool ConnectionController::prepareCommSettings()
{
    if (m_linkCheck.searching())
        return false;
    if (m_shared.online) {
        m_op.showMessage({58});
        return false;
    }
    m_store.loadCommValues(m_shared);
    return true;
}

void ConnectionController::commSettingsClosed(bool accepted)
{
    if (accepted)
        m_linkCheck.checkChosenConditions();
}
