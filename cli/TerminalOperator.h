#pragma once

#include "base/OperatorInterface.h"

#include <QElapsedTimer>

#include <functional>

class Console;

// The operator interface on a terminal: messages from the message table (in the system's
// language) go to standard error, each line naming the port and instrument it is about
// ("znctl: COM1 instrument 01: Communication error"), and the window's advice on where to click is
// replaced by the tool's own, and nobody is there to answer a question, so every Yes/No
// question is answered No, or Yes when the tool was started with --yes. Status bar panels and
// menus do not exist here. The keys-operated box (455/456) pauses for a second before the core
// tries again, as an operator reading it would. Nobody can end the key operation from here, so a
// wait for the controller's keys or its vendor-frame return is given up after waitSeconds or at
// the first Ctrl-C, and every later wait of the run at once.
class TerminalOperator : public OperatorInterface
{
public:
    enum class WaitEnd {
        None,        // every wait ended by itself
        TimedOut,    // a wait outlasted waitSeconds
        Interrupted, // Ctrl-C during a wait
    };

    TerminalOperator(Console &console, bool assumeYes, int waitSeconds);

    // What the messages are about: "COM1 instrument 01".
    void setSubject(std::function<QString()> subject) { m_subject = std::move(subject); }
    // text with each of its lines naming the subject, as every message of the core is told.
    QString named(const QString &text) const;

    // Called once, from processEvents(), after Ctrl-C was pressed (a search cancels itself).
    void setInterruptHandler(std::function<void()> handler) { m_onInterrupt = std::move(handler); }

    void showMessage(const QList<int> &messageIds, MessageIcon icon) override;
    bool askYesNo(const QList<int> &messageIds, MessageIcon icon) override;
    void showText(int messageId, const QString &text, MessageIcon icon) override;
    bool askYesNoText(int messageId, const QString &text, MessageIcon icon) override;
    // Silent: a bell from a script's child is noise.
    void beep() override {}
    void setStatusPanel(int, const QString &) override {}
    void setMenuEnabled(MenuItem, bool) override {}
    void processEvents() override;
    bool keepWaiting(int round) override;

    // How the first wait that was given up ended.
    WaitEnd waitEnd() const { return m_waitEnd; }

private:
    Console &m_console;
    bool m_assumeYes;
    qint64 m_waitMs;
    QElapsedTimer m_waiting;
    WaitEnd m_waitEnd = WaitEnd::None;
    std::function<void()> m_onInterrupt;
    std::function<QString()> m_subject;
};
