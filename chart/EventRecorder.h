#pragma once

#include "base/FileFault.h"
#include "chart/EventLog.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

struct SessionState;

// Turns what the polling sees into event lines: the changes of the status word (alarms 1 and 2,
// heater burnout, sensor break, auto-tuning, a setting changed on the front panel), a request
// left without reply (once until a read succeeds again), going online and going offline after
// the line was lost, and the end of a transfer. Each line carries the port, the instrument number
// and PV, SV and MV1 as the monitor last read them.
//
// The first status read after going online reports what is already on (an alarm, a sensor
// break, auto-tuning), since the operator cannot have seen it start.
class EventRecorder
{
public:
    using Clock = std::function<QDateTime()>;

    // target: a folder (one events-YYYY-MM.csv per month inside) or a file (every event there);
    // empty: no file, the events only go to the event report.
    EventRecorder(const SessionState &shared, QString target);
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // After each monitor read of the polling: read tells whether it stored a value (a status
    // word read goes to statusRead()); an unanswered one (commErrorFlag) is noReply().
    void monitorRead(int code, bool read);
    // After a good read of the status word (shared.statusWord()).
    void statusRead();
    // After a request that got no reply, and after one that did.
    void noReply();
    void replied() { m_inError = false; }
    void wentOnline();
    // lost: the link supervision gave up on the line (an offline button press is no event).
    void wentOffline(bool lost);
    void transferEnded(bool completed);

    // Told when an event line could not be written (the line is lost): once, and again only after
    // a line has been written since, with the file and the reason.
    using FaultReport = std::function<void(const FileFault &fault)>;
    void setFaultReport(FaultReport report) { m_faultReport = std::move(report); }

    // Told of every event as it is recorded, before it is written (a service's journal).
    using EventReport = std::function<void(const EventLog::Event &event)>;
    void setEventReport(EventReport report) { m_eventReport = std::move(report); }

    // The file the last event went to (or would go to); true from the last write that failed.
    QString currentFile() const;
    bool lastWriteFailed() const { return !m_fault.isNone(); }
    // Why the last write failed; none after a good one.
    const FileFault &lastFault() const { return m_fault; }
    // Event lines that could not be written since this recorder was made.
    int lostLines() const { return m_lostLines; }

private:
    void record(EventLog::Kind kind);
    void bitChanged(quint16 now, quint16 bit, EventLog::Kind on, EventLog::Kind off);

    const SessionState &m_shared;
    QString m_target;
    Clock m_clock;
    std::optional<quint16> m_status; // the last status word read since going online
    QSet<int> m_readSinceOnline;     // monitor codes read since going online
    bool m_inError = false;
    FileFault m_fault;
    FaultReport m_faultReport;
    EventReport m_eventReport;
    int m_lostLines = 0;
};
