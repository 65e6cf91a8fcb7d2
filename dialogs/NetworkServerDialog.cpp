#include "NetworkServerDialog.h"

#include "ui_NetworkServerDialog.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"

#include <QMessageBox>
#include <QPushButton>

NetworkServerDialog::NetworkServerDialog(const QString &device, int allowanceMs, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::NetworkServerDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(msg(1181));
    keepTitleWhole(*this);
    m_ui->hostLabel->setText(msg(1182));
    m_ui->tcpPortLabel->setText(msg(1183));
    m_ui->allowanceLabel->setText(msg(1186));
    m_ui->rawMode->setText(msg(1184));
    m_ui->rfc2217Mode->setText(msg(1185));
    m_ui->allowanceNote->setText(msg(1187));
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setText(msg(30));
    m_ui->hostEdit->setAccessibleName(msg(1182));
    m_ui->tcpPortSpin->setAccessibleName(msg(1183));
    m_ui->allowanceSpin->setAccessibleName(msg(1186));
    m_ui->rawMode->setAccessibleName(msg(1184));
    m_ui->rfc2217Mode->setAccessibleName(msg(1185));
    if (const std::optional<NetworkAddress> address = NetworkAddress::parse(device)) {
        m_ui->hostEdit->setText(address->host);
        m_ui->tcpPortSpin->setValue(address->port);
        m_ui->rfc2217Mode->setChecked(address->mode == NetworkAddress::Mode::Rfc2217);
    }
    m_ui->allowanceSpin->setValue(allowanceMs);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &NetworkServerDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &NetworkServerDialog::reject);
}

NetworkServerDialog::~NetworkServerDialog() = default;

NetworkServerDialog::Choice NetworkServerDialog::choice() const
{
    const QString host = m_ui->hostEdit->text().trimmed();
    const QString scheme =
        m_ui->rfc2217Mode->isChecked() ? QStringLiteral("rfc2217://") : QStringLiteral("tcp://");
    const bool ipv6 = host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['));
    const QString url = scheme + (ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host) +
                        QLatin1Char(':') + QString::number(m_ui->tcpPortSpin->value());
    return {NetworkAddress::parse(url).value_or(NetworkAddress{}), m_ui->allowanceSpin->value()};
}

void NetworkServerDialog::accept()
{
    if (choice().address.host.isEmpty()) {
        QMessageBox::warning(this, msg(1), msg(1188));
        m_ui->hostEdit->setFocus();
        return;
    }
    QDialog::accept();
}
