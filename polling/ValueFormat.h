#pragma once

#include <QString>
#include <QtGlobal>

struct SessionState;

// Display texts of controller values. Decimal separators follow the default QLocale; the minus
// sign is always "-".
namespace NumberFormat
{
// value / 10^decimals with that many decimals and at least one integer digit, no group
// separators: the patterns "#####0" (0), "###0.0" (1), "##0.00" (2), "#0.000" (3).
QString scaled(int value, int decimals);
// By a decimal point place 0 to 3 as scaled(); any other place gives an empty text.
QString byDecimalPlace(int value, int place);
// Signed number text with one blank in front of a value that is not negative (" 0", "-200").
QString plainSigned(int value);
} // namespace NumberFormat

// The display text of the current value of a parameter code (0 to 8 from monitorValues, 10 to 65
// from settingValues): a number scaled by the item's unit rule (input type, code 49, and decimal
// point place, code 27) or the name of an enumerated choice. An enumerated value outside its
// choices reads as its number with a mark (message 1041), except for the items whose value 0 has
// one text and every other value another (44, 47, 48, 50); codes without a value (9, outside 0 to
// 65) give an empty text.
QString formatItemValue(const SessionState &shared, int code);
// The same for a value that code does not hold now (a value sent, or one read elsewhere), shown
// by the item's present unit rule, with the same marks and empty results.
QString formatItemValue(const SessionState &shared, int code, qint16 value);
// That text without its padding, or the bare number where the item has no text for value: what a
// message or a list names as a value sent or held.
QString itemValueText(const SessionState &shared, int code, qint16 value);

// The text that showLoadedSettings puts into a setting label after a settings file is loaded: as
// formatItemValue, except that the decimal point place (27) reads "XXXX", "XXX. X", "XX. XX",
// "X. XXX" and auto-tuning (12) shows the AR texts whenever any of codes 13, 15, 16 is 0.
QString loadedSettingText(const SessionState &shared, int code);
