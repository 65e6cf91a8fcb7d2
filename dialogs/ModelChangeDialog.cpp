#include "ModelChangeDialog.h"

#include "ui_ModelChangeDialog.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "comm/SessionContext.h"
#include "dialogs/DiscardQuestion.h"
#include "display/WindowPlacement.h"

#include <QGroupBox>

#include <QLabel>
#include <QRadioButton>
#include <array>

ModelChangeDialog::ModelChangeDialog(const SessionContext &context, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ModelChangeDialog>()), m_op(context.op),
      m_rules(context.shared)
{
    m_ui->setupUi(this);
    setWindowTitle(msg(271));
    keepTitleWhole(*this);
    m_ui->currentUnitGroup->setTitle(msg(193));
    m_ui->newUnitGroup->setTitle(msg(194));
    m_ui->okButton->setText(msg(31));
    m_ui->cancelButton->setText(msg(30));
    const std::array<QLabel *, UnitOptionRules::FieldCount> current = {
        m_ui->currentOptionLabel_0, m_ui->currentOptionLabel_1, m_ui->currentOptionLabel_2,
        m_ui->currentOptionLabel_3, m_ui->currentOptionLabel_4, m_ui->currentOptionLabel_5};
    for (int f = 0; f < UnitOptionRules::FieldCount; ++f) {
        const auto field = UnitOptionRules::Field(f);
        const QString name = QString::number(f);
        const QString caption = msg(UnitOptionRules::fieldCaption(field));
        findChild<QGroupBox *>(QStringLiteral("currentOptionGroup_") + name)->setTitle(caption);
        findChild<QGroupBox *>(QStringLiteral("newOptionGroup_") + name)->setTitle(caption);
        // Without a link or data nothing is known to be fitted, the output type included.
        // The stored value, also when the rules below have to drop it.
        current[f]->setText(
            msg(m_rules.showsConfiguration()
                    ? UnitOptionRules::valueCaption(field, m_rules.valueAtOpen(field))
                    : 185));
        const QList<QRadioButton *> buttons = options(f);
        for (int value = 0; value < buttons.size(); ++value) {
            buttons[value]->setText(msg(UnitOptionRules::valueCaption(field, value)));
            connect(buttons[value], &QRadioButton::clicked, this,
                    [this, field, value] { onOptionClicked(field, value); });
        }
    }
    connect(m_ui->okButton, &QPushButton::clicked, this, &ModelChangeDialog::onChange);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &ModelChangeDialog::reject);
    showRules();
    std::array<int, UnitOptionRules::FieldCount> opening{};
    for (int f = 0; f < UnitOptionRules::FieldCount; ++f)
        opening[f] = m_rules.value(UnitOptionRules::Field(f));
    new DiscardQuestion(this, context.op, [this, opening] {
        for (int f = 0; f < UnitOptionRules::FieldCount; ++f) {
            if (m_rules.value(UnitOptionRules::Field(f)) != opening[f])
                return true;
        }
        return false;
    });
    scrollWhenTooTall(*this);
}

ModelChangeDialog::~ModelChangeDialog() = default;

QList<QRadioButton *> ModelChangeDialog::options(int field) const
{
    QList<QRadioButton *> buttons;
    const QString prefix = QStringLiteral("newOptionChoice%1_").arg(field + 1);
    while (auto *button = findChild<QRadioButton *>(prefix + QString::number(buttons.size())))
        buttons.append(button);
    return buttons;
}

void ModelChangeDialog::onOptionClicked(UnitOptionRules::Field field, int value)
{
    if (const int refusal = m_rules.click(field, value))
        m_op.showMessage({refusal}, MessageIcon::None);
    showRules();
}

void ModelChangeDialog::showRules()
{
    for (int f = 0; f < UnitOptionRules::FieldCount; ++f) {
        const auto field = UnitOptionRules::Field(f);
        const QList<QRadioButton *> buttons = options(f);
        const int value = m_rules.value(field);
        if (value >= 0 && value < buttons.size())
            buttons[value]->setChecked(true);
        findChild<QGroupBox *>(QStringLiteral("newOptionGroup_%1").arg(f))
            ->setEnabled(!m_rules.isLocked(field));
    }
    options(UnitOptionRules::OutputType)[UnitOptionRules::DcCurrent]->setEnabled(
        !m_rules.isDcCurrentLocked());
}

void ModelChangeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_dropsReported || m_rules.droppedAtOpen().isEmpty())
        return;
    m_dropsReported = true;
    m_op.showMessage(QList<int>{1040} + m_rules.droppedAtOpen(), MessageIcon::Exclamation);
}

void ModelChangeDialog::onChange()
{
    if (!m_op.askYesNo({192}, MessageIcon::Question)) {
        m_op.beep();
        return;
    }
    m_op.beep();
    m_rules.change();
    accept();
}

void ModelChangeDialog::reject()
{
    m_rules.cancel();
    QDialog::reject();
}
