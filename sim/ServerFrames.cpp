#include "sim/ServerFrames.h"

#include "comm/Checksums.h"

namespace
{

constexpr char Stx = 0x02;
constexpr char Etx = 0x03;
// Longest request buffered while waiting for its end; anything longer is noise.
constexpr int MaxFrame = 300;

bool parseHex(const QByteArray &text, quint32 &value)
{
    if (text.isEmpty())
        return false;
    value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        value = value * 16 + quint32(digit);
    }
    return true;
}

bool parseDecimal(const QByteArray &text, quint32 &value)
{
    if (text.isEmpty())
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + quint32(c - '0');
    }
    return true;
}

QByteArray hex4(quint16 word)
{
    return Checksums::hex2(quint8(word >> 8)) + Checksums::hex2(quint8(word));
}

quint16 word(const QByteArray &bytes, int at)
{
    return quint16(quint8(bytes.at(at)) << 8 | quint8(bytes.at(at + 1)));
}

// Station, function and PDU of a Modbus request, whatever the framing.
std::optional<ServerRequest> modbusRequest(const QByteArray &adu)
{
    if (adu.size() < 2)
        return std::nullopt;
    ServerRequest request;
    request.station = quint8(adu.at(0));
    request.command = quint8(adu.at(1));
    if ((request.command == 0x03 || request.command == 0x06) && adu.size() == 6) {
        request.address = word(adu, 2);
        if (request.command == 0x03)
            request.last = word(adu, 4);
        else
            request.data = word(adu, 4);
    } else if (request.command == 0x03 || request.command == 0x06) {
        request.malformed = true;
    }
    return request;
}

// The RTU request length a function code gives, from what has arrived; 0 while unknown.
int rtuRequestLength(const QByteArray &buffer)
{
    if (buffer.size() < 2)
        return 0;
    switch (quint8(buffer.at(1))) {
    case 0x07:
    case 0x0B:
    case 0x0C:
    case 0x11:
        return 4;
    case 0x0F:
    case 0x10:
        return buffer.size() < 7 ? 0 : 9 + quint8(buffer.at(6));
    default:
        return 8;
    }
}

QByteArray modbusFrame(WireProtocol protocol, const QByteArray &adu)
{
    if (protocol == WireProtocol::ModbusRtu) {
        const quint16 crc = Checksums::crc16(adu);
        return adu + char(crc & 0xFF) + char(crc >> 8);
    }
    return ':' + adu.toHex().toUpper() + Checksums::hex2(Checksums::lrc(adu)) + "\r\n";
}

QByteArray ravtocolFrame(int station, const QByteArray &body)
{
    const QByteArray text = '@' + QByteArray::number(station).rightJustified(2, '0') + body;
    return text + Checksums::hex2(Checksums::ravtocolBcc(text)) + '\r';
}

} // namespace

ServerFraming framingOf(WireProtocol protocol)
{
    switch (protocol) {
    case WireProtocol::ModbusRtu:
        return ServerFraming::ModbusRtu;
    case WireProtocol::Ravtocol:
        return ServerFraming::Ravtocol;
    case WireProtocol::ModbusAscii:
        break;
    }
    return ServerFraming::ModbusAscii;
}

ServerDecoder::ServerDecoder(ServerFraming framing) : m_framing(framing) {}

void ServerDecoder::feed(const QByteArray &bytes)
{
    m_buffer += bytes;
}

std::optional<ServerRequest> ServerDecoder::next()
{
    switch (m_framing) {
    case ServerFraming::ModbusRtu:
        return nextRtu();
    case ServerFraming::Ravtocol:
        return nextRavtocol();
    case ServerFraming::Vendor:
        return nextVendor();
    case ServerFraming::ModbusAscii:
        break;
    }
    return nextAsciiModbus();
}

void ServerDecoder::lineQuiet()
{
    m_buffer.clear();
}

QByteArray ServerDecoder::takeDelimited(char start, char end)
{
    for (;;) {
        const int begin = m_buffer.indexOf(start);
        if (begin < 0) {
            m_buffer.clear();
            return {};
        }
        m_buffer.remove(0, begin);
        // A start character inside a frame restarts it.
        const int restart = m_buffer.indexOf(start, 1);
        const int stop = m_buffer.indexOf(end, 1);
        if (restart > 0 && (stop < 0 || restart < stop)) {
            m_buffer.remove(0, restart);
            continue;
        }
        // Longer than any request: noise, whether its end came in the same read or a later one.
        if (stop > MaxFrame) {
            m_buffer.remove(0, stop + 1);
            continue;
        }
        if (stop < 0) {
            if (m_buffer.size() > MaxFrame)
                m_buffer.clear();
            return {};
        }
        const QByteArray frame = m_buffer.left(stop + 1);
        m_buffer.remove(0, stop + 1);
        return frame;
    }
}

std::optional<ServerRequest> ServerDecoder::nextAsciiModbus()
{
    for (;;) {
        const QByteArray frame = takeDelimited(':', '\n');
        if (frame.isEmpty())
            return std::nullopt;
        // ':' hex pairs '\r' '\n'; at least station, function and LRC.
        if (frame.size() < 9 || frame.at(frame.size() - 2) != '\r' || frame.size() % 2 == 0)
            continue;
        const QByteArray hex = frame.mid(1, frame.size() - 3);
        QByteArray bytes;
        bool valid = true;
        for (int i = 0; i + 1 < hex.size() && valid; i += 2) {
            quint32 value = 0;
            valid = parseHex(hex.mid(i, 2), value);
            bytes += char(value);
        }
        if (!valid || Checksums::lrc(bytes.left(bytes.size() - 1)) != quint8(bytes.back()))
            continue;
        if (auto request = modbusRequest(bytes.left(bytes.size() - 1)))
            return request;
    }
}

std::optional<ServerRequest> ServerDecoder::nextRtu()
{
    while (m_buffer.size() >= 4) {
        const int length = rtuRequestLength(m_buffer);
        if (length == 0 || m_buffer.size() < length)
            return std::nullopt;
        const QByteArray adu = m_buffer.left(length - 2);
        const quint16 crc =
            quint16(quint8(m_buffer.at(length - 2)) | quint8(m_buffer.at(length - 1)) << 8);
        if (Checksums::crc16(adu) == crc) {
            m_buffer.remove(0, length);
            if (auto request = modbusRequest(adu))
                return request;
            continue;
        }
        // Not a frame from here: resynchronise one byte on.
        m_buffer.remove(0, 1);
    }
    return std::nullopt;
}

std::optional<ServerRequest> ServerDecoder::nextRavtocol()
{
    for (;;) {
        const QByteArray frame = takeDelimited('@', '\r');
        if (frame.isEmpty())
            return std::nullopt;
        // '@' station(2) command(2) ... BCC(2) '\r'
        if (frame.size() < 8)
            continue;
        const QByteArray checked = frame.left(frame.size() - 3);
        quint32 bcc = 0;
        if (!parseHex(frame.mid(frame.size() - 3, 2), bcc) ||
            Checksums::ravtocolBcc(checked) != bcc)
            continue;
        quint32 station = 0;
        if (!parseDecimal(checked.mid(1, 2), station))
            continue;
        ServerRequest request;
        request.station = int(station);
        request.command = quint8(checked.at(3)) << 8 | quint8(checked.at(4));
        const QByteArray body = checked.mid(5);
        quint32 first = 0, last = 0, data = 0;
        const bool isWrite = request.command == ('W' << 8 | 'D');
        if (body.size() != (isWrite ? 14 : 10) || !parseDecimal(body.left(5), first) ||
            !parseDecimal(body.mid(5, 5), last) || (isWrite && !parseHex(body.mid(10, 4), data)) ||
            first > 0xFFFF || last > 0xFFFF) {
            request.malformed = true;
            return request;
        }
        request.address = quint16(first);
        request.last = quint16(last);
        if (isWrite)
            request.data = quint16((data & 0xFF) << 8 | (data >> 8)); // sent low byte first
        return request;
    }
}

std::optional<ServerRequest> ServerDecoder::nextVendor()
{
    for (;;) {
        const QByteArray frame = takeDelimited(Stx, Etx);
        if (frame.isEmpty())
            return std::nullopt;
        // STX station sub-address command item(4) [data(4)] BCC(2) ETX
        const QByteArray inner = frame.mid(1, frame.size() - 2);
        if (inner.size() < 4)
            continue;
        const QByteArray checked = inner.left(inner.size() - 2);
        quint32 bcc = 0;
        if (!parseHex(inner.right(2), bcc) || Checksums::vendorBcc(checked) != bcc)
            continue;
        ServerRequest request;
        request.station = quint8(checked.at(0)) - 32;
        if (checked.size() < 3 || checked.at(1) != ' ' ||
            (checked.size() != 7 && checked.size() != 11)) {
            request.malformed = true;
            return request;
        }
        request.command = quint8(checked.at(2));
        quint32 item = 0, data = 0;
        if (!parseHex(checked.mid(3, 4), item) ||
            (checked.size() == 11 && !parseHex(checked.mid(7, 4), data))) {
            request.malformed = true;
            return request;
        }
        request.address = quint16(item);
        if (checked.size() == 11)
            request.data = quint16(data);
        return request;
    }
}

namespace ServerReplies
{

QByteArray modbusRead(WireProtocol protocol, int station, const QList<quint16> &words)
{
    QByteArray adu;
    adu += char(station);
    adu += char(0x03);
    adu += char(words.size() * 2);
    for (quint16 w : words) {
        adu += char(w >> 8);
        adu += char(w & 0xFF);
    }
    return modbusFrame(protocol, adu);
}

QByteArray modbusWriteEcho(WireProtocol protocol, int station, quint16 address, quint16 value)
{
    QByteArray adu;
    adu += char(station);
    adu += char(0x06);
    adu += char(address >> 8);
    adu += char(address & 0xFF);
    adu += char(value >> 8);
    adu += char(value & 0xFF);
    return modbusFrame(protocol, adu);
}

QByteArray modbusException(WireProtocol protocol, int station, int function, int code)
{
    QByteArray adu;
    adu += char(station);
    adu += char(function | 0x80);
    adu += char(code);
    return modbusFrame(protocol, adu);
}

QByteArray ravtocolData(int station, const QList<quint16> &words)
{
    QByteArray body = "$";
    for (quint16 w : words)
        body += Checksums::hex2(quint8(w & 0xFF)) + Checksums::hex2(quint8(w >> 8));
    return ravtocolFrame(station, body);
}

QByteArray ravtocolError(int station, int code)
{
    return ravtocolFrame(station, '!' + QByteArray::number(code).rightJustified(2, '0'));
}

QByteArray vendor(char replyCharacter, int station, std::optional<quint16> word)
{
    QByteArray checked(1, char(station + 32));
    if (word)
        checked += hex4(*word);
    return replyCharacter + checked + Checksums::hex2(Checksums::vendorBcc(checked)) + Etx;
}

int terminatorLength(ServerFraming framing)
{
    switch (framing) {
    case ServerFraming::ModbusAscii:
        return 2;
    case ServerFraming::ModbusRtu:
        return 0;
    case ServerFraming::Ravtocol:
    case ServerFraming::Vendor:
        break;
    }
    return 1;
}

} // namespace ServerReplies
