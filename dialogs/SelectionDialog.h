#pragma once

#include "dialogs/SelectionChoices.h"

#include <QDialog>

#include <memory>

class OperatorInterface;
class QRadioButton;
struct SessionContext;
struct SessionState;

namespace Ui
{
class SelectionDialog;
}

// The selection dialog for the choice items: the frame of the item is the only one shown,
// its option of the current value selected. OK stores the chosen option's index and applies the
// item's effects (SelectionChange); outcome() tells the main window what to redraw. A choice
// that resets other items is asked for first (SettingResets); No keeps the dialog open with
// nothing changed. Cancel, and OK with no option selected (a stored value outside the list),
// change nothing.
class SelectionDialog : public QDialog
{
    Q_OBJECT

public:
    SelectionDialog(const SessionContext &context, int code, QWidget *parent = nullptr);
    ~SelectionDialog() override;

    // After OK.
    const SelectionOutcome &outcome() const { return m_outcome; }

private:
    void onOk();
    QList<QRadioButton *> options(const char *arrayName) const;

    std::unique_ptr<Ui::SelectionDialog> m_ui;
    SessionState &m_shared;
    OperatorInterface &m_op;
    int m_code;
    std::optional<ChoiceFrame> m_frame;
    SelectionOutcome m_outcome;
};
