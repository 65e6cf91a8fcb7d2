#pragma once

#include "comm/TrafficRecord.h"

#include <QDateTime>
#include <QList>

// Exchanges as the communication component records them, one of each kind an operator meets on a
// line: good reads and writes in each framing, refusals, a corrupt frame, silence.
namespace TrafficSamples
{
inline TrafficRecord exchange(const QString &station, FrameMode mode, const QByteArray &request,
                              const QByteArray &reply, ReplyVerdict verdict, int responseMs)
{
    TrafficRecord record;
    record.sentAtMs = QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3, 120)).toMSecsSinceEpoch();
    record.port = QStringLiteral("COM3");
    record.speed = QStringLiteral("9600");
    record.station = station;
    record.mode = mode;
    record.request = request;
    record.reply = reply;
    record.verdict = verdict;
    record.responseMs = responseMs;
    if (verdict == ReplyVerdict::Ok || verdict == ReplyVerdict::Exception)
        record.replyText = QString::fromLatin1(reply);
    return record;
}

// A Modbus ASCII frame of the hex digits given, with its LRC and line end.
inline QByteArray asciiFrame(const QByteArray &digits)
{
    quint8 sum = 0;
    for (const char byte : QByteArray::fromHex(digits))
        sum = quint8(sum + quint8(byte));
    return ':' + digits + QByteArray(1, char(quint8(-sum))).toHex().toUpper() + "\r\n";
}

// A read of PV (register 0080) answered with 250.
inline TrafficRecord modbusRead(const QString &station, ReplyVerdict verdict = ReplyVerdict::Ok)
{
    const QByteArray number = station.toLatin1();
    TrafficRecord record =
        exchange(station, FrameMode::ModbusAscii, asciiFrame(number + "0300800001"),
                 asciiFrame(number + "030200FA"), verdict, 24);
    record.command = QStringLiteral("03");
    record.address = QStringLiteral("00800001");
    if (verdict == ReplyVerdict::NoReply) {
        record.reply.clear();
        record.responseMs = 500;
    }
    return record;
}

// In order: a good read, a refused read (exception 02), a bad checksum from station 02, silence
// from station 02, a write taken after noise, an RTU read, a Ravtocol write refused while the keys
// are operated, and a vendor-frame write refused with <NAK>.
inline QList<TrafficRecord> line()
{
    QList<TrafficRecord> records{modbusRead(QStringLiteral("01"))};

    TrafficRecord refused =
        exchange(QStringLiteral("01"), FrameMode::ModbusAscii, ":0103007000018B\r\n",
                 ":0183027A\r\n", ReplyVerdict::Exception, 22);
    refused.command = QStringLiteral("03");
    refused.address = QStringLiteral("00700001");
    refused.exceptionCode = 2;
    records << refused;

    TrafficRecord corrupt = modbusRead(QStringLiteral("02"), ReplyVerdict::Checksum);
    corrupt.reply = ":02030200FA01\r\n";
    records << corrupt << modbusRead(QStringLiteral("02"), ReplyVerdict::NoReply);

    TrafficRecord write =
        exchange(QStringLiteral("01"), FrameMode::ModbusAscii, ":01060070000188\r\n",
                 ":01060070000188\r\n", ReplyVerdict::Ok, 30);
    write.command = QStringLiteral("06");
    write.address = QStringLiteral("0070");
    write.data = QStringLiteral("0001");
    write.noiseBefore = true;
    records << write;

    TrafficRecord rtu = exchange(QStringLiteral("01"), FrameMode::ModbusRtu,
                                 QByteArray::fromHex("01030080000185E2"),
                                 QByteArray::fromHex("0103020190B9B8"), ReplyVerdict::Ok, 12);
    rtu.command = QStringLiteral("03");
    rtu.address = QStringLiteral("00800001");
    rtu.replyText = QStringLiteral(":010302019069\r\n");
    records << rtu;

    TrafficRecord keys =
        exchange(QStringLiteral("10"), FrameMode::Ravtocol, "@10WD00324003240100EF\r", "@10!632B\r",
                 ReplyVerdict::Exception, 40);
    keys.command = QStringLiteral("WD");
    keys.address = QStringLiteral("0032400324");
    keys.data = QStringLiteral("0100");
    keys.exceptionCode = 63;
    records << keys;

    TrafficRecord nak = exchange(QStringLiteral("!"), FrameMode::Vendor, "\x02! q00100001AB\x03",
                                 "\x15!21\x03", ReplyVerdict::Exception, 35);
    nak.command = QStringLiteral("q");
    nak.address = QStringLiteral("0010");
    nak.data = QStringLiteral("0001");
    records << nak;
    return records;
}
} // namespace TrafficSamples
