#pragma once

#include <QtGlobal>

// The controller's vocabulary, each name defined here once: the parameter codes that name its
// values (0 to 8 monitor items in monitorValues, 10 to 65 setting items in settingValues at
// code - 10) and the bits of its status and option words.
namespace Code
{
constexpr int Pv = 0;
constexpr int Mv1 = 1;
constexpr int Mv2 = 2;
constexpr int Sv = 3;
constexpr int Status = 4;
constexpr int Option = 7;
constexpr int Option2 = 8;
constexpr int ModeRegister = 10;
constexpr int MainSetValue = 11;
constexpr int AutoTuning = 12;
constexpr int ProportionalBand = 13;
constexpr int CoolingProportionalBand = 14;
constexpr int IntegralTime = 15;
constexpr int DerivativeTime = 16;
constexpr int Alarm1Value = 19;
constexpr int Alarm2Value = 20;
constexpr int HeaterBurnout1 = 21;
constexpr int ScaleHigh = 25;
constexpr int ScaleLow = 26;
constexpr int DecimalPlace = 27;
constexpr int OutputHigh = 29;
constexpr int OutputLow = 30;
constexpr int CoolingOutputHigh = 33;
constexpr int CoolingOutputLow = 34;
constexpr int Alarm1Type = 36;
constexpr int Alarm2Type = 37;
constexpr int OutOff = 44;
constexpr int AutoManual = 45;
constexpr int ManualOutput = 46;
constexpr int Alarm1Energized = 47;
constexpr int Alarm2Energized = 48;
constexpr int InputType = 49;
constexpr int AtBias = 51;
constexpr int HeaterBurnout2 = 53;
// Codes 58 to 63 live only in the vendor frame: set values 2 to 4, the contact input function,
// the output status when the input is abnormal and the OUT/OFF key function.
constexpr int FirstVendor = 58;
constexpr int SetValue2 = 58;
constexpr int SetValue3 = 59;
constexpr int SetValue4 = 60;
constexpr int ContactInputFunction = 61;
constexpr int AbnormalOutput = 62;
constexpr int OutOffKey = 63;
constexpr int LastVendor = 63;
constexpr int MemoryNumber = 64;
constexpr int SettingFlag = 65;

// The items a controller has only with heating/cooling: the cooling side's and the overlap band.
constexpr bool isHeatCoolItem(int code)
{
    return code == 14 || code == 18 || code == 24 || (code >= 32 && code <= 35);
}
} // namespace Code

// statusWord (code 4) bits.
namespace StatusBit
{
constexpr quint16 Out1 = 0x0001;
constexpr quint16 Out2 = 0x0002;
constexpr quint16 Alarm1 = 0x0004;
constexpr quint16 Alarm2 = 0x0008;
constexpr quint16 HeaterBurnout = 0x0040;
constexpr quint16 OverScale = 0x0100;
constexpr quint16 UnderScale = 0x0200;
constexpr quint16 OutputOff = 0x0400;
constexpr quint16 AutoTuning = 0x0800;
constexpr quint16 AutoManualKey = 0x1000; // the OUT/OFF key switches automatic/manual control
constexpr quint16 Manual = 0x4000;
constexpr quint16 SettingsChanged = 0x8000;
} // namespace StatusBit

// optionWord (code 7) bits.
namespace OptionBit
{
constexpr quint16 ContactInput = 0x0001;
constexpr quint16 SerialComm = 0x0002;
constexpr quint16 HeaterBurnout = 0x0004;
constexpr quint16 HeaterBurnout50A = 0x0008; // the heater burnout detector's rating is 50 A
constexpr quint16 ThreePhase = 0x0010;
constexpr quint16 Alarm2 = 0x0020;
constexpr quint16 HeatCool = 0x0040; // heating/cooling: the second output, MV2
} // namespace OptionBit

// optionWord2 (code 8) bits.
namespace Option2Bit
{
constexpr quint16 VoltageOutput = 0x0008; // non-contact voltage output
// The DC current output, whose output state on input abnormal is settable (code 62).
constexpr quint16 DcCurrentOutput = 0x0010;
} // namespace Option2Bit
