#pragma once

#include "base/FileFault.h"
#include "transfer/WriteOutcome.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class OperatorInterface;
struct SessionState;

// The trail of every write the program sends to the controller: one line per operator item
// written (a single change, a manual output step, each item of a download), appended to this
// month's file of the journal folder (JournalFile). The file is never replaced; a line is written
// whole or not at all. A journal that cannot be written never holds up the write: the status bar
// says so once (panel 4, message 914 with the file and the reason), and again only after a line
// has been written since.
class WriteJournal
{
public:
    enum class Source { Window, Znctl };

    WriteJournal(QString folder, Source source, OperatorInterface &op);

    // One write to the controller of shared's port and instrument number, as its record has it (the
    // value before, the value sent and what became of it, WriteOutcome::of). An item never sent
    // adds no line. Value texts are formatted as the main display shows the item under shared's
    // other settings.
    void record(const SessionState &shared, const ItemOutcome &outcome);

    QString folder() const { return m_folder; }
    // The file that holds the entries of date's month.
    QString pathFor(const QDate &date) const;
    // True once a line could not be written during this run; lastFault() says which file and why.
    bool failed() const { return m_failed; }
    const FileFault &lastFault() const { return m_fault; }

    // The clock of the entries; tests set a fixed one.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    QString m_folder;
    Source m_source;
    OperatorInterface &m_op;
    std::function<QDateTime()> m_clock;
    bool m_failed = false;
    bool m_failureShown = false;
    FileFault m_fault;
};
