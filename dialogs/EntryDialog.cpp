#include "EntryDialog.h"

#include "ui_EntryDialog.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "dialogs/SettingChange.h"
#include "display/MainDisplayModel.h"
#include "display/MainDisplayView.h"
#include "display/WindowPlacement.h"
#include "polling/ValueFormat.h"

EntryDialog::EntryDialog(SessionState &shared, OperatorInterface &op,
                         const SettingRanges::EntryTexts &texts, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::EntryDialog>()), m_shared(shared), m_op(op),
      m_value(shared)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(230));
    keepTitleWhole(*this);
    m_ui->Label1->setText(msg(231));
    m_ui->Label2->setText(msg(232));
    m_ui->Command4->setText(msg(30));
    m_ui->Now_data->setText(texts.nowData);
    if (texts.limitData)
        m_ui->Limit_data->setText(*texts.limitData);
    m_ui->change_data->hide();
    m_ui->Label_item->setText(itemHeading(shared));

    connect(m_ui->pad, &TenKeyPad::pressed, this, &EntryDialog::onKey);
    connect(m_ui->Command3, &QPushButton::clicked, this, &EntryDialog::onOk);
    connect(m_ui->Command4, &QPushButton::clicked, this, &EntryDialog::reject);
    // The entry box only displays: every key typed into it is the pad's.
    m_ui->pad->takeKeysOf(m_ui->Disp_setdata);
    m_ui->pad->takeKeysOf(this);
    m_ui->Disp_setdata->setFocus();
}

EntryDialog::~EntryDialog() = default;

QString EntryDialog::itemHeading(const SessionState &shared)
{
    const QString caption = SettingRanges::itemName(shared, shared.itemCode);
    const QString unit = displayText(SettingUnit(shared, shared.itemCode));
    return unit.isEmpty() ? caption : caption + QStringLiteral("  ") + unit;
}

QString EntryDialog::entryText() const
{
    return m_ui->Disp_setdata->text();
}

void EntryDialog::onKey(const TenKey &key)
{
    switch (key.action) {
    case TenKey::PlusMinus:
        onSignToggle();
        return;
    case TenKey::Enter:
        onOk();
        return;
    case TenKey::Clear:
        m_ui->Disp_setdata->setFocus();
        break;
    default:
        break;
    }
    m_value.edit(key);
    showValue();
}

void EntryDialog::showValue()
{
    m_ui->change_data->setText(m_value.working());
    m_ui->Disp_setdata->setText(m_value.entryText());
}

void EntryDialog::onSignToggle()
{
    if (!m_value.toggleSign()) {
        m_op.showMessage({229}, MessageIcon::Exclamation);
        m_ui->Disp_setdata->setFocus();
    }
    showValue();
}

void EntryDialog::onOk()
{
    switch (m_value.accept(m_shared)) {
    case EntryValue::Outcome::EmptyEntry:
        m_op.showMessage({559}, MessageIcon::Exclamation);
        m_op.beep();
        break;
    case EntryValue::Outcome::TooManyDecimals:
        m_op.showText(920, msg(920).arg(NumberFormat::scaled(1, m_value.decimals().value_or(0))),
                      MessageIcon::Exclamation);
        showValue();
        break;
    case EntryValue::Outcome::OutOfRange:
        m_op.showMessage({229}, MessageIcon::Exclamation);
        showValue();
        break;
    case EntryValue::Outcome::Accepted:
        showValue();
        m_op.beep();
        m_writePosted = SettingChange::finish(m_shared);
        accept();
        return;
    }
    m_ui->Disp_setdata->setFocus();
}
