#include "SettingRanges.h"

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "polling/ValueFormat.h"

#include <array>
#include <utility>

namespace SettingRanges
{

namespace
{

using Code::InputType;
using Code::ScaleHigh;
using Code::ScaleLow;

Limits limits(int max, int min)
{
    return {qint16(min), qint16(max)};
}

// Set values and alarm values follow the PV's resolution.
bool followsPvResolution(int code)
{
    switch (code) {
    case 11:
    case 19:
    case 20:
    case 25:
    case 26:
    case 58:
    case 59:
    case 60:
        return true;
    default:
        return false;
    }
}

// Max and min of the sensor ranges 0 to 29; DC and unknown types have none.
std::optional<std::pair<int, int>> sensorRange(int type)
{
    static const std::array<std::pair<int, int>, 30> ranges = {{
        {1370, -200}, {4000, -2000},  {1000, -200},  {1760, 0},    {1760, 0},   // 0-4
        {1820, 0},    {800, -200},    {4000, -2000}, {1300, -200}, {1390, 0},   // 5-9
        {2315, 0},    {8500, -2000},  {5000, -2000}, {850, -200},  {500, -200}, // 10-14
        {2500, -320}, {7500, -3200},  {1800, -320},  {3200, 0},    {3200, 0},   // 15-19
        {3300, 0},    {1500, -320},   {7500, -3200}, {2300, -320}, {2500, 0},   // 20-24
        {4200, 0},    {15000, -3200}, {9000, -3200}, {1500, -320}, {900, -320}, // 25-29
    }};
    if (type < 0 || type >= int(ranges.size()))
        return std::nullopt;
    return ranges[type];
}

// The limits of a numeric item (codes 11 to 60 but the choices and the manual output) and whether
// it shows one decimal; nullopt for any other code.
std::optional<EntryRange> numericRange(const SessionState &shared, int code)
{
    const int type = shared.setting(Code::InputType);
    const bool tenth = InputType::isTenth(type);
    const bool dc = InputType::isDc(type);
    const bool widened = (shared.optionWord2() & 0x10) != 0;
    EntryRange range;
    range.code = code;
    range.oneDecimal = followsPvResolution(code) && (tenth || dc);
    Limits &l = range.limits;
    switch (code) {
    case 11:
    case 58:
    case 59:
    case 60:
        l = limits(shared.setting(Code::ScaleHigh), shared.setting(Code::ScaleLow));
        break;
    case 13:
        if (tenth || dc)
            range.oneDecimal = true;
        l = limits(tenth ? 10000 : dc ? 1000 : InputType::isFahrenheit(type) ? 2000 : 1000, 0);
        break;
    case 14:
        range.oneDecimal = true;
        l = limits(100, 0);
        break;
    case 15:
        l = limits(1000, 0);
        break;
    case 16:
        l = limits(300, 0);
        break;
    case 17:
    case 18:
        l = limits(120, 1);
        break;
    case 19:
    case 20:
        l = alarmValueLimits(shared, code);
        break;
    case 21:
    case 53:
        range.oneDecimal = true;
        l = limits(isRated50A(shared) ? 500 : 200, 0);
        break;
    case 23:
    case 24:
        range.oneDecimal = true;
        l = limits(1000, -1000);
        break;
    case 25:
        l = inputRangeLimits(shared, code);
        if (shared.online)
            l.min = shared.setting(Code::ScaleLow);
        break;
    case 26:
        l = inputRangeLimits(shared, code);
        if (shared.online)
            l.max = shared.setting(Code::ScaleHigh);
        break;
    case 28:
        range.oneDecimal = true;
        l = limits(100, 0);
        break;
    case 29:
        l = limits(widened ? 105 : 100, shared.setting(Code::OutputLow));
        break;
    case 30:
        l = limits(shared.setting(Code::OutputHigh), widened ? -5 : 0);
        break;
    case 31:
    case 35:
    case 38:
    case 39:
        range.oneDecimal = true;
        l = limits(1000, 1);
        break;
    case 33:
        l = limits(100, shared.setting(Code::CoolingOutputLow));
        break;
    case 34:
        l = limits(shared.setting(Code::CoolingOutputHigh), 0);
        break;
    case 40:
    case 41:
        l = limits(10000, 0);
        break;
    case 42:
    case 43:
        if (tenth || dc)
            range.oneDecimal = true;
        l = limits(10000, 0);
        break;
    case 51: {
        int max = 0;
        if (type >= 0 && type <= 14)
            max = 50;
        else if (type >= 15 && type <= 29)
            max = 100;
        if (tenth) {
            max *= 10;
            range.oneDecimal = true;
        }
        l = limits(max, 0);
        break;
    }
    case 52:
        l = limits(100, 0);
        break;
    case 56:
        if (type >= 0 && type <= 35)
            range.oneDecimal = true;
        l = limits(1000, 1);
        break;
    case 57:
        l = limits(99, 0);
        break;
    default:
        // Choice items, the manual output and the codes that are no setting items.
        return std::nullopt;
    }
    return range;
}

std::optional<QString> rangeText(const SessionState &shared, const EntryRange &entry)
{
    const int type = shared.setting(Code::InputType);
    // "low to high" in English, "low～high" in Japanese.
    const QString range = msg(1046);
    const int code = entry.code;
    const Limits &l = entry.limits;
    if (type >= 30 && usesDecimalPlace(code)) {
        const int place = shared.setting(Code::DecimalPlace);
        if (place < 0 || place > 3)
            return std::nullopt;
        return range.arg(NumberFormat::byDecimalPlace(l.min, place),
                         NumberFormat::byDecimalPlace(l.max, place));
    }
    if (entry.oneDecimal)
        return range.arg(NumberFormat::scaled(l.min, 1), NumberFormat::scaled(l.max, 1));
    return range.arg(NumberFormat::plainSigned(l.min), NumberFormat::plainSigned(l.max));
}

} // namespace

bool usesDecimalPlace(int code)
{
    switch (code) {
    case 11:
    case 19:
    case 20:
    case 23:
    case 24:
    case 25:
    case 26:
    case 31:
    case 35:
    case 38:
    case 39:
    case 42:
    case 43:
    case 56:
    case 58:
    case 59:
    case 60:
        return true;
    default:
        return false;
    }
}

std::optional<EntryRange> entryRange(const SessionState &shared, int code,
                                     const QString &currentText)
{
    std::optional<EntryRange> range = numericRange(shared, code);
    if (range) {
        range->nowData = currentText;
        range->limitData = rangeText(shared, *range);
    }
    return range;
}

std::pair<int, int> inputTypeScaling(int inputType)
{
    return sensorRange(inputType).value_or(std::pair<int, int>(10000, -2000));
}

Limits inputRangeLimits(const SessionState &shared, int editedCode)
{
    if (const auto range = sensorRange(shared.setting(Code::InputType)))
        return limits(range->first, range->second);
    if (editedCode == Code::ScaleHigh || editedCode == Code::ScaleLow)
        return limits(10000, -2000);
    return limits(shared.setting(Code::ScaleHigh), shared.setting(Code::ScaleLow));
}

Limits alarmValueLimits(const SessionState &shared, int alarmCode)
{
    const int span = shared.setting(Code::ScaleHigh) - shared.setting(Code::ScaleLow);
    const int type =
        shared.setting(alarmCode == Code::Alarm2Value ? Code::Alarm2Type : Code::Alarm1Type);
    switch (type) {
    case 1:
    case 2:
    case 7:
    case 8:
        return limits(span, -span);
    case 3:
    case 4:
    case 9:
        return limits(span, 0);
    default:
        return limits(shared.setting(Code::ScaleHigh), shared.setting(Code::ScaleLow));
    }
}

int choiceCount(int code)
{
    switch (code) {
    case 12:
    case 44:
    case 45:
    case 47:
    case 48:
    case 50:
    case 62:
    case 63:
        return 2;
    case 32:
    case 61:
        return 3;
    case 22:
    case 27:
        return 4;
    case 54:
    case 55:
        return 7;
    case 36:
    case 37:
        return 10;
    case Code::InputType:
        return 36;
    default:
        return 0;
    }
}

std::pair<int, int> valueLimits(const SessionState &shared, int code)
{
    if (const int count = choiceCount(code); count > 0)
        return {0, count - 1};
    if (code == Code::ManualOutput) {
        // The manual output buttons' steps: down to -100.0 % (full cooling) with heating/cooling.
        const bool heatCool = (shared.optionWord() & OptionBit::HeatCool) != 0;
        return {heatCool ? -1000 : shared.setting(Code::OutputLow) * 10,
                shared.setting(Code::OutputHigh) * 10};
    }
    const Limits l = numericRange(shared, code).value_or(EntryRange{}).limits;
    return {l.min, l.max};
}

bool isRated50A(const SessionState &shared)
{
    if (shared.online)
        return (shared.optionWord() & 0x08) != 0;
    return shared.unitConfig.heaterBreak == 2 || shared.unitConfig.heaterBreak == 4;
}

QString itemName(const SessionState &shared, int code)
{
    return msg(ParameterTable::captionMessage(code, isRated50A(shared)));
}

} // namespace SettingRanges
