#include "SelectionDialog.h"

#include "ui_SelectionDialog.h"

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/SessionContext.h"
#include "dialogs/SettingResets.h"
#include "display/MainDisplayView.h"
#include "display/WindowPlacement.h"

#include <QGroupBox>
#include <QRadioButton>

SelectionDialog::SelectionDialog(const SessionContext &context, int code, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SelectionDialog>()), m_shared(context.shared),
      m_op(context.op), m_code(code), m_frame(SelectionChoices::frameOf(context.shared, code))
{
    m_ui->setupUi(this);
    setWindowTitle(msg(233));
    keepTitleWhole(*this);
    m_ui->cancelButton->setText(msg(30));
    for (const ChoiceFrame &frame : SelectionChoices::allFrames(context.shared)) {
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
        const int value = context.shared.setting(code);
        if (value >= 0 && value < buttons.size())
            buttons[value]->setChecked(true);
        // The arrow keys move the choice from the one held (or the first) at once.
        if (!buttons.isEmpty())
            buttons[value >= 0 && value < buttons.size() ? value : 0]->setFocus();
    }
    connect(m_ui->okButton, &QPushButton::clicked, this, &SelectionDialog::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SelectionDialog::reject);
    adjustSize();
    scrollWhenTooTall(*this);
}

SelectionDialog::~SelectionDialog() = default;

QList<QRadioButton *> SelectionDialog::options(const char *arrayName) const
{
    QList<QRadioButton *> buttons;
    const QString prefix = QLatin1String(arrayName) + QLatin1Char('_');
    while (auto *button = findChild<QRadioButton *>(prefix + QString::number(buttons.size())))
        buttons.append(button);
    return buttons;
}

void SelectionDialog::onOk()
{
    if (m_frame) {
        const QList<QRadioButton *> buttons = options(m_frame->optionName);
        for (int i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked()) {
                if (!SettingResets::confirm(m_shared, m_op, m_code, i))
                    return;
                m_outcome = SelectionChange::apply(m_shared, m_code, i, buttons[i]->text());
                accept();
                return;
            }
        }
    }
    // A stored value outside the list selects no option: OK then keeps the value and its label,
    // as Cancel does.
    reject();
}
