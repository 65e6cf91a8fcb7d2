#include "CliSession.h"

#include "CommandLine.h"
#include "base/ProgramFolder.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"

CliSession::CliSession(const CommandLine &commandLine)
    : settings(commandLine.settingsDir),
      link([this] { return std::make_unique<SerialZN8PCom>(portNames()); }),
      op(console, commandLine.assumeYes, commandLine.waitSeconds),
      journal(commandLine.journalDir.isEmpty() ? ProgramFolder::journal() : commandLine.journalDir,
              WriteJournal::Source::Znctl, op)
{
    store().selectKeyAndLoad(inc);
    inc.savedProtocolIndex = inc.protocolIndex;
    if (commandLine.overrides.any()) {
        commandLine.overrides.applyTo(inc);
        store().storeCommConditions(inc);
    }
    RegisterMap::fillRegisterTable(inc);
    RegisterMap::fillVendorItemTable(inc);
}

PortNames CliSession::portNames()
{
    return PortNames(store().portMap(inc));
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
    const ZN8PCom *com = link.com();
    const QString port = com ? com->PortName() : inc.portName;
    const QString device = portNames().deviceFor(port);
    return {
        QStringLiteral("port: %1 (%2)")
            .arg(port, device.isEmpty() ? QStringLiteral("no device") : device),
        QStringLiteral("speed: %1").arg(com ? com->Speed() : inc.speedText),
        QStringLiteral("data bits, parity: %1, %2")
            .arg(com ? com->DataBits() : inc.dataBitsText, com ? com->Parity() : inc.parityText),
        QStringLiteral("stop bits: %1").arg(com ? com->StopBits() : inc.stopBitsText),
        QStringLiteral("instrument: %1").arg(inc.stationAddress),
        QStringLiteral("protocol: %1").arg(protocolName(inc.protocolIndex)),
    };
}
