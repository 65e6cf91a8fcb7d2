#include "Setting_Disp.h"

#include "ui_Setting_Disp.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "dialogs/SettingChange.h"
#include "display/MainDisplayModel.h"
#include "display/MainDisplayView.h"
#include "polling/ValueFormat.h"

#include <QKeyEvent>

Setting_Disp::Setting_Disp(ZN8P_INC &inc, OperatorInterface &op,
                           const SettingRanges::EntryTexts &texts, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Setting_Disp>()), m_inc(inc), m_op(op),
      m_value(inc)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(230));
    m_ui->Label1->setText(msg(231));
    m_ui->Label2->setText(msg(232));
    m_ui->Command4->setText(msg(30));
    m_ui->Now_data->setText(texts.nowData);
    if (texts.limitData)
        m_ui->Limit_data->setText(*texts.limitData);
    m_ui->change_data->hide();
    m_ui->Label_item->setText(itemHeading(inc));

    const QList<QPushButton *> keys = {
        m_ui->Ten_key_0, m_ui->Ten_key_1, m_ui->Ten_key_2, m_ui->Ten_key_3, m_ui->Ten_key_4,
        m_ui->Ten_key_5, m_ui->Ten_key_6, m_ui->Ten_key_7, m_ui->Ten_key_8, m_ui->Ten_key_9};
    for (int digit = 0; digit < keys.size(); ++digit)
        connect(keys[digit], &QPushButton::clicked, this, [this, digit] { onDigit(digit); });
    connect(m_ui->Point_key, &QPushButton::clicked, this, &Setting_Disp::onPoint);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Setting_Disp::onSignToggle);
    connect(m_ui->Command2, &QPushButton::clicked, this, [this] {
        onClear();
        m_ui->Disp_setdata->setFocus();
    });
    connect(m_ui->Command3, &QPushButton::clicked, this, &Setting_Disp::onOk);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Setting_Disp::reject);

    // The entry box only displays: every key typed into it is the dialog's.
    m_ui->Disp_setdata->installEventFilter(this);
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

bool Setting_Disp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->Disp_setdata && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void Setting_Disp::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event))
        QDialog::keyPressEvent(event);
}

bool Setting_Disp::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        onDigit(key - Qt::Key_0);
    } else if (key == Qt::Key_Minus) {
        m_value.negate();
        showValue();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        onOk();
    } else if (key == Qt::Key_Period) {
        onPoint();
    } else if (key == Qt::Key_Backspace) {
        onClear();
    } else if (key == Qt::Key_Escape) {
        return false;
    } else {
        showValue();
    }
    return true;
}

void Setting_Disp::showValue()
{
    m_ui->change_data->setText(m_value.working());
    m_ui->Disp_setdata->setText(m_value.entryText());
}

void Setting_Disp::onDigit(int digit)
{
    m_value.typeDigit(digit);
    showValue();
}

void Setting_Disp::onPoint()
{
    m_value.typePoint();
    showValue();
}

void Setting_Disp::onSignToggle()
{
    if (!m_value.toggleSign()) {
        m_op.showMessage({229}, MessageIcon::Exclamation);
        m_ui->Disp_setdata->setFocus();
    }
    showValue();
}

void Setting_Disp::onClear()
{
    m_value.clear();
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
