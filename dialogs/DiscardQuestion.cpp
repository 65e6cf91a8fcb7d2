#include "DiscardQuestion.h"

#include "base/OperatorInterface.h"

#include <QDialog>
#include <QKeyEvent>

namespace
{
constexpr int DiscardChanges = 1320;
} // namespace

DiscardQuestion::DiscardQuestion(QDialog *dialog, OperatorInterface &op,
                                 std::function<bool()> edited)
    : QObject(dialog), m_op(op), m_edited(std::move(edited))
{
    dialog->installEventFilter(this);
}

bool DiscardQuestion::mayClose() const
{
    return !m_edited() || m_op.askYesNo({DiscardChanges}, MessageIcon::Question);
}

bool DiscardQuestion::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !mayClose()) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::Close && static_cast<QWidget *>(watched)->isVisible() &&
               !mayClose()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
