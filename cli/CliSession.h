#pragma once

#include "Console.h"
#include "RunSettings.h"
#include "TerminalOperator.h"
#include "TerminalView.h"
#include "base/SessionState.h"
#include "comm/PortNames.h"
#include "transfer/CoreSession.h"

#include <functional>

struct CommandLine;

// The core session of one instrument in a run of the tool, over the terminal operator and view.
// The stored conditions are loaded at construction and the options of the command line put over
// them (in the run's private copy, where the link checks reload them from).
class CliSession
{
public:
    // station: the instrument served ("01" ... "95") instead of the stored one and --station;
    // comFactory: the component each link check makes, by default the serial port under the
    // stored port map, with the reply timeout of --timeout.
    CliSession(const CommandLine &commandLine, Console &console, RunSettings &settings,
               const QString &station = QString(), CommComponentFactory comFactory = {});
    ~CliSession();
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    SettingsStore &store() { return settings.scratchStore(); }

    // The link check with the conditions in force for this session's instrument. Sessions of
    // several instruments share the run's copy of the conditions, so the instrument goes there
    // first.
    bool checkLink();
    // Why checkLink found no controller, as the last line says it: message 451, or 1177 when the
    // line is a serial server that took the connection (its faults are named by the check).
    QString noControllerText();
    // The run's exit code after a subcommand ended with subcommandCode: a wait given up for the
    // controller's keys is why it ended as it did; a journal that could not be written is
    // reported (the writes themselves went through, so the code stays).
    int finish(int subcommandCode);

    // The devices of COM1 ... COM8 under the stored port map, and of the device path given with
    // --port.
    PortNames portNames();
    // "Modbus ASCII", "Modbus RTU", "Ravtocol" for protocol indexes 0 to 2.
    static QString protocolName(qint16 protocolIndex);
    // The conditions in force (those of the component after a check), one "name: value" line
    // each; the port with its device.
    QStringList conditionLines();

    Console &console;
    RunSettings &settings;
    TerminalOperator op;
    TerminalView view{console};
    // Its journal is the desktop program's (the program folder's "Journal"), unless --journal-dir
    // names another folder.
    CoreSession core;
    SessionState &shared = core.shared;

    LinkCheck &linkCheck() { return core.connection.linkCheck(); }

    // Runs when the session ends, so that who keeps its state lets go of it.
    void setEndReport(std::function<void()> report) { m_endReport = std::move(report); }

private:
    std::function<void()> m_endReport;
};
