#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"

int runSearch(CliSession &session, const CommandLine &commandLine)
{
    session.linkCheck().setProgressCallback([&session](const LinkCheck::Probe &probe) {
        session.console.progress(QStringLiteral("%1  %2  %3  instrument %4")
                                     .arg(probe.port, probe.speed,
                                          CliSession::protocolName(probe.protocol), probe.station));
    });
    session.op.setInterruptHandler([&session] { session.linkCheck().cancelSearch(); });
    session.linkCheck().checkcommunicate2();
    session.console.endProgress();
    if (!session.inc.commActive)
        return Interrupt::requested() ? Cancelled : NoController;

    for (const QString &line : session.conditionLines())
        session.console.line(line);
    ZN8PCom *com = session.core.link.com();
    if (!commandLine.noStore) {
        session.settings.storedStore().storeConnectedConditions(session.inc, com->PortName(),
                                                                com->Speed(), com->DataBits(),
                                                                com->StopBits(), com->Parity());
    }
    com->ClosePort();
    return Success;
}
