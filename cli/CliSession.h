#pragma once

#include "Console.h"
#include "RunSettings.h"
#include "TerminalOperator.h"
#include "TerminalView.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/PortNames.h"
#include "comm/RequestLayer.h"
#include "polling/ConnectionController.h"
#include "polling/VendorFrameReads.h"
#include "transfer/WriteJournal.h"

struct CommandLine;

// The core wired for one run of the tool, as the main window wires it for the desktop: shared
// state, the component over the serial port, the request layer, the connection controls (link
// checks, online switch), the terminal operator and view. The stored conditions are loaded at
// construction and the options of the command line put over them (in the run's private copy,
// where the link checks reload them from).
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

    ZN8P_INC inc;
    Console console;
    RunSettings settings;
    ComLink link;
    RequestLayer request{inc, link};
    TerminalOperator op;
    // The desktop program's journal (the program folder's "Journal"), unless --journal-dir names
    // another folder.
    WriteJournal journal;
    TerminalView view{console};
    VendorFrameReads vendorReads{inc, request, link, op, view};
    ConnectionController connection{inc, link, request, store(), op, view, vendorReads};

    LinkCheck &linkCheck() { return connection.linkCheck(); }
};
