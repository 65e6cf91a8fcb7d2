#include "NetworkLinePort.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QMap>

#include <utility>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

Q_DECLARE_LOGGING_CATEGORY(lcFrames)

namespace
{

// Telnet options (RFC 856, 858, 2217).
constexpr quint8 BinaryOption = 0;
constexpr quint8 SuppressGoAheadOption = 3;
constexpr quint8 ComPortOption = 44;

// COM-port commands from the client; the server answers with the same number plus 100.
constexpr quint8 SetBaudRate = 1;
constexpr quint8 SetDataSize = 2;
constexpr quint8 SetParity = 3;
constexpr quint8 SetStopSize = 4;
constexpr quint8 SetControl = 5;
constexpr quint8 PurgeData = 12;
constexpr quint8 ServerOffset = 100;
constexpr quint8 NoFlowControl = 1;
constexpr quint8 PurgeBoth = 3;

// What a server says when it keeps the line for another client ("Port already in use").
constexpr char InUseWords[] = "in use";
constexpr int LastWordsKept = 128;

quint8 parityCode(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::OddParity:
        return 2;
    case QSerialPort::EvenParity:
        return 3;
    default:
        return 1;
    }
}

QByteArray bytes(std::initializer_list<quint8> values)
{
    QByteArray out;
    for (const quint8 value : values)
        out.append(char(value));
    return out;
}

// Big-endian, as RFC 2217 sends it.
QByteArray baudValue(int speed)
{
    const auto value = quint32(speed);
    return bytes({quint8(value >> 24), quint8(value >> 16), quint8(value >> 8), quint8(value)});
}

QString parityText(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::OddParity:
        return QStringLiteral("ODD");
    case QSerialPort::EvenParity:
        return QStringLiteral("EVEN");
    default:
        return QStringLiteral("NONE");
    }
}

} // namespace

NetworkLinePort::~NetworkLinePort()
{
    close();
}

bool NetworkLinePort::open(const QString &device, const LineFormat &format, int timeoutMs)
{
    m_fault = {PortFault::None, device, {}};
    const std::optional<NetworkAddress> address = NetworkAddress::parse(device);
    if (!address) {
        m_fault.fault = PortFault::HostNotFound;
        return false;
    }
    m_fault.device = address->hostAndPort();
    m_telnet = address->mode == NetworkAddress::Mode::Rfc2217;
    m_codec = TelnetCodec();
    m_commands.clear();
    m_answered.clear();
    m_lastWords.clear();
    const QDeadlineTimer deadline(qMax(1, timeoutMs), Qt::PreciseTimer);
    m_fault.detail = QString::number(timeoutMs);
    if (!connectTo(*address, deadline))
        return false;
    if (m_telnet && !setLine(format, deadline)) {
        close();
        return false;
    }
    if (!m_telnet) {
        // A server that keeps its line for another client says so and closes at once; one that
        // is glad of us stays silent. Either shows within the allowance.
        if (m_socket->waitForReadyRead(m_allowanceMs)) {
            m_lastWords = m_socket->peek(LastWordsKept);
            if (m_lastWords.toLower().contains(InUseWords))
                m_socket->waitForDisconnected(m_allowanceMs);
        }
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            noteClosed();
            close();
            return false;
        }
    }
    m_fault.detail.clear();
    return true;
}

bool NetworkLinePort::connectTo(const NetworkAddress &address, const QDeadlineTimer &deadline)
{
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(address.host, address.port);
    if (m_socket->waitForConnected(int(deadline.remainingTime()))) {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    switch (m_socket->error()) {
    case QAbstractSocket::HostNotFoundError:
        m_fault.fault = PortFault::HostNotFound;
        break;
    case QAbstractSocket::ConnectionRefusedError:
        m_fault.fault = PortFault::Refused;
        break;
    case QAbstractSocket::RemoteHostClosedError:
        m_fault.fault = PortFault::ServerClosed;
        break;
    default:
        m_fault.fault = PortFault::Unreachable;
        break;
    }
    qCDebug(lcFrames) << "no connection to" << address.url() << m_socket->errorString();
    m_socket.reset();
    return false;
}

bool NetworkLinePort::setLine(const LineFormat &format, const QDeadlineTimer &deadline)
{
    send(TelnetCodec::negotiation(TelnetCodec::WILL, ComPortOption) +
         TelnetCodec::negotiation(TelnetCodec::WILL, BinaryOption) +
         TelnetCodec::negotiation(TelnetCodec::DO, BinaryOption));
    m_answered << quint16(TelnetCodec::WILL << 8 | ComPortOption)
               << quint16(TelnetCodec::WILL << 8 | BinaryOption)
               << quint16(TelnetCodec::DO << 8 | BinaryOption);
    const QList<QPair<quint8, QByteArray>> asked = {
        {SetBaudRate, baudValue(format.speed)},
        {SetDataSize, QByteArray(1, char(format.dataBits))},
        {SetParity, QByteArray(1, char(parityCode(format.parity)))},
        {SetStopSize, QByteArray(1, char(format.stopBits == QSerialPort::TwoStop ? 2 : 1))}};
    bool accepted = false;
    QMap<quint8, QByteArray> confirmed;
    for (;;) {
        receive();
        const QList<TelnetCodec::Command> commands = std::exchange(m_commands, {});
        for (const TelnetCodec::Command &command : commands) {
            if (command.option != ComPortOption) {
                answerOption(command);
                continue;
            }
            if (command.verb == TelnetCodec::DONT || command.verb == TelnetCodec::WONT) {
                if (command.verb == TelnetCodec::DONT) {
                    m_fault.fault = PortFault::NotRfc2217;
                    return false;
                }
                continue;
            }
            if (command.verb == TelnetCodec::DO && !accepted) {
                accepted = true;
                QByteArray requests;
                for (const auto &[code, value] : asked)
                    requests += TelnetCodec::subnegotiation(ComPortOption, char(code) + value);
                requests +=
                    TelnetCodec::subnegotiation(ComPortOption, bytes({SetControl, NoFlowControl}));
                requests +=
                    TelnetCodec::subnegotiation(ComPortOption, bytes({PurgeData, PurgeBoth}));
                send(requests);
            } else if (command.verb == TelnetCodec::SB && !command.payload.isEmpty()) {
                confirmed.insert(quint8(command.payload.at(0)), command.payload.mid(1));
            }
        }
        bool complete = accepted;
        for (const auto &[code, value] : asked) {
            const auto answer = confirmed.constFind(quint8(code + ServerOffset));
            if (answer == confirmed.constEnd()) {
                complete = false;
                continue;
            }
            if (answer.value() == value)
                continue;
            m_fault.fault = PortFault::LineRefused;
            m_fault.detail =
                code == SetBaudRate   ? QStringLiteral("%1 bit/s").arg(format.speed)
                : code == SetDataSize ? QStringLiteral("%1 data bits").arg(int(format.dataBits))
                : code == SetParity   ? QStringLiteral("parity %1").arg(parityText(format.parity))
                                      : QStringLiteral("%1 stop bits").arg(int(format.stopBits));
            qCDebug(lcFrames) << "server refused" << m_fault.detail << "answer"
                              << answer.value().toHex();
            return false;
        }
        if (complete)
            return true;
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            noteClosed();
            return false;
        }
        if (deadline.hasExpired() || !m_socket->waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_socket->state() != QAbstractSocket::ConnectedState) {
                receive();
                noteClosed();
            } else {
                m_fault.fault = PortFault::NotRfc2217;
            }
            return false;
        }
    }
}

void NetworkLinePort::answerOption(const TelnetCodec::Command &command)
{
    const bool wanted = command.option == BinaryOption || command.option == SuppressGoAheadOption ||
                        command.option == ComPortOption;
    quint8 answer = 0;
    switch (command.verb) {
    case TelnetCodec::WILL:
        answer = wanted ? TelnetCodec::DO : TelnetCodec::DONT;
        break;
    case TelnetCodec::DO:
        answer = wanted ? TelnetCodec::WILL : TelnetCodec::WONT;
        break;
    case TelnetCodec::WONT:
        answer = TelnetCodec::DONT;
        break;
    case TelnetCodec::DONT:
        answer = TelnetCodec::WONT;
        break;
    default:
        return;
    }
    const auto key = quint16(answer << 8 | command.option);
    if (m_answered.contains(key))
        return;
    m_answered << key;
    send(TelnetCodec::negotiation(answer, command.option));
}

void NetworkLinePort::close()
{
    if (!m_socket)
        return;
    m_socket->abort();
    m_socket.reset();
}

bool NetworkLinePort::isOpen() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void NetworkLinePort::send(const QByteArray &bytes)
{
    if (m_socket)
        m_socket->write(bytes);
}

void NetworkLinePort::write(const QByteArray &bytes)
{
    send(m_telnet ? TelnetCodec::escape(bytes) : bytes);
}

bool NetworkLinePort::waitForBytesWritten(int milliseconds)
{
    if (!isOpen())
        return false;
    // Nothing pending means it went out already.
    return m_socket->bytesToWrite() == 0 || m_socket->waitForBytesWritten(milliseconds);
}

bool NetworkLinePort::waitForReadyRead(int milliseconds)
{
    if (!isOpen())
        return false;
    if (m_socket->bytesAvailable() > 0)
        return true;
    acknowledgeAtOnce();
    if (m_socket->waitForReadyRead(milliseconds))
        return true;
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        noteClosed();
    return false;
}

void NetworkLinePort::acknowledgeAtOnce()
{
#ifdef TCP_QUICKACK
    // Linux leaves this mode again by itself as soon as we send, so it is asked for anew before
    // every wait.
    const int on = 1;
    setsockopt(int(m_socket->socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

QByteArray NetworkLinePort::readAll()
{
    const QByteArray data = receive();
    if (m_telnet) {
        for (const TelnetCodec::Command &command : std::exchange(m_commands, {}))
            answerOption(command);
    }
    return data;
}

QByteArray NetworkLinePort::receive()
{
    if (!m_socket)
        return {};
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return {};
    QByteArray data = bytes;
    if (m_telnet) {
        data = m_codec.decode(bytes);
        m_commands += m_codec.takeCommands();
    }
    m_lastWords = (m_lastWords + data).right(LastWordsKept);
    return data;
}

void NetworkLinePort::noteClosed()
{
    if (m_fault.fault != PortFault::None)
        return;
    m_fault.fault =
        m_lastWords.toLower().contains(InUseWords) ? PortFault::InUse : PortFault::ServerClosed;
    qCInfo(lcFrames) << "server" << m_fault.device
                     << "ended the connection:" << (m_socket ? m_socket->errorString() : QString());
}

bool NetworkLinePort::failed() const
{
    return m_fault.fault != PortFault::None || !isOpen();
}

QString NetworkLinePort::errorString() const
{
    return m_socket ? m_socket->errorString() : QStringLiteral("not connected");
}
