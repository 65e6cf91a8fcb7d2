#pragma once

#include "comm/NetworkAddress.h"

#include <QDialog>

#include <memory>

namespace Ui
{
class NetworkServerDialog;
}

// Where a COM name's line is when it ends in an Ethernet serial server: host, TCP port, raw or
// RFC 2217 mode, and the network allowance every reply gets. OK is taken only with a host that
// makes a valid address. The dialog never talks to the server.
class NetworkServerDialog : public QDialog
{
    Q_OBJECT

public:
    struct Choice {
        NetworkAddress address;
        int allowanceMs = 0;
    };

    // Starts at the device text when it is a server's URL, else at an empty host.
    NetworkServerDialog(const QString &device, int allowanceMs, QWidget *parent = nullptr);
    ~NetworkServerDialog() override;

    // The controls' values; the address is valid after an accepted dialog.
    Choice choice() const;

public slots:
    void accept() override;

private:
    std::unique_ptr<Ui::NetworkServerDialog> m_ui;
};
