#pragma once

#include "chart/TrendLog.h"

#include <QPointF>

#include <vector>

// The part of a log's time span that the viewer shows, moved by the operator's zoom and pan and
// always kept inside the run. Times are TrendLog's sample times in milliseconds.
class TrendRange
{
public:
    // The narrowest view: a few samples at the shortest recording cycle.
    static constexpr qint64 MinWidth = 10'000;

    // The run's first and last sample. A view that showed the whole run follows it as it grows;
    // any other view stays where it is (moved inside the run when the run became shorter).
    void setRun(qint64 first, qint64 last);
    void showWholeRun();
    bool showsWholeRun() const { return m_whole; }
    // factor < 1 zooms in, > 1 out, around the time anchor, which stays where it is on the screen.
    void zoom(double factor, qint64 anchor);
    // Shows from a to b (either order), at least MinWidth wide.
    void zoomTo(qint64 a, qint64 b);
    void pan(qint64 delta);

    qint64 start() const { return m_start; }
    qint64 end() const { return m_end; }
    qint64 width() const { return m_end - m_start; }

private:
    void place(qint64 start, qint64 width);
    qint64 runWidth() const { return std::max(m_last - m_first, MinWidth); }

    qint64 m_first = 0;
    qint64 m_last = 0;
    qint64 m_start = 0;
    qint64 m_end = MinWidth;
    bool m_whole = true;
};

namespace TrendView
{
// The polylines that draw one channel over the view in `columns` pixel columns: x is the column
// position (0 at the view's start, columns at its end), y the value. A gap ends a polyline. Where
// several samples share a column only their first, lowest, highest and last value are kept, so
// the result never holds more than four points per column however many samples the view holds;
// one sample before and one after the view are included so that lines run on to the edges.
std::vector<std::vector<QPointF>> strokes(const TrendLog &log, int channel, const TrendRange &range,
                                          int columns);

// A value axis over [low, high] with about `ticks` divisions at round steps (1, 2 or 5 times a
// power of ten). An empty range (low == high) is widened around the value.
struct Axis {
    double low = 0;
    double high = 1;
    double step = 1;
};
Axis niceAxis(double low, double high, int ticks);

// The lowest and highest value of the channels given (percent channels or the others) over the
// whole log, ignoring gaps; false when none holds a value.
bool valueSpan(const TrendLog &log, bool percent, double &low, double &high);

// The step between time ticks in milliseconds (a round number of seconds, minutes or hours) for
// a view `width` ms wide with room for about `ticks` labels.
qint64 timeStep(qint64 width, int ticks);
} // namespace TrendView
