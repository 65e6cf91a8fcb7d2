#include "FakeOperator.h"

void FakeOperator::showMessage(const QList<int> &messageIds, MessageIcon icon)
{
    shown.append({messageIds, icon, false});
    if (onShowMessage)
        onShowMessage(messageIds);
}

bool FakeOperator::askYesNo(const QList<int> &messageIds, MessageIcon icon)
{
    shown.append({messageIds, icon, true});
    if (answers.isEmpty()) {
        unexpectedQuestions.append(messageIds);
        return false;
    }
    return answers.takeFirst();
}

void FakeOperator::showText(int messageId, const QString &text, MessageIcon icon)
{
    texts[messageId] = text;
    showMessage({messageId}, icon);
}

bool FakeOperator::askYesNoText(int messageId, const QString &text, MessageIcon icon)
{
    texts[messageId] = text;
    return askYesNo({messageId}, icon);
}

void FakeOperator::setStatusPanel(int panel, const QString &text)
{
    panels[panel] = text;
    panelHistory.append(QString::number(panel) + QLatin1Char(':') + text);
}

void FakeOperator::processEvents()
{
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents();
}

QList<QList<int>> FakeOperator::messages() const
{
    QList<QList<int>> result;
    for (const Shown &s : shown)
        if (!s.question)
            result.append(s.ids);
    return result;
}

bool FakeOperator::wasShown(int messageId) const
{
    for (const Shown &s : shown)
        if (s.ids.contains(messageId))
            return true;
    return false;
}
