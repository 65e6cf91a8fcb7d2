#include "comm/Checksums.h"
#include "sim/ControllerCore.h"
#include "sim/SimCommands.h"
#include "sim/SimulatedController.h"
#include "transfer/OnlineStartRead.h"

#include <QtTest>

namespace
{

LineConfig lineFor(WireProtocol protocol, int station = 1)
{
    LineConfig line;
    line.protocol = protocol;
    line.station = station;
    return line;
}

// The one reply to a request, empty when there is none.
QByteArray ask(ControllerCore &core, const QByteArray &request)
{
    const QList<ControllerCore::Reply> replies = core.receive(request);
    return replies.isEmpty() ? QByteArray() : replies.first().bytes;
}

QByteArray asciiRequest(const QByteArray &adu)
{
    return ':' + adu.toHex().toUpper() + Checksums::hex2(Checksums::lrc(adu)) + "\r\n";
}

QByteArray rtuRequest(const QByteArray &adu)
{
    const quint16 crc = Checksums::crc16(adu);
    return adu + char(crc & 0xFF) + char(crc >> 8);
}

QByteArray ravtocolRequest(const QByteArray &text)
{
    return text + Checksums::hex2(Checksums::ravtocolBcc(text)) + '\r';
}

QByteArray vendorRequest(const QByteArray &inner)
{
    return '\x02' + inner + Checksums::hex2(Checksums::vendorBcc(inner)) + '\x03';
}

QByteArray vendorReply(char first, const QByteArray &checked)
{
    return first + checked + Checksums::hex2(Checksums::vendorBcc(checked)) + '\x03';
}

// The model whose vendor frame holds set values 2 to 4.
ModelOptions memoryModel()
{
    ModelOptions model;
    model.contactInput = true;
    model.serialComm = false;
    return model;
}

} // namespace

class TestSimCore : public QObject
{
    Q_OBJECT

private slots:
    void documentedFrames_data();
    void documentedFrames();
    void noReplyToOthers();
    void refusals();
    void vendorFrame();
    void keysOperated();
    void faults();
    void optionWordsRoundTrip();
    void process();
    void commands();
};

void TestSimCore::documentedFrames_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("station");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto ascii = int(WireProtocol::ModbusAscii);
    const auto rtu = int(WireProtocol::ModbusRtu);
    const auto ravtocol = int(WireProtocol::Ravtocol);
    QTest::newRow("ascii read 250")
        << ascii << 1 << 0x0001 << 250 << QByteArray(":010300010001FA\r\n")
        << QByteArray(":01030200FA00\r\n");
    QTest::newRow("ascii read -200 at 10")
        << ascii << 10 << 0x0001 << -200 << QByteArray(":0A0300010001F1\r\n")
        << QByteArray(":0A0302FF38BA\r\n");
    QTest::newRow("ascii write flag echo")
        << ascii << 1 << -1 << 0 << QByteArray(":01060070000188\r\n")
        << QByteArray(":01060070000188\r\n");
    QTest::newRow("ascii key write echo")
        << ascii << 1 << -1 << 0 << QByteArray(":010600004C1A93\r\n")
        << QByteArray(":010600004C1A93\r\n");
    QTest::newRow("rtu read 400") << rtu << 1 << 0x0001 << 400
                                  << QByteArray::fromHex("010300010001D5CA")
                                  << QByteArray::fromHex("0103020190B9B8");
    QTest::newRow("rtu write flag echo")
        << rtu << 1 << -1 << 0 << QByteArray::fromHex("01060070000149D1")
        << QByteArray::fromHex("01060070000149D1");
    QTest::newRow("ravtocol read 1000 at 10")
        << ravtocol << 10 << 0x0001 << 1000 << QByteArray("@10RD00102001021D\r")
        << QByteArray("@10$E803A5\r");
    QTest::newRow("ravtocol write flag")
        << ravtocol << 1 << -1 << 0 << QByteArray("@01WD00324003240100EF\r")
        << QByteArray("@01$C5\r");
    QTest::newRow("ravtocol key write")
        << ravtocol << 1 << -1 << 0 << QByteArray("@01WD00100001001A4C07\r")
        << QByteArray("@01$C5\r");
}

// The frames of docs/protocols.md, answered byte for byte.
void TestSimCore::documentedFrames()
{
    QFETCH(int, protocol);
    QFETCH(int, station);
    QFETCH(int, address);
    QFETCH(int, value);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    ControllerCore core(lineFor(WireProtocol(protocol), station));
    if (address >= 0)
        core.registers().set(quint16(address), qint16(value));
    QCOMPARE(ask(core, request), reply);
}

void TestSimCore::noReplyToOthers()
{
    ControllerCore ascii(lineFor(WireProtocol::ModbusAscii));
    QVERIFY(ask(ascii, ":0203008000017A\r\n").isEmpty()); // another station
    QVERIFY(ask(ascii, ":0103008000017C\r\n").isEmpty()); // bad LRC
    QVERIFY(ask(ascii, "@01RD0035600356"
                       "20\r")
                .isEmpty());                                            // Ravtocol
    QVERIFY(ask(ascii, QByteArray::fromHex("010300800001")).isEmpty()); // RTU without CRC
    // Noise before a frame and a restarted frame are no obstacle.
    QVERIFY(!ask(ascii, QByteArray::fromHex("FF00") + ":01:0103008000017B\r\n").isEmpty());
    // A request arriving in pieces is answered once complete.
    QVERIFY(ask(ascii, ":01030080").isEmpty());
    QVERIFY(!ask(ascii, "00017B\r\n").isEmpty());

    ControllerCore rtu(lineFor(WireProtocol::ModbusRtu));
    QVERIFY(ask(rtu, QByteArray::fromHex("010300010001D5CB")).isEmpty()); // bad CRC
    QVERIFY(ask(rtu, ":010300010001FA\r\n").isEmpty());
    QVERIFY(ask(rtu, rtuRequest(QByteArray::fromHex("020300010001"))).isEmpty());
    // After garbage the decoder finds the next frame.
    QVERIFY(
        !ask(rtu, QByteArray::fromHex("FF13") + QByteArray::fromHex("010300010001D5CA")).isEmpty());
    // A partial frame cut short by silence never joins the next one.
    QVERIFY(ask(rtu, QByteArray::fromHex("0103")).isEmpty());
    rtu.lineQuiet();
    QCOMPARE(ask(rtu, QByteArray::fromHex("010300010001D5CA")).size(), 7);

    ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol, 10));
    QVERIFY(ask(ravtocol, "@11RD00102001021E\r").isEmpty());
    QVERIFY(ask(ravtocol, "@10RD00102001021E\r").isEmpty());
    QVERIFY(ask(ravtocol, ":0A0300010001F1\r\n").isEmpty());
}

void TestSimCore::refusals()
{
    ControllerCore ascii(lineFor(WireProtocol::ModbusAscii));
    // Out of range (proportional cycle 0; set value above the scaling high limit), no register,
    // read-only monitor register, unknown function.
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010600080000"))),
             QByteArray(":01860376\r\n"));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("01060001055B"))),
             QByteArray(":01860376\r\n"));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010300020001"))),
             QByteArray(":0183027A\r\n"));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010600800001"))),
             QByteArray(":01860277\r\n"));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010400800001"))),
             QByteArray(":0184017A\r\n"));
    QCOMPARE(ascii.registers().value(RegisterBank::MainSetValue), qint16(200));
    // The mode register takes 0000 (normal operation) and the key, nothing else.
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010600000000"))),
             asciiRequest(QByteArray::fromHex("010600000000")));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010600000005"))),
             QByteArray(":01860376\r\n"));
    QVERIFY(!ascii.inVendorFrame());

    // A range follows other settings: the set value stays within the scaling limits.
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("010600180190"))),
             asciiRequest(QByteArray::fromHex("010600180190")));
    QCOMPARE(ask(ascii, asciiRequest(QByteArray::fromHex("0106000101F4"))),
             QByteArray(":01860376\r\n"));
    // Registers of options not built in are refused; reads still answer.
    ModelOptions heatCool;
    heatCool.alarm2 = false;
    heatCool.heaterBreak = 0;
    ControllerCore noAlarm2(lineFor(WireProtocol::ModbusAscii), heatCool);
    QCOMPARE(ask(noAlarm2, asciiRequest(QByteArray::fromHex("0106000C0005"))),
             QByteArray(":01860277\r\n"));
    QCOMPARE(ask(noAlarm2, asciiRequest(QByteArray::fromHex("0103000C0001"))).mid(3, 2),
             QByteArray("03"));

    // Several registers in one read, as a generic master asks.
    const QByteArray block = ask(ascii, asciiRequest(QByteArray::fromHex("010300800008")));
    QCOMPARE(block.mid(5, 2), QByteArray("10"));

    ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol));
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01WD00116001160000")), ravtocolRequest("@01!30"));
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01RD0010400104")), ravtocolRequest("@01!20"));
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01XX0010200102")), ravtocolRequest("@01!10"));
    // Auto-tuning is not possible under ON/OFF control.
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01WD00108001080000")), ravtocolRequest("@01$"));
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01WD00106001060100")), ravtocolRequest("@01!40"));
    // A range read answers one word per register, low byte first.
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01RD0036200366")).left(4), QByteArray("@01$"));
    QCOMPARE(ask(ravtocol, ravtocolRequest("@01RD0010200102")), ravtocolRequest("@01$C800"));
}

void TestSimCore::vendorFrame()
{
    ControllerCore core(lineFor(WireProtocol::ModbusAscii), memoryModel());
    core.registers().setItem(RegisterBank::ItemSetValue2, 500);
    const QByteArray readSv2 = "\x02! aFC3264\x03";
    // Not reachable in the user protocol.
    QVERIFY(ask(core, readSv2).isEmpty());
    QVERIFY(!core.inVendorFrame());
    QCOMPARE(ask(core, ":010600004C1A93\r\n"), QByteArray(":010600004C1A93\r\n"));
    QVERIFY(core.inVendorFrame());
    QCOMPARE(ask(core, readSv2), QByteArray("\x06!01F452\x03"));
    // User-protocol requests are ignored meanwhile.
    QVERIFY(ask(core, ":0103008000017B\r\n").isEmpty());
    // Writes of the working value and its stored copy; a value outside the scaling is refused.
    QCOMPARE(ask(core, "\x02! qFC30012C06\x03"), QByteArray("\x06!21\x03"));
    QCOMPARE(core.registers().value(RegisterBank::MainSetValue), qint16(300));
    QCOMPARE(ask(core, "\x02! r001C012C71\x03"), QByteArray("\x06!21\x03"));
    QCOMPARE(ask(core, vendorRequest("! qFC327FFF")), vendorReply('\x15', "!"));
    QCOMPARE(ask(core, vendorRequest("! b001C")), vendorReply('\x06', "!012C"));
    // Memory number, an unknown item, a command not understood, another station.
    QCOMPARE(ask(core, "\x02! `FF1363\x03").left(6), QByteArray("\x06!0000"));
    QCOMPARE(ask(core, vendorRequest("! a1234")).left(2), QByteArray("!!"));
    QCOMPARE(ask(core, vendorRequest("! z1234")).left(2), QByteArray("\x1B!"));
    QVERIFY(ask(core, vendorRequest("\" aFC32")).isEmpty());
    // The return is not answered and ends the vendor frame.
    QVERIFY(ask(core, "\x02! P0000000051\x03").isEmpty());
    QVERIFY(!core.inVendorFrame());
    QVERIFY(!ask(core, ":0103008000017B\r\n").isEmpty());

    // Without the contact input the set value memories are absent.
    ControllerCore plain(lineFor(WireProtocol::Ravtocol));
    QCOMPARE(ask(plain, "@01WD00100001001A4C07\r"), QByteArray("@01$C5\r"));
    QCOMPARE(ask(plain, readSv2).left(2), QByteArray("!!"));
    // Left by itself after 5 s without a vendor frame.
    plain.advance(4000);
    QCOMPARE(ask(plain, vendorRequest("! aFC96")).left(1), QByteArray("\x06"));
    plain.advance(4000);
    QVERIFY(plain.inVendorFrame());
    plain.advance(1000);
    QVERIFY(!plain.inVendorFrame());
    QCOMPARE(ask(plain, ravtocolRequest("@01RD0010200102")).left(4), QByteArray("@01$"));
}

void TestSimCore::keysOperated()
{
    ControllerCore ascii(lineFor(WireProtocol::ModbusAscii));
    ascii.operateKeys(2000);
    QCOMPARE(ask(ascii, ":01060070000188\r\n"), QByteArray(":01861267\r\n"));
    QCOMPARE(ask(ascii, ":010600004C1A93\r\n").mid(3, 4), QByteArray("8612"));
    QVERIFY(!ascii.inVendorFrame());
    QCOMPARE(ask(ascii, ":0103008000017B\r\n").mid(3, 2), QByteArray("03")); // reads go on
    ascii.advance(2000);
    QCOMPARE(ask(ascii, ":01060070000188\r\n"), QByteArray(":01060070000188\r\n"));

    ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol));
    ravtocol.operateKeys(1000);
    QCOMPARE(ask(ravtocol, "@01WD00324003240100EF\r"), QByteArray("@01!632B\r"));

    // In the vendor frame the return is refused (answered) while the keys are operated.
    ControllerCore vendor(lineFor(WireProtocol::ModbusAscii));
    ask(vendor, ":010600004C1A93\r\n");
    vendor.operateKeys(1000);
    QCOMPARE(ask(vendor, "\x02! P0000000051\x03").left(2), QByteArray("\x15!"));
    QVERIFY(vendor.inVendorFrame());
    vendor.advance(1000);
    QVERIFY(ask(vendor, "\x02! P0000000051\x03").isEmpty());
    QVERIFY(!vendor.inVendorFrame());
}

void TestSimCore::faults()
{
    ControllerCore core(lineFor(WireProtocol::ModbusAscii));
    const QByteArray read = ":010300010001FA\r\n";
    const QByteArray good = ask(core, read);

    core.faults().dropNext(2);
    QVERIFY(ask(core, read).isEmpty());
    QVERIFY(ask(core, read).isEmpty());
    QCOMPARE(ask(core, read), good);

    core.faults().corruptNext(1);
    const QByteArray corrupt = ask(core, read);
    QCOMPARE(corrupt.size(), good.size());
    QVERIFY(corrupt != good);
    QCOMPARE(corrupt.left(corrupt.size() - 4), good.left(good.size() - 4));

    core.faults().truncateNext(1);
    QCOMPARE(ask(core, read), good.left(good.size() / 2));
    core.faults().noiseNext(1);
    const QByteArray noisy = ask(core, read);
    QVERIFY(noisy.endsWith(good) && noisy.size() > good.size());
    QVERIFY(!noisy.startsWith(':'));

    core.faults().delayNext(1, 900);
    const QList<ControllerCore::Reply> delayed = core.receive(read);
    QCOMPARE(delayed.size(), 1);
    QCOMPARE(delayed.first().extraDelayMs, 900);
    QCOMPARE(core.receive(read).first().extraDelayMs, 0);

    core.faults().setSilent(true);
    QVERIFY(ask(core, read).isEmpty());
    core.faults().setSilent(false);
    core.faults().dropFraction(1.0);
    QVERIFY(ask(core, read).isEmpty());
    core.faults().clear();
    QCOMPARE(ask(core, read), good);

    // A dropped reply's write still took effect.
    core.faults().dropNext(1);
    QVERIFY(ask(core, asciiRequest(QByteArray::fromHex("0106000100FA"))).isEmpty());
    QCOMPARE(core.registers().value(RegisterBank::MainSetValue), qint16(250));

    // RTU: the corrupted CRC fails the check.
    ControllerCore rtu(lineFor(WireProtocol::ModbusRtu));
    rtu.faults().corruptNext(1);
    const QByteArray bad = ask(rtu, QByteArray::fromHex("010300010001D5CA"));
    QCOMPARE(bad.size(), 7);
    QVERIFY(Checksums::crc16(bad.left(5)) != quint16(quint8(bad.at(5)) | quint8(bad.at(6)) << 8));
}

// What the program decodes from the option words is the model the simulator was given.
void TestSimCore::optionWordsRoundTrip()
{
    int checked = 0;
    for (int bits = 0; bits < 16; ++bits) {
        for (int heaterBreak = 0; heaterBreak <= 4; ++heaterBreak) {
            for (int output = 0; output <= 2; ++output) {
                ModelOptions model;
                model.alarm2 = bits & 1;
                model.heatCool = bits & 2;
                model.contactInput = bits & 4;
                model.serialComm = bits & 8;
                model.heaterBreak = heaterBreak;
                model.outputType = OutputType(output);
                if (!model.conflict().isEmpty())
                    continue;
                ControllerCore core(lineFor(WireProtocol::ModbusAscii), model);
                const UnitConfig unit = OnlineStartRead::deriveUnitConfig(
                    core.registers().value(RegisterBank::OptionWord),
                    core.registers().value(RegisterBank::OptionWord2));
                QCOMPARE(unit.alarm2, qint16(model.alarm2));
                QCOMPARE(unit.heatCool, qint16(model.heatCool));
                QCOMPARE(unit.heaterBreak, qint16(heaterBreak));
                QCOMPARE(unit.contactInput, qint16(model.contactInput));
                QCOMPARE(unit.outputType, qint16(output));
                QCOMPARE(unit.serialComm, qint16(model.serialComm));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 20);
    ModelOptions impossible;
    impossible.heatCool = true;
    QVERIFY(!impossible.conflict().isEmpty());
}

void TestSimCore::process()
{
    ControllerCore core(lineFor(WireProtocol::ModbusAscii));
    const RegisterBank &bank = core.registers();
    const auto status = [&] { return quint16(bank.value(RegisterBank::StatusWord)); };
    const auto write = [&](quint16 address, quint16 value) {
        QByteArray adu = QByteArray::fromHex("0106");
        adu += char(address >> 8);
        adu += char(address);
        adu += char(value >> 8);
        adu += char(value);
        return ask(core, asciiRequest(adu)).mid(3, 2);
    };

    // PV rises from ambient under full output and settles near the set value.
    QCOMPARE(bank.value(RegisterBank::Pv), qint16(20));
    QCOMPARE(bank.value(RegisterBank::SvInUse), qint16(200));
    QVERIFY(bank.value(RegisterBank::Mv1) > 500);
    core.advance(60000);
    QVERIFY(bank.value(RegisterBank::Pv) > 20);
    core.setTimeScale(20);
    core.advance(120000);
    QVERIFY(qAbs(bank.value(RegisterBank::Pv) - 200) <= 5);
    QVERIFY(bank.value(RegisterBank::HeaterCurrent1) >= 0);

    // Alarm 1 (high deviation 50) when the set value drops far below PV.
    QCOMPARE(write(RegisterBank::MainSetValue, 100), QByteArray("06"));
    core.advance(100);
    QVERIFY(status() & 0x0004);
    QCOMPARE(bank.value(RegisterBank::Mv1), qint16(0));
    QCOMPARE(write(RegisterBank::MainSetValue, 200), QByteArray("06"));

    // Auto-tuning: the bit is up while it runs, then new PID values are stored and it falls.
    QCOMPARE(write(RegisterBank::AutoTuning, 1), QByteArray("06"));
    QVERIFY(status() & 0x0800);
    core.registers().set(RegisterBank::ProportionalBand, 1);
    core.advance(1000);
    QVERIFY(status() & 0x0800);
    core.advance(int(ProcessModel::AutoTuningSeconds * 1000 / 20) + 200);
    QVERIFY(!(status() & 0x0800));
    QCOMPARE(bank.value(RegisterBank::AutoTuning), qint16(0));
    QVERIFY(bank.value(RegisterBank::ProportionalBand) > 1);
    QVERIFY(bank.value(RegisterBank::IntegralTime) > 0);
    // ON/OFF control has nothing to tune.
    QCOMPARE(write(RegisterBank::ProportionalBand, 0), QByteArray("06"));
    QCOMPARE(write(RegisterBank::AutoTuning, 1), QByteArray("86"));

    // OUT/OFF; with the key working as auto/manual, manual output.
    QCOMPARE(write(RegisterBank::OutOff, 1), QByteArray("06"));
    QVERIFY(status() & 0x0400);
    QCOMPARE(bank.value(RegisterBank::Mv1), qint16(0));
    QCOMPARE(write(RegisterBank::OutOff, 0), QByteArray("06"));
    core.registers().setItem(RegisterBank::ItemOutOffKeyFunction, 1);
    QCOMPARE(write(RegisterBank::ManualOutput, 425), QByteArray("06"));
    QCOMPARE(write(RegisterBank::AutoManual, 1), QByteArray("06"));
    QCOMPARE(status() & 0x5400, 0x5000);
    QCOMPARE(bank.value(RegisterBank::Mv1), qint16(425));
    QCOMPARE(write(RegisterBank::ManualOutput, 1001), QByteArray("86"));

    // A front-panel change raises 0x8000 until the setting flag is written.
    core.panelSet(RegisterBank::Alarm1Value, 30);
    QVERIFY(status() & 0x8000);
    QCOMPARE(write(RegisterBank::SettingFlag, 1), QByteArray("06"));
    QVERIFY(!(status() & 0x8000));

    // Over- and underscale.
    core.process().setSensorBroken(true);
    core.advance(100);
    QVERIFY(status() & 0x0100);
    core.process().setSensorBroken(false);
    core.process().setTemperature(-300);
    core.advance(100);
    QVERIFY(status() & 0x0200);

    // Heater burnout: the output is on but no current flows.
    ControllerCore heater(lineFor(WireProtocol::ModbusAscii));
    heater.process().setHeaterBroken(true);
    heater.advance(100);
    QVERIFY(heater.registers().value(RegisterBank::StatusWord) & 0x0001);
    QVERIFY(heater.registers().value(RegisterBank::StatusWord) & 0x0040);
    QCOMPARE(heater.registers().value(RegisterBank::HeaterCurrent1), qint16(0));
}

void TestSimCore::commands()
{
    SimulatedController sim;
    QCOMPARE(SimCommands::execute(sim, "drop 2"), QStringLiteral("ok"));
    QCOMPARE(SimCommands::execute(sim, "delay 1 500"), QStringLiteral("ok"));
    QCOMPARE(SimCommands::execute(sim, "keys 1.5"), QStringLiteral("ok"));
    QCOMPARE(SimCommands::execute(sim, "panel 000B 25"), QStringLiteral("ok"));
    QCOMPARE(SimCommands::execute(sim, "get 000B"), QStringLiteral("25"));
    QCOMPARE(SimCommands::execute(sim, "protocol rtu"), QStringLiteral("ok"));
    QCOMPARE(sim.line().protocol, WireProtocol::ModbusRtu);
    QVERIFY(SimCommands::execute(sim, "status").contains("keys-operated"));
    QVERIFY(SimCommands::execute(sim, "drop x").startsWith("error"));
    QVERIFY(SimCommands::execute(sim, "station 100").startsWith("error"));
    QVERIFY(SimCommands::execute(sim, "frobnicate").startsWith("error"));
    QVERIFY(SimCommands::execute(sim, "").isEmpty());
    sim.withCore([](ControllerCore &core) {
        QVERIFY(core.keysOperated());
        QVERIFY(core.receive(":010300010001FA\r\n").isEmpty()); // RTU now: ASCII is noise
    });
}

QTEST_GUILESS_MAIN(TestSimCore)
#include "tst_simcore.moc"
