#pragma once

#include "sim/SimConfig.h"

#include <QList>
#include <QMap>
#include <QtGlobal>

#include <optional>

// Why a write was refused, or that it was taken.
enum class WriteResult {
    Accepted,
    NoRegister, // no such register or item, or not writable, or not in this model
    OutOfRange,
    // The controller's refusals, never the bank's:
    NotInThisMode, // not possible in the present control mode (auto-tuning an ON/OFF loop)
    KeysOperated,  // the front panel is in use
};

// The controller's data: the registers of the user protocols (Modbus addresses) and the items of
// the vendor frame. Writes from the line are checked against the value ranges and the installed
// options; the process model and the front panel use set(), which checks nothing.
class RegisterBank
{
public:
    // Register addresses with a meaning of their own.
    enum Address : quint16 {
        ModeRegister = 0x0000,
        MainSetValue = 0x0001,
        AutoTuning = 0x0003,
        ProportionalBand = 0x0004,
        CoolingBand = 0x0005,
        IntegralTime = 0x0006,
        DerivativeTime = 0x0007,
        ProportionalCycle = 0x0008,
        CoolingCycle = 0x0009,
        Alarm1Value = 0x000B,
        Alarm2Value = 0x000C,
        HeaterBreak1 = 0x000F,
        SensorCorrection = 0x0015,
        ScalingHigh = 0x0018,
        ScalingLow = 0x0019,
        DecimalPoint = 0x001A,
        OutputHigh = 0x001C,
        OutputLow = 0x001D,
        OnOffHysteresis = 0x001E,
        CoolingHigh = 0x0020,
        CoolingLow = 0x0021,
        Alarm1Type = 0x0023,
        Alarm2Type = 0x0024,
        Alarm1Hysteresis = 0x0025,
        Alarm2Hysteresis = 0x0026,
        Alarm1Delay = 0x0029,
        Alarm2Delay = 0x002A,
        RiseRate = 0x0033,
        FallRate = 0x0034,
        OutOff = 0x0037,
        AutoManual = 0x0038,
        ManualOutput = 0x0039,
        InputType = 0x0044,
        DirectAction = 0x0045,
        AtBias = 0x0047,
        HeaterBreak2 = 0x0049,
        SettingFlag = 0x0070,
        Pv = 0x0080,
        Mv1 = 0x0081,
        Mv2 = 0x0082,
        SvInUse = 0x0083,
        StatusWord = 0x0085,
        HeaterCurrent1 = 0x0086,
        HeaterCurrent2 = 0x0087,
        OptionWord = 0x00A1,
        OptionWord2 = 0x00A2,
    };
    // Vendor-frame items with a meaning of their own.
    enum Item : quint16 {
        ItemMainSetValue = 0xFC30,
        ItemSetValue2 = 0xFC32,
        ItemSetValue3 = 0xFC34,
        ItemSetValue4 = 0xFC36,
        ItemAtBias = 0xFC90,
        ItemContactFunction = 0xFC92,
        ItemAbnormalOutput = 0xFC94,
        ItemOutOffKeyFunction = 0xFC96,
        ItemMemoryNumber = 0xFF13,
        ItemAlarm1Standby = 0xFF1A,
        ItemAlarm2Standby = 0xFF1B,
    };

    // The mode register's value from 266 on accepts the full AT bias range directly.
    static constexpr qint16 DefaultModeValue = 266;

    explicit RegisterBank(const ModelOptions &model = {}, int inputType = 0,
                          qint16 modeValue = DefaultModeValue);

    const ModelOptions &model() const { return m_model; }

    // A register as a user-protocol read sees it; nullopt when there is none at that address.
    std::optional<qint16> read(quint16 address) const;
    // A user-protocol write. The mode register's key is the controller's business, not the bank's:
    // here every write to it is out of range.
    WriteResult write(quint16 address, qint16 value);

    // A vendor-frame item; nullopt when this model has no such item.
    std::optional<qint16> readItem(quint16 item) const;
    WriteResult writeItem(quint16 item, qint16 value);

    // Unchecked access for the process model, the front panel and tests.
    qint16 value(quint16 address) const { return m_registers.value(address); }
    void set(quint16 address, qint16 value);
    qint16 item(quint16 item) const;
    void setItem(quint16 item, qint16 value);

    // The set value the memory number selects (main set value for memory 0).
    qint16 selectedSetValue() const;

    // The allowed range of a setting register or a vendor item in the present state (other
    // settings, input type, options); nullopt for those without a range.
    std::optional<std::pair<int, int>> limits(quint16 address) const;
    std::optional<std::pair<int, int>> itemLimits(quint16 item) const;

    // Measuring range of an input type, raw (tenths for the tenth-resolution types); for the DC
    // inputs the scaling range.
    static std::pair<int, int> inputRange(int inputType);
    static bool isTenthType(int inputType);
    static bool isDcType(int inputType) { return inputType >= 30; }
    // The stored (non-volatile) copies of the vendor-frame working items (001C to 001F, 004C to
    // 004F), which only the vendor write "r" reaches.
    static bool isStoredCopy(quint16 item);

private:
    std::pair<int, int> atBiasLimits(bool tenthsLimitedToWhole) const;
    bool presentInModel(quint16 address) const;
    bool itemPresent(quint16 item) const;
    // Scaling limits reset to the new input type's measuring range, set values clamped into it.
    void applyInputType(int inputType);

    ModelOptions m_model;
    qint16 m_modeValue;
    QMap<quint16, qint16> m_registers;
    QMap<quint16, qint16> m_items;
};
