#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "LineMonitor.h"
#include "PlantPublisher.h"
#include "RotationSample.h"
#include "StationLine.h"
#include "base/MessageTable.h"
#include "chart/EventRecorder.h"
#include "chart/TrendLogWriter.h"
#include "comm/ControllerCodes.h"
#include "polling/PollingCycle.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <optional>

namespace
{

// Reads the plant link's password and checks its CA file before anything is read; false after
// saying why not.
bool plantLinkReady(const MqttOptions &options, Console &console, QString *password)
{
    QString error;
    if (!options.passwordFile.isEmpty() &&
        !readMqttPassword(options.passwordFile, password, &error)) {
        console.errorLine(QStringLiteral("znctl: ") + error);
        return false;
    }
    if (!options.caFile.isEmpty() && !QFileInfo(options.caFile).isReadable()) {
        console.errorLine(QStringLiteral("znctl: cannot read the CA file %1").arg(options.caFile));
        return false;
    }
    return true;
}

// Monitoring as the online button starts it on the main window, with the window's three timers in
// an event loop, until the time is up, Ctrl-C is pressed or the link supervision takes the link
// offline.
class MonitorRun
{
public:
    MonitorRun(CliSession &session, const CommandLine &commandLine);

    int exec();

private:
    void setTimersRunning(bool running);
    void supervisionTick();
    void rotationDone();
    void logSample(const TrendLogWriter::Sample &sample);
    bool hasSecondOutput() const
    {
        return quint16(m_session.inc.optionWord()) & OptionBit::HeatCool;
    }
    QString csvPath(const QDateTime &firstSample) const;
    bool openPlantLink();
    int station() const { return m_session.inc.stationAddress.toInt(); }

    CliSession &m_session;
    const CommandLine &m_commandLine;
    QEventLoop m_loop;
    QTimer m_timer1;
    QTimer m_timer5;
    QTimer m_timer6;
    std::optional<TrendLogWriter> m_log;
    std::optional<EventRecorder> m_events;
    std::optional<PlantPublisher> m_plant;
    // The monitor codes this rotation has read so far.
    RotationSample m_rotation;
    bool m_switchingOff = false;
    int m_exitCode = Success;
};

MonitorRun::MonitorRun(CliSession &session, const CommandLine &commandLine)
    : m_session(session), m_commandLine(commandLine)
{
    m_session.core.connection.setSetdataRead(
        [this] { m_session.core.onlineStartRead.Setdata_read(); });
    m_session.view.setTimersHandler([this](bool enabled) { setTimersRunning(enabled); });
    m_session.core.jobs.setHandler(JobDispatcher::Monitor, [this] {
        const ZN8P_INC &inc = m_session.inc;
        const int code = PollingCycle::monitorCode(inc.monitorStep, inc.optionWord());
        const bool read = m_session.core.polling.runMonitorJob();
        if (read)
            m_rotation.read(code);
        if (m_events)
            m_events->monitorRead(code, read);
        if (inc.monitorStep == 0)
            rotationDone();
        return true;
    });
    m_session.core.jobs.setHandler(JobDispatcher::Upload,
                                   [this] { return m_session.core.upload.ReadPara_setflg(); });
    m_timer1.setInterval(1);
    m_timer5.setInterval(10000);
    m_timer6.setInterval(100);
    QObject::connect(&m_timer1, &QTimer::timeout, [this] { m_session.core.jobs.tick(); });
    QObject::connect(&m_timer5, &QTimer::timeout,
                     [this] { m_session.core.polling.refreshVendorItems(); });
    QObject::connect(&m_timer6, &QTimer::timeout, [this] { supervisionTick(); });
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
    // A log of an earlier run is not replaced by mistake.
    if (csv.isFile() && !m_commandLine.appendCsv && !m_commandLine.replaceCsv) {
        m_session.console.errorLine(
            QStringLiteral("znctl: %1 exists; give --append to add to it or --force to replace it")
                .arg(m_commandLine.csvPath));
        return FileError;
    }
    if (!m_commandLine.eventsPath.isEmpty()) {
        m_events.emplace(m_session.inc, m_commandLine.eventsPath);
        // Monitoring (and the plant feed) goes on; the run ends with exit code 1.
        m_events->setFaultReport([this](const FileFault &fault) {
            m_session.console.errorLine(
                QStringLiteral("znctl: cannot write the event log %1; events are lost until it "
                               "can be written again")
                    .arg(fault.text()));
        });
    }
    if (m_commandLine.mqtt.enabled() && !openPlantLink())
        return FileError;
    // The link check, the online start read and the timers, or messages 451 and 270.
    m_session.core.connection.toggleOnline();
    if (!m_session.inc.online)
        return NoController;
    if (m_events)
        m_events->wentOnline();
    if (m_plant)
        m_plant->setOnline(station(), true);
    if (m_commandLine.seconds > 0)
        QTimer::singleShot(m_commandLine.seconds * 1000, &m_loop, &QEventLoop::quit);
    if (!Interrupt::requested())
        m_loop.exec();
    if (m_session.inc.online) {
        m_switchingOff = true;
        m_session.core.connection.toggleOnline();
    }
    if (ZN8PCom *com = m_session.core.link.com())
        com->ClosePort();
    if (m_events && m_events->lostLines() > 0) {
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
    for (QTimer *timer : {&m_timer1, &m_timer5, &m_timer6}) {
        if (running)
            timer->start();
        else
            timer->stop();
    }
    // Stopped by the core itself: the supervision gave up on the link.
    if (!running && !m_switchingOff) {
        if (m_events)
            m_events->wentOffline(true);
        if (m_plant)
            m_plant->setOnline(station(), false);
        if (m_exitCode == Success)
            m_exitCode = LinkLost;
        m_loop.quit();
    }
}

void MonitorRun::supervisionTick()
{
    if (Interrupt::requested()) {
        m_loop.quit();
        return;
    }
    m_session.core.polling.superviseLink();
}

void MonitorRun::rotationDone()
{
    // A rotation that read nothing is no sample: the communication error is on the console, and
    // repeating the values of the last rotation would present them as new.
    if (m_rotation.isEmpty())
        return;
    const ZN8P_INC &inc = m_session.inc;
    const TrendLogWriter::Sample sample = m_rotation.values(inc);
    m_session.console.line(m_rotation.consoleRow(inc));
    if (m_plant)
        m_plant->publishRotation(station(), sample, m_rotation.status(inc));
    m_rotation.clear();
    if (!m_commandLine.csvPath.isEmpty())
        logSample(sample);
}

QString MonitorRun::csvPath(const QDateTime &firstSample) const
{
    // A folder gets a log named after the first sample, like the desktop program's logs.
    const QFileInfo given(m_commandLine.csvPath);
    if (given.isDir())
        return TrendLogWriter::freePath(given.filePath(), firstSample);
    return given.filePath();
}

bool MonitorRun::openPlantLink()
{
    QString password;
    if (!plantLinkReady(m_commandLine.mqtt, m_session.console, &password))
        return false;
    m_plant.emplace(m_commandLine.mqtt, password, m_session.inc.portName);
    return true;
}

void MonitorRun::logSample(const TrendLogWriter::Sample &sample)
{
    if (!m_log) {
        TrendLogWriter::Channels channels;
        channels.mv2 = hasSecondOutput();
        m_log.emplace(csvPath(sample.at), channels, m_commandLine.appendCsv);
    }
    const TrendLogWriter::Result result = m_log->write(sample);
    if (result == TrendLogWriter::Result::Written)
        return;
    if (result == TrendLogWriter::Result::PermissionDenied)
        m_session.op.showMessage({555}, MessageIcon::None);
    m_session.console.errorLine(
        QStringLiteral("znctl: cannot write %1").arg(m_log->fault().text()));
    m_exitCode = FileError;
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
            "znctl: --csv and --events log one instrument; name one with --station"));
        return UsageError;
    }
    LineMonitor monitor(line, commandLine);
    // The plant link: one publisher for the line's port, made at the first reading, when the port
    // is known.
    std::optional<PlantPublisher> plant;
    QString password;
    if (commandLine.mqtt.enabled()) {
        if (!plantLinkReady(commandLine.mqtt, line.console, &password))
            return FileError;
        monitor.setRotationDone([&](const StationReading &reading) {
            if (!plant)
                plant.emplace(commandLine.mqtt, password, reading.port);
            const int station = reading.instrument.toInt();
            plant->setOnline(station, true);
            plant->publishRotation(station, reading.values, reading.status);
        });
        monitor.setRotationFailed([&plant](const StationReading &reading) {
            if (plant)
                plant->setOnline(reading.instrument.toInt(), false);
        });
    }
    const int code = monitor.exec();
    if (plant && plant->close() > 0 && code == Success)
        return MqttLost;
    return code;
}
