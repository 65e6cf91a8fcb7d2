#include "comm/Checksums.h"
#include "sim/ControllerCore.h"
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

QByteArray asciiRequest(const QByteArray &aduHex)
{
    const QByteArray adu = QByteArray::fromHex(aduHex);
    return ':' + adu.toHex().toUpper() + Checksums::hex2(Checksums::lrc(adu)) + "\r\n";
}

QByteArray ravtocolRequest(const QByteArray &text)
{
    return text + Checksums::hex2(Checksums::ravtocolBcc(text)) + '\r';
}

QByteArray vendorRequest(const QByteArray &inner)
{
    return '\x02' + inner + Checksums::hex2(Checksums::vendorBcc(inner)) + '\x03';
}

const QByteArray AsciiOutOfRange = ":01860376\r\n";

} // namespace

class TestSimCore : public QObject
{
    Q_OBJECT

private slots:
    void documentedFrames_data();
    void documentedFrames();
    void noReplyToOthers();
    void refusals();
    void downloadRegistersRangeChecked();
    void vendorFrame();
    void requestLog();
    void faults();
    void optionWordsRoundTrip();
    void process();
};

void TestSimCore::documentedFrames_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("station");
    QTest::addColumn<int>("value"); // of the main set value
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto ascii = int(WireProtocol::ModbusAscii);
    const auto rtu = int(WireProtocol::ModbusRtu);
    const auto ravtocol = int(WireProtocol::Ravtocol);
    const QByteArray flag = ":01060070000188\r\n";
    const QByteArray key = ":010600004C1A93\r\n";
    const QByteArray rtuFlag = QByteArray::fromHex("01060070000149D1");
    QTest::newRow("ascii read 250") << ascii << 1 << 250 << QByteArray(":010300010001FA\r\n")
                                    << QByteArray(":01030200FA00\r\n");
    QTest::newRow("ascii read -200 at 10")
        << ascii << 10 << -200 << QByteArray(":0A0300010001F1\r\n")
        << QByteArray(":0A0302FF38BA\r\n");
    QTest::newRow("ascii write flag echo") << ascii << 1 << 200 << flag << flag;
    QTest::newRow("ascii key write echo") << ascii << 1 << 200 << key << key;
    QTest::newRow("rtu read 400") << rtu << 1 << 400 << QByteArray::fromHex("010300010001D5CA")
                                  << QByteArray::fromHex("0103020190B9B8");
    QTest::newRow("rtu write flag echo") << rtu << 1 << 200 << rtuFlag << rtuFlag;
    QTest::newRow("ravtocol read 1000 at 10")
        << ravtocol << 10 << 1000 << QByteArray("@10RD00102001021D\r")
        << QByteArray("@10$E803A5\r");
    QTest::newRow("ravtocol write flag")
        << ravtocol << 1 << 200 << QByteArray("@01WD00324003240100EF\r") << QByteArray("@01$C5\r");
    QTest::newRow("ravtocol key write")
        << ravtocol << 1 << 200 << QByteArray("@01WD00100001001A4C07\r") << QByteArray("@01$C5\r");
}

// The frames of docs/protocols.md, answered byte for byte.
void TestSimCore::documentedFrames()
{
    QFETCH(int, protocol);
    QFETCH(int, station);
    QFETCH(int, value);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    ControllerCore core(lineFor(WireProtocol(protocol), station));
    core.registers().set(RegisterBank::MainSetValue, qint16(value));
    QCOMPARE(ask(core, request), reply);
}

void TestSimCore::noReplyToOthers()
{
    ControllerCore ascii(lineFor(WireProtocol::ModbusAscii));
    QVERIFY(ask(ascii, ":0203008000017A\r\n").isEmpty());        // another station
    QVERIFY(ask(ascii, ":0103008000017C\r\n").isEmpty());        // bad LRC
    QVERIFY(ask(ascii, "@01RD003560035620\r").isEmpty());        // Ravtocol
    QVERIFY(ask(ascii, asciiRequest("0006000100FA")).isEmpty()); // a broadcast acts silently
    QCOMPARE(ascii.registers().value(RegisterBank::MainSetValue), qint16(250));
    // A frame arriving in pieces is answered once complete.
    QVERIFY(ask(ascii, ":01030080").isEmpty());
    QVERIFY(!ask(ascii, "00017B\r\n").isEmpty());

    ControllerCore rtu(lineFor(WireProtocol::ModbusRtu));
    QVERIFY(ask(rtu, QByteArray::fromHex("010300010001D5CB")).isEmpty()); // bad CRC
    QVERIFY(ask(rtu, QByteArray::fromHex("020300010001D5F9")).isEmpty()); // another station
    QVERIFY(ask(rtu, ":010300010001FA\r\n").isEmpty());
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
    const auto answer = [&](const char *adu) { return ask(ascii, asciiRequest(adu)); };
    // Out of range: proportional cycle 0, set value above the scaling high limit, a mode other
    // than 0000 (normal operation) and the key.
    for (const char *adu : {"010600080000", "01060001055B", "010600000005"})
        QCOMPARE(answer(adu), AsciiOutOfRange);
    QCOMPARE(answer("010300020001"), QByteArray(":0183027A\r\n")); // no register
    QCOMPARE(answer("010600800001"), QByteArray(":01860277\r\n")); // read-only monitor register
    QCOMPARE(answer("010400800001"), QByteArray(":0184017A\r\n")); // unknown function
    QCOMPARE(ascii.registers().value(RegisterBank::MainSetValue), qint16(200));
    QCOMPARE(answer("010600000000"), asciiRequest("010600000000"));
    QVERIFY(!ascii.inVendorFrame());
    // While the front keys are operated writes are refused, the key included; reads go on.
    ascii.operateKeys(2000);
    QCOMPARE(answer("010600700001"), QByteArray(":01861267\r\n"));
    QCOMPARE(answer("010600004C1A").mid(3, 4), QByteArray("8612"));
    QVERIFY(!ascii.inVendorFrame());
    QCOMPARE(answer("010300800001").mid(3, 2), QByteArray("03"));
    ascii.advance(2000);
    QCOMPARE(answer("010600700001"), asciiRequest("010600700001"));
    // A register refused on demand: reads after the first with 04, writes with 02; the register
    // keeps its value until the refusal ends.
    ascii.refuseReads(RegisterBank::MainSetValue, 0x04, 1);
    ascii.refuseWrites(RegisterBank::MainSetValue, 0x02);
    const qint16 held = ascii.registers().value(RegisterBank::MainSetValue);
    QCOMPARE(answer("010300010001").mid(3, 2), QByteArray("03"));
    QCOMPARE(answer("010300010001"), QByteArray(":01830478\r\n"));
    QCOMPARE(answer("010600010064"), QByteArray(":01860277\r\n"));
    QCOMPARE(ascii.registers().value(RegisterBank::MainSetValue), held);
    ascii.refuseWrites(RegisterBank::MainSetValue, 0);
    QCOMPARE(answer("010600010064"), asciiRequest("010600010064"));

    ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol));
    const auto answered = [&](const QByteArray &text) {
        return ask(ravtocol, ravtocolRequest(text));
    };
    QCOMPARE(answered("@01WD00116001160000"), ravtocolRequest("@01!30"));
    QCOMPARE(answered("@01RD0010400104"), ravtocolRequest("@01!20"));
    QCOMPARE(answered("@01XX0010200102"), ravtocolRequest("@01!10"));
    ravtocol.refuseReads(RegisterBank::MainSetValue, 0x02);
    QCOMPARE(answered("@01RD0010200102"), ravtocolRequest("@01!20"));
    ravtocol.refuseReads(RegisterBank::MainSetValue, 0);
    ravtocol.operateKeys(1000);
    QCOMPARE(ask(ravtocol, "@01WD00324003240100EF\r"), QByteArray("@01!632B\r"));
}

// Every register a full download or a single write reaches refuses a value beyond its limits,
// as the controller does, and takes its present value again; each exists in one of two models.
void TestSimCore::downloadRegistersRangeChecked()
{
    const QList<quint16> registers = {
        0x0044, 0x0018, 0x0019, 0x0023, 0x0024, 0x0001, 0x0004, 0x0005, 0x0006, 0x0007,
        0x0008, 0x0009, 0x000B, 0x000C, 0x000F, 0x0012, 0x0015, 0x0016, 0x001A, 0x001B,
        0x001C, 0x001D, 0x001E, 0x001F, 0x0020, 0x0021, 0x0022, 0x0025, 0x0026, 0x0029,
        0x002A, 0x0033, 0x0034, 0x0037, 0x0038, 0x0040, 0x0041, 0x0045, 0x0047, 0x0048,
        0x0049, 0x0050, 0x0051, 0x0052, 0x0053, 0x0003, 0x0039, 0x0070};
    ModelOptions heatCool;
    heatCool.heatCool = true;
    heatCool.alarm2 = false;
    heatCool.heaterBreak = 0;
    ModelOptions threePhase;
    threePhase.heaterBreak = 3;
    const auto hex = [](int value) {
        return QByteArray::number(quint16(value), 16).rightJustified(4, '0').toUpper();
    };
    QSet<quint16> checked;
    for (const ModelOptions &model : {threePhase, heatCool}) {
        ControllerCore ascii(lineFor(WireProtocol::ModbusAscii), model);
        ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol), model);
        for (const quint16 address : registers) {
            const auto limits = ascii.registers().limits(address);
            QVERIFY2(limits, hex(address).constData());
            const QByteArray adu = "0106" + hex(address);
            const QByteArray reply = ask(ascii, asciiRequest(adu + hex(limits->second + 1)));
            if (reply == QByteArray(":01860277\r\n")) // not built into this model
                continue;
            QCOMPARE(reply, AsciiOutOfRange);
            const QByteArray above = hex(ravtocol.registers().limits(address)->second + 1);
            const QByteArray range =
                QByteArray::number(100 + 2 * address).rightJustified(5, '0').repeated(2);
            QCOMPARE(ask(ravtocol, ravtocolRequest("@01WD" + range + above.mid(2) + above.left(2))),
                     ravtocolRequest("@01!30"));
            const QByteArray present = hex(ascii.registers().value(address));
            QCOMPARE(ask(ascii, asciiRequest(adu + present)), asciiRequest(adu + present));
            checked.insert(address);
        }
    }
    QCOMPARE(checked.size(), registers.size());
}

void TestSimCore::vendorFrame()
{
    ModelOptions withMemories; // set values 2 to 4 come with the contact input
    withMemories.contactInput = true;
    withMemories.serialComm = false;
    ControllerCore core(lineFor(WireProtocol::ModbusAscii), withMemories);
    core.registers().setItem(RegisterBank::ItemSetValue2, 500);
    const QByteArray readSv2 = "\x02! aFC3264\x03";
    QVERIFY(ask(core, readSv2).isEmpty()); // not reachable in the user protocol
    QCOMPARE(ask(core, ":010600004C1A93\r\n"), QByteArray(":010600004C1A93\r\n"));
    QVERIFY(core.inVendorFrame());
    QCOMPARE(ask(core, readSv2), QByteArray("\x06!01F452\x03"));
    QVERIFY(ask(core, ":0103008000017B\r\n").isEmpty()); // the user protocol is ignored meanwhile
    QCOMPARE(ask(core, "\x02! qFC30012C06\x03"), QByteArray("\x06!21\x03"));
    QCOMPARE(core.registers().value(RegisterBank::MainSetValue), qint16(300));
    QCOMPARE(ask(core, vendorRequest("! qFC327FFF")).left(2), QByteArray("\x15!")); // out of scale
    QCOMPARE(ask(core, vendorRequest("! a1234")).left(2), QByteArray("!!"));        // no such item
    // "q" reaches working values only, "r" their stored copies only.
    QCOMPARE(ask(core, vendorRequest("! r001D01F4")).left(1), QByteArray("\x06"));
    QCOMPARE(ask(core, vendorRequest("! rFC3201F4")).left(1), QByteArray("\x15"));
    QCOMPARE(ask(core, vendorRequest("! q001D01F4")).left(1), QByteArray("\x15"));
    // The return is not answered and ends the vendor frame.
    QVERIFY(ask(core, "\x02! P0000000051\x03").isEmpty());
    QVERIFY(!core.inVendorFrame());
    QVERIFY(!ask(core, ":0103008000017B\r\n").isEmpty());
}

// The log holds what reached this controller, in order, with the value it took from the wire and
// its answer; a key operation can be set to begin after a number of requests.
void TestSimCore::requestLog()
{
    ControllerCore ravtocol(lineFor(WireProtocol::Ravtocol));
    ask(ravtocol, "@01WD00324003240100EF\r"); // the setting flag, 1 sent low byte first
    ask(ravtocol, ravtocolRequest("@02RD0010200102"));
    ask(ravtocol, ravtocolRequest("@01WD0010200102DC05")); // 1500, above the scaling
    ask(ravtocol, ravtocolRequest("@01RD0010200102"));
    ask(ravtocol, "@01WD00100001001A4C07\r");
    for (const char *inner :
         {"! qFC30012C", "! r001C012C", "! qFF1A0000", "! `FF13", "! P00000000"})
        ask(ravtocol, vendorRequest(inner));
    QStringList texts;
    for (const LoggedRequest &entry : ravtocol.requestLog().entries())
        texts << entry.text();
    const QStringList expected = {
        "WD 0070 0001 ok",       "WD 0001 05DC refused 30", "RD 0001 ok",
        "WD 0000 4C1A ok",       "vendor q FC30 012C ok",   "vendor r 001C 012C ok",
        "vendor q FF1A 0000 ok", "vendor ` FF13 ok",        "vendor P 0000 0000 no reply"};
    QCOMPARE(texts, expected);

    ControllerCore rtu(lineFor(WireProtocol::ModbusRtu));
    rtu.operateKeysAfter(1, 1000);
    const QByteArray flag = QByteArray::fromHex("01060070000149D1");
    QCOMPARE(ask(rtu, flag), flag);
    QCOMPARE(ask(rtu, flag).toHex(), QByteArray("018612c26d"));
    QCOMPARE(rtu.requestLog().entries().last().text(), QStringLiteral("06 0070 0001 refused 12"));
}

void TestSimCore::faults()
{
    ControllerCore core(lineFor(WireProtocol::ModbusAscii));
    const QByteArray read = ":010300010001FA\r\n";
    const QByteArray good = ask(core, read);
    FaultInjector &faults = core.faults();

    faults.dropNext(2);
    QVERIFY(ask(core, read).isEmpty() && ask(core, read).isEmpty());
    QCOMPARE(ask(core, read), good);
    faults.corruptNext(1); // only the checksum is spoilt
    const QByteArray corrupt = ask(core, read);
    QVERIFY(corrupt != good);
    QCOMPARE(corrupt.left(corrupt.size() - 4), good.left(good.size() - 4));
    faults.truncateNext(1);
    QCOMPARE(ask(core, read), good.left(good.size() / 2));
    faults.noiseNext(1);
    const QByteArray noisy = ask(core, read);
    QVERIFY(noisy.endsWith(good) && !noisy.startsWith(':'));
    faults.delayNext(1, 900);
    QCOMPARE(core.receive(read).first().extraDelayMs, 900);
    QCOMPARE(core.receive(read).first().extraDelayMs, 0);
    faults.setSilent(true);
    QVERIFY(ask(core, read).isEmpty());
    faults.setSilent(false);
    faults.dropFraction(1.0);
    QVERIFY(ask(core, read).isEmpty());
    faults.clear();
    // A dropped reply's write still took effect.
    faults.dropNext(1);
    QVERIFY(ask(core, asciiRequest("0106000100FA")).isEmpty());
    QCOMPARE(ask(core, read), QByteArray(":01030200FA00\r\n"));
}

// What the program decodes from the option words is the model the simulator was given.
void TestSimCore::optionWordsRoundTrip()
{
    int checked = 0;
    for (int bits = 0; bits < 16 * 5 * 3; ++bits) {
        ModelOptions model;
        model.alarm2 = bits & 1;
        model.heatCool = bits & 2;
        model.contactInput = bits & 4;
        model.serialComm = bits & 8;
        model.heaterBreak = bits / 16 % 5;
        model.outputType = OutputType(bits / 80);
        if (!model.conflict().isEmpty())
            continue;
        ControllerCore core(lineFor(WireProtocol::ModbusAscii), model);
        const UnitConfig unit =
            OnlineStartRead::deriveUnitConfig(core.registers().value(RegisterBank::OptionWord),
                                              core.registers().value(RegisterBank::OptionWord2));
        QCOMPARE(unit.alarm2, qint16(model.alarm2));
        QCOMPARE(unit.heatCool, qint16(model.heatCool));
        QCOMPARE(unit.heaterBreak, qint16(model.heaterBreak));
        QCOMPARE(unit.contactInput, qint16(model.contactInput));
        QCOMPARE(unit.outputType, qint16(model.outputType));
        QCOMPARE(unit.serialComm, qint16(model.serialComm));
        ++checked;
    }
    QVERIFY(checked > 20);
}

void TestSimCore::process()
{
    ControllerCore core(lineFor(WireProtocol::ModbusAscii));
    const RegisterBank &bank = core.registers();
    const auto status = [&] { return quint16(bank.value(RegisterBank::StatusWord)); };
    const auto write = [&](quint16 address, quint16 value) {
        const QString adu = QStringLiteral("0106%1%2")
                                .arg(address, 4, 16, QLatin1Char('0'))
                                .arg(value, 4, 16, QLatin1Char('0'));
        return ask(core, asciiRequest(adu.toLatin1())).mid(3, 2);
    };

    // PV rises from ambient under full output and settles near the set value.
    QCOMPARE(bank.value(RegisterBank::Pv), qint16(20));
    QVERIFY(bank.value(RegisterBank::Mv1) > 500);
    core.advance(60000);
    QVERIFY(bank.value(RegisterBank::Pv) > 20);
    core.setTimeScale(20);
    core.advance(120000);
    QVERIFY(qAbs(bank.value(RegisterBank::Pv) - 200) <= 5);

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
    // ON/OFF control has nothing to tune.
    QCOMPARE(write(RegisterBank::ProportionalBand, 0), QByteArray("06"));
    QCOMPARE(write(RegisterBank::AutoTuning, 1), QByteArray("86"));

    // A front-panel change raises 0x8000 until the setting flag is written.
    core.panelSet(RegisterBank::Alarm1Value, 30);
    QVERIFY(status() & 0x8000);
    QCOMPARE(write(RegisterBank::SettingFlag, 1), QByteArray("06"));
    QVERIFY(!(status() & 0x8000));

    core.process().setSensorBroken(true); // overscale
    core.advance(100);
    QVERIFY(status() & 0x0100);
}

QTEST_GUILESS_MAIN(TestSimCore)
#include "tst_simcore.moc"
