// The program's own communication component and request layer against the simulated controller
// on a pty, in each user protocol.

#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/DataWord.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "comm/SerialCommComponent.h"
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
    }

    bool open()
    {
        if (!sim->start())
            return false;
        CommComponent &com = link->renew();
        com.setPortName(QStringLiteral("COM1"));
        com.setSpeed(QStringLiteral("19200"));
        com.setReplyTimeout(ReplyTimeoutMs);
        return com.OpenPort();
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
        return DataWord::fromHex(link->com()->ReplyWord(reply, 1));
    }

    QTemporaryDir dir;
    std::unique_ptr<SimulatedController> sim;
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
// never answers the next request; the line comes back after an unplug.
void TestSimSerialCom::faults()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    const auto answered = [&] { return rig.accepted(rig.read(SetValueCode)); };
    QVERIFY(answered());

    rig.sim->corruptNext(1); // fails the protocol's own check
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->truncateNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->noiseNext(1); // before the reply, which is still found
    QVERIFY(answered());
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

    // The component lets go of a line that is gone (trying to reopen it here could meet another
    // program's new pty under the same number).
    rig.sim->unplug();
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QVERIFY(!static_cast<SerialCommComponent *>(rig.link->com())->isOpen());
    QVERIFY(rig.sim->plug());
    QVERIFY(rig.link->com()->OpenPort());
    QVERIFY(answered());
}

// A program killed while it had the line open leaves its line settings on the pty; the next
// program opens it all the same.
void TestSimSerialCom::opensAfterAProgramWasKilled()
{
    Rig rig{ModbusAscii};
    QVERIFY(rig.open());
    rig.link->com()->ClosePort();

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

    QTRY_VERIFY_WITH_TIMEOUT(rig.link->com()->OpenPort(), 2000);
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
