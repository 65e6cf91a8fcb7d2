#include "ParameterTable.h"

#include "base/MessageTable.h"
#include "comm/CommComponent.h"
#include "comm/DataWord.h"

namespace InputType
{

bool isTenth(int type)
{
    switch (type) {
    case 1:
    case 7:
    case 11:
    case 12:
    case 16:
    case 22:
    case 26:
    case 27:
        return true;
    default:
        return false;
    }
}

bool isDc(int type)
{
    return type >= 30 && type <= 35;
}

bool isCelsius(int type)
{
    return type >= 0 && type <= 14 && !isTenth(type);
}

bool isFahrenheit(int type)
{
    return type >= 15 && type <= 29 && !isTenth(type);
}

} // namespace InputType

namespace ParameterTable
{

bool isMonitorCode(int code)
{
    return code >= 0 && code < SessionState::MonitorCount;
}

bool isSettingCode(int code)
{
    return code >= 10 && code < 10 + SessionState::SettingCount;
}

bool storeReadWord(SessionState &shared, const CommComponent *com, const QString &reply, int code)
{
    if (!com || !(isMonitorCode(code) || isSettingCode(code)))
        return false;
    bool ok = false;
    const qint16 value = DataWord::fromHex(com->replyWord(reply, 1), &ok);
    if (!ok)
        return false;
    if (isMonitorCode(code)) {
        shared.monitorValues[code] = value;
        return true;
    }
    shared.setting(code) = value;
    shared.readValues.at(code - 10) = value;
    return true;
}

QString inputTypeName(int inputType)
{
    return inputType >= 0 && inputType <= 35 ? msg(750 + inputType) : QString();
}

std::array<qint16, SessionState::SettingCount> defaultSettingValues()
{
    std::array<qint16, SessionState::SettingCount> values{};
    const std::pair<int, qint16> defaults[] = {
        {3, 10},    {4, 10},    {5, 200},  {6, 50},  {7, 30},   {8, 30},
        {15, 1370}, {16, -200}, {19, 100}, {21, 10}, {23, 100}, {25, 10},
        {28, 10},   {29, 10},   {41, 20},  {42, 50}, {46, 50},
    };
    for (const auto &[index, value] : defaults)
        values[index] = value;
    return values;
}

int captionMessage(int code, bool rated50A)
{
    switch (code) {
    case 0:
        return 77;
    case 1:
        return 79;
    case 2:
        return 80;
    case 12:
        return 151;
    case 21:
        return rated50A ? 155 : 111;
    case 53:
        return rated50A ? 156 : 143;
    case 58:
        return 148;
    case 59:
        return 149;
    case 60:
        return 150;
    case 61:
        return 164;
    case 62:
        return 165;
    case 63:
        return 166;
    default:
        return code >= 11 && code <= 57 ? code + 90 : 0;
    }
}

int vendorItemIndex(int code)
{
    switch (code) {
    case 11:
        return 9;
    case 51:
        return 13;
    case 58:
    case 59:
    case 60:
        return code - 48;
    case 61:
    case 62:
    case 63:
        return code - 47;
    case 64:
        return 17;
    default:
        return 0;
    }
}

int vendorCopyIndex(int code)
{
    switch (code) {
    case 11:
        return 1;
    case 51:
        return 5;
    case 58:
    case 59:
    case 60:
        return code - 56;
    case 61:
    case 62:
    case 63:
        return code - 55;
    default:
        return 0;
    }
}

} // namespace ParameterTable
