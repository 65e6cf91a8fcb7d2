#include "CommSettingsDialog.h"

#include "ui_CommSettingsDialog.h"

#include "NetworkServerDialog.h"
#include "base/MessageTable.h"
#include "comm/PortNames.h"
#include "comm/SettingsStore.h"
#include "display/WindowPlacement.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>

#include <QRadioButton>

#include <array>

namespace
{

// The checked button's position; 0 when none is checked.
template <std::size_t N> int checkedIndex(const std::array<QRadioButton *, N> &buttons)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (buttons[i]->isChecked())
            return int(i);
    }
    return 0;
}

template <std::size_t N> void check(const std::array<QRadioButton *, N> &buttons, int index)
{
    buttons[std::size_t(index >= 0 && index < int(N) ? index : 0)]->setChecked(true);
}

} // namespace

CommSettingsDialog::CommSettingsDialog(SessionState &shared, SettingsStore &store, ComLink &link,
                                       OperatorInterface &op, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CommSettingsDialog>()),
      m_entry(shared, store, link, op), m_ports(store.portMap(shared)), m_shared(shared),
      m_store(store), m_networkAllowanceMs(store.networkAllowanceMs(shared))
{
    m_ui->setupUi(this);
    setWindowTitle(msg(252));
    keepTitleWhole(*this);
    m_ui->frmProtocol->setTitle(msg(262));
    m_ui->frmPort->setTitle(msg(253));
    m_ui->frmNo->setTitle(msg(82));
    m_ui->frmSpeed->setTitle(msg(254));
    m_ui->frmDataBits->setTitle(msg(257));
    m_ui->frmStopBits->setTitle(msg(258));
    m_ui->frmParity->setTitle(msg(259));
    m_ui->Option3_0->setText(msg(1047).arg(7));
    m_ui->Option3_1->setText(msg(1047).arg(8));
    m_ui->Option4_0->setText(msg(1047).arg(1));
    m_ui->Option4_1->setText(msg(1047).arg(2));
    m_ui->Option2_0->setText(msg(1048));
    m_ui->Option2_1->setText(msg(1049));
    m_ui->Option2_2->setText(msg(1050));
    // The list would complete a typed "2" to "20": the number typed is the one meant.
    m_ui->Cmb_No->setCompleter(nullptr);
    m_ui->Label1->setText(msg(22));
    // A wrapped label gets no height for its lines from the layout; the longest note is three.
    m_ui->Label1->setMinimumHeight(3 * m_ui->Label1->fontMetrics().lineSpacing());
    m_ui->Command1_1->setText(msg(30));
    m_ui->Label_device->setText(msg(1054));
    for (int i = 0; i < int(PortNames::comNames().size()); ++i)
        m_ui->Cmb_port->addItem(m_ports.itemText(i));
    m_ui->Cmb_device->addItems(PortMapEntry::candidates());
    // Long stable names keep their start and end ("usb-FTDI…port0 (present)") in the lists.
    for (QComboBox *list : {m_ui->Cmb_port, m_ui->Cmb_device}) {
        list->view()->setTextElideMode(Qt::ElideMiddle);
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0));
    }
    auto *networkServer = new QPushButton(msg(1180), m_ui->frmPort);
    networkServer->setObjectName(QStringLiteral("networkServerButton"));
    networkServer->setAccessibleName(msg(1181));
    m_ui->frmPort->layout()->addWidget(networkServer);
    setTabOrder(m_ui->Cmb_device, networkServer);
    connect(networkServer, &QPushButton::clicked, this, &CommSettingsDialog::chooseNetworkServer);
    connect(m_ui->Cmb_port, &QComboBox::currentIndexChanged, this, &CommSettingsDialog::showDevice);
    connect(m_ui->Cmb_device->lineEdit(), &QLineEdit::textEdited, this,
            &CommSettingsDialog::onDeviceEdited);
    connect(m_ui->Cmb_device, &QComboBox::textActivated, this, &CommSettingsDialog::onDeviceEdited);
    connect(m_ui->Command1_0, &QPushButton::clicked, this, &CommSettingsDialog::onOk);
    connect(m_ui->Command1_1, &QPushButton::clicked, this, &CommSettingsDialog::reject);
    showChoice(CommSettingsEntry::fromState(shared));
    showDevice(m_ui->Cmb_port->currentIndex());
}

CommSettingsDialog::~CommSettingsDialog() = default;

CommSettingsChoice CommSettingsDialog::choice() const
{
    CommSettingsChoice c;
    c.portIndex = m_ui->Cmb_port->currentIndex();
    c.stationText = m_ui->Cmb_No->currentText();
    c.speedIndex = checkedIndex(std::array{m_ui->Option1_0, m_ui->Option1_1});
    c.dataBitsIndex = checkedIndex(std::array{m_ui->Option3_0, m_ui->Option3_1});
    c.stopBitsIndex = checkedIndex(std::array{m_ui->Option4_0, m_ui->Option4_1});
    c.parityIndex = checkedIndex(std::array{m_ui->Option2_0, m_ui->Option2_1, m_ui->Option2_2});
    c.protocolIndex = m_ui->Cmb_protocol->currentIndex();
    c.portMap = m_ports.map();
    return c;
}

void CommSettingsDialog::showDevice(int portIndex)
{
    m_ui->Cmb_device->setCurrentText(m_ports.isMapped(portIndex) ? m_ports.device(portIndex)
                                                                 : QString());
    m_ui->Cmb_device->lineEdit()->setPlaceholderText(m_ports.device(portIndex));
}

void CommSettingsDialog::onDeviceEdited(const QString &device)
{
    const int index = m_ui->Cmb_port->currentIndex();
    m_ports.setDevice(index, device);
    m_ui->Cmb_port->setItemText(index, m_ports.itemText(index));
}

void CommSettingsDialog::chooseNetworkServer()
{
    NetworkServerDialog dialog(m_ui->Cmb_device->currentText(), m_networkAllowanceMs, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const NetworkServerDialog::Choice chosen = dialog.choice();
    m_networkAllowanceMs = chosen.allowanceMs;
    m_ui->Cmb_device->setCurrentText(chosen.address.url());
    onDeviceEdited(chosen.address.url());
}

void CommSettingsDialog::reject()
{
    m_entry.cancel();
    QDialog::reject();
}

void CommSettingsDialog::onOk()
{
    const CommSettingsEntry::Result result = m_entry.confirm(choice());
    if (result.accepted) {
        m_store.storeNetworkAllowance(m_shared, m_networkAllowanceMs);
        // The list shows the entry ("07") while the typed text stays the instrument number.
        m_ui->Cmb_No->setCurrentIndex(result.stationIndex);
        accept();
        return;
    }
    m_ui->Cmb_No->setCurrentIndex(result.stationIndex);
    m_ui->Cmb_No->setFocus();
}

void CommSettingsDialog::showChoice(const CommSettingsChoice &c)
{
    m_ui->Cmb_port->setCurrentIndex(c.portIndex);
    m_ui->Cmb_No->setCurrentText(c.stationText);
    check(std::array{m_ui->Option1_0, m_ui->Option1_1}, c.speedIndex);
    check(std::array{m_ui->Option3_0, m_ui->Option3_1}, c.dataBitsIndex);
    check(std::array{m_ui->Option4_0, m_ui->Option4_1}, c.stopBitsIndex);
    check(std::array{m_ui->Option2_0, m_ui->Option2_1, m_ui->Option2_2}, c.parityIndex);
    m_ui->Cmb_protocol->setCurrentIndex(c.protocolIndex);
}
