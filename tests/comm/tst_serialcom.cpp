#include "comm/SerialZN8PCom.h"
#include "tests/support/Pty.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(FrameMode)

namespace
{

constexpr int TimeoutMs = 200;
// Upper bound for any one request: the timeout plus ample slack for a loaded machine. Only there
// to catch a hang, never a speed check.
constexpr int BoundMs = TimeoutMs + 1000;

// One read in each framing, with the request it sends and a good reply.
struct Exchange {
    QString station, subAddress, command, address;
    QByteArray request;
    PtyPeer::RequestEnd requestEnd;
    QByteArray reply;
    QString replyText;
    QByteArray corruptReply; // the reply with a wrong checksum
    QByteArray otherStation; // a valid reply from another station
    QByteArray secondReply;  // a good reply carrying another value
    QString secondReplyText;
};

Exchange exchange(FrameMode mode)
{
    switch (mode) {
    case FrameMode::ModbusRtu:
        return {"01",
                "",
                "03",
                "00000001",
                QByteArray::fromHex("010300000001840A"),
                PtyPeer::hasLength(8),
                QByteArray::fromHex("0103020190B9B8"),
                ":010302019069\r\n",
                QByteArray::fromHex("0103020190B9B9"),
                QByteArray::fromHex("0203020190FDB8"),
                QByteArray::fromHex("01030200FA3807"),
                ":01030200FA00\r\n"};
    case FrameMode::Ravtocol:
        return {"10",
                "",
                "RD",
                "0010200102",
                "@10RD00102001021D\r",
                PtyPeer::endsWith('\r'),
                "@10$E803A5\r",
                "@10$E803A5\r",
                "@10$E803A6\r",
                "@11$E803A6\r",
                "@10$010086\r",
                "@10$010086\r"};
    case FrameMode::Vendor:
        return {"!",
                " ",
                "a",
                "FC32",
                "\x02! aFC3264\x03",
                PtyPeer::endsWith('\x03'),
                "\x06!01F452\x03",
                "\x06!01F452\x03",
                "\x06!01F453\x03",
                "\x06*01F459\x03",
                "\x06!000120\x03",
                "\x06!000120\x03"};
    case FrameMode::ModbusAscii:
        break;
    }
    return {"01",
            "",
            "03",
            "00800001",
            ":0103008000017B\r\n",
            PtyPeer::endsWith('\n'),
            ":01030200FA00\r\n",
            ":01030200FA00\r\n",
            ":01030200FA01\r\n",
            ":02030200FAFF\r\n",
            ":010302019069\r\n",
            ":010302019069\r\n"};
}

void addFramingRows()
{
    QTest::addColumn<FrameMode>("mode");
    QTest::newRow("modbus ascii") << FrameMode::ModbusAscii;
    QTest::newRow("modbus rtu") << FrameMode::ModbusRtu;
    QTest::newRow("ravtocol") << FrameMode::Ravtocol;
    QTest::newRow("vendor") << FrameMode::Vendor;
}

} // namespace

class TestSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void replyInPieces_data() { addFramingRows(); }
    void replyInPieces();
    void badFramesAreNeverReplies_data() { addFramingRows(); }
    void badFramesAreNeverReplies();
    void lateReplyIsNotTheNextOne_data() { addFramingRows(); }
    void lateReplyIsNotTheNextOne();
    void noReply();
    void lineUnpluggedMidSession();
    void openAndClose();

private:
    // The component opened on the pty as COM3, with the given framing.
    std::unique_ptr<SerialZN8PCom> openCom(FrameMode mode);
    QString send(SerialZN8PCom &com, const Exchange &x, qint64 *elapsedMs = nullptr);

    std::unique_ptr<Pty> m_pty;
};

void TestSerialCom::init()
{
    m_pty = std::make_unique<Pty>();
    QVERIFY(m_pty->isOpen());
}

void TestSerialCom::cleanup()
{
    m_pty.reset();
}

std::unique_ptr<SerialZN8PCom> TestSerialCom::openCom(FrameMode mode)
{
    auto com = std::make_unique<SerialZN8PCom>(PortNames({{"COM3", m_pty->slavePath()}}));
    com->setFlagA(true);
    com->setPortName("COM3");
    com->setSpeed("9600");
    com->setDataBits(mode == FrameMode::ModbusRtu ? "8" : "7");
    com->setStopBits("1");
    com->setParity("EVEN");
    com->setReplyTimeout(TimeoutMs);
    com->setFlagB(true);
    com->setFrameMode(mode);
    com->ClosePort();
    com->OpenPort();
    return com->OpenPort() ? std::move(com) : nullptr;
}

QString TestSerialCom::send(SerialZN8PCom &com, const Exchange &x, qint64 *elapsedMs)
{
    QElapsedTimer timer;
    timer.start();
    com.PrepareSend1();
    com.PrepareSend2();
    const QString reply = com.SendRequest(x.station, x.subAddress, x.command, x.address, {}, 3, {});
    if (elapsedMs)
        *elapsedMs = timer.elapsed();
    return reply;
}

void TestSerialCom::replyInPieces()
{
    QFETCH(FrameMode, mode);
    const Exchange x = exchange(mode);
    auto com = openCom(mode);
    QVERIFY(com);

    PeerAnswer pieces = PeerAnswer::reply(x.reply);
    pieces.chunkSize = 1;
    pieces.chunkPauseMs = 3;
    PeerAnswer pairs = PeerAnswer::reply(x.reply);
    pairs.chunkSize = 2;
    pairs.chunkPauseMs = 10;
    PtyPeer peer(*m_pty, x.requestEnd, PtyPeer::script({pieces, pairs}));

    QCOMPARE(send(*com, x), x.replyText);
    QCOMPARE(send(*com, x), x.replyText);
    QCOMPARE(peer.requests(), QList<QByteArray>({x.request, x.request}));
    QCOMPARE(com->ReplyWord(send(*com, x), 1), QString()); // nothing scripted: no reply
}

void TestSerialCom::badFramesAreNeverReplies()
{
    QFETCH(FrameMode, mode);
    const Exchange x = exchange(mode);
    auto com = openCom(mode);
    QVERIFY(com);

    PeerAnswer corruptThenGood = PeerAnswer::reply(x.corruptReply + x.reply);
    corruptThenGood.chunkSize = 3;
    corruptThenGood.chunkPauseMs = 2;
    PtyPeer peer(*m_pty, x.requestEnd,
                 PtyPeer::script({
                     PeerAnswer::reply(QByteArray::fromHex("00FF7E55") + x.reply), // noise first
                     PeerAnswer::reply(x.corruptReply), PeerAnswer::reply(x.otherStation),
                     corruptThenGood, PeerAnswer::reply(x.otherStation + x.reply),
                     PeerAnswer::reply(x.reply.left(x.reply.size() - 1)), // last byte missing
                 }));

    QCOMPARE(send(*com, x), x.replyText);
    qint64 elapsed = 0;
    QCOMPARE(send(*com, x, &elapsed), QString());
    QVERIFY2(elapsed < BoundMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(send(*com, x), QString());
    QCOMPARE(send(*com, x), x.replyText);
    QCOMPARE(send(*com, x), x.replyText);
    QCOMPARE(send(*com, x, &elapsed), QString());
    QVERIFY2(elapsed < BoundMs, qPrintable(QString::number(elapsed)));
    QVERIFY(com->isOpen());
}

void TestSerialCom::lateReplyIsNotTheNextOne()
{
    QFETCH(FrameMode, mode);
    const Exchange x = exchange(mode);
    auto com = openCom(mode);
    QVERIFY(com);

    PeerAnswer late = PeerAnswer::reply(x.reply);
    late.delay = std::chrono::milliseconds(TimeoutMs + 150);
    PtyPeer peer(*m_pty, x.requestEnd, PtyPeer::script({late, PeerAnswer::reply(x.secondReply)}));

    QCOMPARE(send(*com, x), QString());
    QVERIFY(peer.waitForAnswers(1, 5000)); // the late reply now waits in the input
    QCOMPARE(send(*com, x), x.secondReplyText);
}

void TestSerialCom::noReply()
{
    const Exchange x = exchange(FrameMode::ModbusAscii);
    auto com = openCom(FrameMode::ModbusAscii);
    QVERIFY(com);
    PtyPeer peer(*m_pty, x.requestEnd, PtyPeer::script({}));

    qint64 elapsed = 0;
    QCOMPARE(send(*com, x, &elapsed), QString());
    QVERIFY2(elapsed < BoundMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(peer.requests(), QList<QByteArray>({x.request}));

    // Fields the framing cannot carry are not sent at all.
    QCOMPARE(com->SendRequest("ZZ", "", "03", "00800001", "", 3, ""), QString());
    QCOMPARE(peer.requests().size(), 1);
}

void TestSerialCom::lineUnpluggedMidSession()
{
    const Exchange x = exchange(FrameMode::ModbusRtu);
    auto com = openCom(FrameMode::ModbusRtu);
    QVERIFY(com);
    PeerAnswer unplug;
    unplug.delay = std::chrono::milliseconds(20);
    unplug.closeLine = true;
    PtyPeer peer(*m_pty, x.requestEnd, PtyPeer::script({PeerAnswer::reply(x.reply), unplug}));

    QCOMPARE(send(*com, x), x.replyText);
    qint64 elapsed = 0;
    QCOMPARE(send(*com, x, &elapsed), QString());
    QVERIFY2(elapsed < BoundMs, qPrintable(QString::number(elapsed)));
    QVERIFY(!com->isOpen());

    QCOMPARE(send(*com, x, &elapsed), QString());
    QVERIFY2(elapsed < BoundMs, qPrintable(QString::number(elapsed)));
    QVERIFY(!com->OpenPort());
    com->ClosePort();
}

void TestSerialCom::openAndClose()
{
    auto com = openCom(FrameMode::ModbusAscii);
    QVERIFY(com);
    QVERIFY(com->OpenPort()); // already open: stays open
    com->ClosePort();
    com->ClosePort();
    QVERIFY(!com->isOpen());
    QCOMPARE(com->SendRequest("01", "", "03", "00800001", "", 3, ""), QString());
    for (int round = 0; round < 5; ++round) {
        QVERIFY(com->OpenPort());
        com->ClosePort();
    }
    QVERIFY(com->OpenPort());

    // Read back as set, for the settings store.
    QCOMPARE(com->PortName(), QString("COM3"));
    QCOMPARE(com->Speed(), QString("9600"));
    QCOMPARE(com->DataBits(), QString("7"));
    QCOMPARE(com->StopBits(), QString("1"));
    QCOMPARE(com->Parity(), QString("EVEN"));
    QCOMPARE(com->ReplyTimeout(), TimeoutMs);
    com->ClosePort();

    // Names with no device, and line texts the component does not know, do not open.
    SerialZN8PCom unknown(PortNames({{"COM2", "/dev/zn-no-such-device"}}));
    for (const QString &name : {QString("COM2"), QString("COM9"), QString()}) {
        unknown.setPortName(name);
        QVERIFY2(!unknown.OpenPort(), qPrintable(name));
        QVERIFY(!unknown.isOpen());
    }
    const auto opensWith = [&](const QString &speed, const QString &dataBits,
                               const QString &stopBits, const QString &parity) {
        SerialZN8PCom line(PortNames({{"COM1", m_pty->slavePath()}}));
        line.setSpeed(speed);
        line.setDataBits(dataBits);
        line.setStopBits(stopBits);
        line.setParity(parity);
        return line.OpenPort();
    };
    QVERIFY(opensWith("19200", "8", "2", "NONE"));
    QVERIFY(opensWith("9600", "7", "1", "ODD"));
    QVERIFY(!opensWith("9601", "7", "1", "EVEN"));
    QVERIFY(!opensWith("9600", "9", "1", "EVEN"));
    QVERIFY(!opensWith("9600", "7", "1.5", "EVEN"));
    QVERIFY(!opensWith("9600", "7", "1", "MARK"));
    QVERIFY(!opensWith("", "", "", ""));
}

QTEST_GUILESS_MAIN(TestSerialCom)
#include "tst_serialcom.moc"
