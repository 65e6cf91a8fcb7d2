#include "sim/RegisterBank.h"

#include <algorithm>

namespace
{

// Setting registers with the values of a controller as delivered (input type 0, K thermocouple).
struct Default {
    quint16 address;
    qint16 value;
};
constexpr Default SettingDefaults[] = {
    {0x0001, 200}, {0x0003, 0},  {0x0004, 30},   {0x0005, 10},   {0x0006, 240}, {0x0007, 20},
    {0x0008, 30},  {0x0009, 20}, {0x000B, 50},   {0x000C, 0},    {0x000F, 0},   {0x0012, 0},
    {0x0015, 0},   {0x0016, 0},  {0x0018, 1370}, {0x0019, -200}, {0x001A, 0},   {0x001B, 0},
    {0x001C, 100}, {0x001D, 0},  {0x001E, 10},   {0x001F, 0},    {0x0020, 100}, {0x0021, 0},
    {0x0022, 10},  {0x0023, 1},  {0x0024, 0},    {0x0025, 10},   {0x0026, 10},  {0x0029, 0},
    {0x002A, 0},   {0x0033, 0},  {0x0034, 0},    {0x0037, 0},    {0x0038, 0},   {0x0039, 0},
    {0x0040, 0},   {0x0041, 0},  {0x0044, 0},    {0x0045, 0},    {0x0047, 20},  {0x0048, 100},
    {0x0049, 0},   {0x0050, 0},  {0x0051, 0},    {0x0052, 50},   {0x0053, 0},   {0x0070, 0},
};
constexpr quint16 MonitorAddresses[] = {0x0080, 0x0081, 0x0082, 0x0083, 0x0084,
                                        0x0085, 0x0086, 0x0087, 0x00A1, 0x00A2};

// Stored (non-volatile) copies of the vendor-frame working items.
constexpr std::pair<quint16, quint16> StoredCopies[] = {
    {0xFC30, 0x001C}, {0xFC32, 0x001D}, {0xFC34, 0x001E}, {0xFC36, 0x001F},
    {0xFC90, 0x004C}, {0xFC92, 0x004D}, {0xFC94, 0x004E}, {0xFC96, 0x004F},
};

// Registers of an option; writes to them are refused when the option is not built in.
constexpr quint16 Alarm2Registers[] = {0x000C, 0x0024, 0x0026, 0x002A, 0x0041};
constexpr quint16 CoolingRegisters[] = {0x0005, 0x0009, 0x0016, 0x001F, 0x0020, 0x0021, 0x0022};

template <typename Range> bool contains(const Range &range, quint16 address)
{
    return std::find(std::begin(range), std::end(range), address) != std::end(range);
}

std::optional<std::pair<int, int>> range(int min, int max)
{
    return std::make_pair(min, max);
}

} // namespace

RegisterBank::RegisterBank(const ModelOptions &model, int inputType, qint16 modeValue)
    : m_model(model), m_modeValue(modeValue)
{
    for (const Default &d : SettingDefaults)
        m_registers.insert(d.address, d.value);
    for (quint16 address : MonitorAddresses)
        m_registers.insert(address, 0);
    m_registers[OptionWord] = qint16(model.optionWord());
    m_registers[OptionWord2] = qint16(model.optionWord2());
    if (model.heaterBreak > 0)
        m_registers[HeaterBreak1] = 30;
    if (model.heaterBreakThreePhase())
        m_registers[HeaterBreak2] = 30;
    for (quint16 item : {ItemSetValue2, ItemSetValue3, ItemSetValue4})
        m_items.insert(item, 200);
    m_items.insert(ItemContactFunction, 0);
    m_items.insert(ItemAbnormalOutput, 0);
    m_items.insert(ItemOutOffKeyFunction, 0);
    m_items.insert(ItemMemoryNumber, 0);
    m_items.insert(ItemAlarm1Standby, 0);
    m_items.insert(ItemAlarm2Standby, 0);
    for (const auto &[working, stored] : StoredCopies)
        m_items.insert(stored, item(working));
    applyInputType(inputType);
}

std::optional<qint16> RegisterBank::read(quint16 address) const
{
    if (address == ModeRegister)
        return m_modeValue;
    const auto it = m_registers.constFind(address);
    if (it == m_registers.cend())
        return std::nullopt;
    return *it;
}

WriteResult RegisterBank::write(quint16 address, qint16 value)
{
    // The mode register reads the firmware's mode value; writing 0000 selects normal operation
    // (the monitoring refresh sends it every 10 s) and changes nothing that can be read back.
    if (address == ModeRegister)
        return value == 0 ? WriteResult::Accepted : WriteResult::OutOfRange;
    if (!m_registers.contains(address) || address >= Pv || !presentInModel(address))
        return WriteResult::NoRegister;
    const auto allowed = limits(address);
    if (allowed && (value < allowed->first || value > allowed->second))
        return WriteResult::OutOfRange;
    // A new input type resets the scaling; the same one written again changes nothing.
    if (address == InputType && value != this->value(InputType))
        applyInputType(value);
    else
        m_registers[address] = value;
    return WriteResult::Accepted;
}

std::optional<qint16> RegisterBank::readItem(quint16 item) const
{
    if (!itemPresent(item))
        return std::nullopt;
    return this->item(item);
}

WriteResult RegisterBank::writeItem(quint16 item, qint16 value)
{
    if (!itemPresent(item))
        return WriteResult::NoRegister;
    const auto allowed = itemLimits(item);
    if (allowed && (value < allowed->first || value > allowed->second))
        return WriteResult::OutOfRange;
    setItem(item, value);
    return WriteResult::Accepted;
}

void RegisterBank::set(quint16 address, qint16 value)
{
    m_registers[address] = value;
}

qint16 RegisterBank::item(quint16 item) const
{
    // The main set value and the AT bias are the registers themselves.
    if (item == ItemMainSetValue)
        return value(MainSetValue);
    if (item == ItemAtBias)
        return value(AtBias);
    return m_items.value(item);
}

void RegisterBank::setItem(quint16 item, qint16 value)
{
    if (item == ItemMainSetValue)
        m_registers[MainSetValue] = value;
    else if (item == ItemAtBias)
        m_registers[AtBias] = value;
    else
        m_items[item] = value;
}

qint16 RegisterBank::selectedSetValue() const
{
    if (!m_model.hasSetValueMemories())
        return value(MainSetValue);
    switch (item(ItemMemoryNumber)) {
    case 1:
        return item(ItemSetValue2);
    case 2:
        return item(ItemSetValue3);
    case 3:
        return item(ItemSetValue4);
    default:
        return value(MainSetValue);
    }
}

std::optional<std::pair<int, int>> RegisterBank::limits(quint16 address) const
{
    const int input = value(InputType);
    const bool tenth = isTenthType(input);
    const bool dc = isDcType(input);
    const bool dcOutput = m_model.outputType == OutputType::Current;
    const int high = value(ScalingHigh);
    const int low = value(ScalingLow);
    const auto alarmLimits = [&](quint16 typeRegister) {
        const int span = high - low;
        switch (value(typeRegister)) {
        case 1:
        case 2:
        case 7:
        case 8:
            return range(-span, span);
        case 3:
        case 4:
        case 9:
            return range(0, span);
        default:
            return range(low, high);
        }
    };
    switch (address) {
    case MainSetValue:
        return range(low, high);
    case AutoTuning:
    case OutOff:
    case AutoManual:
    case 0x0040:
    case 0x0041:
    case DirectAction:
    case SettingFlag:
        return range(0, 1);
    case ProportionalBand:
        return range(0, tenth ? 10000 : dc ? 1000 : input >= 15 ? 2000 : 1000);
    case CoolingBand:
        return range(0, 100);
    case IntegralTime:
        return range(0, 1000);
    case DerivativeTime:
        return range(0, 300);
    case ProportionalCycle:
    case CoolingCycle:
        return range(1, 120);
    case Alarm1Value:
        return alarmLimits(Alarm1Type);
    case Alarm2Value:
        return alarmLimits(Alarm2Type);
    case HeaterBreak1:
    case HeaterBreak2:
        return range(0, m_model.heaterBreak50A() ? 500 : 200);
    case 0x0012: // set value lock
    case DecimalPoint:
        return range(0, 3);
    case SensorCorrection:
    case 0x0016: // overlap / dead band
        return range(-1000, 1000);
    case ScalingHigh: {
        const auto [min, max] = inputRange(input);
        return range(std::max(min, low), dc ? 10000 : max);
    }
    case ScalingLow: {
        const auto [min, max] = inputRange(input);
        return range(dc ? -2000 : min, std::min(max, high));
    }
    case 0x001B: // PV filter
    case 0x0048: // anti-reset windup
        return range(0, 100);
    case OutputHigh:
        return range(value(OutputLow), dcOutput ? 105 : 100);
    case OutputLow:
        return range(dcOutput ? -5 : 0, value(OutputHigh));
    case OnOffHysteresis:
    case 0x0022:
    case Alarm1Hysteresis:
    case Alarm2Hysteresis:
    case 0x0052: // PV colour range
        return range(1, 1000);
    case 0x001F: // cooling action mode
        return range(0, 2);
    case CoolingHigh:
        return range(value(CoolingLow), 100);
    case CoolingLow:
        return range(0, value(CoolingHigh));
    case Alarm1Type:
    case Alarm2Type:
        return range(0, 9);
    case Alarm1Delay:
    case Alarm2Delay:
    case RiseRate:
    case FallRate:
        return range(0, 10000);
    case ManualOutput:
        return range(m_model.heatCool ? -1000 : value(OutputLow) * 10, value(OutputHigh) * 10);
    case InputType:
        return range(0, 35);
    case AtBias:
        return atBiasLimits(m_modeValue < DefaultModeValue);
    case 0x0050: // backlight
    case 0x0051: // PV colour
        return range(0, 6);
    case 0x0053: // backlight time
        return range(0, 99);
    default:
        break;
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> RegisterBank::itemLimits(quint16 item) const
{
    for (const auto &[working, stored] : StoredCopies) {
        if (item == stored)
            return itemLimits(working);
    }
    switch (item) {
    case ItemMainSetValue:
    case ItemSetValue2:
    case ItemSetValue3:
    case ItemSetValue4:
        return range(value(ScalingLow), value(ScalingHigh));
    case ItemAtBias:
        return atBiasLimits(false);
    case ItemContactFunction:
        return range(0, 2);
    case ItemAbnormalOutput:
    case ItemOutOffKeyFunction:
    case ItemAlarm1Standby:
    case ItemAlarm2Standby:
        return range(0, 1);
    case ItemMemoryNumber:
        return range(0, 3);
    default:
        return std::nullopt;
    }
}

std::pair<int, int> RegisterBank::atBiasLimits(bool tenthsLimitedToWhole) const
{
    const int input = value(InputType);
    const int max = isDcType(input) ? 0 : input >= 15 ? 100 : 50;
    // Before mode value 266 the register takes a tenth-type bias only up to the whole-degree
    // maximum; the vendor item always takes the whole range.
    return {0, isTenthType(input) && !tenthsLimitedToWhole ? max * 10 : max};
}

std::pair<int, int> RegisterBank::inputRange(int inputType)
{
    switch (inputType) {
    case 0:
        return {-200, 1370};
    case 1:
    case 7:
        return {-2000, 4000};
    case 2:
        return {-200, 1000};
    case 3:
    case 4:
        return {0, 1760};
    case 5:
        return {0, 1820};
    case 6:
        return {-200, 800};
    case 8:
        return {-200, 1300};
    case 9:
        return {0, 1390};
    case 10:
        return {0, 2315};
    case 11:
        return {-2000, 8500};
    case 12:
        return {-2000, 5000};
    case 13:
        return {-200, 850};
    case 14:
        return {-200, 500};
    case 15:
        return {-320, 2500};
    case 16:
    case 22:
        return {-3200, 7500};
    case 17:
        return {-320, 1800};
    case 18:
    case 19:
        return {0, 3200};
    case 20:
        return {0, 3300};
    case 21:
    case 28:
        return {-320, 1500};
    case 23:
        return {-320, 2300};
    case 24:
        return {0, 2500};
    case 25:
        return {0, 4200};
    case 26:
        return {-3200, 15000};
    case 27:
        return {-3200, 9000};
    case 29:
        return {-320, 900};
    default:
        return {-2000, 10000};
    }
}

bool RegisterBank::isTenthType(int inputType)
{
    switch (inputType) {
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

bool RegisterBank::isStoredCopy(quint16 item)
{
    return std::any_of(std::begin(StoredCopies), std::end(StoredCopies),
                       [item](const auto &copy) { return copy.second == item; });
}

bool RegisterBank::presentInModel(quint16 address) const
{
    if (contains(Alarm2Registers, address))
        return m_model.alarm2;
    if (contains(CoolingRegisters, address))
        return m_model.heatCool;
    if (address == HeaterBreak1)
        return m_model.heaterBreak > 0;
    if (address == HeaterBreak2)
        return m_model.heaterBreakThreePhase();
    return true;
}

bool RegisterBank::itemPresent(quint16 item) const
{
    switch (item) {
    case ItemSetValue2:
    case ItemSetValue3:
    case ItemSetValue4:
    case ItemContactFunction:
    case 0x001D:
    case 0x001E:
    case 0x001F:
    case 0x004D:
        return m_model.hasSetValueMemories();
    default:
        return item == ItemMainSetValue || item == ItemAtBias || m_items.contains(item);
    }
}

void RegisterBank::applyInputType(int inputType)
{
    m_registers[InputType] = qint16(inputType);
    const auto [min, max] = inputRange(inputType);
    m_registers[ScalingHigh] = qint16(isDcType(inputType) ? 1000 : max);
    m_registers[ScalingLow] = qint16(isDcType(inputType) ? 0 : min);
    const auto clampSv = [&](qint16 v) {
        return qint16(std::clamp<int>(v, value(ScalingLow), value(ScalingHigh)));
    };
    m_registers[MainSetValue] = clampSv(value(MainSetValue));
    for (quint16 item : {ItemSetValue2, ItemSetValue3, ItemSetValue4})
        m_items[item] = clampSv(m_items.value(item));
}
