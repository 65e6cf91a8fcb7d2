#pragma once

#include <QString>

#include <optional>
#include <utility>

struct SessionState;

// Limits of the numeric setting items for the parameter entry dialog. All limits are raw 16-bit
// values in the controller's units (tenths where the item shows one decimal); both ends allowed.
namespace SettingRanges
{

// The dialog's two texts: currentValue (the current value as shown on the main window) and
// rangeValue ("min to max"); limitData is empty when the range text is not to be written (DC
// input with a decimal point place outside 0 to 3), so the dialog keeps its previous text.
struct EntryTexts {
    QString nowData;
    std::optional<QString> limitData;
};

// Range set-up for shared.itemCode: clears and maybe sets shared.editOneDecimal, sets
// shared.editMin and shared.editMax for the numeric items among codes 11 to 60 (choice items and
// any other code keep the limits as they were) and returns the dialog texts.
EntryTexts SetEntryRange(SessionState &shared, const QString &currentText);

// The measuring range of the input type (code 49) into editMax / editMin. For DC and unknown
// input types the range is 10000 / -2000 while code 25 or 26 itself is edited, else the scaling
// limits.
void InputRangeLimits(SessionState &shared, int editedCode);

// The scaling limits (max, min) that go with an input type: its measuring range for types 0 to
// 29, 10000 and -2000 for the DC types and any other value.
std::pair<int, int> inputTypeScaling(int inputType);

// Limits of alarm 1 value (code 19, type code 36) or alarm 2 value (code 20, type code 37):
// deviation alarms +-span or 0..span of the scaling span, process alarms the scaling limits.
void AlarmValueLimits(SessionState &shared, int alarmCode);

// Items shown by the decimal point place (code 27) when the input is DC (type 30 or more): set
// values, alarm values, scaling limits and the other PV-unit items.
bool usesDecimalPlace(int code);

// Number of choices of the items set through the selection dialog (values 0 to count - 1); 0 for
// the numeric items.
int choiceCount(int code);

// The raw values (min, max, both allowed) a single write of code 11 to 63 may send, with the
// values of shared as they stand: the choices of a choice item, the manual output buttons' limits
// (tenths of a percent) for code 46, else SetEntryRange's limits. shared.itemCode, editMin, editMax
// and editOneDecimal are changed as SetEntryRange changes them.
std::pair<int, int> valueLimits(SessionState &shared, int code);

// The heater burnout alarm is rated 50 A: online from optionWord bit 0x08, offline from the unit
// configuration (heaterBreak 2 or 4).
bool isRated50A(const SessionState &shared);

// The item's caption as the pages show it (the heater burnout items by their rating).
QString itemName(const SessionState &shared, int code);

} // namespace SettingRanges
