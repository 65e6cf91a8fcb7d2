#pragma once

#include "dialogs/SelectionChoices.h"

#include <QDialog>

#include <memory>

class OperatorInterface;
class QRadioButton;
struct ZN8P_INC;

namespace Ui
{
class Select_Disp;
}

// The selection dialog for the choice items: the frame of inc.itemCode is the only one shown,
// its option of the current value selected. OK stores the chosen option's index and applies the
// item's effects (SelectionChange); outcome() tells the main window what to redraw. A choice
// that resets other items is asked for first (SettingResets); No keeps the dialog open with
// nothing changed. Cancel, and OK with no option selected (a stored value outside the list),
// change nothing.
class Select_Disp : public QDialog
{
    Q_OBJECT

public:
    Select_Disp(ZN8P_INC &inc, OperatorInterface &op, QWidget *parent = nullptr);
    ~Select_Disp() override;

    // After OK.
    const SelectionOutcome &outcome() const { return m_outcome; }

private:
    void onOk();
    QList<QRadioButton *> options(const char *arrayName) const;

    std::unique_ptr<Ui::Select_Disp> m_ui;
    ZN8P_INC &m_inc;
    OperatorInterface &m_op;
    std::optional<ChoiceFrame> m_frame;
    SelectionOutcome m_outcome;
};
