#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"

int runPorts(CliSession &session, const CommandLine &)
{
    const PortNames names = session.portNames();
    for (const QString &name : PortNames::comNames()) {
        const QString device = names.deviceFor(name);
        session.console.line(name + QLatin1Char('\t') +
                             (device.isEmpty() ? QStringLiteral("-") : device));
    }
    return Success;
}
