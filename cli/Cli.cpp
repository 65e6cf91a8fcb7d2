#include "Cli.h"

#include "CliSession.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "Subcommands.h"
#include "base/MessageTable.h"

#include <QTextStream>

#include <cstdio>

int runCli(const QStringList &arguments)
{
    CommandLine commandLine;
    QString error;
    if (!parseCommandLine(arguments, commandLine, &error)) {
        QTextStream(stderr) << "znctl: " << error << "\nTry 'znctl --help'.\n";
        return UsageError;
    }
    if (commandLine.help) {
        QTextStream(stdout) << helpText();
        return Success;
    }
    if (commandLine.version) {
        QTextStream(stdout) << "znctl " << ZN_VERSION << '\n';
        return Success;
    }
    CliSession session(commandLine);
    if (!session.isValid()) {
        session.console.errorLine(QStringLiteral("znctl: cannot copy the stored conditions"));
        return FileError;
    }
    const int exitCode = findSubcommand(commandLine.subcommand)->run(session, commandLine);
    // The writes themselves went through; only their trail is missing, which the exit code of
    // the write does not change.
    if (session.core.journal.failed())
        session.console.errorLine(
            QStringLiteral("znctl: %1 (%2)").arg(msg(914), session.core.journal.folder()));
    // A wait given up for the controller's keys is why the subcommand ended as it did.
    switch (session.op.waitEnd()) {
    case TerminalOperator::WaitEnd::TimedOut:
        return Busy;
    case TerminalOperator::WaitEnd::Interrupted:
        return Cancelled;
    case TerminalOperator::WaitEnd::None:
        break;
    }
    return exitCode;
}
