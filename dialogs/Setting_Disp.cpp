#include "Setting_Disp.h"

#include "ui_Setting_Disp.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "dialogs/SettingChange.h"
#include "display/MainDisplayModel.h"
#include "display/MainDisplayView.h"
#include "display/WindowPlacement.h"
#include "polling/ValueFormat.h"

Setting_Disp::Setting_Disp(ZN8P_INC &inc, OperatorInterface &op,
                           const SettingRanges::EntryTexts &texts, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Setting_Disp>()), m_inc(inc), m_op(op),
      m_value(inc)
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
    m_ui->Label_item->setText(itemHeading(inc));

    connect(m_ui->pad, &TenKeyPad::pressed, this, &Setting_Disp::onKey);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Setting_Disp::onOk);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Setting_Disp::reject);
    // The entry box only displays: every key typed into it is the pad's.
    m_ui->pad->takeKeysOf(m_ui->Disp_setdata);
    m_ui->pad->takeKeysOf(this);
    m_ui->Disp_setdata->setFocus();
}

Setting_Disp::~Setting_Disp() = default;

QString Setting_Disp::itemHeading(const ZN8P_INC &inc)
{
    const QString caption = SettingRanges::itemName(inc, inc.itemCode);
    const QString unit = displayText(SettingUnit(inc, inc.itemCode));
    return unit.isEmpty() ? caption : caption + QStringLiteral("  ") + unit;
}

QString Setting_Disp::entryText() const
{
    return m_ui->Disp_setdata->text();
}

void Setting_Disp::onKey(const TenKey &key)
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

void Setting_Disp::showValue()
{
    m_ui->change_data->setText(m_value.working());
    m_ui->Disp_setdata->setText(m_value.entryText());
}

void Setting_Disp::onSignToggle()
{
    if (!m_value.toggleSign()) {
        m_op.showMessage({229}, MessageIcon::Exclamation);
        m_ui->Disp_setdata->setFocus();
    }
    showValue();
}

void Setting_Disp::onOk()
{
    switch (m_value.accept(m_inc)) {
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
        m_writePosted = SettingChange::finish(m_inc);
        accept();
        return;
    }
    m_ui->Disp_setdata->setFocus();
}
