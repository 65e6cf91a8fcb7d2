#include "StationLine.h"

#include "CliSession.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "PortOption.h"
#include "ScaledTimeoutCom.h"
#include "comm/SharedLineCom.h"

#include <QDir>
#include <QFileInfo>

StationLine::StationLine(const CommandLine &commandLine, Console &console, RunSettings &settings)
    : console(console), m_commandLine(commandLine), m_settings(settings)
{
    SessionState shared;
    m_settings.scratchStore().selectKeyAndLoad(shared);
    commandLine.overrides.applyTo(shared);
    m_stations =
        commandLine.stations.isEmpty() ? QStringList{shared.stationAddress} : commandLine.stations;
    m_portName = shared.portName;
    auto port = std::make_unique<ScaledTimeoutCom>(
        PortOption::portNames(m_settings.scratchStore().portMap(shared), m_portName),
        commandLine.replyTimeoutMs);
    port->setNetworkAllowance(m_settings.scratchStore().networkAllowanceMs(shared));
    port->setTrafficLog(&m_traffic);
    m_port = std::move(port);
}

StationLine::~StationLine()
{
    console.setInstrument(QString());
    m_port->closePort();
}

bool StationLine::wanted(const CommandLine &commandLine)
{
    const bool folderGiven = (commandLine.subcommand == QLatin1String("diff") ||
                              commandLine.subcommand == QLatin1String("download")) &&
                             QFileInfo(commandLine.arguments.value(0)).isDir();
    return commandLine.stations.size() > 1 || !commandLine.outDir.isEmpty() || folderGiven;
}

QString StationLine::filePath(const QString &folder, const QString &station) const
{
    // A device path or a server URL names the file by its label, as the monitor rows do.
    return QDir(folder).filePath(
        QStringLiteral("%1-%2.znm").arg(PortOption::label(m_portName), station));
}

std::unique_ptr<CliSession> StationLine::session(const QString &station)
{
    console.setInstrument(station);
    auto session =
        std::make_unique<CliSession>(m_commandLine, console, m_settings, station,
                                     [this] { return std::make_unique<SharedLineCom>(*m_port); });
    m_states.insert(station, &session->shared);
    session->setEndReport([this, station] { m_states.remove(station); });
    return session;
}

void StationLine::record(const QString &station, int exitCode)
{
    if (exitCode == Success)
        return;
    console.setInstrument(QString());
    console.errorLine(
        QStringLiteral("znctl: instrument %1 ended with exit code %2").arg(station).arg(exitCode));
    if (m_exitCode == Success)
        m_exitCode = exitCode;
}
