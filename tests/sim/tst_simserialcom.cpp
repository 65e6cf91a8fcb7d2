// The program's own communication component and request layer against the simulated controller
// on a pty, in each user protocol and the vendor frame.

#include "app/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/DataWord.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "comm/SerialZN8PCom.h"
#include "sim/RegisterBank.h"
#include "sim/SimulatedController.h"
#include "tests/support/Pty.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

// Longer than the program's 300 ms so that a loaded machine never loses a reply that came.
constexpr int ReplyTimeoutMs = 600;
constexpr int StatusCode = 4;
constexpr int ModeCode = 10;
constexpr int SetValueCode = 11;
constexpr int AutoTuningCode = 12;
constexpr int BandCode = 13;
constexpr int CycleCode = 17;
constexpr int FlagCode = 65;

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
        inc.protocolIndex = protocolIndex;
        inc.savedProtocolIndex = protocolIndex;
        inc.stationAddress = QStringLiteral("10");
        RegisterMap::fillRegisterTable(inc);
        RegisterMap::fillVendorItemTable(inc);
        link = std::make_unique<ComLink>([this] {
            return std::make_unique<SerialZN8PCom>(
                PortNames({{QStringLiteral("COM1"), sim->linkPath()}}));
        });
        requests = std::make_unique<RequestLayer>(inc, *link);
    }

    bool open()
    {
        if (!sim->start())
            return false;
        ZN8PCom &com = link->renew();
        com.setPortName(QStringLiteral("COM1"));
        com.setSpeed(QStringLiteral("19200"));
        com.setReplyTimeout(ReplyTimeoutMs);
        return com.OpenPort();
    }

    bool isRavtocol() const { return inc.protocolIndex == Ravtocol; }
    // The reply's verdict as the program's callers judge it: "03"/"06"/"83"/"86" for Modbus,
    // "$" or "!" for Ravtocol; empty for no reply.
    QString verdict(const QString &reply) const
    {
        return isRavtocol() ? reply.mid(3, 1) : reply.mid(3, 2);
    }
    // The error code of a refusal.
    QString errorCode(const QString &reply) const
    {
        return isRavtocol() ? reply.mid(4, 2) : reply.mid(5, 2);
    }
    QString good(bool write) const
    {
        return isRavtocol() ? QStringLiteral("$")
               : write      ? QStringLiteral("06")
                            : QStringLiteral("03");
    }
    QString refused() const { return isRavtocol() ? QStringLiteral("!") : QStringLiteral("86"); }
    QString read(int code) { return requests->read(inc.registerTable.at(code)); }
    QString write(int code, qint16 value)
    {
        return requests->write(inc.registerTable.at(code),
                               DataWord::dataField(value, inc.protocolIndex));
    }
    qint16 word(const QString &reply) const
    {
        return DataWord::fromHex(link->com()->ReplyWord(reply, 1));
    }

    QTemporaryDir dir;
    std::unique_ptr<SimulatedController> sim;
    ZN8P_INC inc;
    std::unique_ptr<ComLink> link;
    std::unique_ptr<RequestLayer> requests;
};

quint16 modbusAddress(const QString &address)
{
    return quint16(address.toUInt(nullptr, 16));
}

} // namespace

class TestSimSerialCom : public QObject
{
    Q_OBJECT

private slots:
    void registers_data() { protocols(); }
    void registers();
    void vendorFrame_data() { protocols(); }
    void vendorFrame();
    void autoTuning_data() { protocols(); }
    void autoTuning();
    void faults_data() { protocols(); }
    void faults();
    void otherLineSettings();
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

// Every register the program uses reads back what the controller holds; writes land, an
// out-of-range write and a write during key operation are refused with the codes the program
// tests for.
void TestSimSerialCom::registers()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    for (int code = 0; code < ZN8P_INC::RegisterCount; ++code) {
        const QString address = RegisterMap::modbusAddress(code);
        if (address.isEmpty())
            continue;
        const QString reply = rig.read(code);
        QVERIFY2(rig.verdict(reply) == rig.good(false), qPrintable(QString::number(code)));
        // Monitor values move with the process; settings must read exactly.
        if (code >= ModeCode)
            QCOMPARE(rig.word(reply), code == ModeCode ? RegisterBank::DefaultModeValue
                                                       : rig.sim->value(modbusAddress(address)));
    }
    QCOMPARE(rig.word(rig.read(7)), qint16(0x26));

    QCOMPARE(rig.verdict(rig.write(SetValueCode, 345)), rig.good(true));
    QCOMPARE(rig.sim->value(RegisterBank::MainSetValue), qint16(345));
    QCOMPARE(rig.word(rig.read(SetValueCode)), qint16(345));
    QCOMPARE(rig.verdict(rig.write(23, -15)), rig.good(true)); // sensor correction
    QCOMPARE(rig.sim->value(RegisterBank::SensorCorrection), qint16(-15));

    const QString outOfRange = rig.write(CycleCode, 0);
    QCOMPARE(rig.verdict(outOfRange), rig.refused());
    QCOMPARE(rig.errorCode(outOfRange),
             rig.isRavtocol() ? QStringLiteral("30") : QStringLiteral("03"));
    QCOMPARE(rig.sim->value(RegisterBank::ProportionalCycle), qint16(30));

    rig.sim->operateKeys(60000);
    const QString locked = rig.write(FlagCode, 1);
    QCOMPARE(rig.verdict(locked), rig.refused());
    QCOMPARE(rig.errorCode(locked), rig.isRavtocol() ? QStringLiteral("63") : QStringLiteral("12"));
    QCOMPARE(rig.verdict(rig.read(SetValueCode)), rig.good(false));
    rig.sim->clearFaults();
    QCOMPARE(rig.verdict(rig.write(FlagCode, 1)), rig.good(true));
}

// The key write opens the vendor frame, items are read there, and the return command, not
// answered, brings the user protocol back.
void TestSimSerialCom::vendorFrame()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    rig.sim->setItem(RegisterBank::ItemOutOffKeyFunction, 1);
    const QString key = rig.isRavtocol() ? QStringLiteral("1A4C") : QStringLiteral("4C1A");
    QCOMPARE(rig.verdict(rig.requests->write(rig.inc.registerTable.at(ModeCode), key)),
             rig.good(true));
    QVERIFY(rig.sim->inVendorFrame());

    rig.inc.protocolIndex = VendorFrame;
    const QString item =
        rig.requests->send(QStringLiteral("a"), rig.inc.vendorItemTable.at(16), {});
    QCOMPARE(item.left(1), QStringLiteral("\x06"));
    QCOMPARE(rig.word(item), qint16(1));
    // Set value 2 is not in this model: refused with '!'.
    QCOMPARE(rig.requests->send(QStringLiteral("a"), rig.inc.vendorItemTable.at(10), {}).left(1),
             QStringLiteral("!"));
    // A write of the main set value and its stored copy.
    QCOMPARE(rig.requests->send(QStringLiteral("q"), QStringLiteral("FC30"), QStringLiteral("012C"))
                 .left(1),
             QStringLiteral("\x06"));
    QCOMPARE(rig.requests->send(QStringLiteral("r"), QStringLiteral("001C"), QStringLiteral("012C"))
                 .left(1),
             QStringLiteral("\x06"));
    QCOMPARE(rig.sim->value(RegisterBank::MainSetValue), qint16(300));

    QVERIFY(rig.requests->write(QStringLiteral("0000"), QStringLiteral("0000")).isEmpty());
    QVERIFY(!rig.sim->inVendorFrame());
    rig.inc.protocolIndex = rig.inc.savedProtocolIndex;
    QCOMPARE(rig.word(rig.read(SetValueCode)), qint16(300));
}

// Auto-tuning raises status bit 0x0800, and when it ends new PID values are in place.
void TestSimSerialCom::autoTuning()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    rig.sim->setValue(RegisterBank::ProportionalBand, 77);
    rig.sim->setTimeScale(1); // so that it surely still runs when read back
    QCOMPARE(rig.verdict(rig.write(AutoTuningCode, 1)), rig.good(true));
    QVERIFY(rig.word(rig.read(StatusCode)) & 0x0800);
    QCOMPARE(rig.word(rig.read(AutoTuningCode)), qint16(1));
    rig.sim->setTimeScale(200);
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = !(rig.word(rig.read(StatusCode)) & 0x0800);
        if (!ended)
            QTest::qWait(50);
    }
    QVERIFY(ended);
    QCOMPARE(rig.word(rig.read(AutoTuningCode)), qint16(0));
    QVERIFY(rig.word(rig.read(BandCode)) != 77);
}

// Each fault as the component sees it: no reply, or a good reply despite noise; the line comes
// back after an unplug.
void TestSimSerialCom::faults()
{
    QFETCH(int, protocol);
    Rig rig{qint16(protocol)};
    QVERIFY(rig.open());
    const auto answered = [&] { return rig.verdict(rig.read(SetValueCode)) == rig.good(false); };
    QVERIFY(answered());

    rig.sim->dropNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->corruptNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->truncateNext(1);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->noiseNext(1);
    QVERIFY(answered());
    rig.sim->delayNext(1, ReplyTimeoutMs + 300);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QTest::qWait(600); // the late reply arrives and is discarded before the next request
    QVERIFY(answered());
    rig.sim->setSilent(true);
    QVERIFY(rig.read(SetValueCode).isEmpty());
    rig.sim->setSilent(false);
    QVERIFY(answered());

    rig.sim->unplug();
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QVERIFY(!rig.link->com()->OpenPort());
    QVERIFY(rig.sim->plug());
    QVERIFY(rig.link->com()->OpenPort());
    QVERIFY(answered());
}

// A program at another speed or stop bits gets no reply, as on a real line.
void TestSimSerialCom::otherLineSettings()
{
    Rig rig{ModbusAscii};
    QVERIFY(rig.open());
    ZN8PCom &com = *rig.link->com();
    const auto reopen = [&](const char *speed, const char *stopBits) {
        com.ClosePort();
        com.setSpeed(QLatin1String(speed));
        com.setStopBits(QLatin1String(stopBits));
        return com.OpenPort();
    };
    QVERIFY(reopen("9600", "1"));
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QVERIFY(reopen("19200", "2"));
    QVERIFY(rig.read(SetValueCode).isEmpty());
    QVERIFY(reopen("19200", "1"));
    QCOMPARE(rig.verdict(rig.read(SetValueCode)), QStringLiteral("03"));
}

// On an existing serial device (here the slave of a pty whose master plays the program's end),
// set to the line parameters, with broadcast writes taken silently.
void TestSimSerialCom::answersOnADevice()
{
    Pty line;
    QVERIFY(line.isOpen());
    SimulatedController::Options options;
    options.device = line.slavePath();
    options.line.station = 2;
    SimulatedController sim(options);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QCOMPARE(sim.slavePath(), line.slavePath());
    const auto ends = [](const QByteArray &bytes) { return bytes.endsWith('\n'); };
    QVERIFY(line.write(":020300010001F9\r\n"));
    QCOMPARE(line.readUntil(ends, 2000), QByteArray(":02030200C831\r\n"));
    // Station 0 is a broadcast: the write acts, nobody answers.
    QVERIFY(line.write(":0006000100FAFF\r\n"));
    QVERIFY(line.write(":020300010001F9\r\n"));
    QCOMPARE(line.readUntil(ends, 2000), QByteArray(":02030200FAFF\r\n"));
}

QTEST_GUILESS_MAIN(TestSimSerialCom)
#include "tst_simserialcom.moc"
