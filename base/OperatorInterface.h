#pragma once

#include <QList>
#include <QString>

enum class MessageIcon { None, Information, Question, Exclamation, Critical };

// Menu commands whose enabled state the core changes.
enum class MenuItem {
    File,
    Online,
    Setting,
    Upload,
    Download,
    FileSave,
    FileLoad,
    Trace,
    CommSetting,
    ModelChange,
};

// The only way the core reaches the person at the machine. The desktop program implements it
// with message boxes and the status bar, the headless tool with the terminal, tests with a
// scripted fake.
class OperatorInterface
{
public:
    virtual ~OperatorInterface() = default;

    // A message box whose text is the given messages joined by line breaks, title message 1,
    // OK button only.
    virtual void showMessage(const QList<int> &messageIds,
                             MessageIcon icon = MessageIcon::None) = 0;
    // A Yes/No question built the same way; true for Yes.
    virtual bool askYesNo(const QList<int> &messageIds,
                          MessageIcon icon = MessageIcon::Question) = 0;
    // The same two boxes for a text composed from message messageId with values filled in (an
    // item name, a line number, a list of items); messageId says which message it is.
    virtual void showText(int messageId, const QString &text,
                          MessageIcon icon = MessageIcon::None) = 0;
    virtual bool askYesNoText(int messageId, const QString &text,
                              MessageIcon icon = MessageIcon::Question) = 0;
    virtual void beep() = 0;
    // Status bar panels 1 to 4.
    virtual void setStatusPanel(int panel, const QString &text) = 0;
    virtual void setMenuEnabled(MenuItem item, bool enabled) = 0;
    // Lets the user interface handle pending events during a long operation (search, transfer).
    virtual void processEvents() = 0;
    // Asked after each refusal in a wait that only the person at the controller can end (its keys
    // are being operated, it stays in its vendor frame), before the request is repeated; round
    // counts the refusals of this wait shown so far, from 0. False gives the wait up. The window
    // leaves such a wait to the operator's OK and always goes on.
    virtual bool keepWaiting(int round)
    {
        Q_UNUSED(round);
        return true;
    }
};
