#pragma once

#include "base/FileFault.h"
#include "chart/ChartChannels.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>

struct ChartState;

// The eleven records of one chart settings file. Records 1 to 5 are 32-bit, 6 to 11 16-bit, each
// record 4 bytes, little-endian, no header.
struct ChartRecords {
    qint32 colour = 0;     // 1: this file's channel, 0x00BBGGRR
    qint32 longScale = 1;  // 2: 1 long time base, 0 short
    qint32 cycle = 5;      // 3: recording cycle in seconds
    qint32 high = 400;     // 4: Y scale high
    qint32 low = 0;        // 5: Y scale low
    qint16 flag = 1;       // 6: this file's channel selected
    qint16 running = 0;    // 7: a trace ran when the file was written
    qint16 reserved8 = 0;  // 8 to 10: carried unchanged
    qint16 reserved9 = 0;  //
    qint16 reserved10 = 1; //
    qint16 divisions = 4;  // 11: Y divisions

    static ChartRecords defaults(int channel);
    // The 44-byte file; the unused halves of the 16-bit records are zero.
    QByteArray toBytes() const;
    // A 42- or 44-byte file (longer ones are read to byte 44); nothing for a shorter one.
    static std::optional<ChartRecords> fromBytes(const QByteArray &bytes);
    // Copies the records named (1 to 11) from other.
    void take(const ChartRecords &other, std::initializer_list<int> records);
    // Puts back the default of every scale the scale dialog would not accept (a cycle outside
    // 1 to 60 s, Y high or low outside -2000 to 10000 or high not above low, divisions outside
    // 2 to 10). True when something was replaced.
    bool repair();
};

// ZN8P1.DAT to ZN8P7.DAT in one folder, one per chart channel: the colour and selection flag of
// their own channel and, in every file, the settings that the chart shares. Each write replaces
// the file whole and atomically; a file that cannot be written keeps its previous contents and is
// reported. A path that is not a regular file (a FIFO, a device) is neither read nor written.
class ChartSettingsFiles
{
public:
    using Flags = std::array<qint16, ChartChannels::Count>;
    // Told the file that could not be written, and why.
    using Unsaved = std::function<void(const FileFault &fault)>;

    explicit ChartSettingsFiles(QString folder);

    void setUnsavedReport(Unsaved report) { m_unsaved = std::move(report); }

    QString filePath(int channel) const;

    // Start-up: reads the seven files in order into the shared chart state (each file's shared
    // values replace the earlier ones, so file 7 has the last word). A missing or short file is
    // created with its channel's defaults, which also reset the shared values read so far; so is
    // one that is not a regular file, which is left as it is. A file holding a scale the scale
    // dialog would not accept has it replaced by its default and is written again.
    // Returns the channels' selection flags as read.
    Flags load(ChartState &chart);
    // Record 6 of every file (a missing file reads as not selected).
    Flags readFlags() const;

    // The writes of the chart and the scale dialog.
    void colourChosen(const ChartState &chart, int channel);
    void selectionCompleted(const ChartState &chart, const Flags &flags);
    void timeBaseChanged(const ChartState &chart) { writeShared(chart, {2}); }
    void cycleChanged(const ChartState &chart) { writeShared(chart, {3}); }
    void highChanged(const ChartState &chart) { writeShared(chart, {4}); }
    void lowChanged(const ChartState &chart) { writeShared(chart, {5}); }
    void divisionsChanged(const ChartState &chart) { writeShared(chart, {11}); }
    // File 1 whole with the running mark; files 2 to 7 only the running mark.
    void traceStarted(const ChartState &chart, const Flags &flags);
    // Every file whole, with each channel's own colour and flag and the running mark cleared.
    void traceStopped(const ChartState &chart, const Flags &flags);
    // The time base, the cycle and the running mark cleared in every file.
    void plotEnded(const ChartState &chart);

private:
    ChartRecords current(const ChartState &chart, int channel, qint16 flag, qint16 running) const;
    void writeShared(const ChartState &chart, std::initializer_list<int> records);
    // Replaces the named records of one file, keeping the others (a missing file starts from its
    // channel's defaults). False when the file could not be written.
    bool write(int channel, const ChartRecords &values, std::initializer_list<int> records);
    std::optional<ChartRecords> read(int channel) const;

    QString m_folder;
    Unsaved m_unsaved;
    // Records 8 to 10 as last read: written back as they came.
    ChartRecords m_reserved;
};
