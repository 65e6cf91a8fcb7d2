#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The seven chart channels, always in this order; the index names a channel everywhere (flags,
// colours, settings files, buttons). SV2 to SV4 are kept in the files but never shown, plotted or
// logged.
enum ChartChannel { Pv = 0, Sv, Mv1, Mv2, Sv2, Sv3, Sv4 };

namespace ChartChannels
{
constexpr int Count = 7;

struct Info {
    const char *name;     // "PV" ... "SV4": the selection button's text
    int selectionCaption; // message of the selection caption
    int colourCaption;    // message of the colour button
    qint32 defaultColour; // 0x00BBGGRR
};

const Info &info(int channel);

// Channels that can be shown, plotted and logged.
constexpr bool traced(int channel)
{
    return channel <= Mv2;
}

// The leading number of a text as the chart reads a label ("25.0" -> 25, "----" -> 0,
// "12abc" -> 12, "" -> 0): sign, digits, one decimal point, an exponent.
double leadingNumber(const QString &text);
} // namespace ChartChannels
