#include "SerialCommComponent.h"

#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/FrameText.h"
#include "comm/NetworkAddress.h"
#include "comm/NetworkLinePort.h"
#include "comm/SerialLinePort.h"
#include "comm/TrafficLog.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <optional>
#include <thread>

Q_LOGGING_CATEGORY(lcFrames, "zn.comm.frames", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBytes, "zn.comm.bytes", QtWarningMsg)

namespace
{

std::optional<LineFormat> parseLine(const LineConditions &line)
{
    static const QStringList speeds = {QStringLiteral("1200"),  QStringLiteral("2400"),
                                       QStringLiteral("4800"),  QStringLiteral("9600"),
                                       QStringLiteral("19200"), QStringLiteral("38400"),
                                       QStringLiteral("57600"), QStringLiteral("115200")};
    static const QMap<QString, QSerialPort::DataBits> dataBitTexts = {
        {QStringLiteral("5"), QSerialPort::Data5},
        {QStringLiteral("6"), QSerialPort::Data6},
        {QStringLiteral("7"), QSerialPort::Data7},
        {QStringLiteral("8"), QSerialPort::Data8}};
    static const QMap<QString, QSerialPort::StopBits> stopBitTexts = {
        {QStringLiteral("1"), QSerialPort::OneStop}, {QStringLiteral("2"), QSerialPort::TwoStop}};
    static const QMap<QString, QSerialPort::Parity> parityTexts = {
        {QStringLiteral("EVEN"), QSerialPort::EvenParity},
        {QStringLiteral("ODD"), QSerialPort::OddParity},
        {QStringLiteral("NONE"), QSerialPort::NoParity}};

    if (!speeds.contains(line.speed) || !dataBitTexts.contains(line.dataBits) ||
        !stopBitTexts.contains(line.stopBits) || !parityTexts.contains(line.parity))
        return std::nullopt;
    return LineFormat{line.speed.toInt(), dataBitTexts.value(line.dataBits),
                      parityTexts.value(line.parity), stopBitTexts.value(line.stopBits)};
}

QByteArray logText(FrameMode mode, const QByteArray &frame)
{
    return mode == FrameMode::ModbusRtu ? frame.toHex(' ').toUpper() : FrameText::printable(frame);
}

} // namespace

SerialCommComponent::SerialCommComponent(PortNames portNames)
    : m_portNames(std::move(portNames)), m_port(std::make_unique<SerialLinePort>())
{
}

SerialCommComponent::~SerialCommComponent()
{
    closePort();
}

Reply SerialCommComponent::sendRequest(const QString &station, const QString &subAddress,
                                       const QString &command, const QString &address,
                                       const QString &data)
{
    const FrameRequest request{station, subAddress, command, address, data};
    TrafficLog *log = trafficLog();
    if (!log)
        return exchange(request, nullptr);
    TrafficRecord record;
    record.sentAtMs = QDateTime::currentMSecsSinceEpoch();
    record.port = portName();
    record.speed = speed();
    record.station = station;
    record.mode = m_frameMode;
    record.command = command;
    record.address = address;
    record.data = data;
    record.searchProbe = searchProbes();
    const Reply reply = exchange(request, &record);
    record.replyText = reply.text;
    record.verdict = reply.verdict;
    record.exceptionCode = reply.exceptionCode;
    log->record(std::move(record));
    return reply;
}

Reply SerialCommComponent::exchange(const FrameRequest &request, TrafficRecord *record)
{
    // However a request fails, it takes no less than a request that went unanswered, so that a
    // caller polling a lost port keeps the pace it has with a silent controller.
    const QDeadlineTimer minimumCost(replyWaitMs(), Qt::PreciseTimer);
    const auto failed = [&minimumCost](ReplyVerdict verdict) {
        std::this_thread::sleep_for(std::chrono::milliseconds(minimumCost.remainingTime()));
        return Reply::failed(verdict);
    };
    if (!isOpen())
        return failed(ReplyVerdict::PortLost);
    const FrameCodec &codec = frameCodec(m_frameMode);
    const QByteArray frame = codec.requestFrame(request);
    if (frame.isEmpty()) {
        qCDebug(lcFrames) << "cannot frame request" << request.station << request.command
                          << request.address << request.data;
        return failed(ReplyVerdict::NoReply);
    }

    if (m_unanswered && m_unanswered->mode == m_frameMode &&
        m_unanswered->station == request.station)
        letLineFallQuiet();
    if (codec.needsFrameGap())
        keepFrameGap();
    discardInput();
    m_lastMode = m_frameMode;
    m_lastStation = request.station;
    if (record)
        record->sentAtMs = QDateTime::currentMSecsSinceEpoch();
    if (!isOpen() || !writeFrame(frame))
        return failed(ReplyVerdict::PortLost);
    // The controller cannot answer before the request has left the line.
    m_lineQuietSince = Clock::now() + m_characterTime * frame.size();
    const Clock::time_point leftLine = m_lineQuietSince;
    const QDeadlineTimer deadline(
        LineTiming::replyDeadlineMs(replyWaitMs(), m_characterTime.count(), int(frame.size())),
        Qt::PreciseTimer);
    const Reply reply = awaitReply(codec, request, deadline, record ? &record->reply : nullptr,
                                   record ? &record->noiseBefore : nullptr);
    if (record) {
        record->request = frame;
        record->responseMs = int(std::max<qint64>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - leftLine)
                   .count()));
    }
    if (reply.text.isEmpty()) {
        m_unanswered = Unanswered{m_frameMode, request.station, Clock::now()};
        return isOpen() ? reply : failed(ReplyVerdict::PortLost);
    }
    m_unanswered.reset();
    return reply;
}

void SerialCommComponent::letLineFallQuiet()
{
    const std::chrono::milliseconds quiet(replyWaitMs());
    const QDeadlineTimer limit(2 * quiet, Qt::PreciseTimer);
    Clock::time_point quietFrom = m_unanswered->since;
    QByteArray dropped;
    bool lost = false;
    while (isOpen() && !limit.hasExpired()) {
        const QByteArray late = m_port->readAll();
        if (!late.isEmpty()) {
            quietFrom = m_lineQuietSince = Clock::now();
            qCDebug(lcFrames).noquote() << "dropped, late" << logText(m_frameMode, late);
            if (trafficLog())
                dropped += late;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(quietFrom + quiet - Clock::now());
        if (left.count() <= 0)
            break;
        if (!m_port->waitForReadyRead(int(qMin<qint64>(left.count(), limit.remainingTime()))) &&
            lineLost()) {
            lost = true;
            break;
        }
    }
    recordDropped(dropped);
    if (!lost)
        m_unanswered.reset();
}

bool SerialCommComponent::writeFrame(const QByteArray &frame)
{
    m_port->clearError();
    qCDebug(lcFrames).noquote() << "->" << logText(m_frameMode, frame);
    qCDebug(lcBytes).noquote() << "->" << frame.toHex(' ');
    m_port->write(frame);
    if (m_port->waitForBytesWritten(replyWaitMs()))
        return true;
    qCDebug(lcFrames) << "request not written:" << m_port->errorString();
    lineLost();
    return false;
}

Reply SerialCommComponent::awaitReply(const FrameCodec &codec, const FrameRequest &request,
                                      const QDeadlineTimer &deadline, QByteArray *received,
                                      bool *noiseBefore)
{
    QByteArray input;
    std::optional<ReplyVerdict> firstFault;
    bool noise = false;
    for (;;) {
        const QByteArray chunk = m_port->readAll();
        if (!chunk.isEmpty()) {
            m_lineQuietSince = Clock::now();
            qCDebug(lcBytes).noquote() << "<-" << chunk.toHex(' ');
            input += chunk;
            if (received)
                *received += chunk;
        }
        QByteArray dropped;
        FrameVerdict verdict;
        while (!input.isEmpty()) {
            verdict = codec.judge(input, request);
            if (verdict.kind != FrameVerdict::Discard)
                break;
            dropped += input.left(verdict.length);
            input.remove(0, verdict.length);
            if (verdict.why == ReplyVerdict::Noise)
                noise = true;
            else if (!firstFault)
                firstFault = verdict.why;
        }
        if (!dropped.isEmpty())
            qCDebug(lcFrames).noquote() << "dropped" << logText(m_frameMode, dropped);
        if (verdict.kind == FrameVerdict::Complete) {
            qCDebug(lcFrames).noquote() << "<-" << FrameText::printable(verdict.reply.toLatin1());
            if (noiseBefore)
                *noiseBefore = noise || firstFault.has_value();
            return Reply::fromFrame(verdict.reply);
        }
        if (deadline.hasExpired())
            break;
        if (!m_port->waitForReadyRead(int(deadline.remainingTime())) && lineLost())
            return Reply::failed(ReplyVerdict::PortLost);
    }
    if (input.isEmpty())
        qCDebug(lcFrames) << "no valid reply within" << replyWaitMs() << "ms";
    else
        qCDebug(lcFrames).noquote() << "no valid reply within" << replyWaitMs()
                                    << "ms, incomplete:" << logText(m_frameMode, input);
    if (firstFault)
        return Reply::failed(*firstFault);
    if (!input.isEmpty())
        return Reply::failed(ReplyVerdict::WrongLength);
    return Reply::failed(noise ? ReplyVerdict::Noise : ReplyVerdict::NoReply);
}

void SerialCommComponent::prepareSend()
{
    discardInput();
}

bool SerialCommComponent::openPort()
{
    if (isOpen())
        return true;
    m_openFault = {};
    m_lostFault = {};
    const std::optional<LineFormat> format = parseLine(line());
    if (!format) {
        qCDebug(lcFrames) << "unknown line parameters" << speed() << dataBits() << stopBits()
                          << parity();
        return false;
    }
    const QString name = m_portNames.deviceFor(portName());
    if (name.isEmpty()) {
        qCDebug(lcFrames) << portName() << "stands for no device";
        m_openFault = {PortFault::Unmapped, {}, {}};
        return false;
    }
    if (NetworkAddress::looksLikeUrl(name))
        m_port = std::make_unique<NetworkLinePort>(m_networkAllowanceMs);
    else
        m_port = std::make_unique<SerialLinePort>();
    if (!m_port->open(name, *format, replyWaitMs())) {
        m_openFault = m_port->fault();
        qCDebug(lcFrames) << "cannot open" << portName() << name << int(m_openFault.fault)
                          << m_port->errorString();
        return false;
    }
    const bool withParity = format->parity != QSerialPort::NoParity;
    m_characterTime = std::chrono::microseconds(
        LineTiming::characterMicros(format->speed, format->dataBits, withParity, format->stopBits));
    m_frameGap = std::chrono::microseconds(LineTiming::rtuFrameGapMicros(
        format->speed, format->dataBits, withParity, format->stopBits));
    m_lineQuietSince = Clock::now();
    qCDebug(lcFrames) << "opened" << portName() << name << speed() << dataBits() << parity()
                      << stopBits();
    discardInput();
    return true;
}

void SerialCommComponent::closePort()
{
    if (isOpen()) {
        m_port->close();
        qCDebug(lcFrames) << "closed" << portName();
    }
}

QString SerialCommComponent::replyWord(const QString &reply, int wordNumber) const
{
    return ::replyWord(reply, wordNumber);
}

void SerialCommComponent::discardInput()
{
    if (!isOpen())
        return;
    const QByteArray stale = m_port->readAll();
    if (!stale.isEmpty()) {
        qCDebug(lcBytes).noquote() << "stale" << stale.toHex(' ');
        recordDropped(stale);
    }
    m_port->clearInput();
}

void SerialCommComponent::recordDropped(const QByteArray &bytes)
{
    TrafficLog *log = trafficLog();
    if (!log || bytes.isEmpty())
        return;
    TrafficRecord record;
    record.sentAtMs = QDateTime::currentMSecsSinceEpoch();
    record.port = portName();
    record.speed = speed();
    record.station = m_unanswered ? m_unanswered->station : m_lastStation;
    record.mode = m_unanswered ? m_unanswered->mode : m_lastMode;
    record.reply = bytes;
    record.verdict = ReplyVerdict::LateReplyDropped;
    record.searchProbe = searchProbes();
    log->record(std::move(record));
}

void SerialCommComponent::keepFrameGap() const
{
    std::this_thread::sleep_until(m_lineQuietSince + m_frameGap);
}

bool SerialCommComponent::lineLost()
{
    if (!m_port->failed())
        return false;
    qCInfo(lcFrames) << "port" << portName() << "lost:" << m_port->errorString();
    m_lostFault = m_port->fault();
    closePort();
    return true;
}

bool SerialCommComponent::isOpen() const
{
    return m_port->isOpen();
}

int SerialCommComponent::replyWaitMs() const
{
    return qMax(0, m_replyTimeoutMs) + m_port->allowanceMs();
}
