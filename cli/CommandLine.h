#pragma once

#include "LogRotation.h"
#include "MqttOptions.h"
#include "comm/CommComponent.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <limits>
#include <optional>

struct SessionState;

// How monitor gives its rows: the text row (for people), CSV or JSON lines.
enum class RowFormat { Text, Csv, Jsonl };

// Communication conditions given as options; each one given replaces the stored value for this
// run only.
struct ConditionOverrides {
    std::optional<QString> port;     // "COM1" ... "COM8", or a device path (see PortOption)
    std::optional<QString> speed;    // "9600", "19200", ...
    std::optional<QString> dataBits; // "7", "8"
    std::optional<QString> parity;   // "EVEN", "ODD", "NONE"
    std::optional<QString> stopBits; // "1", "2"
    std::optional<QString> station;  // "01" ... "95"
    std::optional<qint16> protocol;  // 0 Modbus ASCII, 1 Modbus RTU, 2 Ravtocol

    bool any() const;
    void applyTo(SessionState &shared) const;
};

// The parsed command line of one run.
struct CommandLine {
    QString subcommand;
    QStringList arguments; // after the subcommand
    ConditionOverrides overrides;
    QString settingsDir;
    bool assumeYes = false;
    bool json = false;
    bool noStore = false;
    // monitor: 0 runs until Ctrl-C. At most MaxSeconds, the longest a timer counts in
    // milliseconds (about 24.8 days).
    int seconds = 0;
    static constexpr int MaxSeconds = std::numeric_limits<int>::max() / 1000;
    QString csvPath;
    bool appendCsv = false;  // --append: an existing CSV log is continued
    bool replaceCsv = false; // --force: an existing CSV log is replaced
    // upload: the settings data file to write; monitor: the file (or folder) of plain rows
    QString outPath;
    QString reportPath; // upload: the settings report (PDF) to write
    QString outDir;     // upload: the folder for one settings data file per instrument
    // --station: the instruments named ("01" ... "95"), in the order given, without repeats;
    // empty: the stored one. With one, overrides.station holds it as well.
    QStringList stations;
    bool searchAll = false; // search --all: every instrument that answers on the port
    QString journalDir;     // write, download: the write journal's folder; empty: the program's
    // How long a wait for the controller's keys to be released (or for it to leave its vendor
    // frame) may last before it is given up.
    int waitSeconds = DefaultWaitSeconds;
    static constexpr int DefaultWaitSeconds = 30;
    QString eventsPath; // monitor --events: a file, or a folder for monthly files
    MqttOptions mqtt;   // monitor --mqtt and the options of its login
    // monitor --interval: the time from the start of one rotation to the next, on a grid of
    // that step (a slow rotation skips points, it never shifts the grid); 0: one rotation after
    // the other, as fast as the line allows.
    qint64 intervalMs = 0;
    static constexpr qint64 ShortestIntervalMs = 100;
    static constexpr qint64 LongestIntervalMs = 86400 * 1000;
    RowFormat format = RowFormat::Text; // monitor --format
    LogRotation rotation;               // monitor --rotate, of --csv and --out
    bool quiet = false;                 // monitor --quiet: no rows on standard output
    QString framesPath; // --frames: every exchange on the line as a CSV line (TrafficCsv)
    bool stats = false; // monitor --stats: the line's counters per instrument at the end
    // --timeout: the reply timeout, 300 ms unless given (see ScaledTimeoutCom).
    int replyTimeoutMs = CommComponent::DefaultReplyTimeoutMs;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). Returns false with a one-line reason on a
// usage error: an unknown subcommand or option, an option value out of range, an option that the
// subcommand does not take, or arguments the subcommand does not accept.
bool parseCommandLine(const QStringList &arguments, CommandLine &commandLine, QString *error);

// The text of --help: synopsis, subcommands, options and exit codes.
QString helpText();
