#include "Cli.h"

#include "CliSession.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "StationLine.h"
#include "Subcommands.h"

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
    Console console;
    RunSettings settings(commandLine.settingsDir);
    if (!settings.isValid()) {
        console.errorLine(QStringLiteral("znctl: cannot copy the stored conditions"));
        return FileError;
    }
    const Subcommand &subcommand = *findSubcommand(commandLine.subcommand);
    if (StationLine::wanted(commandLine) && subcommand.runOnLine) {
        StationLine line(commandLine, console, settings);
        return subcommand.runOnLine(line, commandLine);
    }
    CliSession session(commandLine, console, settings);
    return session.finish(subcommand.run(session, commandLine));
}
