#include "LineMonitor.h"

#include "CliSession.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "RotationSample.h"
#include "ServiceNotifier.h"
#include "StationLine.h"
#include "WriteSide.h"
#include "base/JobDispatcher.h"
#include "comm/ControllerCodes.h"

#include <QThread>

#include <algorithm>

namespace
{

// Longest sleep while every instrument is silent, so that Ctrl-C and the end of --seconds are
// seen soon.
constexpr qint64 IdleSleepMs = 100;

} // namespace

LineMonitor::LineMonitor(StationLine &line, const CommandLine &commandLine)
    : m_line(line), m_commandLine(commandLine), m_rotation(int(line.stations().size())),
      m_grid(commandLine.intervalMs)
{
    for (const QString &station : line.stations())
        m_stations.push_back({line.session(station)});
}

LineMonitor::~LineMonitor() = default;

int LineMonitor::exec()
{
    m_clock.start();
    const qint64 endMs = qint64(m_commandLine.seconds) * 1000;
    while (!Interrupt::requested() && (endMs == 0 || m_clock.elapsed() < endMs)) {
        if (m_grid.isPaced() && !waitForGrid(endMs))
            break;
        bool polled = false;
        for (int index = 0; index < m_rotation.count(); ++index) {
            if (Interrupt::requested() || !m_rotation.due(index, m_clock.elapsed()))
                continue;
            polled = true;
            const bool wasSilent = m_rotation.isSilent(index);
            m_line.console.setInstrument(m_line.stations().at(index));
            if (poll(m_stations[std::size_t(index)])) {
                if (wasSilent)
                    m_line.console.errorLine(QStringLiteral("answers again"));
                m_rotation.answered(index);
            } else {
                if (!wasSilent)
                    m_line.console.errorLine(QStringLiteral("no reply; tried again every %1 s")
                                                 .arg(StationRotation::SilentRetryMs / 1000));
                m_rotation.fellSilent(index, m_clock.elapsed());
            }
        }
        ServiceNotifier::alive();
        if (!polled && !m_grid.isPaced())
            QThread::msleep(quint64(std::min(IdleSleepMs, m_rotation.untilDue(m_clock.elapsed()))));
    }
    for (int index = 0; index < m_rotation.count(); ++index) {
        if (m_rotation.isSilent(index))
            m_line.record(m_line.stations().at(index), NoController);
    }
    return m_line.exitCode();
}

bool LineMonitor::poll(Station &station)
{
    if (!station.connected && !connect(station))
        return false;
    const SessionState &shared = station.session->shared;
    StationReading reading{shared.portName, shared.stationAddress, {}, {}};
    RotationSample rotation;
    if (!rotate(station, rotation)) {
        // The next try starts with a fresh link check.
        station.connected = false;
        if (m_rotationFailed)
            m_rotationFailed(reading);
        return false;
    }
    reading.record = rotation.record(shared);
    reading.text = rotation.consoleRow(shared);
    if (m_rotationDone)
        m_rotationDone(reading);
    return true;
}

bool LineMonitor::waitForGrid(qint64 endMs)
{
    const qint64 start = m_grid.nextStart(QDateTime::currentMSecsSinceEpoch());
    for (qint64 left; (left = start - QDateTime::currentMSecsSinceEpoch()) > 0;) {
        if (Interrupt::requested() || (endMs > 0 && m_clock.elapsed() >= endMs))
            return false;
        ServiceNotifier::alive();
        QThread::msleep(quint64(std::min(IdleSleepMs, left)));
    }
    return true;
}

bool LineMonitor::connect(Station &station)
{
    CliSession &session = *station.session;
    if (WriteSide(session).connect() != WriteSide::Outcome::Done)
        return false;
    // What the number format of PV, SV and the outputs depends on.
    ReplyReporter reporter(session.core.context);
    for (const int code : {Code::InputType, Code::DecimalPlace}) {
        if (reporter.read(session.core.request.read(session.shared.registerTable.at(code)), code) ==
            ReplyCheck::Outcome::NoReply)
            return false;
    }
    session.shared.monitorStep = 0;
    session.shared.timerJob = TimerJob::Monitor;
    station.connected = true;
    return true;
}

bool LineMonitor::rotate(Station &station, RotationSample &rotation)
{
    CliSession &session = *station.session;
    SessionState &shared = session.shared;
    do {
        const int code = PollingCycle::monitorCode(shared.monitorStep, shared.optionWord());
        shared.commErrorFlag = false;
        if (session.core.polling.runMonitorJob()) {
            rotation.read(code);
        } else if (shared.commErrorFlag) {
            shared.monitorStep = 0;
            return false;
        }
    } while (shared.monitorStep != 0);
    // A setting changed at the front panel, or auto-tuning ended: the settings are read again,
    // as the window's upload job does, so that the number format stays right.
    if (shared.timerJob == TimerJob::Upload) {
        session.core.upload.uploadAll();
        shared.timerJob = TimerJob::Monitor;
    }
    return true;
}
