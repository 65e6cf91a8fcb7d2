#pragma once

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"

#include <QString>

class CommComponent;

// Input type (parameter code 49) classes: 0 to 14 Celsius sensor ranges, 15 to 29 the same
// sensors in Fahrenheit, 30 to 35 DC current and voltage inputs.
namespace InputType
{
// Ranges shown with one decimal: 1, 7, 11, 12, 16, 22, 26, 27.
bool isTenth(int type);
bool isDc(int type);         // 30 to 35
bool isCelsius(int type);    // 0 to 14, not tenth
bool isFahrenheit(int type); // 15 to 29, not tenth
} // namespace InputType

// Facts about the parameter codes 0 to 65 that name every controller value.
namespace ParameterTable
{

bool isMonitorCode(int code); // 0 to 8, held in monitorValues
bool isSettingCode(int code); // 10 to 65, held in settingValues at code - 10

// Stores the data word of a good reply under code: word 1 taken with com.replyWord and read as a
// signed 16-bit value (FFFF -> -1); a setting code's value is also kept as read (readValues).
// Returns false, storing nothing, for a code outside 0 to 8 and
// 10 to 65, a null com or a reply without a readable word.
bool storeReadWord(SessionState &shared, const CommComponent *com, const QString &reply, int code);

// Name of an input type: message 750 + type for 0 to 35, else empty.
QString inputTypeName(int inputType);

// settingValues when the program starts without a settings data file.
std::array<qint16, SessionState::SettingCount> defaultSettingValues();

// The message that names a code in the main display's rows; 0 for codes without one (3 to 10,
// 64, 65). The heater burnout alarms (21, 53) have their own caption for the 50 A rating.
int captionMessage(int code, bool rated50A = false);

// Where the vendor-frame items of a code stand in vendorItemTable: the working item ("q" writes
// and reads) and the stored non-volatile copy ("r" writes). 0 when the code has none.
// 11 FC30/001C, 51 FC90/004C, 58 FC32/001D, 59 FC34/001E, 60 FC36/001F, 61 FC92/004D,
// 62 FC94/004E, 63 FC96/004F; 64 reads FF13 and has no copy.
int vendorItemIndex(int code);
int vendorCopyIndex(int code);

} // namespace ParameterTable
