#include "ChartChannels.h"

namespace ChartChannels
{

const Info &info(int channel)
{
    static const std::array<Info, Count> table = {{
        {"PV", 670, 677, 0xFF00FF},
        {"SV", 671, 678, 0x00C000},
        {"MV1", 672, 679, 0x0000FF},
        {"MV2", 676, 680, 0x0000C0},
        {"SV2", 685, 681, 0xFF0000},
        {"SV3", 686, 682, 0x404080},
        {"SV4", 687, 683, 0x404040},
    }};
    return table.at(channel);
}

double leadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    int end = 0;
    const auto digitsFrom = [&t](int i) {
        while (i < t.size() && t.at(i).isDigit())
            ++i;
        return i;
    };
    if (end < t.size() && (t.at(end) == QLatin1Char('-') || t.at(end) == QLatin1Char('+')))
        ++end;
    end = digitsFrom(end);
    // The labels carry the locale's decimal separator: "." or ",".
    const bool comma = end < t.size() && t.at(end) == QLatin1Char(',');
    if (end < t.size() && (t.at(end) == QLatin1Char('.') || comma))
        end = digitsFrom(end + 1);
    if (end < t.size() && (t.at(end) == QLatin1Char('e') || t.at(end) == QLatin1Char('E'))) {
        int exponent = end + 1;
        if (exponent < t.size() &&
            (t.at(exponent) == QLatin1Char('-') || t.at(exponent) == QLatin1Char('+')))
            ++exponent;
        const int exponentEnd = digitsFrom(exponent);
        if (exponentEnd > exponent)
            end = exponentEnd;
    }
    bool ok = false;
    QString number = t.left(end);
    if (comma)
        number.replace(QLatin1Char(','), QLatin1Char('.'));
    const double value = number.toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace ChartChannels
