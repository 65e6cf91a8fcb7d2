#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "LineMonitor.h"
#include "MonitorRows.h"
#include "PlantPublisher.h"
#include "RotationGrid.h"
#include "RotationSample.h"
#include "ServiceNotifier.h"
#include "StationLine.h"
#include "base/MessageTable.h"
#include "chart/EventRecorder.h"
#include "chart/TrendLogWriter.h"
#include "comm/ControllerCodes.h"
#include "polling/PollingCycle.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <optional>

namespace
{

// Reads the plant link's password and checks its TLS files before anything is read; false after
// saying why not.
bool plantLinkReady(const MqttOptions &options, Console &console, QString *password)
{
    QString error;
    if (!options.passwordFile.isEmpty() &&
        !readMqttPassword(options.passwordFile, password, &error)) {
        console.errorLine(QStringLiteral("znctl: ") + error);
        return false;
    }
    const std::pair<const QString &, const char *> files[] = {
        {options.caFile, "CA file"},
        {options.certFile, "client certificate"},
        {options.keyFile, "client key"},
    };
    for (const auto &[file, what] : files) {
        if (!file.isEmpty() && !QFileInfo(file).isReadable()) {
            console.errorLine(
                QStringLiteral("znctl: cannot read the %1 %2").arg(QLatin1String(what), file));
            return false;
        }
    }
    return true;
}

// "COM1 instrument 01", as messages name what they are about.
QString subjectOf(const QString &port, const QString &instrument)
{
    return QStringLiteral("%1 instrument %2").arg(port, instrument);
}

// An event as a service's journal shows it: "znctl: COM1 instrument 01: alarm1-on (Alarm 1 on),
// PV 25.0, SV 30.0, MV1 45.5".
QString eventLine(const EventLog::Event &event)
{
    return QStringLiteral("znctl: %1: %2 (%3), PV %4, SV %5, MV1 %6")
        .arg(subjectOf(event.port,
                       QStringLiteral("%1").arg(event.instrument, 2, 10, QLatin1Char('0'))),
             EventLog::word(event.kind), EventLog::caption(event.kind), event.pv, event.sv,
             event.mv1);
}

// Monitoring as the online button starts it on the main window, with the window's three timers in
// an event loop, until the time is up, Ctrl-C is pressed or the link supervision takes the link
// offline. With --interval each rotation waits for its point of the grid.
class MonitorRun
{
public:
    MonitorRun(CliSession &session, const CommandLine &commandLine);

    int exec();

private:
    void setTimersRunning(bool running);
    void supervisionTick();
    void rotationDone();
    // Holds the reads until the next point of the grid.
    void waitForGrid();
    void logSample(const TrendLogWriter::Sample &sample);
    bool hasSecondOutput() const
    {
        return quint16(m_session.shared.optionWord()) & OptionBit::HeatCool;
    }
    QString trendLogPath(const QDateTime &firstSample) const;
    bool openPlantLink();
    int station() const { return m_session.shared.stationAddress.toInt(); }
    QString subject() const
    {
        return subjectOf(m_session.shared.portName, m_session.shared.stationAddress);
    }
    void fail(int exitCode);

    CliSession &m_session;
    const CommandLine &m_commandLine;
    QEventLoop m_loop;
    QTimer m_jobTimer;
    QTimer m_vendorRefreshTimer;
    QTimer m_supervisionTimer;
    QTimer m_gridTimer;
    RotationGrid m_grid;
    bool m_waitingForGrid = false;
    bool m_skipSaid = false;
    MonitorRows m_rows;
    std::optional<TrendLogWriter> m_log;
    QDateTime m_logStart;
    std::optional<EventRecorder> m_events;
    std::optional<PlantPublisher> m_plant;
    // The monitor codes this rotation has read so far.
    RotationSample m_rotation;
    bool m_switchingOff = false;
    int m_exitCode = Success;
};

MonitorRun::MonitorRun(CliSession &session, const CommandLine &commandLine)
    : m_session(session), m_commandLine(commandLine), m_grid(commandLine.intervalMs),
      m_rows(commandLine, session.console)
{
    m_session.core.connection.setSettingsRead(
        [this] { m_session.core.onlineStartRead.readAtOnlineStart(); });
    m_session.view.setTimersHandler([this](bool enabled) { setTimersRunning(enabled); });
    m_session.core.jobs.setHandler(TimerJob::Monitor, [this] {
        const SessionState &shared = m_session.shared;
        const int code = PollingCycle::monitorCode(shared.monitorStep, shared.optionWord());
        const bool read = m_session.core.polling.runMonitorJob();
        ServiceNotifier::alive();
        if (read)
            m_rotation.read(code);
        m_events->monitorRead(code, read);
        if (shared.monitorStep == 0) {
            rotationDone();
            if (m_grid.isPaced() && m_jobTimer.isActive())
                waitForGrid();
        }
        return true;
    });
    m_session.core.jobs.setHandler(TimerJob::Upload,
                                   [this] { return m_session.core.upload.uploadAll(); });
    m_jobTimer.setInterval(1);
    m_vendorRefreshTimer.setInterval(10000);
    m_supervisionTimer.setInterval(100);
    m_gridTimer.setSingleShot(true);
    m_gridTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_jobTimer, &QTimer::timeout, [this] { m_session.core.jobs.tick(); });
    QObject::connect(&m_vendorRefreshTimer, &QTimer::timeout,
                     [this] { m_session.core.polling.refreshVendorItems(); });
    QObject::connect(&m_supervisionTimer, &QTimer::timeout, [this] { supervisionTick(); });
    QObject::connect(&m_gridTimer, &QTimer::timeout, [this] {
        m_waitingForGrid = false;
        m_jobTimer.start();
    });
}

int MonitorRun::exec()
{
    // A FIFO or a device would be replaced by the log (or block it): refused before anything
    // is read, and left as it is.
    const QFileInfo csv(m_commandLine.csvPath);
    for (const QString &path : {m_commandLine.csvPath, m_commandLine.eventsPath}) {
        const QFileInfo target(path);
        if (!path.isEmpty() && target.exists() && !target.isFile() && !target.isDir()) {
            m_session.console.errorLine(
                QStringLiteral("znctl: %1 is neither a regular file nor a folder; no log is "
                               "written there")
                    .arg(path));
            return FileError;
        }
    }
    // A log of an earlier run is not replaced by mistake; a rotated one is continued.
    if (csv.isFile() && !m_commandLine.appendCsv && !m_commandLine.replaceCsv &&
        !m_commandLine.rotation.isActive()) {
        m_session.console.errorLine(
            QStringLiteral("znctl: %1 exists; give --append to add to it or --force to replace it")
                .arg(m_commandLine.csvPath));
        return FileError;
    }
    if (const QString problem =
            m_rows.prepare(m_session.shared.portName, QStringList{m_session.shared.stationAddress});
        !problem.isEmpty()) {
        m_session.console.errorLine(QStringLiteral("znctl: ") + problem);
        return FileError;
    }
    m_events.emplace(m_session.shared, m_commandLine.eventsPath);
    m_events->setEventReport(
        [this](const EventLog::Event &event) { m_session.console.errorLine(eventLine(event)); });
    // Monitoring (and the plant feed) goes on; the run ends with exit code 1.
    m_events->setFaultReport([this](const FileFault &fault) {
        m_session.console.errorLine(
            QStringLiteral("znctl: cannot write the event log %1; events are lost until it "
                           "can be written again")
                .arg(fault.text()));
    });
    if (m_commandLine.mqtt.enabled() && !openPlantLink())
        return FileError;
    // The link check, the online start read and the timers, or messages 451 and 270.
    m_session.core.connection.toggleOnline();
    if (!m_session.shared.online)
        return NoController;
    ServiceNotifier::ready(QStringLiteral("monitoring ") + subject());
    m_events->wentOnline();
    if (m_plant)
        m_plant->setOnline(station(), true);
    if (m_commandLine.seconds > 0)
        QTimer::singleShot(m_commandLine.seconds * 1000, &m_loop, &QEventLoop::quit);
    if (!Interrupt::requested())
        m_loop.exec();
    ServiceNotifier::stopping();
    if (m_session.shared.online) {
        m_switchingOff = true;
        m_session.core.connection.toggleOnline();
    }
    if (CommComponent *com = m_session.core.link.com())
        com->closePort();
    if (m_events->lostLines() > 0) {
        m_session.console.errorLine(QStringLiteral("znctl: %1 event(s) could not be written to "
                                                   "the event log")
                                        .arg(m_events->lostLines()));
        if (m_exitCode == Success)
            m_exitCode = FileError;
    }
    // Every instrument offline, and the broker's connections closed.
    const quint64 plantLost = m_plant ? m_plant->close() : 0;
    m_plant.reset();
    if (plantLost > 0 && m_exitCode == Success)
        m_exitCode = MqttLost;
    return m_exitCode;
}

void MonitorRun::setTimersRunning(bool running)
{
    m_gridTimer.stop();
    m_waitingForGrid = false;
    const auto setActive = [](QTimer &timer, bool active) {
        if (active)
            timer.start();
        else
            timer.stop();
    };
    setActive(m_supervisionTimer, running);
    // The vendor-frame refresh (SV2 to SV4 on the window) shows nothing here; on a grid it would
    // take a rotation's place now and then.
    setActive(m_vendorRefreshTimer, running && !m_grid.isPaced());
    if (running && m_grid.isPaced())
        waitForGrid();
    else
        setActive(m_jobTimer, running);
    // Stopped by the core itself: the supervision gave up on the link.
    if (!running && !m_switchingOff) {
        m_events->wentOffline(true);
        if (m_plant)
            m_plant->setOnline(station(), false);
        if (m_exitCode == Success)
            m_exitCode = LinkLost;
        m_loop.quit();
    }
}

void MonitorRun::waitForGrid()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 next = m_grid.nextStart(now);
    if (m_grid.skipped() > 0 && !m_skipSaid) {
        m_skipSaid = true;
        m_session.console.errorLine(
            QStringLiteral("znctl: %1: a rotation took longer than --interval %2 s; the rows "
                           "leave out the points of the grid it overran")
                .arg(subject())
                .arg(double(m_commandLine.intervalMs) / 1000));
    }
    m_jobTimer.stop();
    m_waitingForGrid = true;
    m_gridTimer.start(int(next - now));
}

void MonitorRun::supervisionTick()
{
    ServiceNotifier::alive();
    if (Interrupt::requested()) {
        m_loop.quit();
        return;
    }
    // Between rotations nothing is asked, so there is nothing to judge: an error left by the
    // last read would otherwise count on through the wait.
    if (!m_waitingForGrid)
        m_session.core.polling.superviseLink();
}

void MonitorRun::rotationDone()
{
    // A rotation that read nothing is no sample: the communication error is on the console, and
    // repeating the values of the last rotation would present them as new.
    if (m_rotation.isEmpty())
        return;
    const SessionState &shared = m_session.shared;
    const TrendLogWriter::Sample sample = m_rotation.values(shared);
    const MonitorRecord record = m_rotation.record(shared);
    const QString row = m_rotation.consoleRow(shared);
    m_rotation.clear();
    if (m_plant)
        m_plant->publishRotation(record);
    if (!m_rows.write(record, row)) {
        fail(FileError);
        return;
    }
    if (!m_commandLine.csvPath.isEmpty())
        logSample(sample);
}

QString MonitorRun::trendLogPath(const QDateTime &firstSample) const
{
    // A folder gets a log named after the first sample, like the desktop program's logs.
    const QFileInfo given(m_commandLine.csvPath);
    if (given.isDir())
        return TrendLogWriter::freePath(given.filePath(), firstSample);
    const LogRotation &rotation = m_commandLine.rotation;
    if (!rotation.isActive())
        return given.filePath();
    // A day's log is continued after a restart on the same day; a new file never replaces one.
    const QString path = rotation.pathFor(given.filePath(), firstSample);
    if (rotation.kind() == LogRotation::Kind::Daily && QFileInfo(path).isFile())
        return path;
    return LogRotation::freePath(path);
}

bool MonitorRun::openPlantLink()
{
    QString password;
    if (!plantLinkReady(m_commandLine.mqtt, m_session.console, &password))
        return false;
    m_plant.emplace(m_commandLine.mqtt, password, m_session.shared.portName);
    return true;
}

void MonitorRun::logSample(const TrendLogWriter::Sample &sample)
{
    // About a sample line's length: what a size rotation keeps room for.
    constexpr qint64 LineBytes = 64;
    const LogRotation &rotation = m_commandLine.rotation;
    if (!m_log ||
        rotation.due(m_logStart, QFileInfo(m_log->path()).size(), 0, sample.at, LineBytes)) {
        TrendLogWriter::Channels channels;
        channels.mv2 = hasSecondOutput();
        m_log.emplace(trendLogPath(sample.at), channels,
                      m_commandLine.appendCsv || rotation.isActive());
        m_logStart = sample.at;
    }
    const TrendLogWriter::Result result = m_log->write(sample);
    if (result == TrendLogWriter::Result::Written)
        return;
    if (result == TrendLogWriter::Result::PermissionDenied)
        m_session.op.showMessage({555}, MessageIcon::None);
    m_session.console.errorLine(
        QStringLiteral("znctl: cannot write %1").arg(m_log->fault().text()));
    fail(FileError);
}

void MonitorRun::fail(int exitCode)
{
    m_exitCode = exitCode;
    m_loop.quit();
}

} // namespace

int runMonitor(CliSession &session, const CommandLine &commandLine)
{
    return MonitorRun(session, commandLine).exec();
}

int runMonitorOnLine(StationLine &line, const CommandLine &commandLine)
{
    if (!commandLine.csvPath.isEmpty() || !commandLine.eventsPath.isEmpty()) {
        line.console.errorLine(QStringLiteral(
            "znctl: --csv and --events log one instrument; name one with --station, or give "
            "--out for the rows of every instrument"));
        return UsageError;
    }
    MonitorRows rows(commandLine, line.console);
    if (const QString problem = rows.prepare(line.portName(), line.stations());
        !problem.isEmpty()) {
        line.console.errorLine(QStringLiteral("znctl: ") + problem);
        return FileError;
    }
    LineMonitor monitor(line, commandLine);
    // The plant link: one publisher for the line's port, made at the first reading, when the port
    // is known.
    std::optional<PlantPublisher> plant;
    QString password;
    if (commandLine.mqtt.enabled() && !plantLinkReady(commandLine.mqtt, line.console, &password))
        return FileError;
    bool rowsLost = false;
    monitor.setRotationDone([&](const StationReading &reading) {
        if (commandLine.mqtt.enabled()) {
            if (!plant)
                plant.emplace(commandLine.mqtt, password, reading.port);
            plant->setOnline(reading.record.instrument, true);
            plant->publishRotation(reading.record);
        }
        if (!rowsLost && !rows.write(reading.record, reading.text)) {
            rowsLost = true;
            Interrupt::request();
        }
    });
    monitor.setRotationFailed([&plant](const StationReading &reading) {
        if (plant)
            plant->setOnline(reading.instrument.toInt(), false);
    });
    ServiceNotifier::ready(QStringLiteral("monitoring %1 instruments %2")
                               .arg(line.portName(), line.stations().join(QLatin1Char(','))));
    int code = monitor.exec();
    ServiceNotifier::stopping();
    if (rowsLost)
        code = FileError;
    if (plant && plant->close() > 0 && code == Success)
        return MqttLost;
    return code;
}
