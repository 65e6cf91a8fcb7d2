#include "SettingValueCheck.h"

#include "comm/ControllerCodes.h"
#include "transfer/SettingRanges.h"

namespace
{
constexpr int FirstCode = 11;
constexpr int LastCode = 63;
} // namespace

namespace SettingValueCheck
{

std::array<qint16, 6> unitConfigFields(const UnitConfig &c)
{
    return {c.alarm2, c.heatCool, c.heaterBreak, c.contactInput, c.outputType, c.serialComm};
}

std::pair<qint16, qint16> optionWordsOf(const UnitConfig &config)
{
    int word = 0;
    if (config.contactInput != 0)
        word |= OptionBit::ContactInput;
    if (config.serialComm != 0)
        word |= OptionBit::SerialComm;
    if (config.heaterBreak >= 1 && config.heaterBreak <= 4) {
        word |= OptionBit::HeaterBurnout;
        if (config.heaterBreak == 2 || config.heaterBreak == 4)
            word |= OptionBit::HeaterBurnout50A;
        if (config.heaterBreak >= 3)
            word |= OptionBit::ThreePhase;
    }
    if (config.alarm2 != 0)
        word |= OptionBit::Alarm2;
    if (config.heatCool != 0)
        word |= OptionBit::HeatCool;
    const int word2 = config.outputType == 1   ? Option2Bit::VoltageOutput
                      : config.outputType == 2 ? Option2Bit::DcCurrentOutput
                                               : 0;
    return {qint16(word), qint16(word2)};
}

QList<Fault> faults(const std::array<qint16, SessionState::SettingCount> &settingValues,
                    const UnitConfig &config)
{
    // The limits as a write would meet them at a controller fitted as the set says.
    SessionState set;
    set.settingValues = settingValues;
    set.unitConfig = config;
    set.online = true;
    const auto [optionWord, optionWord2] = optionWordsOf(config);
    set.monitorValues[Code::Option] = optionWord;
    set.monitorValues[Code::Option2] = optionWord2;
    QList<Fault> found;
    for (int code = FirstCode; code <= LastCode; ++code) {
        const auto [min, max] = SettingRanges::valueLimits(set, code);
        const int value = set.setting(code);
        if (value < min || value > max)
            found.append(Fault{code, value, min, max});
    }
    return found;
}

std::optional<Fault> firstFault(const std::array<qint16, SessionState::SettingCount> &settingValues,
                                const UnitConfig &config, const QList<int> &accepted)
{
    for (const Fault &fault : faults(settingValues, config)) {
        if (!accepted.contains(fault.code))
            return fault;
    }
    return std::nullopt;
}

} // namespace SettingValueCheck
