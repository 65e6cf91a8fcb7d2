#pragma once

#include <QtGlobal>

#include <array>

// The trend chart's settings, as kept in the chart settings files. Colours are 0x00BBGGRR, one
// per chart channel (PV, SV, MV1, MV2, SV2, SV3, SV4).
struct ChartState {
    static constexpr int ChartChannelCount = 7;
    std::array<qint32, ChartChannelCount> traceColors{};
    qint32 chartLongScale = 1; // 1 long time base ("X 9000"), 0 short ("X 600")
    qint32 chartCycleSeconds = 5;
    qint32 chartScaleHigh = 400;
    qint32 chartScaleLow = 0;
    qint16 chartDivisions = 4;
};
