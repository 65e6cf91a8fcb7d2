#pragma once

#include "Console.h"
#include "RunSettings.h"
#include "TerminalOperator.h"
#include "TerminalView.h"
#include "base/ZN8P_INC.h"
#include "comm/PortNames.h"
#include "transfer/CoreSession.h"

struct CommandLine;

// The core session of one run of the tool, over the terminal operator and view. The stored
// conditions are loaded at construction and the options of the command line put over them (in the
// run's private copy, where the link checks reload them from).
class CliSession
{
public:
    explicit CliSession(const CommandLine &commandLine);
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    // False when the run's copy of the stored conditions could not be made.
    bool isValid() const { return settings.isValid(); }
    SettingsStore &store() { return settings.scratchStore(); }

    // The devices of COM1 ... COM8 under the stored port map.
    PortNames portNames();
    // "Modbus ASCII", "Modbus RTU", "Ravtocol" for protocol indexes 0 to 2.
    static QString protocolName(qint16 protocolIndex);
    // The conditions in force (those of the component after a check), one "name: value" line
    // each; the port with its device.
    QStringList conditionLines();

    Console console;
    RunSettings settings;
    TerminalOperator op;
    TerminalView view{console};
    // Its journal is the desktop program's (the program folder's "Journal"), unless --journal-dir
    // names another folder.
    CoreSession core;
    ZN8P_INC &inc = core.inc;

    LinkCheck &linkCheck() { return core.connection.linkCheck(); }
};
