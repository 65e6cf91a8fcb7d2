#include "comm/Checksums.h"
#include "comm/FrameCodec.h"

#include <QtTest>

Q_DECLARE_METATYPE(FrameRequest)
Q_DECLARE_METATYPE(FrameMode)

namespace
{

FrameRequest fields(const QString &station, const QString &subAddress, const QString &command,
                    const QString &address, const QString &data = {})
{
    return {station, subAddress, command, address, data};
}

const FrameRequest modbusRead = fields("01", "", "03", "00800001");
const FrameRequest modbusWrite = fields("01", "", "06", "0070", "0001");
const FrameRequest ravtocolRead = fields("10", "", "RD", "0010200102");
const FrameRequest ravtocolWrite = fields("01", "", "WD", "0032400324", "0100");
const FrameRequest vendorRead = fields("!", " ", "a", "FC32");

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray withCrc(QByteArray adu)
{
    const quint16 crc = Checksums::crc16(adu);
    return adu + char(crc & 0xFF) + char(crc >> 8);
}

// The first reply found in input, judged as the component does: drop what the codec discards
// until it finds a complete frame or wants more bytes.
QString firstReply(FrameMode mode, const FrameRequest &request, QByteArray input)
{
    const qsizetype rounds = input.size() + 1;
    for (qsizetype round = 0; round < rounds; ++round) {
        const FrameVerdict verdict = frameCodec(mode).judge(input, request);
        if (verdict.kind == FrameVerdict::Complete)
            return verdict.reply;
        if (verdict.kind == FrameVerdict::Incomplete)
            return {};
        if (verdict.length <= 0)
            return QStringLiteral("discard without progress");
        input.remove(0, verdict.length);
    }
    return QStringLiteral("no verdict");
}

} // namespace

class TestFraming : public QObject
{
    Q_OBJECT

private slots:
    void requestFrame_data();
    void requestFrame();
    void reply_data();
    void reply();
    void rtuReplyLength_data();
    void rtuReplyLength();
    void replyWord_data();
    void replyWord();
};

void TestFraming::requestFrame_data()
{
    QTest::addColumn<FrameMode>("mode");
    QTest::addColumn<FrameRequest>("request");
    QTest::addColumn<QByteArray>("frame");

    const auto ascii = FrameMode::ModbusAscii;
    QTest::newRow("ascii read PV") << ascii << modbusRead << QByteArray(":0103008000017B\r\n");
    QTest::newRow("ascii read SV instrument 10")
        << ascii << fields("0A", "", "03", "00010001") << QByteArray(":0A0300010001F1\r\n");
    QTest::newRow("ascii write flag") << ascii << modbusWrite << QByteArray(":01060070000188\r\n");
    QTest::newRow("ascii lower-case digits are sent upper-case")
        << ascii << fields("0a", "", "03", "00010001") << QByteArray(":0A0300010001F1\r\n");
    QTest::newRow("ascii station not hex")
        << ascii << fields("G1", "", "03", "00800001") << QByteArray();

    const auto rtu = FrameMode::ModbusRtu;
    QTest::newRow("rtu read 0000")
        << rtu << fields("01", "", "03", "00000001") << hex("010300000001840A");
    QTest::newRow("rtu write flag") << rtu << modbusWrite << hex("01060070000149D1");
    QTest::newRow("rtu one-digit station")
        << rtu << fields("1", "", "03", "00010001") << QByteArray();

    const auto ravtocol = FrameMode::Ravtocol;
    QTest::newRow("ravtocol read SV instrument 10")
        << ravtocol << ravtocolRead << QByteArray("@10RD00102001021D\r");
    QTest::newRow("ravtocol write flag")
        << ravtocol << ravtocolWrite << QByteArray("@01WD00324003240100EF\r");
    QTest::newRow("ravtocol empty station")
        << ravtocol << fields("", "", "RD", "0010200102") << QByteArray();

    const auto vendor = FrameMode::Vendor;
    QTest::newRow("vendor read set value 2")
        << vendor << vendorRead << QByteArray("\x02! aFC3264\x03");
    QTest::newRow("vendor write main set value")
        << vendor << fields("!", " ", "q", "FC30", "012C") << QByteArray("\x02! qFC30012C06\x03");
    QTest::newRow("vendor return command")
        << vendor << fields("!", " ", "P", "0000", "0000") << QByteArray("\x02! P0000000051\x03");
    QTest::newRow("vendor station of two characters")
        << vendor << fields("!!", " ", "a", "FC32") << QByteArray();
}

void TestFraming::requestFrame()
{
    QFETCH(FrameMode, mode);
    QFETCH(FrameRequest, request);
    QFETCH(QByteArray, frame);
    QCOMPARE(frameCodec(mode).requestFrame(request), frame);
}

void TestFraming::reply_data()
{
    QTest::addColumn<FrameMode>("mode");
    QTest::addColumn<FrameRequest>("request");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("reply"); // empty: no valid reply in input

    const auto ascii = FrameMode::ModbusAscii;
    const QByteArray asciiRead(":01030200FA00\r\n");
    QTest::newRow("ascii read") << ascii << modbusRead << asciiRead << QString(asciiRead);
    QTest::newRow("ascii write echo") << ascii << modbusWrite << QByteArray(":01060070000188\r\n")
                                      << QString(":01060070000188\r\n");
    QTest::newRow("ascii exception to a write")
        << ascii << modbusWrite << QByteArray(":01860C6D\r\n") << QString(":01860C6D\r\n");
    QTest::newRow("ascii noise before")
        << ascii << modbusRead << hex("00FF55") + asciiRead << QString(asciiRead);
    QTest::newRow("ascii bad lrc")
        << ascii << modbusRead << QByteArray(":01030200FA01\r\n") << QString();
    QTest::newRow("ascii bad lrc, then a good frame")
        << ascii << modbusRead << ":01030200FA01\r\n" + asciiRead << QString(asciiRead);
    QTest::newRow("ascii other station")
        << ascii << modbusRead << QByteArray(":02030200FAFF\r\n") << QString();
    QTest::newRow("ascii echo of the request, then the reply")
        << ascii << modbusRead << ":0103008000017B\r\n" + asciiRead << QString(asciiRead);

    const auto rtu = FrameMode::ModbusRtu;
    const FrameRequest rtuRead = fields("01", "", "03", "00000001");
    const QByteArray rtuReply = hex("0103020190B9B8");
    const QString rtuText(":010302019069\r\n");
    QTest::newRow("rtu read, rendered as ascii") << rtu << rtuRead << rtuReply << rtuText;
    QTest::newRow("rtu write echo")
        << rtu << modbusWrite << hex("01060070000149D1") << QString(":01060070000188\r\n");
    QTest::newRow("rtu exception to a read")
        << rtu << rtuRead << hex("018302C0F1") << QString(":0183027A\r\n");
    QTest::newRow("rtu bad crc") << rtu << rtuRead << hex("0103020190B9B9") << QString();
    QTest::newRow("rtu other station") << rtu << rtuRead << withCrc(hex("0203020190")) << QString();
    QTest::newRow("rtu echo of the request, then the reply")
        << rtu << rtuRead << hex("010300000001840A") + rtuReply << rtuText;
    QTest::newRow("rtu noise announcing a long frame, then the reply")
        << rtu << rtuRead << hex("0103FF") + rtuReply << rtuText;

    const auto ravtocol = FrameMode::Ravtocol;
    const QByteArray ravtocolReply("@10$E803A5\r");
    QTest::newRow("ravtocol read")
        << ravtocol << ravtocolRead << ravtocolReply << QString(ravtocolReply);
    QTest::newRow("ravtocol write accepted")
        << ravtocol << ravtocolWrite << QByteArray("@01$C5\r") << QString("@01$C5\r");
    QTest::newRow("ravtocol refused, keys operated")
        << ravtocol << ravtocolWrite << QByteArray("@01!632B\r") << QString("@01!632B\r");
    QTest::newRow("ravtocol bad bcc")
        << ravtocol << ravtocolRead << QByteArray("@10$E803A6\r") << QString();
    QTest::newRow("ravtocol other station")
        << ravtocol << ravtocolRead << QByteArray("@11$E803A6\r") << QString();
    QTest::newRow("ravtocol broken data word")
        << ravtocol << ravtocolRead << QByteArray("@10$E8032D\r") << QString();

    const auto vendor = FrameMode::Vendor;
    const QByteArray vendorReply("\x06!01F452\x03");
    QTest::newRow("vendor read") << vendor << vendorRead << vendorReply << QString(vendorReply);
    QTest::newRow("vendor write accepted")
        << vendor << vendorRead << QByteArray("\x06!21\x03") << QString("\x06!21\x03");
    QTest::newRow("vendor read refused at instrument 1")
        << vendor << vendorRead << QByteArray("!!21\x03") << QString("!!21\x03");
    QTest::newRow("vendor noise holding a reply character")
        << vendor << vendorRead << "z!" + vendorReply << QString(vendorReply);
    QTest::newRow("vendor bad bcc")
        << vendor << vendorRead << QByteArray("\x06!01F453\x03") << QString();
    QTest::newRow("vendor other station")
        << vendor << vendorRead << QByteArray("\x06*01F459\x03") << QString();
    QTest::newRow("vendor instrument 10")
        << vendor << fields("*", " ", "a", "FC32") << QByteArray("\x06*01F459\x03")
        << QString("\x06*01F459\x03");
}

void TestFraming::reply()
{
    QFETCH(FrameMode, mode);
    QFETCH(FrameRequest, request);
    QFETCH(QByteArray, input);
    QFETCH(QString, reply);

    QCOMPARE(firstReply(mode, request, input), reply);
    // The end of a frame comes from the frame itself: no reply before its last byte, so every
    // truncation of input is no reply.
    for (int length = 0; length < input.size(); ++length)
        QCOMPARE(firstReply(mode, request, input.left(length)), QString());
}

void TestFraming::rtuReplyLength_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("03, one register") << QByteArray("03") << withCrc(hex("01030200FA"));
    QTest::newRow("06") << QByteArray("06") << withCrc(hex("010600700001"));
    QTest::newRow("exception 86") << QByteArray("06") << withCrc(hex("018603"));
}

void TestFraming::rtuReplyLength()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, frame);
    const FrameRequest request = fields("01", "", command, "00700001");

    // Bytes after the frame belong to nothing; the frame's own length decides where it ends.
    const FrameVerdict verdict =
        frameCodec(FrameMode::ModbusRtu).judge(frame + hex("0103FF"), request);
    QCOMPARE(verdict.kind, FrameVerdict::Complete);
    QCOMPARE(verdict.length, frame.size());
}

void TestFraming::replyWord_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("wordNumber");
    QTest::addColumn<QString>("word");

    QTest::newRow("modbus 03 word 1") << ":01030200FA00\r\n" << 1 << "00FA";
    QTest::newRow("modbus 03 two registers") << ":01030400FA01906D\r\n" << 2 << "0190";
    QTest::newRow("modbus 06 data") << ":01060070000188\r\n" << 2 << "0001";
    QTest::newRow("modbus exception") << ":01860C6D\r\n" << 1 << "";
    QTest::newRow("ravtocol swapped back") << "@10$E803A5\r" << 1 << "03E8";
    QTest::newRow("ravtocol write accepted") << "@01$C5\r" << 1 << "";
    QTest::newRow("vendor read") << "\x06!01F452\x03" << 1 << "01F4";
    QTest::newRow("vendor read refused") << "!!21\x03" << 1 << "";
    QTest::newRow("empty reply") << "" << 1 << "";
}

void TestFraming::replyWord()
{
    QFETCH(QString, reply);
    QFETCH(int, wordNumber);
    QFETCH(QString, word);
    QCOMPARE(::replyWord(reply, wordNumber), word);
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
