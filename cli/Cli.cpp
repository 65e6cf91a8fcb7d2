#include "Cli.h"

#include "CliSession.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "StationLine.h"
#include "Subcommands.h"
#include "TrafficOutput.h"
#include "base/SessionState.h"
#include "comm/InstrumentNumber.h"

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
    // ports and search neither use the stored instrument nor need stored conditions; the others
    // must not address anything in their place.
    const bool findsItsOwn = commandLine.subcommand == QLatin1String("search") ||
                             commandLine.subcommand == QLatin1String("ports");
    if (!commandLine.settingsDir.isEmpty()) {
        const QString problem =
            RunSettings::settingsDirProblem(commandLine.settingsDir, findsItsOwn);
        if (!problem.isEmpty()) {
            console.errorLine(QStringLiteral("znctl: ") + problem);
            return UsageError;
        }
    }
    RunSettings settings(commandLine.settingsDir);
    if (!settings.isValid()) {
        console.errorLine(QStringLiteral("znctl: cannot copy the stored conditions"));
        return FileError;
    }
    if (!findsItsOwn && commandLine.stations.isEmpty()) {
        SessionState stored;
        settings.scratchStore().selectKeyAndLoad(stored);
        if (!InstrumentNumber::parse(stored.stationAddress)) {
            console.errorLine(QStringLiteral("znctl: the stored instrument number: %1; give "
                                             "--station N or store one with 'znctl search'")
                                  .arg(InstrumentNumber::problem(stored.stationAddress)));
            return UsageError;
        }
    }
    const Subcommand &subcommand = *findSubcommand(commandLine.subcommand);
    TrafficOutput traffic(commandLine, console);
    if (StationLine::wanted(commandLine) && subcommand.runOnLine) {
        StationLine line(commandLine, console, settings);
        if (!traffic.start(line.traffic(),
                           [&line](const QString &instrument) { return line.stateOf(instrument); }))
            return FileError;
        return traffic.finish(subcommand.runOnLine(line, commandLine));
    }
    CliSession session(commandLine, console, settings);
    if (!traffic.start(session.core.traffic,
                       [&session](const QString &) { return &session.shared; }))
        return FileError;
    return traffic.finish(session.finish(subcommand.run(session, commandLine)));
}
