#include "comm/Checksums.h"
#include "comm/FrameCodec.h"

#include <QtTest>

namespace
{

constexpr FrameMode Ascii = FrameMode::ModbusAscii;
constexpr FrameMode Rtu = FrameMode::ModbusRtu;
constexpr FrameMode Rav = FrameMode::Ravtocol;
constexpr FrameMode Vendor = FrameMode::Vendor;

FrameRequest fields(const QString &station, const QString &subAddress, const QString &command,
                    const QString &address, const QString &data = {})
{
    return {station, subAddress, command, address, data};
}

const FrameRequest modbusRead = fields("01", "", "03", "00800001");
const FrameRequest rtuRead = fields("01", "", "03", "00000001");
const FrameRequest modbusWrite = fields("01", "", "06", "0070", "0001");
const FrameRequest ravtocolRead = fields("10", "", "RD", "0010200102");
const FrameRequest ravtocolWrite = fields("01", "", "WD", "0032400324", "0100");
const FrameRequest vendorRead = fields("!", " ", "a", "FC32");
const FrameRequest vendorWrite = fields("!", " ", "q", "FC30", "012C");

// One case of a table: RTU frames are given in hex digits, the others as sent on the line.
struct Case {
    const char *name;
    FrameMode mode;
    FrameRequest request;
    const char *frame;
    const char *reply = nullptr; // the reply found in frame; nullptr: frame itself; "": none

    QByteArray bytes() const
    {
        return mode == Rtu ? QByteArray::fromHex(frame) : QByteArray(frame);
    }
};

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

Q_DECLARE_METATYPE(Case)

namespace
{
void addCases(std::initializer_list<Case> cases)
{
    QTest::addColumn<Case>("c");
    for (const Case &c : cases)
        QTest::newRow(c.name) << c;
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
    void rtuReplyLength();
    void replyWord();
    void checksums();
    void lineTiming();
};

void TestFraming::requestFrame_data()
{
    addCases({
        {"ascii read PV", Ascii, modbusRead, ":0103008000017B\r\n"},
        {"ascii read SV at 10", Ascii, fields("0A", "", "03", "00010001"), ":0A0300010001F1\r\n"},
        {"ascii write flag", Ascii, modbusWrite, ":01060070000188\r\n"},
        {"ascii lower-case sent upper", Ascii, fields("0a", "", "03", "00010001"),
         ":0A0300010001F1\r\n"},
        {"ascii station not hex", Ascii, fields("G1", "", "03", "00800001"), ""},
        {"rtu read 0000", Rtu, rtuRead, "010300000001840A"},
        {"rtu write flag", Rtu, modbusWrite, "01060070000149D1"},
        {"rtu one-digit station", Rtu, fields("1", "", "03", "00010001"), ""},
        {"ravtocol read SV at 10", Rav, ravtocolRead, "@10RD00102001021D\r"},
        {"ravtocol write flag", Rav, ravtocolWrite, "@01WD00324003240100EF\r"},
        {"ravtocol empty station", Rav, fields("", "", "RD", "0010200102"), ""},
        {"vendor read set value 2", Vendor, vendorRead, "\x02! aFC3264\x03"},
        {"vendor write main set value", Vendor, vendorWrite, "\x02! qFC30012C06\x03"},
        {"vendor return command", Vendor, fields("!", " ", "P", "0000", "0000"),
         "\x02! P0000000051\x03"},
        {"vendor two-character station", Vendor, fields("!!", " ", "a", "FC32"), ""},
    });
}

void TestFraming::requestFrame()
{
    QFETCH(Case, c);
    QCOMPARE(frameCodec(c.mode).requestFrame(c.request), c.bytes());
}

void TestFraming::reply_data()
{
    addCases({
        {"ascii read", Ascii, modbusRead, ":01030200FA00\r\n"},
        {"ascii write echo", Ascii, modbusWrite, ":01060070000188\r\n"},
        {"ascii exception to a write", Ascii, modbusWrite, ":01860C6D\r\n"},
        {"ascii noise before", Ascii, modbusRead, "\xFF\x55:01030200FA00\r\n", ":01030200FA00\r\n"},
        {"ascii bad lrc", Ascii, modbusRead, ":01030200FA01\r\n", ""},
        {"ascii bad lrc, then a good frame", Ascii, modbusRead,
         ":01030200FA01\r\n:01030200FA00\r\n", ":01030200FA00\r\n"},
        {"ascii other station", Ascii, modbusRead, ":02030200FAFF\r\n", ""},
        {"ascii other function", Ascii, modbusRead, ":0104020190\r\n", ""},
        {"ascii echo of the request, then the reply", Ascii, modbusRead,
         ":0103008000017B\r\n:01030200FA00\r\n", ":01030200FA00\r\n"},
        {"ascii two words to a one-word read", Ascii, modbusRead, ":01030400FA01906D\r\n", ""},
        {"ascii echo of another register", Ascii, modbusWrite, ":01060071000187\r\n", ""},
        {"rtu read, rendered as ascii", Rtu, rtuRead, "0103020190B9B8", ":010302019069\r\n"},
        {"rtu write echo", Rtu, modbusWrite, "01060070000149D1", ":01060070000188\r\n"},
        {"rtu exception to a read", Rtu, rtuRead, "018302C0F1", ":0183027A\r\n"},
        {"rtu bad crc", Rtu, rtuRead, "0103020190B9B9", ""},
        {"rtu other station", Rtu, rtuRead, "0203020190FDB8", ""},
        {"rtu echo of the request, then the reply", Rtu, rtuRead, "010300000001840A0103020190B9B8",
         ":010302019069\r\n"},
        {"rtu noise announcing a long frame", Rtu, rtuRead, "0103FF0103020190B9B8",
         ":010302019069\r\n"},
        {"rtu two words to a one-word read, then the reply", Rtu, rtuRead,
         "01030400FA0190DBFE0103020190B9B8", ":010302019069\r\n"},
        {"rtu echo of another value", Rtu, modbusWrite, "01060070000209D0", ""},
        {"ravtocol read", Rav, ravtocolRead, "@10$E803A5\r"},
        {"ravtocol write accepted", Rav, ravtocolWrite, "@01$C5\r"},
        {"ravtocol refused, keys operated", Rav, ravtocolWrite, "@01!632B\r"},
        {"ravtocol bad bcc", Rav, ravtocolRead, "@10$E803A6\r", ""},
        {"ravtocol other station", Rav, ravtocolRead, "@11$E803A6\r", ""},
        {"ravtocol broken data word", Rav, ravtocolRead, "@10$E8032D\r", ""},
        {"ravtocol two words to a one-register read", Rav, ravtocolRead, "@10$E803E80385\r", ""},
        {"ravtocol data word to a write", Rav, ravtocolWrite, "@01$010086\r", ""},
        {"vendor read", Vendor, vendorRead, "\x06!01F452\x03"},
        {"vendor write accepted", Vendor, vendorWrite, "\x06!21\x03"},
        {"vendor read answered without data", Vendor, vendorRead, "\x06!21\x03", ""},
        {"vendor write answered with data", Vendor, vendorWrite, "\x06!01F452\x03", ""},
        {"vendor read refused at instrument 1", Vendor, vendorRead, "!!21\x03"},
        {"vendor noise holding a reply character", Vendor, vendorRead, "z!\x06!01F452\x03",
         "\x06!01F452\x03"},
        {"vendor bad bcc", Vendor, vendorRead, "\x06!01F453\x03", ""},
        {"vendor other station", Vendor, vendorRead, "\x06*01F459\x03", ""},
        {"vendor instrument 10", Vendor, fields("*", " ", "a", "FC32"), "\x06*01F459\x03"},
    });
}

void TestFraming::reply()
{
    QFETCH(Case, c);
    const QByteArray input = c.bytes();
    QCOMPARE(firstReply(c.mode, c.request, input), QString(c.reply ? c.reply : c.frame));
    // The end of a frame comes from the frame itself: no reply before its last byte, so every
    // truncation of input is no reply.
    for (int length = 0; length < input.size(); ++length)
        QCOMPARE(firstReply(c.mode, c.request, input.left(length)), QString());
}

// Bytes after a frame belong to nothing; the frame's own length decides where it ends.
void TestFraming::rtuReplyLength()
{
    for (const auto &[command, frame] :
         {std::pair{"03", "01030200FA"}, {"06", "010600700001"}, {"06", "018603"}}) {
        QByteArray bytes = QByteArray::fromHex(frame);
        const quint16 crc = Checksums::crc16(bytes);
        bytes += char(crc & 0xFF);
        bytes += char(crc >> 8);
        const FrameVerdict verdict = frameCodec(Rtu).judge(bytes + QByteArray::fromHex("0103FF"),
                                                           fields("01", "", command, "00700001"));
        QCOMPARE(verdict.kind, FrameVerdict::Complete);
        QCOMPARE(verdict.length, bytes.size());
    }
}

void TestFraming::replyWord()
{
    const std::tuple<const char *, int, const char *> rows[] = {
        {":01030200FA00\r\n", 1, "00FA"},
        {":01030400FA01906D\r\n", 2, "0190"},
        {":01060070000188\r\n", 2, "0001"},
        {":01860C6D\r\n", 1, ""}, // exception
        {"@10$E803A5\r", 1, "03E8"},
        {"@01$C5\r", 1, ""},
        {"\x06!01F452\x03", 1, "01F4"},
        {"!!21\x03", 1, ""},
        {"", 1, ""},
    };
    for (const auto &[reply, wordNumber, word] : rows)
        QCOMPARE(::replyWord(reply, wordNumber), QString(word));
}

void TestFraming::checksums()
{
    // CRC-16 as computed (sent low byte first) and LRC.
    const std::tuple<const char *, int, int> rows[] = {
        {"010300000001", 0x0A84, 0xFB},
        {"010600700001", 0xD149, 0x88},
        {"018302", 0xF1C0, 0x7A},
        {"", 0xFFFF, 0x00},
    };
    for (const auto &[digits, crc16, lrc] : rows) {
        const QByteArray bytes = QByteArray::fromHex(digits);
        QCOMPARE(int(Checksums::crc16(bytes)), crc16);
        QCOMPARE(int(Checksums::lrc(bytes)), lrc);
    }

    // The text framings' checks, on frames of the protocol document.
    QCOMPARE(Checksums::hex2(Checksums::ravtocolBcc("@10RD0010200102")), QByteArray("1D"));
    QCOMPARE(Checksums::hex2(Checksums::ravtocolBcc("@01!63")), QByteArray("2B"));
    QCOMPARE(Checksums::hex2(Checksums::vendorBcc("! aFC32")), QByteArray("64"));
    QCOMPARE(Checksums::hex2(Checksums::vendorBcc("!")), QByteArray("21"));
}

void TestFraming::lineTiming()
{
    struct Row {
        int speed, dataBits;
        bool parity;
        int stopBits, bits;
        qint64 characterMicros, rtuGapMicros;
    };
    const Row rows[] = {
        {9600, 7, true, 1, 10, 1042, 3647}, {9600, 8, true, 1, 11, 1146, 4011},
        {19200, 8, true, 1, 11, 573, 2006}, {38400, 8, true, 1, 11, 287, 1750}, // fixed gap
        {0, 8, true, 1, 11, 0, 0},
    };
    for (const Row &r : rows) {
        QCOMPARE(LineTiming::bitsPerCharacter(r.dataBits, r.parity, r.stopBits), r.bits);
        QCOMPARE(LineTiming::characterMicros(r.speed, r.dataBits, r.parity, r.stopBits),
                 r.characterMicros);
        QCOMPARE(LineTiming::rtuFrameGapMicros(r.speed, r.dataBits, r.parity, r.stopBits),
                 r.rtuGapMicros);
    }
}

QTEST_GUILESS_MAIN(TestFraming)
#include "tst_framing.moc"
