#include "polling/ItemNames.h"

#include "base/MessageTable.h"
#include "base/SettingData.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"

namespace ItemNames
{

QString caption(int code)
{
    switch (code) {
    case Code::Pv:
        return msg(77);
    case Code::Mv1:
        return msg(79);
    case Code::Mv2:
        return msg(80);
    case Code::Sv:
        return QStringLiteral("SV");
    case Code::Status:
        return QStringLiteral("status word");
    case 5:
        return QStringLiteral("heater current 1");
    case 6:
        return QStringLiteral("heater current 2");
    case Code::Option:
        return QStringLiteral("option word");
    case Code::Option2:
        return QStringLiteral("option word 2");
    case Code::ModeRegister:
        return QStringLiteral("mode register");
    case Code::SettingFlag:
        return QStringLiteral("setting-flag register");
    default:
        break;
    }
    const int message = ParameterTable::captionMessage(code);
    return message ? msg(message) : QString();
}

QString monitorUnit(const SettingData &settings, int code)
{
    switch (code) {
    case Code::Pv:
    case Code::Sv: {
        const int inputType = settings.setting(Code::InputType);
        if (inputType >= 0 && inputType <= 14)
            return QStringLiteral("°C");
        if (inputType >= 15 && inputType <= 29)
            return QStringLiteral("°F");
        return QString();
    }
    case Code::Mv1:
    case Code::Mv2:
        return QStringLiteral("%");
    case 5:
    case 6:
        return QStringLiteral("A");
    default:
        return QString();
    }
}

} // namespace ItemNames
