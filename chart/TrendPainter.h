#pragma once

#include "chart/TrendLog.h"
#include "chart/TrendView.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <vector>

class QFontMetrics;
class QPainter;

// Draws a trend log's view: an optional header line, the legend, the traces with temperature on
// the left axis and MV in % on the right axis, the clock-time axis and an optional cursor. The
// same drawing serves the window, the PNG and the PDF, so what is exported is what is seen.
class TrendPainter
{
public:
    // colours: one per channel of the log, in the log's order.
    TrendPainter(const TrendLog &log, const TrendRange &range, std::vector<QColor> colours);

    // The value axes, fitted to the whole log (so a zoom or a growing file does not make the
    // traces jump), temperature and percent apart.
    void fitAxes();

    // Where the traces go inside a picture of rect, with or without the header line; the time
    // axis lies below it.
    QRect plotArea(const QRect &rect, const QFontMetrics &metrics, bool withHeader) const;
    double xOf(qint64 time, const QRect &plot) const;
    qint64 timeAt(double x, const QRect &plot) const;

    // cursor: the sample under the cursor, -1 for none.
    void paint(QPainter &painter, const QRect &rect, const QString &header, qsizetype cursor) const;

private:
    void paintAxes(QPainter &painter, const QRect &plot) const;
    void paintTraces(QPainter &painter, const QRect &plot) const;
    void paintLegend(QPainter &painter, const QRect &rect, int top) const;
    void paintCursor(QPainter &painter, const QRect &plot, qsizetype sample) const;
    double yOf(double value, bool percent, const QRect &plot) const;
    bool hasPercent() const;

    const TrendLog &m_log;
    const TrendRange &m_range;
    std::vector<QColor> m_colours;
    TrendView::Axis m_temperature;
    TrendView::Axis m_percent{0, 100, 20};
};
