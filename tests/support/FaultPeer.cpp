#include "FaultPeer.h"

#include <chrono>

namespace
{

constexpr char Stx = 0x02;
constexpr char Etx = 0x03;
constexpr int Station = 1;
// After every reply timeout the program uses (300 ms, 400 ms in the vendor frame), and within
// the time after which the program writes its next request (twice the timeout): a reply later
// still comes after a quiet line, and no Modbus read reply says which request it answers.
constexpr std::chrono::milliseconds LateBy(470);
// A Modbus RTU request of ours (read one register, write one) is always this long.
constexpr int RtuRequestLength = 8;

quint8 lrc(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (const char b : bytes)
        sum = quint8(sum + quint8(b));
    return quint8(-sum);
}

quint16 crc16(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (const char b : bytes) {
        crc ^= quint8(b);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

// The vendor frame's check: the exclusive-or of the characters from the station character on.
quint8 bcc(const QByteArray &text)
{
    quint8 x = 0;
    for (const char c : text)
        x ^= quint8(c);
    return x;
}

QByteArray twoHex(int value)
{
    return QByteArray::number(value & 0xFF, 16).rightJustified(2, '0').toUpper();
}

bool isUserProtocol(const FakeCom::Request &request)
{
    return request.frameMode != FrameMode::Vendor;
}

bool isWrite(const FakeCom::Request &request)
{
    if (isUserProtocol(request))
        return request.command == QLatin1String("06");
    return request.command == QLatin1String("q") || request.command == QLatin1String("r") ||
           request.command == QLatin1String("P");
}

} // namespace

FaultPeer::FaultPeer(Framing framing, Fault fault, int faultAt, int every)
    : controller(Station), m_framing(framing), m_fault(fault), m_faultAt(faultAt), m_every(every)
{
    const PtyPeer::RequestEnd requestEnd = [](const QByteArray &bytes) {
        if (bytes.startsWith(Stx))
            return bytes.endsWith(Etx);
        if (bytes.startsWith(':'))
            return bytes.endsWith('\n');
        return bytes.size() >= RtuRequestLength;
    };
    m_peer = std::make_unique<PtyPeer>(m_pty, requestEnd,
                                       [this](const QByteArray &frame) { return respond(frame); });
}

FaultPeer::~FaultPeer()
{
    m_peer->stop();
}

QStringList FaultPeer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

qint16 FaultPeer::reg(const QString &address) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return controller.registers.value(address);
}

qint16 FaultPeer::vendorItem(const QString &item) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return controller.vendorItems.value(item);
}

QString FaultPeer::faultName(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return QStringLiteral("none");
    case Fault::NoReply:
        return QStringLiteral("no reply");
    case Fault::Late:
        return QStringLiteral("late");
    case Fault::BadChecksum:
        return QStringLiteral("bad checksum");
    case Fault::KeysRefusal:
        return QStringLiteral("keys");
    case Fault::OtherRefusal:
        return QStringLiteral("refusal");
    case Fault::DeadLine:
        return QStringLiteral("dead line");
    }
    return QString();
}

PeerAnswer FaultPeer::respond(const QByteArray &frame)
{
    FakeCom::Request request;
    if (!parse(frame, request))
        return PeerAnswer::silence();
    std::lock_guard<std::mutex> lock(m_mutex);
    const QString address =
        isUserProtocol(request) ? ScriptedController::modbusAddress(request) : request.address;
    const QString data = request.data.isEmpty() ? QString() : QLatin1Char('=') + request.data;
    const QString kind = isUserProtocol(request)
                             ? (isWrite(request) ? QStringLiteral("W") : QStringLiteral("R"))
                             : request.command;
    m_requests << kind + QLatin1Char(' ') + address + data;
    const int number = int(m_requests.size());
    const bool faulted =
        m_fault != Fault::None && (number == m_faultAt || (m_every > 0 && number > m_faultAt &&
                                                           (number - m_faultAt) % m_every == 0));
    if (m_fault == Fault::DeadLine && number >= m_faultAt)
        return PeerAnswer::silence();
    // A request the controller would not listen to now (a user-protocol one inside the vendor
    // frame, or the reverse) is not answered, fault or none.
    const bool heard = isUserProtocol(request) != controller.inVendorFrame;
    if (faulted && heard &&
        (m_fault == Fault::OtherRefusal || (m_fault == Fault::KeysRefusal && isWrite(request))))
        return PeerAnswer::reply(onLine(refusal(request, m_fault == Fault::KeysRefusal), false));
    const QString reply = controller.answer(request);
    if (!faulted || reply.isEmpty())
        return PeerAnswer::reply(onLine(reply, false));
    switch (m_fault) {
    case Fault::NoReply:
        return PeerAnswer::silence();
    case Fault::Late: {
        PeerAnswer late = PeerAnswer::reply(onLine(reply, false));
        late.delay = LateBy;
        return late;
    }
    case Fault::BadChecksum:
        return PeerAnswer::reply(onLine(reply, true));
    case Fault::None:
    case Fault::KeysRefusal:
    case Fault::OtherRefusal:
    case Fault::DeadLine:
        break;
    }
    return PeerAnswer::reply(onLine(reply, false));
}

bool FaultPeer::parse(const QByteArray &frame, FakeCom::Request &request) const
{
    if (frame.startsWith(Stx)) {
        // STX, station, sub-address, command, item, data (writes), BCC, ETX.
        const QByteArray text = frame.mid(1, frame.size() - 4);
        if (text.size() != 7 && text.size() != 11)
            return false;
        if (twoHex(bcc(text)) != frame.mid(frame.size() - 3, 2))
            return false;
        request.frameMode = FrameMode::Vendor;
        request.station = QString::fromLatin1(text.left(1));
        request.subAddress = QString::fromLatin1(text.mid(1, 1));
        request.command = QString::fromLatin1(text.mid(2, 1));
        request.address = QString::fromLatin1(text.mid(3, 4));
        request.data = QString::fromLatin1(text.mid(7));
        return true;
    }
    QByteArray bytes;
    if (frame.startsWith(':')) {
        if (!frame.endsWith("\r\n"))
            return false;
        bytes = QByteArray::fromHex(frame.mid(1, frame.size() - 3));
        if (bytes.size() != 7 || lrc(bytes.left(6)) != quint8(bytes.at(6)))
            return false;
        bytes.chop(1);
        request.frameMode = FrameMode::ModbusAscii;
    } else {
        if (frame.size() != RtuRequestLength)
            return false;
        bytes = frame.left(6);
        const quint16 crc = crc16(bytes);
        if (quint8(frame.at(6)) != (crc & 0xFF) || quint8(frame.at(7)) != (crc >> 8))
            return false;
        request.frameMode = FrameMode::ModbusRtu;
    }
    const QString hex = QString::fromLatin1(bytes.toHex().toUpper());
    request.station = hex.left(2);
    request.command = hex.mid(2, 2);
    // The request layer's fields: a read names the register and the count, a write the register
    // and the data.
    if (request.command == QLatin1String("03")) {
        request.address = hex.mid(4, 8);
    } else {
        request.address = hex.mid(4, 4);
        request.data = hex.mid(8, 4);
    }
    return true;
}

QByteArray FaultPeer::onLine(const QString &reply, bool spoiled) const
{
    if (reply.isEmpty())
        return {};
    const QByteArray text = reply.toLatin1();
    const int wrong = spoiled ? 1 : 0;
    if (text.startsWith(':')) {
        // ":" station and PDU in hex, LRC, CR LF: the PDU is taken, the checksum made anew.
        const QByteArray bytes = QByteArray::fromHex(text.mid(1, text.size() - 5));
        if (m_framing == Framing::ModbusAscii)
            return ':' + bytes.toHex().toUpper() + twoHex(lrc(bytes) + wrong) + "\r\n";
        const quint16 crc = quint16(crc16(bytes) ^ (spoiled ? 0x0101 : 0));
        return bytes + char(crc & 0xFF) + char(crc >> 8);
    }
    // Vendor frame: reply character, station character, data, BCC, ETX.
    const QByteArray body = text.mid(1, text.size() - 4);
    return text.left(1) + body + twoHex(bcc(body) + wrong) + Etx;
}

QString FaultPeer::refusal(const FakeCom::Request &request, bool keys) const
{
    if (!isUserProtocol(request))
        return isWrite(request) ? FakeCom::vendorNak(Station) : FakeCom::vendorReadRefused(Station);
    if (isWrite(request))
        return FakeCom::modbusException(Station, 6, keys ? 0x12 : 0x03);
    return FakeCom::modbusException(Station, 3, 0x02);
}
