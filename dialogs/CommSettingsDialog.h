#pragma once

#include "comm/CommSettingsEntry.h"
#include "comm/PortMapEntry.h"

#include <QDialog>

#include <memory>

class SettingsStore;
struct SessionContext;
struct SessionState;

namespace Ui
{
class CommSettingsDialog;
}

// The communication settings dialog: the controls start at the conditions held in shared; OK stores
// them (CommSettingsEntry) and closes unless the instrument number is refused; Cancel and the
// close box reject it, storing nothing. The port list shows the device behind each COM name and
// whether it is there; the device box below it changes that for the selected name (stored with
// the port on OK). The dialog never talks to the controller.
class CommSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    CommSettingsDialog(const SessionContext &context, SettingsStore &store,
                       QWidget *parent = nullptr);
    ~CommSettingsDialog() override;

    // The controls' current values.
    CommSettingsChoice choice() const;

private slots:
    void onOk();

private:
    void showChoice(const CommSettingsChoice &choice);
    // The device box for the selected COM name: its mapped device, or empty with the device of
    // the port order as a hint.
    void showDevice(int portIndex);
    void onDeviceEdited(const QString &device);
    // "Network serial server...": the selected COM name's line at a serial server's address.
    void chooseNetworkServer();

    std::unique_ptr<Ui::CommSettingsDialog> m_ui;
    CommSettingsEntry m_entry;
    PortMapEntry m_ports;
    SessionState &m_shared;
    SettingsStore &m_store;
    int m_networkAllowanceMs; // stored with the port map on OK
};
