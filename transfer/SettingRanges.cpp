#include "SettingRanges.h"

#include "base/MessageTable.h"
#include "base/ZN8P_INC.h"
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

void setLimits(ZN8P_INC &inc, int max, int min)
{
    inc.editMax = qint16(max);
    inc.editMin = qint16(min);
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

void setNumericLimits(ZN8P_INC &inc, int code)
{
    const int type = inc.setting(Code::InputType);
    const bool tenth = InputType::isTenth(type);
    const bool dc = InputType::isDc(type);
    const bool widened = (inc.optionWord2() & 0x10) != 0;
    switch (code) {
    case 11:
    case 58:
    case 59:
    case 60:
        setLimits(inc, inc.setting(Code::ScaleHigh), inc.setting(Code::ScaleLow));
        break;
    case 13:
        if (tenth || dc)
            inc.editOneDecimal = true;
        setLimits(inc, tenth ? 10000 : dc ? 1000 : InputType::isFahrenheit(type) ? 2000 : 1000, 0);
        break;
    case 14:
        inc.editOneDecimal = true;
        setLimits(inc, 100, 0);
        break;
    case 15:
        setLimits(inc, 1000, 0);
        break;
    case 16:
        setLimits(inc, 300, 0);
        break;
    case 17:
    case 18:
        setLimits(inc, 120, 1);
        break;
    case 19:
    case 20:
        AlarmValueLimits(inc, code);
        break;
    case 21:
    case 53:
        inc.editOneDecimal = true;
        setLimits(inc, isRated50A(inc) ? 500 : 200, 0);
        break;
    case 23:
    case 24:
        inc.editOneDecimal = true;
        setLimits(inc, 1000, -1000);
        break;
    case 25:
        InputRangeLimits(inc, code);
        if (inc.online)
            inc.editMin = inc.setting(Code::ScaleLow);
        break;
    case 26:
        InputRangeLimits(inc, code);
        if (inc.online)
            inc.editMax = inc.setting(Code::ScaleHigh);
        break;
    case 28:
        inc.editOneDecimal = true;
        setLimits(inc, 100, 0);
        break;
    case 29:
        setLimits(inc, widened ? 105 : 100, inc.setting(30));
        break;
    case 30:
        setLimits(inc, inc.setting(29), widened ? -5 : 0);
        break;
    case 31:
    case 35:
    case 38:
    case 39:
        inc.editOneDecimal = true;
        setLimits(inc, 1000, 1);
        break;
    case 33:
        setLimits(inc, 100, inc.setting(34));
        break;
    case 34:
        setLimits(inc, inc.setting(33), 0);
        break;
    case 40:
    case 41:
        setLimits(inc, 10000, 0);
        break;
    case 42:
    case 43:
        if (tenth || dc)
            inc.editOneDecimal = true;
        setLimits(inc, 10000, 0);
        break;
    case 51: {
        int max = 0;
        if (type >= 0 && type <= 14)
            max = 50;
        else if (type >= 15 && type <= 29)
            max = 100;
        if (tenth) {
            max *= 10;
            inc.editOneDecimal = true;
        }
        setLimits(inc, max, 0);
        break;
    }
    case 52:
        setLimits(inc, 100, 0);
        break;
    case 56:
        if (type >= 0 && type <= 35)
            inc.editOneDecimal = true;
        setLimits(inc, 1000, 1);
        break;
    case 57:
        setLimits(inc, 99, 0);
        break;
    default:
        // Choice items and the manual output keep their limits.
        break;
    }
}

std::optional<QString> rangeText(const ZN8P_INC &inc, int code)
{
    const int type = inc.setting(Code::InputType);
    // "low to high" in English, "low～high" in Japanese.
    const QString range = msg(1046);
    if (type >= 30 && usesDecimalPlace(code)) {
        const int place = inc.setting(Code::DecimalPlace);
        if (place < 0 || place > 3)
            return std::nullopt;
        return range.arg(NumberFormat::byDecimalPlace(inc.editMin, place),
                         NumberFormat::byDecimalPlace(inc.editMax, place));
    }
    if (inc.editOneDecimal)
        return range.arg(NumberFormat::scaled(inc.editMin, 1),
                         NumberFormat::scaled(inc.editMax, 1));
    return range.arg(NumberFormat::plainSigned(inc.editMin),
                     NumberFormat::plainSigned(inc.editMax));
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

EntryTexts SetEntryRange(ZN8P_INC &inc, const QString &currentText)
{
    const int code = inc.itemCode;
    inc.editOneDecimal = false;
    const int type = inc.setting(Code::InputType);
    if (followsPvResolution(code) && (InputType::isTenth(type) || InputType::isDc(type)))
        inc.editOneDecimal = true;
    if (code >= 11 && code <= 60)
        setNumericLimits(inc, code);
    return {currentText, rangeText(inc, code)};
}

std::pair<int, int> inputTypeScaling(int inputType)
{
    return sensorRange(inputType).value_or(std::pair<int, int>(10000, -2000));
}

void InputRangeLimits(ZN8P_INC &inc, int editedCode)
{
    if (const auto range = sensorRange(inc.setting(Code::InputType))) {
        setLimits(inc, range->first, range->second);
    } else if (editedCode == Code::ScaleHigh || editedCode == Code::ScaleLow) {
        setLimits(inc, 10000, -2000);
    } else {
        setLimits(inc, inc.setting(Code::ScaleHigh), inc.setting(Code::ScaleLow));
    }
}

void AlarmValueLimits(ZN8P_INC &inc, int alarmCode)
{
    const int span = inc.setting(Code::ScaleHigh) - inc.setting(Code::ScaleLow);
    const int type = inc.setting(alarmCode == 20 ? 37 : 36);
    switch (type) {
    case 1:
    case 2:
    case 7:
    case 8:
        setLimits(inc, span, -span);
        break;
    case 3:
    case 4:
    case 9:
        setLimits(inc, span, 0);
        break;
    default:
        setLimits(inc, inc.setting(Code::ScaleHigh), inc.setting(Code::ScaleLow));
        break;
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

std::pair<int, int> valueLimits(ZN8P_INC &inc, int code)
{
    if (const int count = choiceCount(code); count > 0)
        return {0, count - 1};
    if (code == Code::ManualOutput) {
        // The manual output buttons' steps: down to -100.0 % (full cooling) with heating/cooling.
        const bool heatCool = (inc.optionWord() & OptionBit::HeatCool) != 0;
        return {heatCool ? -1000 : inc.setting(30) * 10, inc.setting(29) * 10};
    }
    inc.itemCode = qint16(code);
    SetEntryRange(inc, QString());
    return {inc.editMin, inc.editMax};
}

bool isRated50A(const ZN8P_INC &inc)
{
    if (inc.online)
        return (inc.optionWord() & 0x08) != 0;
    return inc.unitConfig.heaterBreak == 2 || inc.unitConfig.heaterBreak == 4;
}

QString itemName(const ZN8P_INC &inc, int code)
{
    return msg(ParameterTable::captionMessage(code, isRated50A(inc)));
}

} // namespace SettingRanges
