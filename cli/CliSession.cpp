#include "CliSession.h"

#include "CommandLine.h"
#include "ExitCode.h"
#include "PortOption.h"
#include "ScaledTimeoutCom.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "comm/NetworkAddress.h"
#include "comm/RegisterMap.h"
#include "comm/Reply.h"

CliSession::CliSession(const CommandLine &commandLine, Console &console, RunSettings &settings,
                       const QString &station, CommComponentFactory comFactory)
    : console(console), settings(settings),
      op(console, commandLine.assumeYes, commandLine.waitSeconds),
      core({op, view, store(),
            commandLine.journalDir.isEmpty() ? ProgramFolder::journal() : commandLine.journalDir,
            WriteJournal::Source::Znctl},
           SessionState(),
           comFactory ? std::move(comFactory)
                      : CommComponentFactory([this, timeout = commandLine.replyTimeoutMs] {
                            auto com = std::make_unique<ScaledTimeoutCom>(portNames(), timeout);
                            com->setNetworkAllowance(store().networkAllowanceMs(shared));
                            return com;
                        }))
{
    store().selectKeyAndLoad(shared);
    shared.savedProtocolIndex = shared.protocolIndex;
    if (commandLine.overrides.any() || !station.isEmpty()) {
        commandLine.overrides.applyTo(shared);
        shared.stationAddress = station.isEmpty() ? shared.stationAddress : station;
        store().storeCommConditions(shared);
    }
    RegisterMap::fillRegisterTable(shared);
    RegisterMap::fillVendorItemTable(shared);
    op.setSubject([this] {
        return QStringLiteral("%1 instrument %2").arg(shared.portName, shared.stationAddress);
    });
    view.setNaming([this](const QString &text) { return op.named(text); });
}

CliSession::~CliSession()
{
    if (m_endReport)
        m_endReport();
}

bool CliSession::checkLink()
{
    store().writeStation(shared);
    return linkCheck().checkStoredConditions();
}

int CliSession::finish(int subcommandCode)
{
    if (core.journal.failed())
        console.errorLine(
            QStringLiteral("znctl: %1 %2").arg(msg(914), core.journal.lastFault().text()));
    switch (op.waitEnd()) {
    case TerminalOperator::WaitEnd::TimedOut:
        return Busy;
    case TerminalOperator::WaitEnd::Interrupted:
        return Cancelled;
    case TerminalOperator::WaitEnd::None:
        break;
    }
    return subcommandCode;
}

PortNames CliSession::portNames()
{
    return PortOption::portNames(store().portMap(shared), shared.portName);
}

QString CliSession::protocolName(qint16 protocolIndex)
{
    switch (protocolIndex) {
    case ModbusAscii:
        return QStringLiteral("Modbus ASCII");
    case ModbusRtu:
        return QStringLiteral("Modbus RTU");
    case Ravtocol:
        return QStringLiteral("Ravtocol");
    default:
        return QString::number(protocolIndex);
    }
}

QStringList CliSession::conditionLines()
{
    // After a check the component holds the line conditions it was opened with; a search leaves
    // the ones it found there and nowhere else.
    const CommComponent *com = core.link.com();
    const QString port = com ? com->portName() : shared.portName;
    const QString device = portNames().deviceFor(port);
    return {
        QStringLiteral("port: %1 (%2)")
            .arg(port, device.isEmpty() ? QStringLiteral("no device") : device),
        QStringLiteral("speed: %1").arg(com ? com->speed() : shared.speedText),
        QStringLiteral("data bits, parity: %1, %2")
            .arg(com ? com->dataBits() : shared.dataBitsText,
                 com ? com->parity() : shared.parityText),
        QStringLiteral("stop bits: %1").arg(com ? com->stopBits() : shared.stopBitsText),
        QStringLiteral("instrument: %1").arg(shared.stationAddress),
        QStringLiteral("protocol: %1").arg(protocolName(shared.protocolIndex)),
    };
}

QString CliSession::noControllerText()
{
    const CommComponent *com = core.link.com();
    const std::optional<NetworkAddress> address =
        NetworkAddress::parse(portNames().deviceFor(shared.portName));
    if (!address || !com || com->lastOpenFault().fault != PortFault::None) {
        return ReplyVerdicts::commErrorLine(linkCheck().lastProbe());
    }
    return msg(1177).arg(shared.portName, address->hostAndPort());
}
