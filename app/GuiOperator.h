#pragma once

#include "base/OperatorInterface.h"

#include <QHash>
#include <QPointer>

class QAction;
class QStatusBar;
class QLabel;
class QWidget;

// The operator interface of the desktop program: message boxes titled with message 1, the
// system beep, the status bar panels and the menu actions of the main window.
class GuiOperator : public OperatorInterface
{
public:
    explicit GuiOperator(QWidget *parent);

    void setStatusPanels(QLabel *p1, QLabel *p2, QLabel *p3, QLabel *p4);
    void setMenuAction(MenuItem item, QAction *action);

    void showMessage(const QList<int> &messageIds, MessageIcon icon) override;
    bool askYesNo(const QList<int> &messageIds, MessageIcon icon) override;
    void showText(int messageId, const QString &text, MessageIcon icon) override;
    bool askYesNoText(int messageId, const QString &text, MessageIcon icon) override;
    void beep() override;
    void setStatusPanel(int panel, const QString &text) override;
    void setMenuEnabled(MenuItem item, bool enabled) override;
    void processEvents() override;

    // Message texts joined by line breaks.
    static QString compose(const QList<int> &messageIds);

private:
    QPointer<QWidget> m_parent;
    QLabel *m_panels[4] = {nullptr, nullptr, nullptr, nullptr};
    QHash<MenuItem, QAction *> m_actions;
};
