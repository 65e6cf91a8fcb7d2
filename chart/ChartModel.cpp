#include "ChartModel.h"

#include <cmath>
#include <limits>

namespace
{

using ChartChannels::leadingNumber;

const QString Dashes = QStringLiteral("----");

qint16 toInteger(double value)
{
    const double bounded = qBound(double(std::numeric_limits<qint16>::min()), std::round(value),
                                  double(std::numeric_limits<qint16>::max()));
    return qint16(bounded);
}

QString numberText(double value)
{
    return QString::number(value, 'g', 7);
}

} // namespace

ChartModel::ChartModel()
{
    current.fill(QStringLiteral("0"));
    previous.fill(QStringLiteral("0"));
    // Captions and labels stay empty until the first reading.
}

void ChartModel::setValueCaption(int channel, const QString &text)
{
    if (channel == Pv && text.startsWith(Dashes)) {
        labels[Pv] = Dashes;
        captions[Pv] = Dashes;
        const QChar marker = text.size() > 4 ? text.at(4) : QChar();
        if (marker == QLatin1Char('U'))
            current[Pv] = QString::number(yHigh);
        else if (marker == QLatin1Char('D'))
            current[Pv] = QString::number(yLow);
        if (marker == QLatin1Char('U') || marker == QLatin1Char('D') || marker == QLatin1Char(' '))
            return;
    }
    labels[channel] = text;
    captions[channel] = text;
    current[channel] = text;
}

ChartScaleLayout ChartModel::layoutScale()
{
    // The files' values are taken as they are; a cycle no timer can hold is held at its limit.
    sampleIntervalMs = qint32(
        qBound(0.0, leadingNumber(cycleText) * 1000, double(std::numeric_limits<qint32>::max())));
    yHigh = toInteger(leadingNumber(yHighText));
    yLow = toInteger(leadingNumber(yLowText));
    unitsPerCanvas = double(yHigh - yLow) / Height;

    ChartScaleLayout layout;
    layout.yLabels = {QString::number(yHigh), numberText(double(yHigh - yLow) / 2 + yLow),
                      QString::number(yLow)};

    // A count read from a damaged file must not stall the window: no lines for a step under 1.
    const double divisions = leadingNumber(divisionsText);
    if (divisions >= 1) {
        const int gridStep = int(std::floor(Height / divisions));
        const int last = int(std::floor(Height / divisions * (divisions - 1)));
        for (int y = gridStep; gridStep >= 1 && y <= last; y += gridStep)
            layout.gridY << y;
    }

    const double samplesAcross = longBase ? 600.0 : 9000.0;
    for (int i = 0; i < int(layout.timeLabels.size()); ++i)
        layout.timeLabels[i] =
            QString::number(std::llround(i * Width / samplesAcross * (sampleIntervalMs / 1000.0)));
    return layout;
}

bool ChartModel::advance()
{
    if (started) {
        plotPosition += step();
        ++sampleCount;
    } else {
        plotPosition = 0;
        sampleCount = 0;
        started = true;
    }
    return plotPosition < Width;
}

double ChartModel::heightOf(double value) const
{
    if (value > yHigh)
        return 1;
    if (value < yLow || unitsPerCanvas == 0)
        return AxisY;
    const double y = (yHigh - value) / unitsPerCanvas;
    return y > Height - 1 ? AxisY : y;
}

QList<ChartStroke> ChartModel::plotSample()
{
    QList<ChartStroke> strokes;
    for (int channel : {Mv1, Mv2, Sv, Pv}) {
        if (flags[channel] != 1)
            continue;
        const double value = leadingNumber(current[channel]);
        const double before = sampleCount != 0 ? leadingNumber(previous[channel]) : value;
        ChartStroke stroke;
        stroke.channel = channel;
        stroke.x = plotPosition;
        stroke.y = heightOf(value);
        // The previous height is not clamped: a trace coming back from off the scale enters
        // from the edge it left by.
        stroke.y0 = unitsPerCanvas == 0 ? stroke.y : (yHigh - before) / unitsPerCanvas;
        if (value >= yLow && value <= yHigh && stroke.y0 > Height - 1)
            stroke.y0 = AxisY;
        strokes << stroke;
        previous[channel] = current[channel];
    }
    return strokes;
}
