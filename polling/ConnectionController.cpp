#include "ConnectionController.h"

#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/SettingsStore.h"

ConnectionController::ConnectionController(ZN8P_INC &inc, ComLink &link, RequestLayer &request,
                                           SettingsStore &store, OperatorInterface &op,
                                           MainView &view, VendorFrameSession &vendorFrame)
    : m_inc(inc), m_store(store), m_op(op),
      m_linkCheck(inc, link, request, store, op, view, vendorFrame),
      m_onlineSwitch(inc, link, m_linkCheck, store, op, view)
{
}

void ConnectionController::setSetdataRead(std::function<void()> read)
{
    m_linkCheck.setSetdataRead(read);
    m_onlineSwitch.setSetdataRead(std::move(read));
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
        m_onlineSwitch.Cmd_ONOFF();
}

bool ConnectionController::prepareCommSettings()
{
    if (m_linkCheck.searching())
        return false;
    if (m_inc.online) {
        m_op.showMessage({58});
        return false;
    }
    m_store.loadCommValues(m_inc);
    return true;
}

void ConnectionController::commSettingsClosed()
{
    if (!m_inc.commDialogCancelled)
        m_linkCheck.checkcommunicate();
}
