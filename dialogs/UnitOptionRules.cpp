#include "UnitOptionRules.h"
#include "comm/ControllerCodes.h"

namespace
{
bool rated50A(int heaterBreak)
{
    return heaterBreak == 2 || heaterBreak == 4;
}

template <typename Config> auto &fieldOf(Config &c, UnitOptionRules::Field f)
{
    switch (f) {
    case UnitOptionRules::Alarm2:
        return c.alarm2;
    case UnitOptionRules::HeatCool:
        return c.heatCool;
    case UnitOptionRules::HeaterBreak:
        return c.heaterBreak;
    case UnitOptionRules::ContactInput:
        return c.contactInput;
    case UnitOptionRules::OutputType:
        return c.outputType;
    case UnitOptionRules::SerialComm:
        break;
    }
    return c.serialComm;
}
} // namespace

UnitOptionRules::UnitOptionRules(SessionState &shared)
    : m_shared(shared), m_atOpen(shared.unitConfig)
{
    m_showsConfiguration = shared.linkVerified || shared.settingDataValid;
    if (m_atOpen.heaterBreak != 0)
        shared.heaterBreak50A = rated50A(m_atOpen.heaterBreak);
    for (int f = 0; f < FieldCount; ++f) {
        const Field fieldIndex = Field(f);
        if (const int message = click(fieldIndex, m_showsConfiguration ? value(fieldIndex) : 0))
            m_droppedAtOpen.append(message);
    }
}

int UnitOptionRules::fieldCaption(Field field)
{
    static constexpr std::array<int, FieldCount> Captions = {178, 179, 180, 181, 177, 191};
    return Captions.at(field);
}

int UnitOptionRules::valueCaption(Field field, int value)
{
    switch (field) {
    case HeaterBreak:
        return value == 0 ? 185 : 186 + value; // 187 to 190
    case OutputType:
        return 182 + value;
    default:
        return 185 + value;
    }
}

int UnitOptionRules::valueIn(const UnitConfig &unit, Field field)
{
    return fieldOf(unit, field);
}

int UnitOptionRules::valueAtOpen(Field f) const
{
    return fieldOf(m_atOpen, f);
}

qint16 &UnitOptionRules::field(Field f)
{
    return fieldOf(m_shared.unitConfig, f);
}

int UnitOptionRules::value(Field f) const
{
    return fieldOf(m_shared.unitConfig, f);
}

int UnitOptionRules::refusal(Field f, int value) const
{
    const UnitConfig &c = m_shared.unitConfig;
    switch (f) {
    case Alarm2:
        return value != 0 && c.heatCool != 0 ? 285 : 0;
    case HeatCool:
        return value != 0 && (c.heaterBreak != 0 || c.alarm2 != 0) ? 286 : 0;
    case HeaterBreak:
        if (value == 0)
            return 0;
        if (c.heatCool != 0)
            return 287;
        return c.outputType == DcCurrent ? 293 : 0;
    case ContactInput:
        return value != 0 && c.serialComm != 0 ? 288 : 0;
    case OutputType:
        return value == DcCurrent && c.heaterBreak != 0 ? 284 : 0;
    case SerialComm:
        break;
    }
    return value != 0 && c.contactInput != 0 ? 289 : 0;
}

int UnitOptionRules::click(Field f, int value)
{
    const int message = refusal(f, value);
    if (message == 0)
        take(f, value);
    else
        take(f, f == OutputType ? m_shared.unitConfig.outputType : 0);
    return message;
}

void UnitOptionRules::take(Field f, int value)
{
    const UnitConfig &c = m_shared.unitConfig;
    const bool added = value != 0;
    switch (f) {
    case Alarm2:
        // Heating/cooling stays locked by a heater burnout alarm.
        if (added || c.heaterBreak == 0)
            m_locked[HeatCool] = added;
        break;
    case HeatCool:
        m_locked[Alarm2] = added;
        if (added || c.outputType != DcCurrent)
            m_locked[HeaterBreak] = added;
        break;
    case HeaterBreak:
        if (added || c.alarm2 == 0)
            m_locked[HeatCool] = added;
        m_dcCurrentLocked = added;
        break;
    case ContactInput:
        m_locked[SerialComm] = added;
        break;
    case OutputType:
        m_locked[HeaterBreak] = value == DcCurrent;
        break;
    case SerialComm:
        m_locked[ContactInput] = added;
        break;
    }
    field(f) = qint16(value);
}

void UnitOptionRules::change()
{
    m_shared.settingDataValid = true;
    const int heaterBreak = m_shared.unitConfig.heaterBreak;
    if (heaterBreak == 0 || rated50A(heaterBreak) != m_shared.heaterBreak50A) {
        m_shared.setting(Code::HeaterBurnout1) = 0;
        m_shared.setting(Code::HeaterBurnout2) = 0;
    }
    m_shared.unsavedOnlineChanges = true;
    m_shared.unitCheckFlag = true;
}

void UnitOptionRules::cancel()
{
    m_shared.unitConfig = m_atOpen;
}
