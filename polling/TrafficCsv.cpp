#include "polling/TrafficCsv.h"

#include <QDateTime>
#include <QStringList>

namespace
{

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

QString timeText(qint64 msSinceEpoch)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString exceptionText(const TrafficRecord &record)
{
    if (record.verdict != ReplyVerdict::Exception)
        return QString();
    // Modbus codes are hexadecimal on the wire, Ravtocol codes decimal; a vendor-frame refusal
    // carries none.
    switch (record.mode) {
    case FrameMode::ModbusAscii:
    case FrameMode::ModbusRtu:
        return QStringLiteral("%1").arg(record.exceptionCode, 2, 16, QLatin1Char('0')).toUpper();
    case FrameMode::Ravtocol:
        return QStringLiteral("%1").arg(record.exceptionCode, 2, 10, QLatin1Char('0'));
    case FrameMode::Vendor:
        break;
    }
    return QString();
}

} // namespace

namespace TrafficCsv
{

QByteArray header()
{
    return QByteArrayLiteral("time,port,speed,instrument,protocol,search,command,address,data,"
                             "request,reply,response_ms,verdict,exception,noise_before,access,code,"
                             "caption,value,unit") +
           LineEnd;
}

QByteArray line(const TrafficRecord &record, const SessionState *shared,
                const TrafficMeaning::UnitOf &unitOf)
{
    if (!shared)
        return line(record, static_cast<const ExchangeMeaning *>(nullptr));
    const ExchangeMeaning meaning =
        !record.command.isEmpty() ? TrafficMeaning::of(record, *shared, unitOf) : ExchangeMeaning();
    return line(record, &meaning);
}

QByteArray line(const TrafficRecord &record, const ExchangeMeaning *known)
{
    const bool sent = !record.command.isEmpty();
    const ExchangeMeaning meaning = known && sent ? *known : ExchangeMeaning();
    const QString access = !known || !sent ? QString()
                           : meaning.write ? QStringLiteral("write")
                                           : QStringLiteral("read");
    const QStringList fields = {
        timeText(record.sentAtMs),
        field(record.port),
        field(record.speed),
        field(record.instrument()),
        protocolKey(record.mode),
        record.searchProbe ? QStringLiteral("1") : QStringLiteral("0"),
        field(record.command),
        field(record.address),
        field(record.data),
        QString::fromLatin1(record.request.toHex(' ').toUpper()),
        QString::fromLatin1(record.reply.toHex(' ').toUpper()),
        record.responseMs < 0 ? QString() : QString::number(record.responseMs),
        verdictKey(record.verdict),
        exceptionText(record),
        record.noiseBefore ? QStringLiteral("1") : QStringLiteral("0"),
        access,
        meaning.code < 0 ? QString() : QString::number(meaning.code),
        field(meaning.caption),
        field(meaning.value),
        field(meaning.unit),
    };
    return fields.join(QLatin1Char(',')).toUtf8() + LineEnd;
}

QString verdictKey(ReplyVerdict verdict)
{
    switch (verdict) {
    case ReplyVerdict::Ok:
        return QStringLiteral("ok");
    case ReplyVerdict::NoReply:
        return QStringLiteral("no-reply");
    case ReplyVerdict::Checksum:
        return QStringLiteral("checksum");
    case ReplyVerdict::WrongStation:
        return QStringLiteral("wrong-station");
    case ReplyVerdict::WrongFunction:
        return QStringLiteral("wrong-function");
    case ReplyVerdict::WrongLength:
        return QStringLiteral("wrong-length");
    case ReplyVerdict::Exception:
        return QStringLiteral("exception");
    case ReplyVerdict::LateReplyDropped:
        return QStringLiteral("late-reply");
    case ReplyVerdict::Noise:
        return QStringLiteral("noise");
    case ReplyVerdict::PortLost:
        return QStringLiteral("port-lost");
    }
    return QString();
}

QString protocolKey(FrameMode mode)
{
    switch (mode) {
    case FrameMode::ModbusAscii:
        return QStringLiteral("modbus-ascii");
    case FrameMode::ModbusRtu:
        return QStringLiteral("modbus-rtu");
    case FrameMode::Ravtocol:
        return QStringLiteral("ravtocol");
    case FrameMode::Vendor:
        return QStringLiteral("vendor");
    }
    return QString();
}

QString field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

} // namespace TrafficCsv
