#include "ScriptedController.h"

#include "comm/DataWord.h"

namespace
{
const QString ModeRegister = QStringLiteral("0000");
const QString Key = QStringLiteral("4C1A");
} // namespace

void ScriptedController::install(FakeCom::Script &script)
{
    script.responder = [this](const FakeCom::Request &request) { return answer(request); };
}

QString ScriptedController::modbusAddress(const FakeCom::Request &request)
{
    switch (request.frameMode) {
    case FrameMode::ModbusAscii:
    case FrameMode::ModbusRtu:
        return request.address.left(4);
    case FrameMode::Ravtocol: {
        const int number = request.address.left(5).toInt();
        return QStringLiteral("%1").arg((number - 100) / 2, 4, 16, QLatin1Char('0')).toUpper();
    }
    case FrameMode::Vendor:
        break;
    }
    return request.address;
}

QString ScriptedController::answer(const FakeCom::Request &request)
{
    if (silent)
        return QString();
    if (intercept) {
        const QString text = intercept(request);
        if (!text.isNull())
            return text;
    }
    return respond(request);
}

QString ScriptedController::respond(const FakeCom::Request &request)
{
    switch (request.frameMode) {
    case FrameMode::ModbusAscii:
    case FrameMode::ModbusRtu:
        return inVendorFrame ? QString() : answerModbus(request);
    case FrameMode::Ravtocol:
        return inVendorFrame ? QString() : answerRavtocol(request);
    case FrameMode::Vendor:
        return inVendorFrame ? answerVendor(request) : QString();
    }
    return QString();
}

QString ScriptedController::answerModbus(const FakeCom::Request &request)
{
    const QString address = modbusAddress(request);
    if (request.command == QLatin1String("03"))
        return FakeCom::modbusRead(m_station, registers.value(address));
    if (address == ModeRegister && request.data == Key)
        inVendorFrame = true;
    else
        registers[address] = DataWord::fromHex(request.data);
    return FakeCom::modbusWriteEcho(m_station, address, request.data);
}

QString ScriptedController::answerRavtocol(const FakeCom::Request &request)
{
    const QString address = modbusAddress(request);
    if (request.command == QLatin1String("RD"))
        return FakeCom::ravtocolRead(m_station, registers.value(address));
    const QString data = DataWord::swapBytes(request.data);
    if (address == ModeRegister && data == Key)
        inVendorFrame = true;
    else
        registers[address] = DataWord::fromHex(data);
    return FakeCom::ravtocolAccepted(m_station);
}

QString ScriptedController::answerVendor(const FakeCom::Request &request)
{
    // "a" reads an item, the grave accent the memory number (FF13).
    if (request.command == QLatin1String("a") || request.command == QString(QChar(96))) {
        if (!vendorItems.contains(request.address))
            return FakeCom::vendorReadRefused(m_station);
        return FakeCom::vendorAck(m_station, DataWord::toHex(vendorItems.value(request.address)));
    }
    if (request.command == QLatin1String("P") && request.address == ModeRegister) {
        // The return command goes unanswered.
        inVendorFrame = false;
        return QString();
    }
    vendorItems[request.address] = DataWord::fromHex(request.data);
    // The working items of the main set value and the AT bias are registers of the user's
    // protocols too.
    if (request.address == QLatin1String("FC30"))
        registers[QStringLiteral("0001")] = vendorItems.value(request.address);
    if (request.address == QLatin1String("FC90"))
        registers[QStringLiteral("0047")] = vendorItems.value(request.address);
    return FakeCom::vendorAck(m_station);
}
