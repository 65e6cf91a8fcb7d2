#pragma once

#include <QString>

#include <optional>
#include <utility>

struct SessionState;

// Limits of the numeric setting items for the parameter entry dialog. All limits are raw 16-bit
// values in the controller's units (tenths where the item shows one decimal); both ends allowed.
namespace SettingRanges
{

// Raw limits, both allowed.
struct Limits {
    qint16 min = 0;
    qint16 max = 0;
};

// A numeric item as the entry dialog takes it: its limits, whether it shows one decimal, and the
// dialog's two texts: nowData (the current value as shown on the main window) and limitData
// ("min to max"), which is empty when the range cannot be shown (DC input with a decimal point
// place outside 0 to 3).
struct EntryRange {
    int code = 0;
    Limits limits;
    bool oneDecimal = false;
    QString nowData;
    std::optional<QString> limitData;
};

// The entry range of a numeric item among codes 11 to 60; nullopt for the choice items, the
// manual output and any other code.
std::optional<EntryRange> entryRange(const SessionState &shared, int code,
                                     const QString &currentText);

// The measuring range of the input type (code 49). For DC and unknown input types the range is
// 10000 / -2000 while code 25 or 26 itself is edited, else the scaling limits.
Limits inputRangeLimits(const SessionState &shared, int editedCode);

// The scaling limits (max, min) that go with an input type: its measuring range for types 0 to
// 29, 10000 and -2000 for the DC types and any other value.
std::pair<int, int> inputTypeScaling(int inputType);

// Limits of alarm 1 value (code 19, type code 36) or alarm 2 value (code 20, type code 37):
// deviation alarms +-span or 0..span of the scaling span, process alarms the scaling limits.
Limits alarmValueLimits(const SessionState &shared, int alarmCode);

// Items shown by the decimal point place (code 27) when the input is DC (type 30 or more): set
// values, alarm values, scaling limits and the other PV-unit items.
bool usesDecimalPlace(int code);

// Number of choices of the items set through the selection dialog (values 0 to count - 1); 0 for
// the numeric items.
int choiceCount(int code);

// The raw values (min, max, both allowed) a single write of code 11 to 63 may send, with the
// values of shared as they stand: the choices of a choice item, the manual output buttons' limits
// (tenths of a percent) for code 46, else the entry range's limits.
std::pair<int, int> valueLimits(const SessionState &shared, int code);

// The heater burnout alarm is rated 50 A: online from optionWord bit 0x08, offline from the unit
// configuration (heaterBreak 2 or 4).
bool isRated50A(const SessionState &shared);

// The item's caption as the pages show it (the heater burnout items by their rating).
QString itemName(const SessionState &shared, int code);

} // namespace SettingRanges
