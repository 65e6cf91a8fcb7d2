#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CliSession;
struct CommandLine;

// One subcommand of znctl: how --help shows it, which options of its own it takes besides the
// common ones, how many arguments, and the function that runs it (returning an ExitCode).
struct Subcommand {
    QString name;
    QString synopsis; // arguments and own options, for --help
    QString summary;
    QStringList options; // long option names
    int minArguments = 0;
    int maxArguments = 0; // -1: any number
    int (*run)(CliSession &session, const CommandLine &commandLine) = nullptr;
};

// The subcommands in the order of --help.
const QList<Subcommand> &subcommands();
// nullptr for an unknown name.
const Subcommand *findSubcommand(const QString &name);
