#pragma once

#include "chart/ChartModel.h"
#include "chart/TrendLogWriter.h"

#include <QDateTime>

#include <functional>
#include <optional>

class ChartSettingsFiles;
class OperatorInterface;
struct ZN8P_INC;

// What a trace run changes on the chart control and the main window besides messages and the
// status bar. The chart widget implements it.
class TraceView
{
public:
    virtual ~TraceView() = default;

    virtual void clearCanvas() = 0;
    // Recomputes the scales from the scale labels and draws grid, axes and labels.
    virtual void ScaleSet() = 0;
    virtual void drawStrokes(const QList<ChartStroke> &strokes) = 0;
    // Running: the selection, time-base and scale controls and Start disabled, Stop enabled,
    // lblMsg "Trace run"; standby the other way round with "Trace standby".
    virtual void showRunState(bool running) = 0;
    virtual void setSampleTimerActive(bool active) = 0;
    virtual void showLogFileName(const QString &path) = 0;
    // The main window's Trace menu item.
    virtual bool traceMenuChecked() const = 0;
    virtual void setTraceMenuChecked(bool checked) = 0;
};

// One pass of the chart across its canvas: Start, the sample tick (plot, then one line of the
// trend log) and Stop, and the end of plot at the right edge. Each run logs to a new file in the
// logging folder, named after its first sample.
class TraceRun
{
public:
    using Clock = std::function<QDateTime()>;

    TraceRun(ZN8P_INC &inc, ChartModel &model, ChartSettingsFiles &files, OperatorInterface &op,
             TraceView &view, QString programFolder);

    // The time a sample is taken (tests fix it).
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // cmdRUN: message 159 while offline and 714 with no channel selected; otherwise the run
    // starts and takes its first sample at once.
    void start();
    // cmdStop_Click: the Trace menu check removed; a running trace ends, its settings filed.
    void stop();
    // Stop when running, else Start.
    void auto_run();
    // timChart: one sample, or the end of plot ("Plot end") once the right edge is reached.
    void tick();

private:
    void endOfPlot();
    void showStandby();
    void log();

    ZN8P_INC &m_inc;
    ChartModel &m_model;
    ChartSettingsFiles &m_files;
    OperatorInterface &m_op;
    TraceView &m_view;
    QString m_programFolder;
    Clock m_clock;
    std::optional<TrendLogWriter> m_log;
    // A message box shown by one tick lets the next ticks through its event loop; they are
    // skipped rather than stacking boxes.
    bool m_inTick = false;
};
