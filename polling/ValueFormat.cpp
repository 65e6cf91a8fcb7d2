#include "ValueFormat.h"

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"

#include <QLocale>

#include <cstdlib>

namespace NumberFormat
{

QString scaled(int value, int decimals)
{
    const QLocale locale;
    int divisor = 1;
    for (int i = 0; i < decimals; ++i)
        divisor *= 10;
    const int magnitude = std::abs(value);
    QString text = QString::number(magnitude / divisor);
    if (decimals > 0) {
        text += locale.decimalPoint();
        text += QStringLiteral("%1").arg(magnitude % divisor, decimals, 10, QLatin1Char('0'));
    }
    // A plain hyphen-minus in every locale, as QString::number gives it for whole numbers: a
    // locale's own minus sign (U+2212 under sv_SE) would set decimals apart from whole numbers
    // on screen and in the logs.
    return value < 0 ? QLatin1Char('-') + text : text;
}

QString byDecimalPlace(int value, int place)
{
    return place >= 0 && place <= 3 ? scaled(value, place) : QString();
}

QString plainSigned(int value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace NumberFormat

namespace
{

using NumberFormat::byDecimalPlace;
using NumberFormat::scaled;

// A value that is none of its item's choices: the raw number with a mark, so that it can
// never pass for one of them.
QString outOfList(int value)
{
    return msg(1041).arg(value);
}

// The text of message first + value for value 0 to count - 1, else outOfList().
QString choice(int value, int first, int count)
{
    return value >= 0 && value < count ? msg(first + value) : outOfList(value);
}

// Items whose value 0 has one text and any other value another: the controller reads every
// value but 0 as the second.
QString zeroOrOther(int value, int zero, int other)
{
    return msg(value == 0 ? zero : other);
}

int inputType(const SessionState &shared)
{
    return shared.setting(Code::InputType);
}

int decimalPlace(const SessionState &shared)
{
    return shared.setting(Code::DecimalPlace);
}

// Values in the unit of the process value.
QString pvUnit(const SessionState &shared, int value)
{
    const int type = inputType(shared);
    if (InputType::isTenth(type))
        return scaled(value, 1);
    if (InputType::isDc(type))
        return byDecimalPlace(value, decimalPlace(shared));
    return QString::number(value);
}

// Widths of a band (correction, hystereses, colour range): one decimal for every sensor.
QString span(const SessionState &shared, int value)
{
    const int type = inputType(shared);
    if (type >= 0 && type <= 29)
        return scaled(value, 1);
    return byDecimalPlace(value, decimalPlace(shared));
}

QString alarmType(int value)
{
    static const int messages[] = {200, 201, 203, 205, 207, 209, 211, 202, 204, 206};
    return value >= 0 && value <= 9 ? msg(messages[value]) : outOfList(value);
}

QString autoTuning(int value, bool autoReset)
{
    if (value == 1)
        return msg(autoReset ? 167 : 54);
    if (value == 0)
        return msg(autoReset ? 168 : 55);
    return outOfList(value);
}

QString decimalTemplate(int place, bool blankAfterPoint)
{
    static const char *plain[] = {"XXXX", "XXX.X", "XX.XX", "X.XXX"};
    static const char *blank[] = {"XXXX", "XXX. X", "XX. XX", "X. XXX"};
    if (place < 0 || place > 3)
        return outOfList(place);
    return QLatin1String(blankAfterPoint ? blank[place] : plain[place]);
}

bool hasValue(int code)
{
    return ParameterTable::isMonitorCode(code) || ParameterTable::isSettingCode(code);
}

int valueOf(const SessionState &shared, int code)
{
    return ParameterTable::isMonitorCode(code) ? shared.monitorValues[code] : shared.setting(code);
}

} // namespace

QString formatItemValue(const SessionState &shared, int code)
{
    return hasValue(code) ? formatItemValue(shared, code, qint16(valueOf(shared, code)))
                          : QString();
}

QString formatItemValue(const SessionState &shared, int code, qint16 value)
{
    if (!hasValue(code))
        return QString();
    switch (code) {
    case 1:
    case 2:
    case 5:
    case 6:
    case 14:
    case 21:
    case 28:
    case 53:
        return scaled(value, 1);
    case 12: {
        const bool pb = shared.setting(Code::ProportionalBand) != 0;
        const bool integral = shared.setting(Code::IntegralTime) != 0;
        const bool derivative = shared.setting(Code::DerivativeTime) != 0;
        if (pb && integral && derivative)
            return autoTuning(value, false);
        if (pb && !integral)
            return autoTuning(value, true);
        return QString();
    }
    case 13: {
        const int type = inputType(shared);
        return InputType::isTenth(type) || InputType::isDc(type) ? scaled(value, 1)
                                                                 : QString::number(value);
    }
    case 15:
    case 16:
    case 17:
    case 18:
    case 29:
    case 30:
    case 33:
    case 34:
    case 40:
    case 41:
    case 52:
    case 57:
        return QString::number(value);
    case 22:
        return choice(value, 244, 4);
    case 23:
    case 24:
    case 31:
    case 35:
    case 38:
    case 39:
    case 56:
        return span(shared, value);
    case 27:
        return decimalTemplate(value, false);
    case 32:
        return choice(value, 217, 3);
    case 36:
    case 37:
        return alarmType(value);
    case 44:
        return zeroOrOther(value, 318, 317);
    case 45:
        return choice(value, 319, 2);
    case 47:
    case 48:
        return zeroOrOther(value, 242, 243);
    case 49:
        return value >= 0 && value <= 35 ? ParameterTable::inputTypeName(value) : outOfList(value);
    case 50:
        return zeroOrOther(value, 213, 214);
    case 54:
        return choice(value, 60, 7);
    case 55:
        return choice(value, 67, 7);
    case 61:
        return choice(value, 170, 3);
    case 62:
        return choice(value, 173, 2);
    case 63:
        return choice(value, 175, 2);
    default:
        return pvUnit(shared, value);
    }
}

QString loadedSettingText(const SessionState &shared, int code)
{
    if (code == Code::DecimalPlace)
        return decimalTemplate(shared.setting(Code::DecimalPlace), true);
    if (code == Code::AutoTuning) {
        const bool anyZero = shared.setting(Code::ProportionalBand) == 0 ||
                             shared.setting(Code::IntegralTime) == 0 ||
                             shared.setting(Code::DerivativeTime) == 0;
        return autoTuning(shared.setting(Code::AutoTuning), anyZero);
    }
    return formatItemValue(shared, code);
}

QString itemValueText(const SessionState &shared, int code, qint16 value)
{
    const QString text = formatItemValue(shared, code, value).trimmed();
    return text.isEmpty() ? QString::number(value) : text;
}
