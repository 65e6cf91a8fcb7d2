#pragma once

#include <QString>

struct SettingData;

// Names and units of controller values as the program's outputs name them.
namespace ItemNames
{
// What a code is called: the message that names it in the displays, or a plain English name for
// the registers without one (status word, mode register...).
QString caption(int code);
// The unit of the monitored values: PV and SV "°C" or "°F" by the input type (none for a scaled
// input), MV "%", heater current "A"; empty for the rest.
QString monitorUnit(const SettingData &settings, int code);
} // namespace ItemNames
