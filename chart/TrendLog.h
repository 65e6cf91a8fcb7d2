#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cmath>
#include <vector>

// The samples of one trend log as read back: one time per sample and, per channel of the file,
// one value per sample. A sample that showed no value ("----" or any text that is not a number)
// is NaN, never 0.
struct TrendLog {
    // Samples are also summed up in blocks of this many, so that a view of many samples per
    // pixel column is drawn from the blocks instead of every sample.
    static constexpr qsizetype Block = 64;
    // One block's values, gaps left out: its first and last value and its extremes (all NaN when
    // every sample of it is a gap); gap tells whether any sample of it is one.
    struct Summary {
        float first;
        float last;
        float low;
        float high;
        bool gap;
    };
    struct Channel {
        QString name;     // as the file heads it: "PV", "SV", "MV1", "MV2"
        int decimals = 0; // places after the point in the file's texts, for showing values
        std::vector<float> values;
        std::vector<Summary> blocks; // one per whole block of samples
        bool isPercent() const { return name.startsWith(QLatin1String("MV")); }
    };

    // Wall-clock time of each sample in milliseconds, counted as if the local time were UTC (so
    // no time zone or daylight-saving shift applies); never decreasing.
    std::vector<qint64> times;
    std::vector<Channel> channels;

    qsizetype size() const { return qsizetype(times.size()); }
    bool isEmpty() const { return times.empty(); }
    static bool isGap(float value) { return std::isnan(value); }

    // The clock time of a sample time as a QDateTime in UTC, for formatting.
    static QDateTime clockTime(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC); }
    // The value text of channel c at sample i: "----" for a gap.
    QString valueText(int c, qsizetype i) const;
    // The sample nearest to time ms (the earlier one on a tie); -1 for an empty log.
    qsizetype nearestSample(qint64 ms) const;
    // The first sample at or after ms (size() when none).
    qsizetype lowerBound(qint64 ms) const;
    // Sums up the whole blocks of samples added since the last call.
    void summarise();
};
