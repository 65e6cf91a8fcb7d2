#include "TrafficOutput.h"

#include "CommandLine.h"
#include "Console.h"
#include "ExitCode.h"
#include "base/AppendOnlyFile.h"
#include "comm/TrafficLog.h"
#include "display/MainDisplayModel.h"
#include "polling/TrafficCsv.h"

#include <QFile>
#include <QFileInfo>

TrafficOutput::TrafficOutput(const CommandLine &commandLine, Console &console)
    : m_commandLine(commandLine), m_console(console)
{
}

TrafficOutput::~TrafficOutput()
{
    QObject::disconnect(m_recorded);
}

bool TrafficOutput::start(TrafficLog &log, StateOf stateOf)
{
    m_log = &log;
    m_stateOf = std::move(stateOf);
    m_written = log.lastSerial();
    const QString &path = m_commandLine.framesPath;
    if (path.isEmpty())
        return true;
    const QFileInfo target(path);
    const bool monitor = m_commandLine.subcommand == QLatin1String("monitor");
    if (target.exists() && !target.isFile()) {
        m_console.errorLine(
            QStringLiteral("znctl: %1 is not a regular file; no frames are written there")
                .arg(path));
        return false;
    }
    // The frames of an earlier run are not replaced by mistake.
    if (target.exists() && !(monitor && (m_commandLine.appendCsv || m_commandLine.replaceCsv))) {
        m_console.errorLine(
            monitor ? QStringLiteral("znctl: %1 exists; give --append to add to it or --force to "
                                     "replace it")
                          .arg(path)
                    : QStringLiteral("znctl: %1 exists; give a file that does not exist yet")
                          .arg(path));
        return false;
    }
    if (target.exists() && m_commandLine.replaceCsv && !QFile::remove(path)) {
        m_console.errorLine(QStringLiteral("znctl: cannot replace %1").arg(path));
        return false;
    }
    m_recorded = QObject::connect(&log, &TrafficLog::recorded, &log, [this] { writeNew(); });
    return true;
}

void TrafficOutput::writeNew()
{
    const QList<TrafficRecord> records = m_log->since(m_written);
    if (records.isEmpty())
        return;
    m_written = records.last().serial;
    QByteArray lines;
    for (const TrafficRecord &record : records)
        lines += TrafficCsv::line(record, m_stateOf(record.instrument()), machineUnit);
    FileFault fault;
    if (AppendOnlyFile::append(m_commandLine.framesPath, lines, TrafficCsv::header(), &fault) ==
        AppendOnlyFile::Result::Written) {
        m_failing = false;
        return;
    }
    m_lostLines += records.size();
    if (!m_failing)
        m_console.errorLine(QStringLiteral("znctl: cannot write the frames file %1; exchanges "
                                           "are lost until it can be written again")
                                .arg(fault.text()));
    m_failing = true;
}

int TrafficOutput::finish(int code)
{
    QObject::disconnect(m_recorded);
    if (m_log && m_commandLine.stats) {
        const auto &counters = m_log->counters();
        for (auto it = counters.cbegin(); it != counters.cend(); ++it) {
            const TrafficCounters &c = it.value();
            m_console.errorLine(
                QStringLiteral("instrument %1: %2 requests, %3 good, %4 no reply, %5 checksum, "
                               "%6 exceptions, %7 late, %8 other, mean %9 ms, worst %10 ms")
                    .arg(it.key())
                    .arg(c.requests)
                    .arg(c.good)
                    .arg(c.noReply)
                    .arg(c.checksum)
                    .arg(c.exceptions)
                    .arg(c.late)
                    .arg(c.otherFaults)
                    .arg(c.meanResponseMs(), 0, 'f', 1)
                    .arg(c.worstResponseMs),
                true);
        }
    }
    if (m_lostLines == 0)
        return code;
    m_console.errorLine(QStringLiteral("znctl: %1 exchange(s) could not be written to the frames "
                                       "file %2")
                            .arg(m_lostLines)
                            .arg(m_commandLine.framesPath));
    return code == Success ? FileError : code;
}
