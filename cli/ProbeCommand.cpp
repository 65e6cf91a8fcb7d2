#include "CliSession.h"
#include "Commands.h"
#include "ExitCode.h"

int runProbe(CliSession &session, const CommandLine &)
{
    const bool answered = session.linkCheck().checkStoredConditions();
    for (const QString &line : session.conditionLines())
        session.console.line(line);
    session.console.line(QStringLiteral("result: ") +
                         (answered ? QStringLiteral("OK") : QStringLiteral("NG")));
    if (CommComponent *com = session.core.link.com())
        com->closePort();
    return answered ? Success : NoController;
}
