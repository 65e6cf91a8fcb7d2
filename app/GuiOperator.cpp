#include "GuiOperator.h"

#include "base/MessageTable.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>

namespace
{
QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A question asked while a dialog is open belongs to that dialog: on top of it, and when it
// closes the window manager gives the keyboard back to the dialog. Parented to the main window
// instead, the keyboard went nowhere once both had closed.
QWidget *boxParent(QWidget *window)
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : window;
}
} // namespace

GuiOperator::GuiOperator(QWidget *parent) : m_parent(parent) {}

void GuiOperator::setStatusPanels(QLabel *p1, QLabel *p2, QLabel *p3, QLabel *p4)
{
    m_panels[0] = p1;
    m_panels[1] = p2;
    m_panels[2] = p3;
    m_panels[3] = p4;
}

void GuiOperator::setMenuAction(MenuItem item, QAction *action)
{
    m_actions.insert(item, action);
}

QString GuiOperator::compose(const QList<int> &messageIds)
{
    QStringList lines;
    for (int id : messageIds)
        lines << msg(id);
    return lines.join(QLatin1Char('\n'));
}

void GuiOperator::showMessage(const QList<int> &messageIds, MessageIcon icon)
{
    showText(0, compose(messageIds), icon);
}

bool GuiOperator::askYesNo(const QList<int> &messageIds, MessageIcon icon)
{
    return askYesNoText(0, compose(messageIds), icon);
}

void GuiOperator::showText(int, const QString &text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), msg(1), text, QMessageBox::Ok, boxParent(m_parent));
    box.exec();
}

bool GuiOperator::askYesNoText(int, const QString &text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), msg(1), text, QMessageBox::Yes | QMessageBox::No,
                    boxParent(m_parent));
    return box.exec() == QMessageBox::Yes;
}

void GuiOperator::beep()
{
    QApplication::beep();
}

void GuiOperator::setStatusPanel(int panel, const QString &text)
{
    if (panel >= 1 && panel <= 4 && m_panels[panel - 1])
        m_panels[panel - 1]->setText(text);
}

void GuiOperator::setMenuEnabled(MenuItem item, bool enabled)
{
    if (QAction *action = m_actions.value(item))
        action->setEnabled(enabled);
}

void GuiOperator::processEvents()
{
    QApplication::processEvents();
}
