#include "CommSettingsDialog.h"

#include "ui_CommSettingsDialog.h"

#include "NetworkServerDialog.h"
#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/PortNames.h"
#include "comm/SessionContext.h"
#include "comm/SettingsStore.h"
#include "dialogs/DiscardQuestion.h"
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

bool sameChoice(const CommSettingsChoice &a, const CommSettingsChoice &b)
{
    return a.portIndex == b.portIndex && a.stationText == b.stationText &&
           a.speedIndex == b.speedIndex && a.dataBitsIndex == b.dataBitsIndex &&
           a.stopBitsIndex == b.stopBitsIndex && a.parityIndex == b.parityIndex &&
           a.protocolIndex == b.protocolIndex && a.portMap == b.portMap;
}
} // namespace

CommSettingsDialog::CommSettingsDialog(const SessionContext &context, SettingsStore &store,
                                       QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CommSettingsDialog>()), m_entry(context, store),
      m_ports(store.portMap(context.shared)), m_shared(context.shared), m_store(store),
      m_networkAllowanceMs(store.networkAllowanceMs(context.shared))
{
    m_ui->setupUi(this);
    setWindowTitle(msg(252));
    keepTitleWhole(*this);
    m_ui->protocolGroup->setTitle(msg(262));
    m_ui->portGroup->setTitle(msg(253));
    m_ui->stationGroup->setTitle(msg(82));
    m_ui->speedGroup->setTitle(msg(254));
    m_ui->dataBitsGroup->setTitle(msg(257));
    m_ui->stopBitsGroup->setTitle(msg(258));
    m_ui->parityGroup->setTitle(msg(259));
    m_ui->dataBits7->setText(msg(1047).arg(7));
    m_ui->dataBits8->setText(msg(1047).arg(8));
    m_ui->stopBits1->setText(msg(1047).arg(1));
    m_ui->stopBits2->setText(msg(1047).arg(2));
    m_ui->parityEven->setText(msg(1048));
    m_ui->parityOdd->setText(msg(1049));
    m_ui->parityNone->setText(msg(1050));
    // The list would complete a typed "2" to "20": the number typed is the one meant.
    m_ui->stationCombo->setCompleter(nullptr);
    m_ui->conditionsNote->setText(msg(22));
    // A wrapped label gets no height for its lines from the layout; the longest note is three.
    m_ui->conditionsNote->setMinimumHeight(3 * m_ui->conditionsNote->fontMetrics().lineSpacing());
    m_ui->cancelButton->setText(msg(30));
    m_ui->deviceLabel->setText(msg(1054));
    for (int i = 0; i < int(PortNames::comNames().size()); ++i)
        m_ui->portCombo->addItem(m_ports.itemText(i));
    m_ui->deviceCombo->addItems(PortMapEntry::candidates());
    // Long stable names keep their start and end ("usb-FTDI…port0 (present)") in the lists.
    for (QComboBox *list : {m_ui->portCombo, m_ui->deviceCombo}) {
        list->view()->setTextElideMode(Qt::ElideMiddle);
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0));
    }
    auto *networkServer = new QPushButton(msg(1180), m_ui->portGroup);
    networkServer->setObjectName(QStringLiteral("networkServerButton"));
    networkServer->setAccessibleName(msg(1181));
    m_ui->portGroup->layout()->addWidget(networkServer);
    setTabOrder(m_ui->deviceCombo, networkServer);
    connect(networkServer, &QPushButton::clicked, this, &CommSettingsDialog::chooseNetworkServer);
    connect(m_ui->portCombo, &QComboBox::currentIndexChanged, this,
            &CommSettingsDialog::showDevice);
    connect(m_ui->deviceCombo->lineEdit(), &QLineEdit::textEdited, this,
            &CommSettingsDialog::onDeviceEdited);
    connect(m_ui->deviceCombo, &QComboBox::textActivated, this,
            &CommSettingsDialog::onDeviceEdited);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CommSettingsDialog::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CommSettingsDialog::reject);
    showChoice(CommSettingsEntry::fromState(context.shared));
    showDevice(m_ui->portCombo->currentIndex());
    const CommSettingsChoice opening = choice();
    const int openingAllowance = m_networkAllowanceMs;
    new DiscardQuestion(this, context.op, [this, opening, openingAllowance] {
        return !sameChoice(choice(), opening) || m_networkAllowanceMs != openingAllowance;
    });
    scrollWhenTooTall(*this);
}

CommSettingsDialog::~CommSettingsDialog() = default;

CommSettingsChoice CommSettingsDialog::choice() const
{
    CommSettingsChoice c;
    c.portIndex = m_ui->portCombo->currentIndex();
    c.stationText = m_ui->stationCombo->currentText();
    c.speedIndex = checkedIndex(std::array{m_ui->speed9600, m_ui->speed19200});
    c.dataBitsIndex = checkedIndex(std::array{m_ui->dataBits7, m_ui->dataBits8});
    c.stopBitsIndex = checkedIndex(std::array{m_ui->stopBits1, m_ui->stopBits2});
    c.parityIndex = checkedIndex(std::array{m_ui->parityEven, m_ui->parityOdd, m_ui->parityNone});
    c.protocolIndex = m_ui->protocolCombo->currentIndex();
    c.portMap = m_ports.map();
    return c;
}

void CommSettingsDialog::showDevice(int portIndex)
{
    m_ui->deviceCombo->setCurrentText(m_ports.isMapped(portIndex) ? m_ports.device(portIndex)
                                                                  : QString());
    m_ui->deviceCombo->lineEdit()->setPlaceholderText(m_ports.device(portIndex));
}

void CommSettingsDialog::onDeviceEdited(const QString &device)
{
    const int index = m_ui->portCombo->currentIndex();
    m_ports.setDevice(index, device);
    m_ui->portCombo->setItemText(index, m_ports.itemText(index));
}

void CommSettingsDialog::chooseNetworkServer()
{
    NetworkServerDialog dialog(m_ui->deviceCombo->currentText(), m_networkAllowanceMs, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const NetworkServerDialog::Choice chosen = dialog.choice();
    m_networkAllowanceMs = chosen.allowanceMs;
    m_ui->deviceCombo->setCurrentText(chosen.address.url());
    onDeviceEdited(chosen.address.url());
}

void CommSettingsDialog::onOk()
{
    const CommSettingsEntry::Result result = m_entry.confirm(choice());
    if (result.accepted) {
        m_store.storeNetworkAllowance(m_shared, m_networkAllowanceMs);
        // The list shows the entry ("07") while the typed text stays the instrument number.
        m_ui->stationCombo->setCurrentIndex(result.stationIndex);
        accept();
        return;
    }
    m_ui->stationCombo->setCurrentIndex(result.stationIndex);
    m_ui->stationCombo->setFocus();
}

void CommSettingsDialog::showChoice(const CommSettingsChoice &c)
{
    m_ui->portCombo->setCurrentIndex(c.portIndex);
    m_ui->stationCombo->setCurrentText(c.stationText);
    check(std::array{m_ui->speed9600, m_ui->speed19200}, c.speedIndex);
    check(std::array{m_ui->dataBits7, m_ui->dataBits8}, c.dataBitsIndex);
    check(std::array{m_ui->stopBits1, m_ui->stopBits2}, c.stopBitsIndex);
    check(std::array{m_ui->parityEven, m_ui->parityOdd, m_ui->parityNone}, c.parityIndex);
    m_ui->protocolCombo->setCurrentIndex(c.protocolIndex);
}
