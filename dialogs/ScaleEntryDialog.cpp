#include "ScaleEntryDialog.h"

#include "ui_ScaleEntryDialog.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "display/WindowPlacement.h"

#include <array>

ScaleEntryDialog::ScaleEntryDialog(OperatorInterface &op, ScaleEntry::Mode mode, const QString &now,
                                   qint16 high, qint16 low, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ScaleEntryDialog>()), m_op(op),
      m_entry(mode, high, low)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(230));
    keepTitleWhole(*this);
    m_ui->currentCaption->setText(msg(231));
    m_ui->rangeCaption->setText(msg(232));
    m_ui->cancelButton->setText(msg(30));
    m_ui->currentValue->setText(now);
    m_ui->rangeValue->setText(m_entry.limitText());
    // Named after the chart setting it changes, with the value and range read with it.
    static const std::array<int, 4> settingNames = {664, 665, 661, 675}; // by ScaleEntry::Mode
    m_ui->entryText->setAccessibleName(msg(settingNames.at(mode)));
    m_ui->entryText->setAccessibleDescription(msg(231) + QStringLiteral(": ") + now +
                                              QStringLiteral("; ") + msg(232) +
                                              QStringLiteral(": ") + m_entry.limitText());

    m_ui->pad->withoutPointKey();
    connect(m_ui->pad, &TenKeyPad::pressed, this, &ScaleEntryDialog::onKey);
    connect(m_ui->okButton, &QPushButton::clicked, this, &ScaleEntryDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ScaleEntryDialog::reject);
    // The entry box only displays: every key typed into it is the pad's.
    m_ui->pad->takeKeysOf(m_ui->entryText);
    m_ui->pad->takeKeysOf(this);
    scrollWhenTooTall(*this);
}

ScaleEntryDialog::~ScaleEntryDialog() = default;

void ScaleEntryDialog::refresh()
{
    m_ui->entryText->setText(m_entry.working());
}

void ScaleEntryDialog::onKey(const TenKey &key)
{
    switch (key.action) {
    case TenKey::PlusMinus:
        refuse(m_entry.plusMinus());
        break;
    case TenKey::Enter:
        accept();
        return;
    case TenKey::Clear:
        m_ui->entryText->setFocus();
        [[fallthrough]];
    default:
        m_entry.edit(key);
    }
    refresh();
}

void ScaleEntryDialog::refuse(int id)
{
    if (id == 0)
        return;
    m_op.showMessage({id}, MessageIcon::Exclamation);
    refresh();
    m_ui->entryText->setFocus();
}

void ScaleEntryDialog::accept()
{
    const int message = m_entry.accept();
    if (message != 0) {
        refuse(message);
        return;
    }
    m_op.beep();
    QDialog::accept();
}
