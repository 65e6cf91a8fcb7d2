#include "TrendView.h"

#include <algorithm>
#include <cmath>

void TrendRange::setRun(qint64 first, qint64 last)
{
    m_first = first;
    m_last = std::max(first, last);
    if (m_whole)
        showWholeRun();
    else
        place(m_start, width());
}

void TrendRange::showWholeRun()
{
    m_whole = true;
    m_start = m_first;
    m_end = m_first + runWidth();
}

void TrendRange::zoom(double factor, qint64 anchor)
{
    const qint64 newWidth = std::clamp(qint64(double(width()) * factor), MinWidth, runWidth());
    const double share = double(anchor - m_start) / double(width());
    place(anchor - qint64(share * double(newWidth)), newWidth);
}

void TrendRange::zoomTo(qint64 a, qint64 b)
{
    const qint64 from = std::min(a, b);
    const qint64 to = std::max(a, b);
    const qint64 newWidth = std::clamp(to - from, MinWidth, runWidth());
    place((from + to) / 2 - newWidth / 2, newWidth);
}

void TrendRange::pan(qint64 delta)
{
    place(m_start + delta, width());
}

void TrendRange::place(qint64 start, qint64 width)
{
    width = std::min(width, runWidth());
    start = std::clamp(start, m_first, m_first + runWidth() - width);
    m_start = start;
    m_end = start + width;
    m_whole = m_start == m_first && width == runWidth();
}

namespace TrendView
{

std::vector<std::vector<QPointF>> strokes(const TrendLog &log, int channel, const TrendRange &range,
                                          int columns)
{
    std::vector<std::vector<QPointF>> lines;
    if (log.isEmpty() || columns <= 0)
        return lines;
    const std::vector<float> &values = log.channels[channel].values;
    const qsizetype from = std::max<qsizetype>(log.lowerBound(range.start()) - 1, 0);
    const qsizetype to = std::min(log.lowerBound(range.end()) + 1, log.size());
    const double scale = double(columns) / double(range.width());

    std::vector<QPointF> line;
    // The column being gathered: its first and last sample's position and the values' extremes.
    qint64 column = std::numeric_limits<qint64>::min();
    QPointF first;
    QPointF last;
    float low = 0;
    float high = 0;
    int inColumn = 0;
    const auto flush = [&] {
        if (inColumn == 0)
            return;
        line.push_back(first);
        if (inColumn > 2) {
            const bool falling = first.y() > last.y();
            line.emplace_back(first.x(), falling ? high : low);
            line.emplace_back(last.x(), falling ? low : high);
        }
        if (inColumn > 1)
            line.push_back(last);
        inColumn = 0;
    };
    for (qsizetype i = from; i < to; ++i) {
        const float value = values[i];
        if (TrendLog::isGap(value)) {
            flush();
            if (!line.empty())
                lines.push_back(std::move(line));
            line.clear();
            continue;
        }
        const double x = double(log.times[i] - range.start()) * scale;
        const qint64 c = qint64(std::floor(x));
        if (c != column || inColumn == 0) {
            flush();
            column = c;
            first = QPointF(x, value);
            low = high = value;
        }
        last = QPointF(x, value);
        low = std::min(low, value);
        high = std::max(high, value);
        ++inColumn;
    }
    flush();
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

Axis niceAxis(double low, double high, int ticks)
{
    if (high < low)
        std::swap(low, high);
    if (high - low < 1e-9) {
        const double margin = std::max(1.0, std::abs(low) * 0.05);
        low -= margin;
        high += margin;
    }
    const double rough = (high - low) / std::max(ticks, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power * 10;
    for (const double m : {1.0, 2.0, 5.0}) {
        if (power * m >= rough) {
            step = power * m;
            break;
        }
    }
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

bool valueSpan(const TrendLog &log, bool percent, double &low, double &high)
{
    bool any = false;
    for (const TrendLog::Channel &channel : log.channels) {
        if (channel.isPercent() != percent)
            continue;
        for (const float value : channel.values) {
            if (TrendLog::isGap(value))
                continue;
            low = any ? std::min(low, double(value)) : value;
            high = any ? std::max(high, double(value)) : value;
            any = true;
        }
    }
    return any;
}

qint64 timeStep(qint64 width, int ticks)
{
    static constexpr qint64 steps[] = {
        1'000,      2'000,      5'000,      10'000,     15'000,      30'000,     60'000,
        120'000,    300'000,    600'000,    900'000,    1'800'000,   3'600'000,  7'200'000,
        10'800'000, 21'600'000, 43'200'000, 86'400'000, 172'800'000, 604'800'000};
    const qint64 rough = width / std::max(ticks, 1);
    for (const qint64 step : steps) {
        if (step >= rough)
            return step;
    }
    return steps[std::size(steps) - 1];
}

} // namespace TrendView
