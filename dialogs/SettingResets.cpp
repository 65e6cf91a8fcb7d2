#include "SettingResets.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "display/MainDisplayModel.h"

#include <QStringList>

namespace
{
constexpr int Alarm1ValueCode = 19;
constexpr int Alarm2ValueCode = 20;
} // namespace

QList<int> SettingResets::resetBy(const SessionState &shared, int code)
{
    const quint16 options = quint16(displayOptionWord(shared));
    const bool setValues2To4 =
        (options & OptionBit::ContactInput) && !(options & OptionBit::SerialComm);
    const bool alarm2 = options & OptionBit::Alarm2;
    QList<int> codes;
    switch (code) {
    case Code::InputType:
        codes = {Code::ScaleHigh, Code::ScaleLow, Code::MainSetValue};
        if (setValues2To4)
            codes << 58 << 59 << 60;
        codes << Alarm1ValueCode;
        if (alarm2)
            codes << Alarm2ValueCode;
        break;
    case Code::Alarm1Type:
        codes = {Alarm1ValueCode};
        break;
    case Code::Alarm2Type:
        codes = {Alarm2ValueCode};
        break;
    default:
        break;
    }
    return codes;
}

QString SettingResets::question(const SessionState &shared, int code)
{
    QStringList lines = {msg(921).arg(msg(ParameterTable::captionMessage(code)))};
    for (int reset : resetBy(shared, code))
        lines << msg(ParameterTable::captionMessage(reset));
    lines << msg(922);
    return lines.join(QLatin1Char('\n'));
}

bool SettingResets::confirm(const SessionState &shared, OperatorInterface &op, int code,
                            int newValue)
{
    if (newValue == shared.setting(code) || resetBy(shared, code).isEmpty())
        return true;
    return op.askYesNoText(921, question(shared, code), MessageIcon::Question);
}
