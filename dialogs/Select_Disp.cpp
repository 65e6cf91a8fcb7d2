#include "Select_Disp.h"

#include "ui_Select_Disp.h"

#include "base/MessageTable.h"
#include "base/ZN8P_INC.h"
#include "dialogs/SettingResets.h"
#include "display/MainDisplayView.h"
#include "display/WindowPlacement.h"

#include <QGroupBox>
#include <QRadioButton>

Select_Disp::Select_Disp(ZN8P_INC &inc, OperatorInterface &op, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Select_Disp>()), m_inc(inc), m_op(op),
      m_frame(SelectionChoices::frameOf(inc, inc.itemCode))
{
    m_ui->setupUi(this);
    setWindowTitle(msg(233));
    keepTitleWhole(*this);
    m_ui->Command2->setText(msg(30));
    for (const ChoiceFrame &frame : SelectionChoices::allFrames(inc)) {
        auto *box = findChild<QGroupBox *>(QLatin1String(frame.frameName));
        box->setTitle(msg(frame.captionId));
        const QList<QRadioButton *> buttons = options(frame.optionName);
        for (int i = 0; i < buttons.size() && i < frame.options.size(); ++i)
            buttons[i]->setText(displayText(frame.options[i]));
        box->setVisible(m_frame && qstrcmp(frame.frameName, m_frame->frameName) == 0);
    }
    if (m_frame) {
        findChild<QGroupBox *>(QLatin1String(m_frame->frameName))
            ->setTitle(msg(m_frame->captionId));
        const QList<QRadioButton *> buttons = options(m_frame->optionName);
        const int value = inc.setting(inc.itemCode);
        if (value >= 0 && value < buttons.size())
            buttons[value]->setChecked(true);
    }
    connect(m_ui->Command1, &QPushButton::clicked, this, &Select_Disp::onOk);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Select_Disp::reject);
    adjustSize();
}

Select_Disp::~Select_Disp() = default;

QList<QRadioButton *> Select_Disp::options(const char *arrayName) const
{
    QList<QRadioButton *> buttons;
    const QString prefix = QLatin1String(arrayName) + QLatin1Char('_');
    while (auto *button = findChild<QRadioButton *>(prefix + QString::number(buttons.size())))
        buttons.append(button);
    return buttons;
}

void Select_Disp::onOk()
{
    if (m_frame) {
        const QList<QRadioButton *> buttons = options(m_frame->optionName);
        for (int i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked()) {
                if (!SettingResets::confirm(m_inc, m_op, m_inc.itemCode, i))
                    return;
                m_outcome = SelectionChange::apply(m_inc, i, buttons[i]->text());
                accept();
                return;
            }
        }
    }
    // A stored value outside the list selects no option: OK then keeps the value and its label,
    // as Cancel does.
    reject();
}
