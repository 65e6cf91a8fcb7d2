#pragma once

#include "MonitorRecord.h"
#include "RotationGrid.h"
#include "polling/StationRotation.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CliSession;
class RotationSample;
class StationLine;
struct CommandLine;

// One rotation of one instrument (see RotationSample); empty for a rotation that failed.
struct StationReading {
    QString port;       // "COM1" ... "COM8", or a device path
    QString instrument; // "01" ... "95"
    MonitorRecord record;
    QString text; // the console's row
};

// Monitoring of several instruments on one line: each one's rotation of monitor reads in turn on
// the one open port, one row per instrument and rotation, until the time is up or Ctrl-C. An
// instrument that does not answer is named once and then tried again only now and then (see
// StationRotation), so that the others keep their pace.
class LineMonitor
{
public:
    using RotationDone = std::function<void(const StationReading &reading)>;

    LineMonitor(StationLine &line, const CommandLine &commandLine);
    ~LineMonitor();

    // Called with each instrument's rotation, which it prints.
    void setRotationDone(RotationDone rotationDone) { m_rotationDone = std::move(rotationDone); }
    // Called when an instrument's rotation got no reply (reading has its port and number only).
    void setRotationFailed(RotationDone rotationFailed)
    {
        m_rotationFailed = std::move(rotationFailed);
    }

    // 0 when every instrument answered at the end; else NoController, each silent one named.
    int exec();

private:
    struct Station {
        std::unique_ptr<CliSession> session;
        bool connected = false; // its model and number format have been read
    };

    // One turn of instrument index when it is due: false when it gave no reply.
    bool poll(Station &station);
    bool connect(Station &station);
    // The rotation's reads; false at the first that got no reply.
    bool rotate(Station &station, RotationSample &rotation);
    // Waits for the next point of the --interval grid; false when the run ends meanwhile.
    bool waitForGrid(qint64 endMs);

    StationLine &m_line;
    const CommandLine &m_commandLine;
    std::vector<Station> m_stations;
    StationRotation m_rotation;
    RotationGrid m_grid;
    QElapsedTimer m_clock;
    RotationDone m_rotationDone;
    RotationDone m_rotationFailed;
};
