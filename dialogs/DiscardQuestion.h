#pragma once

#include <QObject>

#include <functional>

class OperatorInterface;
class QDialog;

// Esc and the close box of a dialog that holds the operator's unsaved edits ask first whether to
// discard them (message 1320 through the operator interface; No keeps the dialog open as it
// was). The dialog's Cancel button discards without asking: pressing it is the answer.
class DiscardQuestion : public QObject
{
public:
    // edited: whether the dialog holds edits that closing would lose. Owned by dialog.
    DiscardQuestion(QDialog *dialog, OperatorInterface &op, std::function<bool()> edited);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when the dialog may close: nothing edited, or the operator chose to discard.
    bool mayClose() const;

    OperatorInterface &m_op;
    std::function<bool()> m_edited;
};
