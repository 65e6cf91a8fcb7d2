#include "sim/SimConfig.h"

#include "comm/Checksums.h"

std::optional<WireProtocol> wireProtocolFromName(const QString &name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("ascii"))
        return WireProtocol::ModbusAscii;
    if (n == QLatin1String("rtu"))
        return WireProtocol::ModbusRtu;
    if (n == QLatin1String("ravtocol"))
        return WireProtocol::Ravtocol;
    return std::nullopt;
}

QString wireProtocolName(WireProtocol protocol)
{
    switch (protocol) {
    case WireProtocol::ModbusRtu:
        return QStringLiteral("rtu");
    case WireProtocol::Ravtocol:
        return QStringLiteral("ravtocol");
    case WireProtocol::ModbusAscii:
        break;
    }
    return QStringLiteral("ascii");
}

qint64 LineConfig::characterMicros() const
{
    return LineTiming::characterMicros(speed, dataBits, parity != 'N', stopBits);
}

quint16 ModelOptions::optionWord() const
{
    quint16 word = 0;
    if (contactInput)
        word |= 0x01;
    if (serialComm)
        word |= 0x02;
    if (heaterBreak > 0) {
        word |= 0x04;
        if (heaterBreak50A())
            word |= 0x08;
        if (heaterBreakThreePhase())
            word |= 0x10;
    }
    if (alarm2)
        word |= 0x20;
    if (heatCool)
        word |= 0x40;
    return word;
}

quint16 ModelOptions::optionWord2() const
{
    switch (outputType) {
    case OutputType::Voltage:
        return 0x08;
    case OutputType::Current:
        return 0x10;
    case OutputType::Relay:
        break;
    }
    return 0;
}

QString ModelOptions::conflict() const
{
    if (heaterBreak < 0 || heaterBreak > 4)
        return QStringLiteral("The heater burnout rating must be 0 to 4.");
    if (heatCool && alarm2)
        return QStringLiteral("Alarm 2 and heating/cooling control cannot be built together.");
    if (heatCool && heaterBreak > 0)
        return QStringLiteral(
            "The heater burnout alarm and heating/cooling control cannot be built together.");
    if (heaterBreak > 0 && outputType == OutputType::Current)
        return QStringLiteral(
            "The heater burnout alarm and the DC current output cannot be built together.");
    if (contactInput && serialComm)
        return QStringLiteral(
            "The contact input and serial communication cannot be built together.");
    return QString();
}
