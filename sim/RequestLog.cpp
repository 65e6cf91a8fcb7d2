#include "sim/RequestLog.h"

namespace
{

constexpr char Nak = 0x15;
constexpr char Esc = 0x1B;

QString hex4(quint16 word)
{
    return QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
}

// The refusal a reply carries in its own framing; empty for an accepting reply.
QByteArray refusalOf(ServerFraming framing, const QByteArray &reply)
{
    switch (framing) {
    case ServerFraming::ModbusAscii:
        // ':' station function: an exception sets the function's high bit.
        if (reply.size() >= 7 && reply.at(3) >= '8')
            return reply.mid(5, 2);
        return {};
    case ServerFraming::ModbusRtu:
        if (reply.size() >= 3 && (quint8(reply.at(1)) & 0x80))
            return QByteArray::number(quint8(reply.at(2)), 16).rightJustified(2, '0').toUpper();
        return {};
    case ServerFraming::Ravtocol:
        if (reply.size() >= 6 && reply.at(3) == '!')
            return reply.mid(4, 2);
        return {};
    case ServerFraming::Vendor:
        break;
    }
    switch (reply.isEmpty() ? 0 : reply.at(0)) {
    case Nak:
        return "NAK";
    case Esc:
        return "ESC";
    case '!':
        return "!";
    default:
        return {};
    }
}

QByteArray commandText(ServerFraming framing, int command)
{
    switch (framing) {
    case ServerFraming::ModbusAscii:
    case ServerFraming::ModbusRtu:
        return QByteArray::number(command, 16).rightJustified(2, '0').toUpper();
    case ServerFraming::Ravtocol:
        return QByteArray() + char(command >> 8) + char(command & 0xFF);
    case ServerFraming::Vendor:
        break;
    }
    return QByteArray(1, char(command));
}

} // namespace

QString LoggedRequest::text() const
{
    QStringList fields;
    if (vendor)
        fields << QStringLiteral("vendor");
    // The vendor frame's read from a "03" is a space: shown so that the line keeps its fields.
    fields << (command == " " ? QStringLiteral("' '") : QString::fromLatin1(command));
    fields << hex4(address);
    if (data)
        fields << hex4(*data);
    if (!answered)
        fields << QStringLiteral("no reply");
    else if (refusal.isEmpty())
        fields << QStringLiteral("ok");
    else
        fields << QStringLiteral("refused ") + QString::fromLatin1(refusal);
    return fields.join(QLatin1Char(' '));
}

void RequestLog::record(ServerFraming framing, const ServerRequest &request,
                        const QByteArray &reply)
{
    LoggedRequest entry;
    entry.vendor = framing == ServerFraming::Vendor;
    entry.command = commandText(framing, request.command);
    // Ravtocol data registers are 100 + 2 x the register address.
    entry.address = framing == ServerFraming::Ravtocol && request.address >= 100
                        ? quint16((request.address - 100) / 2)
                        : request.address;
    entry.data = request.data;
    entry.answered = !reply.isEmpty();
    if (entry.answered)
        entry.refusal = refusalOf(framing, reply);
    if (m_entries.size() >= Capacity)
        m_entries.removeFirst();
    m_entries.append(entry);
}
