#include "FakeCom.h"

#include "comm/Checksums.h"

#include <utility>

namespace
{

QString twoHex(int value)
{
    return QString::fromLatin1(Checksums::hex2(quint8(value)));
}

QString fourHex(qint16 value)
{
    return QStringLiteral("%1").arg(quint16(value), 4, 16, QLatin1Char('0')).toUpper();
}

QString twoDecimal(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// ':' + body + LRC of the bytes the body's hex pairs stand for + CR LF.
QString modbusFrame(const QString &body)
{
    const QByteArray bytes = QByteArray::fromHex(body.toLatin1());
    return QLatin1Char(':') + body + twoHex(Checksums::lrc(bytes)) + QLatin1String("\r\n");
}

QString ravtocolFrame(const QString &text)
{
    return text + twoHex(Checksums::ravtocolBcc(text.toLatin1())) + QLatin1Char('\r');
}

QString vendorFrame(char16_t first, int station, const QString &word)
{
    const QString checked = QChar(char16_t(station + 32)) + word;
    return QChar(first) + checked + twoHex(Checksums::vendorBcc(checked.toLatin1())) +
           QChar(char16_t(0x03));
}

} // namespace

QStringList FakeCom::Script::callsStartingWith(const QString &prefix) const
{
    QStringList found;
    for (const QString &call : calls) {
        if (call.startsWith(prefix))
            found.append(call);
    }
    return found;
}

FakeCom::FakeCom(std::shared_ptr<Script> script) : m_script(std::move(script))
{
    ++m_script->created;
    record(QStringLiteral("created"));
}

FakeCom::~FakeCom()
{
    ++m_script->destroyed;
    record(QStringLiteral("destroyed"));
}

CommComponentFactory FakeCom::factory(const std::shared_ptr<Script> &script)
{
    return
        [script]() -> std::unique_ptr<CommComponent> { return std::make_unique<FakeCom>(script); };
}

Reply FakeCom::sendRequest(const QString &station, const QString &subAddress,
                           const QString &command, const QString &address, const QString &data)
{
    record(QStringLiteral("sendRequest"));
    const Request request{station, subAddress, command, address, data, m_frameMode};
    m_script->requests.append(request);
    if (m_script->responder)
        return Reply::fromFrame(m_script->responder(request));
    return Reply::fromFrame(m_script->replies.isEmpty() ? QString()
                                                        : m_script->replies.takeFirst());
}

void FakeCom::prepareSend()
{
    record(QStringLiteral("prepareSend"));
}

bool FakeCom::openPort()
{
    const LineConditions &l = line();
    m_script->calls << QStringLiteral("PortName=") + l.portName
                    << QStringLiteral("Speed=") + l.speed
                    << QStringLiteral("DataBits=") + l.dataBits
                    << QStringLiteral("StopBits=") + l.stopBits
                    << QStringLiteral("Parity=") + l.parity;
    record(QStringLiteral("openPort"));
    m_open = m_script->openResults.isEmpty() ? m_script->defaultOpenResult
                                             : m_script->openResults.takeFirst();
    return m_open;
}

void FakeCom::closePort()
{
    record(QStringLiteral("closePort"));
    m_open = false;
}

void FakeCom::setReplyTimeout(int milliseconds)
{
    m_replyTimeout = milliseconds;
    record(QStringLiteral("ReplyTimeout=%1").arg(milliseconds));
}

void FakeCom::setFrameMode(FrameMode mode)
{
    m_frameMode = mode;
    record(QStringLiteral("FrameMode=%1").arg(int(mode)));
}

QString FakeCom::replyWord(const QString &reply, int wordNumber) const
{
    return wordOf(reply, wordNumber);
}

QString FakeCom::wordOf(const QString &reply, int wordNumber)
{
    if (wordNumber < 1 || reply.isEmpty())
        return QString();
    const int offset = 4 * (wordNumber - 1);
    int start = -1;  // 0-based index of the word's first character
    int trailer = 0; // checksum and terminator after the last data character
    bool swapped = false;
    const QChar first = reply.at(0);
    if (first == QLatin1Char(':')) {
        start = (reply.mid(3, 2) == QLatin1String("03") ? 7 : 5) + offset;
        trailer = 4;
    } else if (first == QLatin1Char('@') && reply.mid(3, 1) == QLatin1String("$")) {
        start = 4 + offset;
        trailer = 3;
        swapped = true;
    } else if (first.unicode() == 0x06) {
        start = 2 + offset;
        trailer = 3;
    }
    if (start < 0 || reply.size() - trailer < start + 4)
        return QString();
    const QString word = reply.mid(start, 4);
    return swapped ? word.mid(2, 2) + word.left(2) : word;
}

QString FakeCom::modbusRead(int station, qint16 value)
{
    return modbusFrame(twoHex(station) + QLatin1String("0302") + fourHex(value));
}

QString FakeCom::modbusWriteEcho(int station, const QString &address, const QString &data)
{
    return modbusFrame(twoHex(station) + QLatin1String("06") + address + data);
}

QString FakeCom::modbusException(int station, int function, int exceptionCode)
{
    return modbusFrame(twoHex(station) + twoHex(function | 0x80) + twoHex(exceptionCode));
}

QString FakeCom::ravtocolRead(int station, qint16 value)
{
    const QString word = fourHex(value);
    return ravtocolFrame(QLatin1Char('@') + twoDecimal(station) + QLatin1Char('$') + word.mid(2) +
                         word.left(2));
}

QString FakeCom::ravtocolAccepted(int station)
{
    return ravtocolFrame(QLatin1Char('@') + twoDecimal(station) + QLatin1Char('$'));
}

QString FakeCom::ravtocolError(int station, int errorCode)
{
    return ravtocolFrame(QLatin1Char('@') + twoDecimal(station) + QLatin1Char('!') +
                         twoDecimal(errorCode));
}

QString FakeCom::vendorAck(int station, const QString &word)
{
    return vendorFrame(0x06, station, word);
}

QString FakeCom::vendorNak(int station)
{
    return vendorFrame(0x15, station, QString());
}

QString FakeCom::vendorReadRefused(int station)
{
    return vendorFrame('!', station, QString());
}

QString FakeCom::vendorEsc(int station)
{
    return vendorFrame(0x1B, station, QString());
}
