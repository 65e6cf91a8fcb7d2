#include "EntryDialog.h"

#include "ui_EntryDialog.h"

#include "dialogs/DiscardQuestion.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "comm/SessionContext.h"
#include "dialogs/SettingChange.h"
#include "display/MainDisplayModel.h"
#include "display/MainDisplayView.h"
#include "display/WindowPlacement.h"
#include "polling/ValueFormat.h"

EntryDialog::EntryDialog(const SessionContext &context, const SettingRanges::EntryRange &range,
                         QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::EntryDialog>()), m_shared(context.shared),
      m_op(context.op), m_value(context.shared, range), m_code(range.code)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(230));
    keepTitleWhole(*this);
    m_ui->currentCaption->setText(msg(231));
    m_ui->rangeCaption->setText(msg(232));
    m_ui->cancelButton->setText(msg(30));
    m_ui->currentValue->setText(range.nowData);
    if (range.limitData)
        m_ui->rangeValue->setText(*range.limitData);
    m_ui->workingValue->hide();
    m_ui->itemCaption->setText(itemHeading(context.shared, range.code));
    // A screen reader names the entry box after the item and reads the value and range with it.
    m_ui->entryText->setAccessibleName(itemHeading(context.shared, range.code));
    m_ui->entryText->setAccessibleDescription(
        msg(231) + QStringLiteral(": ") + range.nowData +
        (range.limitData ? QStringLiteral("; ") + msg(232) + QStringLiteral(": ") + *range.limitData
                         : QString()));

    connect(m_ui->pad, &TenKeyPad::pressed, this, &EntryDialog::onKey);
    connect(m_ui->okButton, &QPushButton::clicked, this, &EntryDialog::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &EntryDialog::reject);
    // The entry box only displays: every key typed into it is the pad's.
    m_ui->pad->takeKeysOf(m_ui->entryText);
    m_ui->pad->takeKeysOf(this);
    m_ui->entryText->setFocus();
    new DiscardQuestion(this, context.op, [this] { return !m_value.working().isEmpty(); });
    scrollWhenTooTall(*this);
}

EntryDialog::~EntryDialog() = default;

QString EntryDialog::itemHeading(const SessionState &shared, int code)
{
    const QString caption = SettingRanges::itemName(shared, code);
    const QString unit = displayText(settingUnit(shared, code));
    return unit.isEmpty() ? caption : caption + QStringLiteral("  ") + unit;
}

QString EntryDialog::entryText() const
{
    return m_ui->entryText->text();
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
        m_ui->entryText->setFocus();
        break;
    default:
        break;
    }
    m_value.edit(key);
    showValue();
}

void EntryDialog::showValue()
{
    m_ui->workingValue->setText(m_value.working());
    m_ui->entryText->setText(m_value.entryText());
}

void EntryDialog::onSignToggle()
{
    if (!m_value.toggleSign()) {
        m_op.showMessage({229}, MessageIcon::Exclamation);
        m_ui->entryText->setFocus();
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
        m_writePosted = SettingChange::finish(m_shared, m_code);
        accept();
        return;
    }
    m_ui->entryText->setFocus();
}
