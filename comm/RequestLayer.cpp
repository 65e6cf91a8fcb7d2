#include "RequestLayer.h"

#include "base/CommConditions.h"
#include "comm/ComLink.h"
#include "comm/InstrumentNumber.h"

namespace
{

// Vendor-frame command characters that sendFields passes through: q r ` a b.
bool isVendorCommand(const QString &command)
{
    if (command.size() != 1)
        return false;
    const char16_t c = command.at(0).unicode();
    return c == 'q' || c == 'r' || c == '`' || c == 'a' || c == 'b';
}

} // namespace

RequestLayer::RequestLayer(CommConditions &conditions, ComLink &link)
    : m_conditions(conditions), m_link(link)
{
}

Reply RequestLayer::sendFields(QString &station, QString &subAddress, QString &command,
                               QString &address, QString &data)
{
    CommComponent *com = m_link.com();
    if (!com)
        return Reply::failed(ReplyVerdict::PortLost);
    com->prepareSend();

    // No frame for what is no instrument number: "1x" read as 0 would go to every controller on
    // the line (Modbus broadcast), or to none as "1x".
    const std::optional<int> number = InstrumentNumber::parse(station);
    if (!number)
        return Reply::failed(ReplyVerdict::NoReply);
    switch (m_conditions.protocolIndex) {
    case ModbusAscii:
    case ModbusRtu: {
        com->setFrameMode(m_conditions.protocolIndex == ModbusAscii ? FrameMode::ModbusAscii
                                                                    : FrameMode::ModbusRtu);
        const QString stationField =
            QStringLiteral("%1").arg(*number, 2, 16, QLatin1Char('0')).toUpper();
        // A read asks for one register.
        const QString addressField =
            command == QLatin1String("03") ? address + QLatin1String("0001") : address;
        return com->sendRequest(stationField, subAddress, command, addressField, data);
    }
    case Ravtocol: {
        com->setFrameMode(FrameMode::Ravtocol);
        command = command == QLatin1String("03") ? QStringLiteral("RD") : QStringLiteral("WD");
        // Start and end of a one-register range.
        const QString addressField = address + address;
        return com->sendRequest(InstrumentNumber::text(*number), subAddress, command, addressField,
                                data);
    }
    default: {
        com->setFrameMode(FrameMode::Vendor);
        const QString stationField(QChar(static_cast<char16_t>(*number + 32)));
        subAddress = QStringLiteral(" ");
        if (command == QLatin1String("03"))
            command = QStringLiteral(" ");
        else if (!isVendorCommand(command))
            command = QStringLiteral("P");
        return com->sendRequest(stationField, subAddress, command, address, data);
    }
    }
}

Reply RequestLayer::read(const QString &address)
{
    return send(QStringLiteral("03"), address, QString());
}

Reply RequestLayer::write(const QString &address, const QString &data)
{
    return send(QStringLiteral("06"), address, data);
}

Reply RequestLayer::send(const QString &command, const QString &address, const QString &data)
{
    QString station = m_conditions.stationAddress;
    QString subAddress;
    QString commandField = command;
    QString addressField = address;
    QString dataField = data;
    return sendFields(station, subAddress, commandField, addressField, dataField);
}
