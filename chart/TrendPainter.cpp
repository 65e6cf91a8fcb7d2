#include "TrendPainter.h"

#include "base/MessageTable.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace
{

constexpr int Pad = 6;
const QColor GridColour(0xd8, 0xd8, 0xd8);
const QColor CursorColour(0x40, 0x40, 0x40);

int lineHeight(const QFontMetrics &metrics)
{
    return metrics.height() + Pad;
}

QString tickText(double value, double step)
{
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step)));
    return QString::number(value, 'f', decimals);
}

} // namespace

TrendPainter::TrendPainter(const TrendLog &log, const TrendRange &range,
                           std::vector<QColor> colours)
    : m_log(log), m_range(range), m_colours(std::move(colours))
{
    fitAxes();
}

void TrendPainter::fitAxes()
{
    double low = 0;
    double high = 100;
    if (TrendView::valueSpan(m_log, false, low, high))
        m_temperature = TrendView::niceAxis(low, high, 5);
    else
        m_temperature = TrendView::niceAxis(0, 100, 5);
    // MV in % keeps its 0 to 100 and widens only for values outside it.
    low = 0;
    high = 100;
    double mvLow = 0;
    double mvHigh = 100;
    if (TrendView::valueSpan(m_log, true, mvLow, mvHigh)) {
        low = std::min(low, mvLow);
        high = std::max(high, mvHigh);
    }
    m_percent = TrendView::niceAxis(low, high, 5);
}

bool TrendPainter::hasPercent() const
{
    return std::any_of(m_log.channels.begin(), m_log.channels.end(),
                       [](const TrendLog::Channel &c) { return c.isPercent(); });
}

QRect TrendPainter::plotArea(const QRect &rect, const QFontMetrics &metrics, bool withHeader) const
{
    const int top = rect.top() + (withHeader ? 2 : 1) * lineHeight(metrics) + metrics.height() / 2;
    const int left = rect.left() + metrics.horizontalAdvance(QStringLiteral("-0000.00")) + 2 * Pad;
    const int right =
        rect.right() -
        (hasPercent() ? metrics.horizontalAdvance(QStringLiteral("-000.0")) + 2 * Pad : 3 * Pad);
    const int bottom = rect.bottom() - 2 * lineHeight(metrics);
    return QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
}

double TrendPainter::xOf(qint64 time, const QRect &plot) const
{
    return plot.left() + double(time - m_range.start()) * plot.width() / double(m_range.width());
}

qint64 TrendPainter::timeAt(double x, const QRect &plot) const
{
    return m_range.start() + qint64((x - plot.left()) * double(m_range.width()) / plot.width());
}

double TrendPainter::yOf(double value, bool percent, const QRect &plot) const
{
    const TrendView::Axis &axis = percent ? m_percent : m_temperature;
    return plot.bottom() - (value - axis.low) * plot.height() / (axis.high - axis.low);
}

void TrendPainter::paint(QPainter &painter, const QRect &rect, const QString &header,
                         qsizetype cursor) const
{
    painter.save();
    painter.fillRect(rect, Qt::white);
    const QFontMetrics metrics = painter.fontMetrics();
    int top = rect.top();
    if (!header.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(rect.left() + Pad, top, rect.width() - 2 * Pad, lineHeight(metrics)),
                         Qt::AlignLeft | Qt::AlignVCenter, header);
        top += lineHeight(metrics);
    }
    paintLegend(painter, rect, top);
    const QRect plot = plotArea(rect, metrics, !header.isEmpty());
    paintAxes(painter, plot);
    painter.save();
    painter.setClipRect(plot.adjusted(0, -1, 1, 1));
    paintTraces(painter, plot);
    if (cursor >= 0 && cursor < m_log.size())
        paintCursor(painter, plot, cursor);
    painter.restore();
    painter.restore();
}

void TrendPainter::paintLegend(QPainter &painter, const QRect &rect, int top) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int height = lineHeight(metrics);
    int x = rect.left() + Pad;
    painter.setPen(Qt::black);
    const QString temperature = msg(1009);
    painter.drawText(QRect(x, top, rect.width() / 3, height), Qt::AlignLeft | Qt::AlignVCenter,
                     temperature);
    x += metrics.horizontalAdvance(temperature) + 4 * Pad;
    for (std::size_t c = 0; c < m_log.channels.size(); ++c) {
        const int mid = top + height / 2;
        painter.setPen(QPen(m_colours[c], 3));
        painter.drawLine(x, mid, x + 3 * Pad, mid);
        x += 4 * Pad;
        painter.setPen(Qt::black);
        const QString name = m_log.channels[c].name;
        painter.drawText(QRect(x, top, metrics.horizontalAdvance(name) + Pad, height),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        x += metrics.horizontalAdvance(name) + 3 * Pad;
    }
    if (hasPercent())
        painter.drawText(QRect(rect.left(), top, rect.width() - Pad, height),
                         Qt::AlignRight | Qt::AlignVCenter, msg(1010));
}

void TrendPainter::paintAxes(QPainter &painter, const QRect &plot) const
{
    const QFontMetrics metrics = painter.fontMetrics();
    const int textHeight = metrics.height();
    // Horizontal grid and labels on the temperature axis; the percent axis labels its own steps.
    for (double v = m_temperature.low; v <= m_temperature.high + m_temperature.step / 2;
         v += m_temperature.step) {
        const int y = qRound(yOf(v, false, plot));
        painter.setPen(GridColour);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, y - textHeight / 2, plot.left() - Pad, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(v, m_temperature.step));
    }
    if (hasPercent()) {
        for (double v = m_percent.low; v <= m_percent.high + m_percent.step / 2;
             v += m_percent.step) {
            const int y = qRound(yOf(v, true, plot));
            painter.drawLine(plot.right(), y, plot.right() + Pad / 2, y);
            painter.drawText(
                QRect(plot.right() + Pad, y - textHeight / 2, 10 * textHeight, textHeight),
                Qt::AlignLeft | Qt::AlignVCenter, tickText(v, m_percent.step));
        }
    }
    // Vertical grid at round clock times; the date under the first tick and where it changes.
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 4 * Pad;
    const qint64 step =
        TrendView::timeStep(m_range.width(), std::max(1, plot.width() / labelWidth));
    QDate lastDate;
    for (qint64 t = (m_range.start() + step - 1) / step * step; t <= m_range.end(); t += step) {
        const int x = qRound(xOf(t, plot));
        painter.setPen(GridColour);
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(Qt::black);
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + Pad / 2);
        const QDateTime at = TrendLog::clockTime(t);
        const QRect label(x - labelWidth / 2, plot.bottom() + Pad / 2, labelWidth, textHeight);
        painter.drawText(label, Qt::AlignCenter, at.toString(QStringLiteral("HH:mm:ss")));
        if (at.date() != lastDate) {
            painter.drawText(label.translated(0, textHeight), Qt::AlignCenter,
                             at.toString(QStringLiteral("yyyy-MM-dd")));
            lastDate = at.date();
        }
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

void TrendPainter::paintTraces(QPainter &painter, const QRect &plot) const
{
    // Where samples crowd the columns, the lines zig-zag inside each column; smoothing and joining
    // those would cost far more than the rest of the picture, and a one-pixel line shows them as
    // well. Fewer samples than columns are drawn smooth.
    const qsizetype visible = m_log.lowerBound(m_range.end()) - m_log.lowerBound(m_range.start());
    const bool crowded = visible > plot.width();
    painter.setRenderHint(QPainter::Antialiasing, !crowded);
    std::vector<QPointF> mapped;
    for (int c = 0; c < int(m_log.channels.size()); ++c) {
        const bool percent = m_log.channels[c].isPercent();
        painter.setPen(QPen(m_colours[c], crowded ? 1.0 : 1.5));
        for (const std::vector<QPointF> &line :
             TrendView::strokes(m_log, c, m_range, plot.width())) {
            mapped.clear();
            for (const QPointF &p : line)
                mapped.emplace_back(plot.left() + p.x(), yOf(p.y(), percent, plot));
            if (mapped.size() == 1)
                painter.drawPoint(mapped.front());
            else
                painter.drawPolyline(mapped.data(), int(mapped.size()));
        }
    }
}

void TrendPainter::paintCursor(QPainter &painter, const QRect &plot, qsizetype sample) const
{
    const int x = qRound(xOf(m_log.times[sample], plot));
    painter.setPen(QPen(CursorColour, 1, Qt::DashLine));
    painter.drawLine(x, plot.top(), x, plot.bottom());
    // The readout stands beside the line, on the side with room for it.
    const QFontMetrics metrics = painter.fontMetrics();
    QStringList lines = {
        TrendLog::clockTime(m_log.times[sample]).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    for (int c = 0; c < int(m_log.channels.size()); ++c)
        lines << m_log.channels[c].name + QStringLiteral(" ") + m_log.valueText(c, sample);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    width += 2 * Pad;
    const int height = int(lines.size()) * metrics.height() + Pad;
    const int left = x + Pad + width <= plot.right() ? x + Pad : x - Pad - width;
    const QRect box(left, plot.top() + Pad, width, height);
    painter.setPen(CursorColour);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(box);
    for (int i = 0; i < lines.size(); ++i) {
        painter.setPen(i == 0 ? Qt::black : m_colours[i - 1]);
        painter.drawText(QRect(box.left() + Pad, box.top() + Pad / 2 + i * metrics.height(), width,
                               metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}
