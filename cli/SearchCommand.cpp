#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "comm/ControllerCodes.h"
#include "comm/InstrumentNumber.h"
#include "comm/ReplyCheck.h"

namespace
{

// The registerTable entry the search probes with.
constexpr int ProbeCode = Code::MainSetValue;

// The instruments after the one found that answer on the same port, speed and protocol, each
// probed once, until Ctrl-C.
QStringList othersAnswering(CliSession &session)
{
    QStringList answering;
    const QString found = session.shared.stationAddress;
    session.core.link.setSearchProbes(true);
    for (int number = found.toInt() + 1; number <= LinkCheck::MaxInstrument; ++number) {
        if (Interrupt::requested())
            break;
        session.shared.stationAddress = InstrumentNumber::text(number);
        session.console.progress(
            QStringLiteral("instrument %1").arg(session.shared.stationAddress));
        const Reply reply = session.core.request.read(session.shared.registerTable.at(ProbeCode));
        if (ReplyCheck::isGoodRead(reply.text, session.shared.protocolIndex))
            answering << session.shared.stationAddress;
    }
    session.core.link.setSearchProbes(false);
    session.console.endProgress();
    session.shared.stationAddress = found;
    return answering;
}

} // namespace

int runSearch(CliSession &session, const CommandLine &commandLine)
{
    session.linkCheck().setProgressCallback([&session](const LinkCheck::Probe &probe) {
        session.console.progress(QStringLiteral("%1  %2  %3  instrument %4")
                                     .arg(probe.port, probe.speed,
                                          CliSession::protocolName(probe.protocol), probe.station));
    });
    session.op.setInterruptHandler([&session] { session.linkCheck().cancelSearch(); });
    session.linkCheck().searchForController();
    session.console.endProgress();
    if (!session.shared.commActive)
        return Interrupt::requested() ? Cancelled : NoController;

    for (const QString &line : session.conditionLines())
        session.console.line(line);
    if (commandLine.searchAll) {
        for (const QString &station : othersAnswering(session))
            session.console.line(QStringLiteral("instrument: %1").arg(station));
    }
    CommComponent *com = session.core.link.com();
    if (!commandLine.noStore) {
        session.settings.storedStore().storeConnectedConditions(session.shared, com->portName(),
                                                                com->speed(), com->dataBits(),
                                                                com->stopBits(), com->parity());
    }
    com->closePort();
    return Success;
}
