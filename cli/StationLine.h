#pragma once

#include "comm/CommComponent.h"
#include "comm/TrafficLog.h"

#include <QMap>
#include <QStringList>

#include <memory>

class CliSession;
class Console;
class RunSettings;
struct CommandLine;
struct SessionState;

// Several instruments on one line, served in turn: one session per instrument, each with its own
// state, all over the one port, which stays open until the run ends. A session keeps the core
// as it serves a single controller; only the component it opens is shared.
class StationLine
{
public:
    StationLine(const CommandLine &commandLine, Console &console, RunSettings &settings);
    ~StationLine();
    StationLine(const StationLine &) = delete;
    StationLine &operator=(const StationLine &) = delete;

    // Whether the run serves its instruments this way: several are named, upload has --out-dir,
    // or diff and download were given a folder.
    static bool wanted(const CommandLine &commandLine);

    // The instruments named, or the stored one, as two digits.
    const QStringList &stations() const { return m_stations; }
    // The line's port: "COM1", or the device path given with --port.
    const QString &portName() const { return m_portName; }
    // The settings data file of an instrument in folder: "COMn-NN.znm" by port and number.
    QString filePath(const QString &folder, const QString &station) const;
    // A session for the instrument; the console names it on every line from here on.
    std::unique_ptr<CliSession> session(const QString &station);
    // The outcome of one instrument: a failure is named on standard error. The run ends with
    // exitCode(): 0 when every instrument succeeded, else the first failure's code.
    void record(const QString &station, int exitCode);
    int exitCode() const { return m_exitCode; }
    // Every exchange on the line, whichever instrument's session made it.
    TrafficLog &traffic() { return m_traffic; }
    // The state of the session serving instrument now; nullptr when none does.
    const SessionState *stateOf(const QString &instrument) const
    {
        return m_states.value(instrument);
    }

    Console &console;

private:
    const CommandLine &m_commandLine;
    RunSettings &m_settings;
    QStringList m_stations;
    QString m_portName;
    TrafficLog m_traffic;
    QMap<QString, const SessionState *> m_states; // of the sessions alive, by instrument
    std::unique_ptr<CommComponent> m_port;
    int m_exitCode = 0;
};
