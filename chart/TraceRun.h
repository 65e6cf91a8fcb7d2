#pragma once

#include "chart/ChartModel.h"
#include "chart/TrendLogWriter.h"

#include <QDateTime>

#include <functional>
#include <optional>

class ChartSettingsFiles;
class OperatorInterface;
struct SessionContext;
struct SessionState;

// What a trace run changes on the chart control and the main window besides messages and the
// status bar. The chart widget implements it.
class TraceView
{
public:
    virtual ~TraceView() = default;

    virtual void clearCanvas() = 0;
    // Recomputes the scales from the scale labels and draws grid, axes and labels.
    virtual void applyScale() = 0;
    virtual void drawStrokes(const QList<ChartStroke> &strokes) = 0;
    // Running: the selection, time-base and scale controls and Start disabled, Stop enabled,
    // runStateLabel "Trace run"; standby the other way round with "Trace standby".
    virtual void showRunState(bool running) = 0;
    virtual void setSampleTimerActive(bool active) = 0;
    virtual void showLogFileName(const QString &path) = 0;
    // A notice that does not wait for the operator (the sample timer goes on behind it).
    virtual void showLogFault(const QString &text) = 0;
    // The main window's Trace menu item.
    virtual bool traceMenuChecked() const = 0;
    virtual void setTraceMenuChecked(bool checked) = 0;
};

// One pass of the chart across its canvas: Start, the sample tick (plot, then one line of the
// trend log) and Stop, and the end of plot at the right edge. Each run logs to a new file in the
// logging folder, named after its first sample. A line that cannot be written is lost and
// counted, and the run goes on; a sample taken while the link is down logs "----" for every
// value rather than the last ones read.
class TraceRun
{
public:
    using Clock = std::function<QDateTime()>;

    TraceRun(const SessionContext &context, ChartModel &model, ChartSettingsFiles &files,
             TraceView &view, QString programFolder);

    // The time a sample is taken (tests fix it).
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // runButton: message 159 while offline and 714 with no channel selected; otherwise the run
    // starts and takes its first sample at once.
    void start();
    // stopRun: the Trace menu check removed; a running trace ends, its settings filed.
    void stop();
    // Stop when running, else Start.
    void startRun();
    // m_sampleTimer: one sample, or the end of plot ("Plot end") once the right edge is reached. A
    // sample while the link is down is logged as "----" and not drawn.
    void tick();

    // Trend log lines of this run that could not be written.
    int lostLines() const { return m_lostLines; }

private:
    void endOfPlot();
    void showStandby();
    // The labels hold values of the rotation just read: online, no communication error, and the
    // last monitor read answered.
    bool isLive() const;
    void log();
    void logFailed(TrendLogWriter::Result result);

    SessionState &m_shared;
    ChartModel &m_model;
    ChartSettingsFiles &m_files;
    OperatorInterface &m_op;
    TraceView &m_view;
    QString m_programFolder;
    Clock m_clock;
    std::optional<TrendLogWriter> m_log;
    int m_lostLines = 0;
    // The fault notice is shown once until a line is written again.
    bool m_faultShown = false;
};
