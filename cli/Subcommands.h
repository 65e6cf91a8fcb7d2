#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CliSession;
class StationLine;
struct CommandLine;

// One subcommand of znctl: how --help shows it, which options of its own it takes besides the
// common ones, how many arguments, and the functions that run it (returning an ExitCode).
struct Subcommand {
    QString name;
    QString synopsis; // arguments and own options, for --help
    QString summary;
    QStringList options; // long option names
    int minArguments = 0;
    int maxArguments = 0; // -1: any number
    int (*run)(CliSession &session, const CommandLine &commandLine) = nullptr;
    // The same for several instruments on one line; nullptr: the subcommand takes one.
    int (*runOnLine)(StationLine &line, const CommandLine &commandLine) = nullptr;
};

// The subcommands in the order of --help.
const QList<Subcommand> &subcommands();
// nullptr for an unknown name.
const Subcommand *findSubcommand(const QString &name);
