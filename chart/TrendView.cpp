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

namespace
{

// Gathers the values that fall into one pixel column and turns each column into at most four
// points: its first value, its extremes and its last value.
class Columns
{
public:
    explicit Columns(std::vector<std::vector<QPointF>> &lines) : m_lines(lines) {}

    // Values from x to xLast (column positions): the first, the last and the extremes between.
    void add(double x, double xLast, float first, float last, float low, float high, int count)
    {
        const qint64 column = qint64(std::floor(x));
        if (m_count == 0 || column != m_column) {
            flush();
            m_column = column;
            m_first = QPointF(x, first);
            m_low = low;
            m_high = high;
        }
        m_last = QPointF(xLast, last);
        m_low = std::min(m_low, low);
        m_high = std::max(m_high, high);
        m_count += count;
    }
    // A gap: the line ends here.
    void breakLine()
    {
        flush();
        if (!m_line.empty())
            m_lines.push_back(std::move(m_line));
        m_line.clear();
    }

private:
    void flush()
    {
        if (m_count == 0)
            return;
        m_line.push_back(m_first);
        if (m_count > 2) {
            const bool falling = m_first.y() > m_last.y();
            m_line.emplace_back(m_first.x(), falling ? m_high : m_low);
            m_line.emplace_back(m_last.x(), falling ? m_low : m_high);
        }
        if (m_count > 1)
            m_line.push_back(m_last);
        m_count = 0;
    }

    std::vector<std::vector<QPointF>> &m_lines;
    std::vector<QPointF> m_line;
    qint64 m_column = 0;
    QPointF m_first;
    QPointF m_last;
    float m_low = 0;
    float m_high = 0;
    int m_count = 0;
};

} // namespace

std::vector<std::vector<QPointF>> strokes(const TrendLog &log, int channel, const TrendRange &range,
                                          int columns)
{
    std::vector<std::vector<QPointF>> lines;
    if (log.isEmpty() || columns <= 0)
        return lines;
    const TrendLog::Channel &values = log.channels[channel];
    const qsizetype from = std::max<qsizetype>(log.lowerBound(range.start()) - 1, 0);
    const qsizetype to = std::min(log.lowerBound(range.end()) + 1, log.size());
    const double scale = double(columns) / double(range.width());
    const auto xOf = [&](qsizetype i) { return double(log.times[i] - range.start()) * scale; };

    Columns gathered(lines);
    const auto addSamples = [&](qsizetype first, qsizetype last) {
        for (qsizetype i = first; i < last; ++i) {
            const float value = values.values[i];
            if (TrendLog::isGap(value)) {
                gathered.breakLine();
                continue;
            }
            const double x = xOf(i);
            gathered.add(x, x, value, value, value, value, 1);
        }
    };
    // Many samples to a column: whole blocks stand for their samples. A gap inside a block ends
    // the line after it, which at this density is less than a column away.
    const bool dense = to - from > qsizetype(columns) * TrendLog::Block;
    const qsizetype firstBlock = (from + TrendLog::Block - 1) / TrendLog::Block;
    const qsizetype endBlock = std::min(to / TrendLog::Block, qsizetype(values.blocks.size()));
    if (!dense || firstBlock >= endBlock) {
        addSamples(from, to);
    } else {
        addSamples(from, firstBlock * TrendLog::Block);
        for (qsizetype b = firstBlock; b < endBlock; ++b) {
            const TrendLog::Summary &block = values.blocks[b];
            if (!TrendLog::isGap(block.first))
                gathered.add(xOf(b * TrendLog::Block), xOf((b + 1) * TrendLog::Block - 1),
                             block.first, block.last, block.low, block.high, 3);
            if (block.gap)
                gathered.breakLine();
        }
        addSamples(endBlock * TrendLog::Block, to);
    }
    gathered.breakLine();
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
    const auto take = [&](float lowest, float highest) {
        if (TrendLog::isGap(lowest))
            return;
        low = any ? std::min(low, double(lowest)) : lowest;
        high = any ? std::max(high, double(highest)) : highest;
        any = true;
    };
    for (const TrendLog::Channel &channel : log.channels) {
        if (channel.isPercent() != percent)
            continue;
        for (const TrendLog::Summary &block : channel.blocks)
            take(block.low, block.high);
        const qsizetype tail = qsizetype(channel.blocks.size()) * TrendLog::Block;
        for (qsizetype i = tail; i < qsizetype(channel.values.size()); ++i)
            take(channel.values[i], channel.values[i]);
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
