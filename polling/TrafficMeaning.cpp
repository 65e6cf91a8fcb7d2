#include "polling/TrafficMeaning.h"

#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/DataWord.h"
#include "comm/FrameCodec.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "polling/ItemNames.h"
#include "polling/ValueFormat.h"

#include <QHash>

#include <array>

namespace
{

constexpr int ModbusAddressDigits = 4;
constexpr int RavtocolRegisterDigits = 5;

bool isWriteCommand(FrameMode mode, const QString &command)
{
    switch (mode) {
    case FrameMode::ModbusAscii:
    case FrameMode::ModbusRtu:
        return command == QLatin1String("06") || command == QLatin1String("10");
    case FrameMode::Ravtocol:
        return command == QLatin1String("WD");
    case FrameMode::Vendor:
        return command == QLatin1String("q") || command == QLatin1String("r") ||
               command == QLatin1String("P");
    }
    return false;
}

// The data word a write carries, as the value's 16-bit text high byte first.
QString writtenWord(FrameMode mode, const QString &data)
{
    const QString word = data.left(4);
    return mode == FrameMode::Ravtocol ? DataWord::swapBytes(word) : word;
}

// The vendor frame names items by its own numbers; a code's working item and stored copy both
// stand for the code.
int vendorCode(const QString &item, const SessionState &shared)
{
    for (int code = 0; code < SessionState::RegisterCount; ++code) {
        for (const int index :
             {ParameterTable::vendorItemIndex(code), ParameterTable::vendorCopyIndex(code)}) {
            if (index > 0 && shared.vendorItemTable.at(index) == item)
                return code;
        }
    }
    return -1;
}

} // namespace

namespace TrafficMeaning
{

int codeAt(FrameMode mode, const QString &address, const SessionState &shared)
{
    if (mode == FrameMode::Vendor)
        return vendorCode(address.left(4), shared);
    const RegisterMap::Form form =
        mode == FrameMode::Ravtocol ? RegisterMap::Form::Ravtocol : RegisterMap::Form::Modbus;
    const QString first = address.left(form == RegisterMap::Form::Modbus ? ModbusAddressDigits
                                                                         : RavtocolRegisterDigits);
    if (first.isEmpty())
        return -1;
    // Taken once: every exchange taken into the line traffic window asks.
    static const std::array<QHash<QString, int>, 2> codes = [] {
        std::array<QHash<QString, int>, 2> byForm;
        for (const RegisterMap::Form f : {RegisterMap::Form::Modbus, RegisterMap::Form::Ravtocol}) {
            QHash<QString, int> &byAddress = byForm[f == RegisterMap::Form::Modbus ? 0 : 1];
            // The lowest code of an address, as the search from code 0 up found it.
            for (int code = SessionState::RegisterCount - 1; code >= 0; --code) {
                if (const QString at = RegisterMap::address(code, f); !at.isEmpty())
                    byAddress.insert(at, code);
            }
        }
        return byForm;
    }();
    return codes[form == RegisterMap::Form::Modbus ? 0 : 1].value(first, -1);
}

ExchangeMeaning of(const TrafficRecord &record, const SessionState &shared, const UnitOf &unitOf)
{
    ExchangeMeaning meaning;
    meaning.write = isWriteCommand(record.mode, record.command);
    meaning.code = codeAt(record.mode, record.address, shared);
    if (meaning.code < 0)
        return meaning;
    meaning.caption = ItemNames::caption(meaning.code);

    QString word;
    if (meaning.write)
        word = writtenWord(record.mode, record.data);
    else if (record.verdict == ReplyVerdict::Ok)
        word = replyWord(record.replyText, 1);
    bool ok = false;
    const qint16 value = DataWord::fromHex(word, &ok);
    if (!ok)
        return meaning;
    // The status and option words are bit sets: their hexadecimal form says more than a number.
    const bool bitSet = meaning.code == Code::Status || meaning.code == Code::Option ||
                        meaning.code == Code::Option2 || meaning.code == Code::ModeRegister ||
                        meaning.code == Code::SettingFlag;
    meaning.value = bitSet ? word.toUpper() : itemValueText(shared, meaning.code, value);
    if (meaning.value.isEmpty())
        meaning.value = QString::number(value);
    meaning.unit = ParameterTable::isMonitorCode(meaning.code)
                       ? ItemNames::monitorUnit(shared, meaning.code)
                   : unitOf ? unitOf(shared, meaning.code)
                            : QString();
    return meaning;
}

} // namespace TrafficMeaning
