// The program's own communication component and request layer against the simulated controller
// on a pty, in each user protocol.

#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/DataWord.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "comm/SerialCommComponent.h"
#include "comm/TrafficLog.h"
#include "sim/RegisterBank.h"
#include "sim/SimulatedController.h"
#include "tests/support/Pty.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

// Longer than the program's 300 ms so that a loaded machine never loses a reply that came.
constexpr int ReplyTimeoutMs = 600;
constexpr int ModeCode = 10;
constexpr int SetValueCode = 11;
constexpr int CycleCode = 17;

// The simulator on a pty reached through a stable link, and the program's side of the line.
struct Rig {
    explicit Rig(qint16 protocolIndex)
    {
        SimulatedController::Options options;
        options.line.protocol = protocolIndex == ModbusRtu  ? WireProtocol::ModbusRtu
                                : protocolIndex == Ravtocol ? WireProtocol::Ravtocol
                                                            : WireProtocol::ModbusAscii;
        options.line.station = 10;
        options.line.speed = 19200;
        options.linkPath = dir.filePath(QStringLiteral("ttyZN8P"));
        sim = std::make_unique<SimulatedController>(options);
        shared.protocolIndex = protocolIndex;
        shared.savedProtocolIndex = protocolIndex;
        shared.stationAddress = QStringLiteral("10");
        RegisterMap::fillRegisterTable(shared);
        link = std::make_unique<ComLink>([this] {
            return std::make_unique<SerialCommComponent>(
                PortNames({{QStringLiteral("COM1"), sim->linkPath()}}));
        });
        requests = std::make_unique<RequestLayer>(shared, *link);
        link->setTrafficLog(&traffic);
    }

    bool open()
    {
        if (!sim->start())
            return false;
        CommComponent &com = link->renew();
        com.setPortName(QStringLiteral("COM1"));
        com.setSpeed(QStringLiteral("19200"));
        com.setReplyTimeout(ReplyTimeoutMs);
        return com.openPort();
    }

    // An answer, not a refusal: "$" in Ravtocol, a function code without the exception bit in
    // Modbus.
    bool accepted(const QString &reply) const
    {
        return reply.mid(3, 1) == (shared.protocolIndex == Ravtocol ? u"$" : u"0");
    }
    QString read(int code) { return requests->read(shared.registerTable.at(code)).text; }
    QString write(int code, qint16 value)
    {
        return requests
            ->write(shared.registerTable.at(code), DataWord::dataField(value, shared.protocolIndex))
            .text;
    }
    qint16 word(const QString &reply) const
    {
        return DataWord::fromHex(link->com()->replyWord(reply, 1));
    }

    // The exchanges recorded since the last call.
    QList<TrafficRecord> newTraffic()
    {
        const QList<TrafficRecord> records = traffic.since(seen);
        seen = traffic.lastSerial();
        return records;
    }

    QTemporaryDir dir;
    std::unique_ptr<SimulatedController> sim;
    TrafficLog traffic;
    quint64 seen = 0;
    SessionState shared;
    std::unique_ptr<ComLink> link;
    std::unique_ptr<RequestLayer> requests;
};

} // namespace

class TestSimSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void registers_data() { protocols(); }
    void registers();
    void faults_data() { protocols(); }
    void faults();
    void opensAfterAProgramWasKilled();
    void answersOnADevice();

private:
    void protocols()
    {
        QTest::addColumn<int>("protocol");
        QTest::newRow("modbus ascii") << int(ModbusAscii);
        QTest::newRow("modbus rtu") << int(ModbusRtu);
        QTest::newRow("ravtocol") << int(Ravtocol);
    }
};

// Every register the program uses reads back what the controller holds; writes land and an
// out-of-range write is refused.
void TestSimSerialCom::registers()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    for (int code = 0; code < SessionState::RegisterCount; ++code) {
        const QString address = RegisterMap::modbusAddress(code);
        if (address.isEmpty())
            continue;
        const QString reply = rig.read(code);
        QVERIFY2(rig.accepted(reply), qPrintable(QString::number(code)));
        // Monitor values move with the process; settings must read exactly.
        if (code >= ModeCode)
            QCOMPARE(rig.word(reply), code == ModeCode
                                          ? RegisterBank::DefaultModeValue
                                          : rig.sim->value(quint16(address.toUInt(nullptr, 16))));
    }
    QCOMPARE(rig.word(rig.read(7)), qint16(0x26));

    QVERIFY(rig.accepted(rig.write(SetValueCode, 345)));
    QCOMPARE(rig.sim->value(RegisterBank::MainSetValue), qint16(345));
    QCOMPARE(rig.word(rig.read(SetValueCode)), qint16(345));
    QVERIFY(rig.accepted(rig.write(23, -15))); // sensor correction
    QCOMPARE(rig.sim->value(RegisterBank::SensorCorrection), qint16(-15));

    QVERIFY(!rig.accepted(rig.write(CycleCode, 0))); // out of range
    QCOMPARE(rig.sim->value(RegisterBank::ProportionalCycle), qint16(30));
}

// Faults as the component sees them: no reply, or a good reply despite noise; a late reply
// never answers the next request; the line comes back after an unplug. The traffic record of each
// exchange carries the bytes that went out and every byte that came back, with the verdict.
void TestSimSerialCom::faults()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    const auto answered = [&] { return rig.accepted(rig.read(SetValueCode)); };
    // The one exchange a read made.
    const auto exchange = [&rig] {
        const QList<TrafficRecord> records = rig.newTraffic();
        return records.size() == 1 ? records.first() : TrafficRecord();
    };
    QVERIFY(answered());
    const TrafficRecord good = exchange();
    QCOMPARE(good.verdict, ReplyVerdict::Ok);
    QCOMPARE(good.port, QStringLiteral("COM1"));
    QCOMPARE(good.speed, QStringLiteral("19200"));
    QCOMPARE(good.instrument(), QStringLiteral("10"));
    QVERIFY(!good.request.isEmpty());
    QVERIFY(!good.reply.isEmpty());
    QVERIFY(!good.noiseBefore);
    QVERIFY(!good.searchProbe);
    QVERIFY(good.responseMs >= 0 && good.responseMs < ReplyTimeoutMs);

    rig.sim->corruptNext(1); // fails the protocol's own check
    QVERIFY(rig.read(SetValueCode).isEmpty());
    const TrafficRecord corrupt = exchange();
    QCOMPARE(corrupt.verdict, ReplyVerdict::Checksum);
    QCOMPARE(corrupt.request, good.request);
    QCOMPARE(corrupt.reply.size(), good.reply.size());
    QVERIFY(corrupt.reply != good.reply);
    QVERIFY(corrupt.replyText.isEmpty());

    rig.sim->truncateNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    const TrafficRecord truncated = exchange();
    QCOMPARE(truncated.verdict, ReplyVerdict::WrongLength);
    QCOMPARE(truncated.reply, good.reply.left(good.reply.size() / 2));
    // Given up at the reply timeout, measured from the request having left the line.
    QVERIFY(truncated.responseMs >= ReplyTimeoutMs - 10);

    rig.sim->noiseNext(1); // before the reply, which is still found
    QVERIFY(answered());
    const TrafficRecord noisy = exchange();
    QCOMPARE(noisy.verdict, ReplyVerdict::Ok);
    QVERIFY(noisy.noiseBefore);
    QVERIFY(noisy.reply.size() > good.reply.size());
    QVERIFY(noisy.reply.endsWith(good.reply));

    rig.sim->dropNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    const TrafficRecord dropped = exchange();
    QCOMPARE(dropped.verdict, ReplyVerdict::NoReply);
    QVERIFY(dropped.reply.isEmpty());
    QCOMPARE(dropped.request, good.request);

    // Late replies: the controller queues a request that comes while it still answers the one
    // before. Every read fails or carries its own register's value, never the previous one's.
    rig.sim->setValue(RegisterBank::MainSetValue, 345);
    rig.sim->delayNext(2, ReplyTimeoutMs + 200);
    const int codes[] = {SetValueCode, CycleCode, SetValueCode, CycleCode};
    const qint16 values[] = {345, 30, 345, 30};
    QStringList replies;
    for (int i = 0; i < 4; ++i) {
        replies << rig.read(codes[i]);
        if (!replies.last().isEmpty())
            QCOMPARE(rig.word(replies.last()), values[i]);
    }
    QVERIFY(replies.first().isEmpty());
    QVERIFY(!replies.last().isEmpty());
    // The late reply is on record as what it was, not as the answer to the request after it.
    int lateBytes = 0;
    for (const TrafficRecord &record : rig.newTraffic()) {
        if (record.request.isEmpty()) {
            QCOMPARE(record.verdict, ReplyVerdict::LateReplyDropped);
            QCOMPARE(record.instrument(), QStringLiteral("10"));
            lateBytes += int(record.reply.size());
        } else if (record.verdict == ReplyVerdict::LateReplyDropped) {
            lateBytes += int(record.reply.size());
        }
    }
    QVERIFY(lateBytes >= good.reply.size());

    // The component lets go of a line that is gone (trying to reopen it here could meet another
    // program's new pty under the same number).
    rig.sim->unplug();
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QVERIFY(!static_cast<SerialCommComponent *>(rig.link->com())->isOpen());
    QVERIFY(rig.sim->plug());
    QVERIFY(rig.link->com()->openPort());
    QVERIFY(answered());

    // Every request counted once, under the verdict it reached; what came between requests
    // counts as late only.
    const TrafficCounters counters = rig.traffic.counters().value(QStringLiteral("10"));
    int requests = 0;
    int answers = 0;
    int lateRecords = 0; // between requests
    for (const TrafficRecord &record : rig.traffic.since(0)) {
        const bool between = record.request.isEmpty() && !record.reply.isEmpty();
        requests += between ? 0 : 1;
        lateRecords += between ? 1 : 0;
        answers += record.verdict == ReplyVerdict::Ok ? 1 : 0;
    }
    QCOMPARE(counters.requests, requests);
    QCOMPARE(counters.good, answers);
    QCOMPARE(counters.good + counters.noReply + counters.checksum + counters.exceptions +
                 counters.otherFaults,
             requests - (counters.late - lateRecords));
    QVERIFY(counters.late >= 1);
}

// A program killed while it had the line open leaves its line settings on the pty; the next
// program opens it all the same.
void TestSimSerialCom::opensAfterAProgramWasKilled()
{
    Rig rig{ModbusAscii};
    QVERIFY(rig.open());
    rig.link->com()->closePort();

    // What the component's port sets for 19200 7E1, left behind without being restored.
    const int fd = ::open(QFile::encodeName(rig.sim->slavePath()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    termios left{};
    QCOMPARE(tcgetattr(fd, &left), 0);
    left.c_iflag = IGNPAR;
    left.c_oflag = ONLCR;
    left.c_lflag = ECHOE | ECHOK | ECHOCTL | ECHOKE;
    left.c_cflag = CS7 | PARENB | CREAD | CLOCAL;
    cfsetspeed(&left, B19200);
    QCOMPARE(tcsetattr(fd, TCSANOW, &left), 0);
    ::close(fd);

    QTRY_VERIFY_WITH_TIMEOUT(rig.link->com()->openPort(), 2000);
    QVERIFY(rig.accepted(rig.read(SetValueCode)));
}

// On an existing serial device: here the slave of a pty whose master plays the program's end.
void TestSimSerialCom::answersOnADevice()
{
    Pty line;
    QVERIFY(line.isOpen());
    SimulatedController::Options options;
    options.device = line.slavePath();
    options.line.station = 2;
    SimulatedController sim(options);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QVERIFY(line.write(":020300010001F9\r\n"));
    QCOMPARE(line.readUntil([](const QByteArray &bytes) { return bytes.endsWith('\n'); }, 2000),
             QByteArray(":02030200C831\r\n"));
}

QTEST_GUILESS_MAIN(TestSimSerialCom)
#include "tst_simserialcom.moc"
