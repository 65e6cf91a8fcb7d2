// upload, diff and download for several instruments on one line: each instrument in turn, with
// the subcommand of one instrument and its own settings data file.

#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "StationLine.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/SettingsFileMessage.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace
{

// Runs the one-instrument subcommand for each instrument, with the command line that fileFor
// adapts to it.
int eachInstrument(StationLine &line, const CommandLine &commandLine,
                   int (*run)(CliSession &, const CommandLine &),
                   const std::function<void(CommandLine &, const QString &file)> &fileFor,
                   const QString &folder)
{
    for (const QString &station : line.stations()) {
        if (Interrupt::requested()) {
            line.record(station, Cancelled);
            break;
        }
        CommandLine own = commandLine;
        if (!folder.isEmpty())
            fileFor(own, line.filePath(folder, station));
        const std::unique_ptr<CliSession> session = line.session(station);
        line.record(station, session->finish(run(*session, own)));
    }
    return line.exitCode();
}

void asArgument(CommandLine &commandLine, const QString &file)
{
    commandLine.arguments = QStringList{file};
}

// The folder argument of diff and download, or empty after naming what is wrong with it.
QString folderArgument(StationLine &line, const CommandLine &commandLine)
{
    const QString folder = commandLine.arguments.first();
    if (!QFileInfo(folder).isDir())
        line.console.errorLine(
            QStringLiteral("znctl: %1 is no folder; several instruments take the folder of "
                           "their settings data files")
                .arg(folder));
    return QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace

int runUploadOnLine(StationLine &line, const CommandLine &commandLine)
{
    if (!commandLine.outDir.isEmpty() && !QDir().mkpath(commandLine.outDir)) {
        line.console.errorLine(QStringLiteral("znctl: cannot make %1").arg(commandLine.outDir));
        return FileError;
    }
    return eachInstrument(
        line, commandLine, runUpload,
        [](CommandLine &own, const QString &file) { own.outPath = file; }, commandLine.outDir);
}

int runDiffOnLine(StationLine &line, const CommandLine &commandLine)
{
    const QString folder = folderArgument(line, commandLine);
    if (folder.isEmpty())
        return UsageError;
    return eachInstrument(line, commandLine, runDiff, asArgument, folder);
}

int runDownloadOnLine(StationLine &line, const CommandLine &commandLine)
{
    const QString folder = folderArgument(line, commandLine);
    if (folder.isEmpty())
        return UsageError;
    // Every instrument's file is checked before the first is sent: a line left half downloaded
    // is worse than one left as it was.
    bool allGood = true;
    for (const QString &station : line.stations()) {
        const QString path = line.filePath(folder, station);
        const SettingsDataFile::ReadResult file = SettingsDataFile::read(path);
        if (!file.ok()) {
            line.console.errorLine(
                QStringLiteral("znctl: %1: %2").arg(path, SettingsFileMessage::text(file)));
            allGood = false;
        }
    }
    if (!allGood) {
        line.console.errorLine(QStringLiteral("znctl: nothing was sent to any instrument"));
        return FileError;
    }
    return eachInstrument(line, commandLine, runDownload, asArgument, folder);
}
