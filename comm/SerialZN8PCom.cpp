#include "SerialZN8PCom.h"

#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/FrameText.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/file.h>
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcFrames, "zn.comm.frames", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBytes, "zn.comm.bytes", QtWarningMsg)

namespace
{

struct LineSettings {
    int speed = 0;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

std::optional<LineSettings> parseLine(const LineConditions &line)
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
    return LineSettings{line.speed.toInt(), dataBitTexts.value(line.dataBits),
                        parityTexts.value(line.parity), stopBitTexts.value(line.stopBits)};
}

QByteArray logText(FrameMode mode, const QByteArray &frame)
{
    return mode == FrameMode::ModbusRtu ? frame.toHex(' ').toUpper() : FrameText::printable(frame);
}

} // namespace

SerialZN8PCom::SerialZN8PCom(PortNames portNames) : m_portNames(std::move(portNames)) {}

SerialZN8PCom::~SerialZN8PCom()
{
    ClosePort();
}

QString SerialZN8PCom::SendRequest(const QString &station, const QString &subAddress,
                                   const QString &command, const QString &address,
                                   const QString &data, int, const QString &)
{
    // However a request fails, it takes no less than a request that went unanswered, so that a
    // caller polling a lost port keeps the pace it has with a silent controller.
    const QDeadlineTimer minimumCost(qMax(0, m_replyTimeoutMs), Qt::PreciseTimer);
    const auto failed = [&minimumCost] {
        std::this_thread::sleep_for(std::chrono::milliseconds(minimumCost.remainingTime()));
        return QString();
    };
    if (!m_port.isOpen())
        return failed();
    const FrameCodec &codec = frameCodec(m_frameMode);
    const FrameRequest request{station, subAddress, command, address, data};
    const QByteArray frame = codec.requestFrame(request);
    if (frame.isEmpty()) {
        qCDebug(lcFrames) << "cannot frame request" << station << command << address << data;
        return failed();
    }

    if (m_unanswered && m_unanswered->mode == m_frameMode && m_unanswered->station == station)
        letLineFallQuiet();
    if (codec.needsFrameGap())
        keepFrameGap();
    discardInput();
    if (!m_port.isOpen() || !writeFrame(frame))
        return failed();
    // The controller cannot answer before the request has left the line.
    const auto requestOnLine = m_characterTime * frame.size();
    m_lineQuietSince = Clock::now() + requestOnLine;
    const QDeadlineTimer deadline(
        qMax(0, m_replyTimeoutMs) +
            std::chrono::duration_cast<std::chrono::milliseconds>(requestOnLine).count(),
        Qt::PreciseTimer);
    const QString reply = awaitReply(codec, request, deadline);
    if (reply.isEmpty()) {
        m_unanswered = Unanswered{m_frameMode, station, Clock::now()};
        return m_port.isOpen() ? reply : failed();
    }
    m_unanswered.reset();
    return reply;
}

void SerialZN8PCom::letLineFallQuiet()
{
    const std::chrono::milliseconds quiet(qMax(0, m_replyTimeoutMs));
    const QDeadlineTimer limit(2 * quiet, Qt::PreciseTimer);
    Clock::time_point quietFrom = m_unanswered->since;
    while (m_port.isOpen() && !limit.hasExpired()) {
        const QByteArray late = m_port.readAll();
        if (!late.isEmpty()) {
            quietFrom = m_lineQuietSince = Clock::now();
            qCDebug(lcFrames).noquote() << "dropped, late" << logText(m_frameMode, late);
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(quietFrom + quiet - Clock::now());
        if (left.count() <= 0)
            break;
        if (!m_port.waitForReadyRead(int(qMin<qint64>(left.count(), limit.remainingTime()))) &&
            lineLost())
            return;
    }
    m_unanswered.reset();
}

bool SerialZN8PCom::writeFrame(const QByteArray &frame)
{
    m_port.clearError();
    qCDebug(lcFrames).noquote() << "->" << logText(m_frameMode, frame);
    qCDebug(lcBytes).noquote() << "->" << frame.toHex(' ');
    m_port.write(frame);
    if (m_port.waitForBytesWritten(qMax(0, m_replyTimeoutMs)))
        return true;
    qCDebug(lcFrames) << "request not written:" << m_port.errorString();
    lineLost();
    return false;
}

QString SerialZN8PCom::awaitReply(const FrameCodec &codec, const FrameRequest &request,
                                  const QDeadlineTimer &deadline)
{
    QByteArray input;
    for (;;) {
        const QByteArray chunk = m_port.readAll();
        if (!chunk.isEmpty()) {
            m_lineQuietSince = Clock::now();
            qCDebug(lcBytes).noquote() << "<-" << chunk.toHex(' ');
            input += chunk;
        }
        QByteArray dropped;
        FrameVerdict verdict;
        while (!input.isEmpty()) {
            verdict = codec.judge(input, request);
            if (verdict.kind != FrameVerdict::Discard)
                break;
            dropped += input.left(verdict.length);
            input.remove(0, verdict.length);
        }
        if (!dropped.isEmpty())
            qCDebug(lcFrames).noquote() << "dropped" << logText(m_frameMode, dropped);
        if (verdict.kind == FrameVerdict::Complete) {
            qCDebug(lcFrames).noquote() << "<-" << FrameText::printable(verdict.reply.toLatin1());
            return verdict.reply;
        }
        if (deadline.hasExpired())
            break;
        if (!m_port.waitForReadyRead(int(deadline.remainingTime())) && lineLost())
            return {};
    }
    if (input.isEmpty())
        qCDebug(lcFrames) << "no valid reply within" << m_replyTimeoutMs << "ms";
    else
        qCDebug(lcFrames).noquote() << "no valid reply within" << m_replyTimeoutMs
                                    << "ms, incomplete:" << logText(m_frameMode, input);
    return {};
}

void SerialZN8PCom::PrepareSend1()
{
    discardInput();
}

void SerialZN8PCom::PrepareSend2()
{
    discardInput();
}

bool SerialZN8PCom::OpenPort()
{
    if (m_port.isOpen())
        return true;
    m_openFault = {};
    const std::optional<LineSettings> settings = parseLine(line());
    if (!settings) {
        qCDebug(lcFrames) << "unknown line parameters" << Speed() << DataBits() << StopBits()
                          << Parity();
        return false;
    }
    const QString name = m_portNames.deviceFor(PortName());
    if (name.isEmpty()) {
        qCDebug(lcFrames) << PortName() << "stands for no device";
        m_openFault = {PortFault::Unmapped, QString()};
        return false;
    }
    // The device node itself, whatever link named it: the port's own lock is keyed by the path.
    const QString resolved = QFileInfo(name).canonicalFilePath();
    const QString device = resolved.isEmpty() ? name : resolved;
    m_port.setPortName(device);
    m_port.setBaudRate(settings->speed);
    m_port.setDataBits(settings->dataBits);
    m_port.setParity(settings->parity);
    m_port.setStopBits(settings->stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        qCDebug(lcFrames) << "cannot open" << PortName() << device << m_port.errorString();
        m_openFault = {PortFaults::classify(device, m_port.error()), device};
        return false;
    }
    if (!lockDevice()) {
        qCDebug(lcFrames) << PortName() << device << "is in use by another program";
        m_port.close();
        m_openFault = {PortFault::Busy, device};
        return false;
    }
    const bool parity = settings->parity != QSerialPort::NoParity;
    m_characterTime = std::chrono::microseconds(LineTiming::characterMicros(
        settings->speed, settings->dataBits, parity, settings->stopBits));
    m_frameGap = std::chrono::microseconds(LineTiming::rtuFrameGapMicros(
        settings->speed, settings->dataBits, parity, settings->stopBits));
    m_lineQuietSince = Clock::now();
    qCDebug(lcFrames) << "opened" << PortName() << device << Speed() << DataBits() << Parity()
                      << StopBits();
    discardInput();
    return true;
}

void SerialZN8PCom::ClosePort()
{
    if (m_port.isOpen()) {
        m_port.close();
        qCDebug(lcFrames) << "closed" << PortName();
    }
}

QString SerialZN8PCom::ReplyWord(const QString &reply, int wordNumber) const
{
    return replyWord(reply, wordNumber);
}

bool SerialZN8PCom::lockDevice()
{
#ifdef Q_OS_UNIX
    // flock() belongs to the device node reached, whatever path led there, and binds root too;
    // closing the port releases it.
    return ::flock(int(m_port.handle()), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
#else
    // Windows opens a serial port exclusively by itself.
    return true;
#endif
}

void SerialZN8PCom::discardInput()
{
    if (!m_port.isOpen())
        return;
    const QByteArray stale = m_port.readAll();
    if (!stale.isEmpty())
        qCDebug(lcBytes).noquote() << "stale" << stale.toHex(' ');
    m_port.clear(QSerialPort::Input);
}

void SerialZN8PCom::keepFrameGap() const
{
    std::this_thread::sleep_until(m_lineQuietSince + m_frameGap);
}

bool SerialZN8PCom::lineLost()
{
    const QSerialPort::SerialPortError error = m_port.error();
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return false;
    qCInfo(lcFrames) << "port" << PortName() << "lost:" << m_port.errorString();
    ClosePort();
    return true;
}
