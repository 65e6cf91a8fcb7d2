#pragma once

#include "chart/ChartChannels.h"

#include <QList>
#include <QString>

#include <array>

// What layoutScale puts on the canvas and the axis labels.
struct ChartScaleLayout {
    std::array<QString, 3> yLabels;     // yScaleLabels: top, middle, bottom
    std::array<QString, 11> timeLabels; // xScaleLabels 0 to 10, minutes under each vertical line
    QList<int> gridY;                   // heights of the horizontal grid lines
};

// One sample of one channel: a point at (x, y) joined to the previous sample's height y0 by a
// vertical line, in canvas units (9000 wide, 3800 high, Y downwards).
struct ChartStroke {
    int channel = 0;
    int x = 0;
    double y0 = 0;
    double y = 0;
};

// The chart control's data without its widgets: the scale label texts, the channel flags, the
// value properties with their feed rule, layoutScale and the plotting step.
class ChartModel
{
public:
    static constexpr int Width = 9000;
    static constexpr int Height = 3800;
    static constexpr int AxisY = 3792;
    static constexpr int AxisX = 8992;
    static constexpr int VerticalStep = 900;
    static constexpr qint32 GridColour = 0xC0C0C0;

    // The scale labels as their texts: yHighValue, yLowValue, divisionsValue, cycleValue;
    // longTimeBase / shortTimeBase.
    QString yHighText = QStringLiteral("400");
    QString yLowText = QStringLiteral("0");
    QString divisionsText = QStringLiteral("4");
    QString cycleText = QStringLiteral("5");
    bool longBase = true;

    std::array<qint16, ChartChannels::Count> flags{}; // 1 = traced and logged
    int plotPosition = 0;                             // X of the newest sample
    int sampleCount = 0;                              // ticks since the run started
    bool running = false;
    bool started = false; // the first tick of the run has been taken

    // Set by layoutScale.
    qint16 yHigh = 0;
    qint16 yLow = 0;
    double unitsPerCanvas = 0; // value units per canvas unit

    std::array<QString, ChartChannels::Count> current;  // value texts the plot reads
    std::array<QString, ChartChannels::Count> previous; // the values of the last sample
    std::array<QString, ChartChannels::Count> captions; // as the value properties return them
    std::array<QString, ChartChannels::Count> labels;   // as the value labels show them
    qint32 sampleIntervalMs = 0;                        // sample timer interval in ms

    ChartModel();

    // A value property (Pv0Caption ... Sv4Caption). PV follows the feed rule of the main window's
    // markers: "----U" plots at Y high, "----D" at Y low, "---- " keeps the last value; each
    // shows "----". Other channels take the text as it comes.
    void setValueCaption(int channel, const QString &text);

    // Recomputes sampleIntervalMs, Y high, Y low and the units per canvas unit from the label texts
    // and returns what is to be drawn.
    ChartScaleLayout layoutScale();

    // Canvas units per sample: 1 on the long base ("X 9000"), 15 on the short ("X 600").
    int step() const { return longBase ? 1 : 15; }

    // Moves to the next sample position (the first tick of a run to X = 0). False when the plot
    // has reached the right edge.
    bool advance();

    // The strokes of the sample at the plot position in drawing order (MV1, MV2, SV, then PV on
    // top), for the selected channels; the current values become the previous ones.
    QList<ChartStroke> plotSample();

    // Height of a value on the canvas: above Y high at 1, below Y low (or off the canvas) at 3792.
    double heightOf(double value) const;
};
