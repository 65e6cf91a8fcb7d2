#pragma once

class CliSession;
struct CommandLine;

// The subcommand bodies; each returns an ExitCode.
int runPorts(CliSession &session, const CommandLine &commandLine);
int runProbe(CliSession &session, const CommandLine &commandLine);
int runSearch(CliSession &session, const CommandLine &commandLine);
int runRead(CliSession &session, const CommandLine &commandLine);
int runMonitor(CliSession &session, const CommandLine &commandLine);
int runWrite(CliSession &session, const CommandLine &commandLine);
int runUpload(CliSession &session, const CommandLine &commandLine);
int runDownload(CliSession &session, const CommandLine &commandLine);
int runDiff(CliSession &session, const CommandLine &commandLine);

class StationLine;

// The same for several instruments on one line, in turn.
int runReadOnLine(StationLine &line, const CommandLine &commandLine);
int runMonitorOnLine(StationLine &line, const CommandLine &commandLine);
int runUploadOnLine(StationLine &line, const CommandLine &commandLine);
int runDownloadOnLine(StationLine &line, const CommandLine &commandLine);
int runDiffOnLine(StationLine &line, const CommandLine &commandLine);
