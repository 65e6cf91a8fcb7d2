#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/PortFault.h"
#include "comm/SerialCommComponent.h"
#include "tests/support/Pty.h"

#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FrameMode)
Q_DECLARE_METATYPE(ReplyVerdict)

namespace
{

// The program's own reply timeout, so that "500 ms late" means what it does at the machine.
constexpr int TimeoutMs = 300;

// A request is complete at its terminator; an RTU request after its eight bytes.
PtyPeer::RequestEnd requestEnd(FrameMode mode)
{
    switch (mode) {
    case FrameMode::ModbusRtu:
        return PtyPeer::hasLength(8);
    case FrameMode::Ravtocol:
        return PtyPeer::endsWith('\r');
    case FrameMode::Vendor:
        return PtyPeer::endsWith('\x03');
    case FrameMode::ModbusAscii:
        break;
    }
    return PtyPeer::endsWith('\n');
}

} // namespace

class TestSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_pty.reset(); }
    void replies_data();
    void replies();
    void unframableFieldsNotSent();
    void deadlineCountsTheRequestOnTheLine_data();
    void deadlineCountsTheRequestOnTheLine();
    void openAndClose();
    void oneDeviceOneProgram();

private:
    // The component opened on the pty as COM3, with the given framing.
    std::unique_ptr<SerialCommComponent> openCom(FrameMode mode);
    static Reply exchange(SerialCommComponent &com, const QStringList &fields)
    {
        com.prepareSend();
        return com.sendRequest(fields[0], fields[1], fields[2], fields[3], {});
    }
    static QString send(SerialCommComponent &com, const QStringList &fields)
    {
        return exchange(com, fields).text;
    }

    std::unique_ptr<Pty> m_pty;
};

void TestSerialCom::init()
{
    m_pty = std::make_unique<Pty>();
    QVERIFY(m_pty->isOpen());
}

std::unique_ptr<SerialCommComponent> TestSerialCom::openCom(FrameMode mode)
{
    auto com = std::make_unique<SerialCommComponent>(PortNames({{"COM3", m_pty->slavePath()}}));
    com->setPortName("COM3");
    com->setSpeed("9600");
    com->setDataBits(mode == FrameMode::ModbusRtu ? "8" : "7");
    com->setStopBits("1");
    com->setParity("EVEN");
    com->setReplyTimeout(TimeoutMs);
    com->setFrameMode(mode);
    return com->openPort() ? std::move(com) : nullptr;
}

// One read in each framing: the request it sends, a good reply, the same with a wrong checksum, a
// valid reply from another station, a reply with the wrong number of words and a good reply with
// another value. Each failure says why: only the binary framing cannot tell another station's
// frame from noise.
void TestSerialCom::replies_data()
{
    QTest::addColumn<FrameMode>("mode");
    QTest::addColumn<QStringList>("fields"); // station, sub-address, command, address
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("replyText");
    QTest::addColumn<QByteArray>("corruptReply");
    QTest::addColumn<QByteArray>("otherStation");
    QTest::addColumn<ReplyVerdict>("otherStationVerdict");
    QTest::addColumn<QByteArray>("wrongLength");
    QTest::addColumn<QByteArray>("nextReply");
    QTest::addColumn<QString>("nextReplyText");
    const auto hex = [](const char *digits) { return QByteArray::fromHex(digits); };

    QTest::newRow("modbus ascii") << FrameMode::ModbusAscii
                                  << QStringList{"01", "", "03", "00800001"}
                                  << QByteArray(":0103008000017B\r\n")
                                  << QByteArray(":01030200FA00\r\n") << ":01030200FA00\r\n"
                                  << QByteArray(":01030200FA01\r\n")
                                  << QByteArray(":02030200FAFF\r\n") << ReplyVerdict::WrongStation
                                  << QByteArray(":01030400FA01906D\r\n")
                                  << QByteArray(":01030200FBFF\r\n") << ":01030200FBFF\r\n";
    QTest::newRow("modbus rtu") << FrameMode::ModbusRtu << QStringList{"01", "", "03", "00000001"}
                                << hex("010300000001840A") << hex("0103020190B9B8")
                                << ":010302019069\r\n"
                                << hex("0103020190B9B9") << hex("0203020190FDB8")
                                << ReplyVerdict::Noise << hex("01030400FA0190DBFE")
                                << hex("01030201917878") << ":010302019168\r\n";
    QTest::newRow("ravtocol") << FrameMode::Ravtocol << QStringList{"10", "", "RD", "0010200102"}
                              << QByteArray("@10RD00102001021D\r") << QByteArray("@10$E803A5\r")
                              << "@10$E803A5\r" << QByteArray("@10$E803A6\r")
                              << QByteArray("@11$E803A6\r") << ReplyVerdict::WrongStation
                              << QByteArray("@10$E803E80385\r") << QByteArray("@10$E903A6\r")
                              << "@10$E903A6\r";
    QTest::newRow("vendor") << FrameMode::Vendor << QStringList{"!", " ", "a", "FC32"}
                            << QByteArray("\x02! aFC3264\x03") << QByteArray("\x06!01F452\x03")
                            << "\x06!01F452\x03" << QByteArray("\x06!01F453\x03")
                            << QByteArray("\x06*01F459\x03") << ReplyVerdict::WrongStation
                            << QByteArray("\x06!21\x03") << QByteArray("\x06!01F553\x03")
                            << "\x06!01F553\x03";
}

void TestSerialCom::replies()
{
    QFETCH(FrameMode, mode);
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(QString, replyText);
    QFETCH(QByteArray, corruptReply);
    QFETCH(QByteArray, otherStation);
    QFETCH(ReplyVerdict, otherStationVerdict);
    QFETCH(QByteArray, wrongLength);
    QFETCH(QByteArray, nextReply);
    QFETCH(QString, nextReplyText);
    auto com = openCom(mode);
    QVERIFY(com);

    PeerAnswer bytewise = PeerAnswer::reply(reply);
    bytewise.chunkSize = 1;
    bytewise.chunkPauseMs = 3;
    PeerAnswer corruptThenGood = PeerAnswer::reply(corruptReply + reply);
    corruptThenGood.chunkSize = 3;
    corruptThenGood.chunkPauseMs = 2;
    // Answered 500 ms after the request, as a controller busy elsewhere does; it then answers the
    // request that waited meanwhile, as a real one queues it.
    PeerAnswer late = PeerAnswer::reply(reply);
    late.delay = std::chrono::milliseconds(500);
    PtyPeer peer(*m_pty, requestEnd(mode),
                 PtyPeer::script({
                     bytewise,
                     PeerAnswer::reply(QByteArray::fromHex("00FF7E55") + reply), // noise first
                     PeerAnswer::reply(corruptReply),
                     PeerAnswer::reply(otherStation),
                     corruptThenGood,
                     PeerAnswer::reply(otherStation + reply),
                     PeerAnswer::reply(reply.left(reply.size() - 1)), // last byte missing
                     PeerAnswer::reply(wrongLength),
                     late,
                     PeerAnswer::reply(nextReply),
                 }));

    const QStringList expected = {replyText, replyText, {}, {}, replyText,
                                  replyText, {},        {}, {}, nextReplyText};
    using V = ReplyVerdict;
    const QList<V> verdicts = {V::Ok, V::Ok,          V::Checksum,    otherStationVerdict, V::Ok,
                               V::Ok, V::WrongLength, V::WrongLength, V::NoReply,          V::Ok};
    for (int i = 0; i < expected.size(); ++i) {
        const Reply answer = exchange(*com, fields);
        QCOMPARE(answer.text, expected[i]);
        QCOMPARE(answer.verdict, verdicts[i]);
    }
    QCOMPARE(peer.requests(), QList<QByteArray>(expected.size(), request));
    QVERIFY(com->isOpen());
}

// A pseudo-terminal takes a request at once, so the request's own time on a real line is checked
// on the deadline itself: at 1200 bit/s a Modbus ASCII read takes 142 ms to leave, nearly half
// the reply timeout.
void TestSerialCom::deadlineCountsTheRequestOnTheLine_data()
{
    QTest::addColumn<FrameMode>("mode");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<bool>("parity");
    QTest::addColumn<int>("deadlineMs");
    // 7E1 is 10 bits a character: 8334 us at 1200 bit/s (rounded up), 1042 us at 9600; a read is
    // 17 characters in ASCII, 8 bytes in RTU (8N1, also 10 bits).
    QTest::newRow("ascii 1200") << FrameMode::ModbusAscii << 1200 << 7 << true << 300 + 142;
    QTest::newRow("ascii 9600") << FrameMode::ModbusAscii << 9600 << 7 << true << 300 + 18;
    QTest::newRow("rtu 1200") << FrameMode::ModbusRtu << 1200 << 8 << false << 300 + 67;
    QTest::newRow("rtu 9600") << FrameMode::ModbusRtu << 9600 << 8 << false << 300 + 9;
}

void TestSerialCom::deadlineCountsTheRequestOnTheLine()
{
    QFETCH(FrameMode, mode);
    QFETCH(int, speed);
    QFETCH(int, dataBits);
    QFETCH(bool, parity);
    QFETCH(int, deadlineMs);
    const int requestBytes =
        int(frameCodec(mode).requestFrame({"01", "", "03", "00800001", ""}).size());
    const qint64 characterMicros = LineTiming::characterMicros(speed, dataBits, parity, 1);
    QCOMPARE(LineTiming::replyDeadlineMs(300, characterMicros, requestBytes), qint64(deadlineMs));
}

// Fields the framing cannot carry are not sent at all.
void TestSerialCom::unframableFieldsNotSent()
{
    auto com = openCom(FrameMode::ModbusAscii);
    QVERIFY(com);
    PtyPeer peer(*m_pty, requestEnd(FrameMode::ModbusAscii), PtyPeer::script({}));

    QCOMPARE(send(*com, {"ZZ", "", "03", "00800001"}), QString());
    QVERIFY(peer.requests().isEmpty());
}

void TestSerialCom::openAndClose()
{
    auto com = openCom(FrameMode::ModbusAscii);
    QVERIFY(com);
    QVERIFY(com->openPort()); // already open: stays open
    com->closePort();
    com->closePort();
    QVERIFY(!com->isOpen());
    QCOMPARE(send(*com, {"01", "", "03", "00800001"}), QString());
    QVERIFY(com->openPort());
    com->closePort();

    // Line texts the component does not know do not open.
    const auto opensWith = [&](const QString &speed, const QString &dataBits,
                               const QString &stopBits, const QString &parity) {
        SerialCommComponent line(PortNames({{"COM1", m_pty->slavePath()}}));
        line.setSpeed(speed);
        line.setDataBits(dataBits);
        line.setStopBits(stopBits);
        line.setParity(parity);
        return line.openPort();
    };
    QVERIFY(opensWith("19200", "8", "2", "NONE"));
    QVERIFY(!opensWith("9601", "7", "1", "EVEN"));
    QVERIFY(!opensWith("9600", "9", "1", "EVEN"));
    QVERIFY(!opensWith("9600", "7", "1.5", "MARK"));
}

// A second component (as a second program would) cannot open the device the first holds, by its
// own name or through a link to it, and says why; once the first lets go, it can. A program that
// locks the device without the port's lock files keeps it too.
void TestSerialCom::oneDeviceOneProgram()
{
    const int held = ::open(QFile::encodeName(m_pty->slavePath()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(held >= 0);
    QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
    SerialCommComponent locked(PortNames({{"COM1", m_pty->slavePath()}}));
    QVERIFY(!locked.openPort());
    QCOMPARE(locked.lastOpenFault().fault, PortFault::Busy);
    ::close(held);
    QVERIFY(locked.openPort());
    locked.closePort();

    QTemporaryDir folder;
    const QString link = folder.filePath("usb-adapter-port0");
    QVERIFY(QFile::link(m_pty->slavePath(), link));
    auto first = openCom(FrameMode::ModbusAscii);
    QVERIFY(first);
    SerialCommComponent second(PortNames({{"COM1", m_pty->slavePath()}, {"COM2", link}}));
    for (const char *port : {"COM1", "COM2"}) {
        second.setPortName(port);
        QVERIFY2(!second.openPort(), port);
        QCOMPARE(second.lastOpenFault().fault, PortFault::Busy);
    }
    first->closePort();
    QVERIFY(second.openPort());
    QCOMPARE(second.lastOpenFault().fault, PortFault::None);
}

QTEST_GUILESS_MAIN(TestSerialCom)
#include "tst_serialcom.moc"
