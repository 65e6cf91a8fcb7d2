#include "sim/ControllerCore.h"

#include "comm/Checksums.h"

#include <algorithm>

namespace
{

constexpr char Ack = 0x06;
constexpr char Nak = 0x15;
constexpr char Esc = 0x1B;

constexpr int twoChars(char a, char b)
{
    return a << 8 | b;
}

int modbusExceptionFor(WriteResult result)
{
    switch (result) {
    case WriteResult::NoRegister:
        return 0x02;
    case WriteResult::OutOfRange:
    case WriteResult::NotInThisMode: // Modbus has no code of its own for it
        return 0x03;
    case WriteResult::KeysOperated:
        return 0x12;
    case WriteResult::Accepted:
        break;
    }
    return 0;
}

int ravtocolErrorFor(WriteResult result)
{
    switch (result) {
    case WriteResult::NoRegister:
        return 20;
    case WriteResult::OutOfRange:
        return 30;
    case WriteResult::NotInThisMode:
        return 40;
    case WriteResult::KeysOperated:
        return 63;
    case WriteResult::Accepted:
        break;
    }
    return 0;
}

// Most registers one read may ask for.
constexpr int MaxReadCount = 125;
constexpr int MaxRavtocolCount = 32;

} // namespace

ControllerCore::ControllerCore(const LineConfig &line, const ModelOptions &model, int inputType,
                               qint16 modeValue)
    : m_line(line), m_bank(model, inputType, modeValue), m_process(m_bank),
      m_userDecoder(framingOf(line.protocol))
{
    m_process.step(0);
}

QList<ControllerCore::Reply> ControllerCore::receive(const QByteArray &bytes)
{
    QList<Reply> replies;
    activeDecoder().feed(bytes);
    while (auto request = activeDecoder().next()) {
        ++m_requestCount;
        const bool vendor = m_vendorFrame;
        const bool addressed = addressedHere(*request, vendor);
        if (addressed && m_keysCountdown >= 0 && m_keysCountdown-- == 0)
            m_keysOperatedMs = m_keysPendingMs;
        const QByteArray reply = vendor ? answerVendor(*request) : answerUser(*request);
        const ServerFraming framing = vendor ? ServerFraming::Vendor : m_userDecoder.framing();
        if (addressed)
            m_log.record(framing, *request, reply);
        const FaultInjector::Outcome outcome =
            m_faults.apply(reply, ServerReplies::terminatorLength(framing));
        if (!outcome.bytes.isEmpty())
            replies.append({outcome.bytes, outcome.extraDelayMs});
        if (m_enterVendorFrame) {
            m_enterVendorFrame = false;
            m_vendorFrame = true;
            m_vendorIdleMs = 0;
            m_userDecoder.clear();
            m_vendorDecoder.clear();
        } else if (vendor && !m_vendorFrame) {
            m_vendorDecoder.clear();
            m_userDecoder.clear();
        }
    }
    return replies;
}

void ControllerCore::lineQuiet()
{
    activeDecoder().lineQuiet();
}

qint64 ControllerCore::quietMicros() const
{
    if (m_vendorFrame || m_line.protocol != WireProtocol::ModbusRtu)
        return 1000000;
    return std::max<qint64>(20000,
                            LineTiming::rtuFrameGapMicros(m_line.speed, m_line.dataBits,
                                                          m_line.parity != 'N', m_line.stopBits));
}

void ControllerCore::advance(int realMs)
{
    if (realMs <= 0)
        return;
    m_keysOperatedMs = std::max(0, m_keysOperatedMs - realMs);
    if (m_vendorFrame) {
        m_vendorIdleMs += realMs;
        if (m_vendorIdleMs >= VendorFrameIdleMs) {
            m_vendorFrame = false;
            m_vendorDecoder.clear();
        }
    }
    m_process.step(realMs / 1000.0 * m_timeScale);
}

void ControllerCore::setLine(const LineConfig &line)
{
    m_line = line;
    m_userDecoder = ServerDecoder(framingOf(line.protocol));
}

void ControllerCore::operateKeysAfter(int requests, int realMs)
{
    m_keysCountdown = std::max(0, requests);
    m_keysPendingMs = realMs;
}

bool ControllerCore::addressedHere(const ServerRequest &request, bool vendor) const
{
    const bool broadcast =
        !vendor && m_line.protocol != WireProtocol::Ravtocol && request.station == 0;
    return broadcast || request.station == m_line.station;
}

void ControllerCore::refuseReads(quint16 address, int exceptionCode, int answered)
{
    m_readRefusals.insert(address, {exceptionCode, std::max(0, answered)});
}

void ControllerCore::refuseWrites(quint16 address, int exceptionCode, int answered)
{
    m_writeRefusals.insert(address, {exceptionCode, std::max(0, answered)});
}

int ControllerCore::refusalOf(QMap<quint16, Refusal> &refusals, quint16 address)
{
    const auto refusal = refusals.find(address);
    if (refusal == refusals.end())
        return 0;
    if (refusal->answered > 0) {
        --refusal->answered;
        return 0;
    }
    return refusal->exceptionCode;
}

void ControllerCore::panelSet(quint16 address, qint16 value)
{
    m_bank.set(address, value);
    m_process.markPanelChange();
    m_process.step(0);
}

QByteArray ControllerCore::answerUser(const ServerRequest &request)
{
    const bool modbus = m_line.protocol != WireProtocol::Ravtocol;
    // A Modbus broadcast write is carried out by every controller and answered by none.
    if (modbus && request.station == 0 && request.command == 0x06 && !request.malformed) {
        writeRegister(request.address, qint16(*request.data));
        return {};
    }
    if (request.station != m_line.station)
        return {};
    if (m_line.protocol == WireProtocol::Ravtocol)
        return answerRavtocol(request);
    return answerModbus(request);
}

QByteArray ControllerCore::answerModbus(const ServerRequest &request)
{
    const WireProtocol protocol = m_line.protocol;
    const int station = m_line.station;
    const auto exception = [&](int code) {
        return ServerReplies::modbusException(protocol, station, request.command, code);
    };
    if (request.command != 0x03 && request.command != 0x06)
        return exception(0x01);
    if (request.malformed)
        return exception(0x03);
    if (request.command == 0x06) {
        if (const int refused = refusalOf(m_writeRefusals, request.address))
            return exception(refused);
        const WriteResult result = writeRegister(request.address, qint16(*request.data));
        if (result != WriteResult::Accepted)
            return exception(modbusExceptionFor(result));
        return ServerReplies::modbusWriteEcho(protocol, station, request.address, *request.data);
    }
    if (request.last < 1 || request.last > MaxReadCount)
        return exception(0x03);
    QList<quint16> words;
    for (int i = 0; i < request.last; ++i) {
        if (const int refused = refusalOf(m_readRefusals, quint16(request.address + i)))
            return exception(refused);
        const auto value = m_bank.read(quint16(request.address + i));
        if (!value)
            return exception(0x02);
        words.append(quint16(*value));
    }
    return ServerReplies::modbusRead(protocol, station, words);
}

QByteArray ControllerCore::answerRavtocol(const ServerRequest &request)
{
    const int station = m_line.station;
    const bool isRead = request.command == twoChars('R', 'D');
    const bool isWrite = request.command == twoChars('W', 'D');
    if (!isRead && !isWrite)
        return ServerReplies::ravtocolError(station, 10);
    const int first = request.address;
    const int last = request.last;
    // Data registers are 100 + 2 x the register address.
    const bool valid = !request.malformed && first >= 100 && last >= first && first % 2 == 0 &&
                       last % 2 == 0 && (last - first) / 2 < MaxRavtocolCount &&
                       (isRead || first == last);
    if (!valid)
        return ServerReplies::ravtocolError(station, 20);
    const quint16 address = quint16((first - 100) / 2);
    if (isWrite) {
        if (refusalOf(m_writeRefusals, address))
            return ServerReplies::ravtocolError(station, 20);
        const WriteResult result = writeRegister(address, qint16(*request.data));
        if (result != WriteResult::Accepted)
            return ServerReplies::ravtocolError(station, ravtocolErrorFor(result));
        return ServerReplies::ravtocolData(station, {});
    }
    QList<quint16> words;
    for (int r = first; r <= last; r += 2) {
        if (refusalOf(m_readRefusals, quint16((r - 100) / 2)))
            return ServerReplies::ravtocolError(station, 20);
        const auto value = m_bank.read(quint16((r - 100) / 2));
        if (!value)
            return ServerReplies::ravtocolError(station, 20);
        words.append(quint16(*value));
    }
    return ServerReplies::ravtocolData(station, words);
}

QByteArray ControllerCore::answerVendor(const ServerRequest &request)
{
    const int station = m_line.station;
    if (request.station != station)
        return {};
    m_vendorIdleMs = 0;
    if (request.malformed)
        return ServerReplies::vendor(Esc, station);
    const char command = char(request.command);
    const bool write = command == 'q' || command == 'r' || command == 'P';
    const bool read = command == 'a' || command == 'b' || command == ' ' || command == '`';
    if ((!write && !read) || write != request.data.has_value())
        return ServerReplies::vendor(Esc, station);
    if (read) {
        const quint16 item =
            command == '`' ? quint16(RegisterBank::ItemMemoryNumber) : request.address;
        const auto value = m_bank.readItem(item);
        if (!value)
            return ServerReplies::vendor('!', station);
        return ServerReplies::vendor(Ack, station, quint16(*value));
    }
    // While the keys are operated the controller stays in the vendor frame, even on the return.
    if (keysOperated())
        return ServerReplies::vendor(Nak, station);
    if (command == 'P' && request.address == 0 && *request.data == 0) {
        // The return to the user protocol is not answered.
        m_vendorFrame = false;
        return {};
    }
    // "q" sets a working value, "r" its stored copy; neither reaches the other kind of item.
    if ((command == 'r') != RegisterBank::isStoredCopy(request.address) && command != 'P')
        return ServerReplies::vendor(Nak, station);
    if (m_bank.writeItem(request.address, qint16(*request.data)) != WriteResult::Accepted)
        return ServerReplies::vendor(Nak, station);
    if (request.address == RegisterBank::ItemAlarm1Standby)
        m_process.rearmStandby(0);
    else if (request.address == RegisterBank::ItemAlarm2Standby)
        m_process.rearmStandby(1);
    m_process.step(0);
    return ServerReplies::vendor(Ack, station);
}

WriteResult ControllerCore::writeRegister(quint16 address, qint16 value)
{
    if (keysOperated())
        return WriteResult::KeysOperated;
    if (address == RegisterBank::ModeRegister && quint16(value) == VendorKey) {
        m_enterVendorFrame = true;
        return WriteResult::Accepted;
    }
    // Auto-tuning needs a PID loop; an ON/OFF loop has nothing to tune.
    if (address == RegisterBank::AutoTuning && value == 1 &&
        m_bank.value(RegisterBank::ProportionalBand) == 0)
        return WriteResult::NotInThisMode;
    const WriteResult result = m_bank.write(address, value);
    if (result != WriteResult::Accepted)
        return result;
    if (address == RegisterBank::AutoTuning) {
        if (value == 1)
            m_process.startAutoTuning();
        else
            m_process.stopAutoTuning();
    } else if (address == RegisterBank::SettingFlag && value == 1) {
        m_process.clearPanelChange();
    } else if (address == RegisterBank::MainSetValue) {
        m_process.rearmStandby(0);
        m_process.rearmStandby(1);
    }
    m_process.step(0);
    return result;
}
