#pragma once

#include "base/OperatorInterface.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>

// Scripted operator for tests: records everything shown and answers questions from a queue.
class FakeOperator : public OperatorInterface
{
public:
    struct Shown {
        QList<int> ids;
        MessageIcon icon;
        bool question;
    };

    void showMessage(const QList<int> &messageIds, MessageIcon icon) override;
    bool askYesNo(const QList<int> &messageIds, MessageIcon icon) override;
    // Recorded as the message id alone in shown; the composed text goes to texts.
    void showText(int messageId, const QString &text, MessageIcon icon) override;
    bool askYesNoText(int messageId, const QString &text, MessageIcon icon) override;
    void beep() override { ++beeps; }
    void setStatusPanel(int panel, const QString &text) override;
    void setMenuEnabled(MenuItem item, bool enabled) override { menus[item] = enabled; }
    void processEvents() override;
    bool keepWaiting(int round) override { return giveUpAtRound < 0 || round < giveUpAtRound; }

    // Answers for the next questions, in order; a question with no scripted answer is a test
    // failure recorded in unexpectedQuestions and answered No.
    QList<bool> answers;
    // Called from processEvents(); lets a test act "while the operator waits" (press cancel).
    std::function<void()> onProcessEvents;
    // Called after a message box was recorded; lets a test act while the operator reads it
    // (release the controller's keys).
    std::function<void(const QList<int> &)> onShowMessage;
    // A wait for the person at the controller is given up at this round (from 0); negative:
    // never, as the window never does.
    int giveUpAtRound = -1;

    QList<Shown> shown;
    QMap<int, QString> texts; // message id -> the last composed text shown or asked with it
    QList<QList<int>> unexpectedQuestions;
    int beeps = 0;
    int processEventsCalls = 0;
    QMap<int, QString> panels;
    QStringList panelHistory; // "panel:text" in order
    QMap<MenuItem, bool> menus;

    // The message lists shown (not asked), in order.
    QList<QList<int>> messages() const;
    bool wasShown(int messageId) const;
};
