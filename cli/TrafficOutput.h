#pragma once

#include "base/FileFault.h"

#include <QMetaObject>
#include <QString>

#include <functional>

class Console;
class TrafficLog;
struct CommandLine;
struct SessionState;

// What a run tells of the line's exchanges: --frames appends each one to a CSV file (TrafficCsv)
// as it is recorded, one whole line at a time, written through at once so that a reader sees it
// while the run goes on; monitor --stats prints the counters of every instrument when the run
// ends (also by Ctrl-C or SIGTERM) on standard error, beside the rows of standard output.
class TrafficOutput
{
public:
    TrafficOutput(const CommandLine &commandLine, Console &console);
    ~TrafficOutput();
    TrafficOutput(const TrafficOutput &) = delete;
    TrafficOutput &operator=(const TrafficOutput &) = delete;

    // The state of the session serving an instrument ("01"), for the meaning of its exchanges;
    // nullptr when none serves it now.
    using StateOf = std::function<const SessionState *(const QString &instrument)>;

    // Follows log from here on; false (said on standard error) when --frames names a file that
    // exists (monitor: unless --append or --force, as for --csv) or something other than a
    // regular file: the run then reads nothing.
    bool start(TrafficLog &log, StateOf stateOf);
    // The run's exit code after the subcommand ended with code: the counters printed, exchanges
    // that could not be written counted on standard error, and 1 (a file could not be written)
    // unless code says more.
    int finish(int code);

private:
    void writeNew();

    const CommandLine &m_commandLine;
    Console &m_console;
    TrafficLog *m_log = nullptr;
    StateOf m_stateOf;
    QMetaObject::Connection m_recorded;
    quint64 m_written = 0; // the serial of the last record handled
    qint64 m_lostLines = 0;
    bool m_failing = false; // the last write failed (said once until one goes through again)
};
