#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

#include <memory>

namespace
{
// A request layer over a fake component, with the tables filled for protocol.
struct LayerRig {
    explicit LayerRig(qint16 protocol)
    {
        shared.protocolIndex = protocol;
        shared.stationAddress = QStringLiteral("01");
        RegisterMap::fillRegisterTable(shared);
        RegisterMap::fillVendorItemTable(shared);
        link.renew();
        script->calls.clear();
    }

    SessionState shared;
    std::shared_ptr<FakeCom::Script> script = std::make_shared<FakeCom::Script>();
    ComLink link{FakeCom::factory(script)};
    RequestLayer layer{shared, link};
};

struct FieldsRow {
    const char *name;
    int protocol;
    const char *station, *command;
    int code; // -1: vendor item FC32
    const char *data;
    int frameMode;
    const char *sentStation, *sentCommand, *sentAddress;
};
} // namespace

Q_DECLARE_METATYPE(FieldsRow)

class TestRequestLayer : public QObject
{
    Q_OBJECT

private slots:
    void fieldsPerProtocol_data();
    void fieldsPerProtocol();
    void vendorCommands_data();
    void vendorCommands();
    void preparesBeforeEveryRequest();
    void replyUnchangedOrEmpty();
    void renewReplacesInstance();
    void missingComponentIsInert();
    void registerMap();
};

void TestRequestLayer::fieldsPerProtocol_data()
{
    QTest::addColumn<FieldsRow>("row");
    const FieldsRow rows[] = {
        {"ascii read SV at 10", 0, "10", "03", 11, "", 2, "0A", "03", "00010001"},
        {"ascii write flag", 0, "01", "06", 65, "0001", 2, "01", "06", "0070"},
        {"rtu read PV at 95", 1, "95", "03", 0, "", 3, "5F", "03", "00800001"},
        {"ravtocol read SV at 10", 2, "10", "03", 11, "", 1, "10", "RD", "0010200102"},
        {"ravtocol write flag", 2, "01", "06", 65, "0100", 1, "01", "WD", "0032400324"},
        {"vendor read at 10", 3, "10", "a", -1, "", 0, "*", "a", "FC32"},
        // One reading of the instrument number for every framing: two digits where the framing
        // needs them, and no frame at all for what is no instrument number.
        {"ravtocol one digit", 2, "7", "03", 11, "", 1, "07", "RD", "0010200102"},
        {"ascii one digit", 0, "7", "03", 11, "", 2, "07", "03", "00010001"},
        {"ravtocol junk", 2, "1x", "03", 11, "", 1, nullptr, nullptr, nullptr},
        {"rtu junk", 1, "1x", "03", 11, "", 3, nullptr, nullptr, nullptr},
        {"ascii zero", 0, "00", "03", 11, "", 2, nullptr, nullptr, nullptr},
        {"vendor out of range", 3, "96", "a", -1, "", 0, nullptr, nullptr, nullptr},
    };
    for (const FieldsRow &r : rows)
        QTest::newRow(r.name) << r;
}

// The fields the component receives under each protocol, and the caller's command afterwards.
void TestRequestLayer::fieldsPerProtocol()
{
    QFETCH(FieldsRow, row);
    QString data = row.data;
    const QString sentCommand = QString::fromLatin1(row.sentCommand);
    QString station = row.station;
    QString command = row.command;

    LayerRig rig{qint16(row.protocol)};
    QString subAddress;
    QString address =
        row.code >= 0 ? rig.shared.registerTable[row.code] : rig.shared.vendorItemTable[10];
    const QString addressBefore = address;
    const QString reply = rig.layer.sendFields(station, subAddress, command, address, data).text;

    if (!row.sentStation) {
        QVERIFY(rig.script->requests.isEmpty());
        QVERIFY(reply.isEmpty());
        return;
    }
    QCOMPARE(rig.script->requests.size(), 1);
    const FakeCom::Request &sent = rig.script->requests.first();
    QCOMPARE(int(sent.frameMode), row.frameMode);
    QCOMPARE(sent.station, QString(row.sentStation));
    QCOMPARE(sent.command, sentCommand);
    QCOMPARE(sent.address, QString(row.sentAddress));
    QCOMPARE(sent.data, data);
    // Callers must set command again before the next request: it now holds what was sent.
    QCOMPARE(command, sentCommand);
    QCOMPARE(address, addressBefore);
    QCOMPARE(sent.subAddress, row.protocol == 3 ? QStringLiteral(" ") : QString());
    QCOMPARE(subAddress, sent.subAddress);
}

void TestRequestLayer::vendorCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("sent");
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"read 03", "03", " "},
        {"write 06", "06", "P"},
        {"q", "q", "q"},
        {"r", "r", "r"},
        {"grave", "`", "`"},
        {"a", "a", "a"},
        {"other letter", "c", "P"},
        {"upper Q", "Q", "P"},
    };
    for (const auto &[name, command, sent] : rows)
        QTest::newRow(name) << QString(command) << QString(sent);
}

void TestRequestLayer::vendorCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, sent);
    LayerRig rig(VendorFrame);
    rig.layer.send(command, QStringLiteral("0000"), QStringLiteral("0000"));
    QCOMPARE(rig.script->requests.size(), 1);
    QCOMPARE(rig.script->requests.first().command, sent);
    QCOMPARE(rig.script->requests.first().station, QStringLiteral("!"));
}

// Stale input is dropped before each request; the vendor frame prepares once more after its
// fields are built.
void TestRequestLayer::preparesBeforeEveryRequest()
{
    for (qint16 protocol : {qint16(ModbusAscii), qint16(Ravtocol), qint16(VendorFrame)}) {
        LayerRig rig(protocol);
        rig.layer.read(rig.shared.registerTable[11]);
        rig.layer.read(rig.shared.registerTable[11]);

        const int frameMode = protocol == ModbusAscii ? 2 : protocol == Ravtocol ? 1 : 0;
        const QStringList one = {QStringLiteral("prepareSend"),
                                 QStringLiteral("FrameMode=%1").arg(frameMode),
                                 QStringLiteral("sendRequest")};
        QCOMPARE(rig.script->calls, one + one);
    }
}

void TestRequestLayer::replyUnchangedOrEmpty()
{
    LayerRig rig(ModbusAscii);
    const QString reply = QStringLiteral(":01030200FA00\r\n");
    rig.script->replies << reply;
    QCOMPARE(rig.layer.read(rig.shared.registerTable[0]).text, reply);
    QCOMPARE(rig.layer.read(rig.shared.registerTable[0]).text, QString());
    QCOMPARE(rig.script->requests.at(0).address, QStringLiteral("00800001"));

    // Without a component instance there is no reply either.
    rig.link.release();
    QVERIFY(rig.layer.write(QStringLiteral("0001"), QStringLiteral("0001")).text.isEmpty());
}

void TestRequestLayer::renewReplacesInstance()
{
    auto script = std::make_shared<FakeCom::Script>();
    ComLink link(FakeCom::factory(script));
    QVERIFY(!link.com());

    CommComponent *const first = &link.renew();
    QCOMPARE(link.com(), first);
    link.renew();
    // The old instance is gone before the new one is made, so its port is free again.
    QCOMPARE(script->calls, QStringList({"created", "destroyed", "created"}));
    QCOMPARE(script->destroyed, 1);

    link.release();
    QVERIFY(!link.com());
    QCOMPARE(script->destroyed, 2);
}

void TestRequestLayer::missingComponentIsInert()
{
    for (CommComponentFactory factory : {CommComponentFactory(), CommComponentFactory([] {
                                             return std::unique_ptr<CommComponent>();
                                         })}) {
        ComLink link(factory);
        CommComponent &com = link.renew();
        QVERIFY(link.com());
        QVERIFY(!com.openPort());
        QVERIFY(com.sendRequest("01", "", "03", "00010001", "").text.isEmpty());
        QVERIFY(com.replyWord(QStringLiteral(":01030200FA00\r\n"), 1).isEmpty());
    }
}

// Both forms of the register map. A link check refills the table in the form of the protocol then
// in force; unused codes end up empty whatever the table held before.
void TestRequestLayer::registerMap()
{
    const std::tuple<int, const char *, const char *> rows[] = {
        {0, "0080", "00356"},  {8, "00A2", "00424"},  {10, "0000", "00100"},
        {11, "0001", "00102"}, {49, "0044", "00236"}, {65, "0070", "00324"},
    };
    SessionState shared;
    shared.registerTable.fill(QStringLiteral("stale"));
    for (qint16 protocol : {qint16(Ravtocol), qint16(ModbusRtu), qint16(ModbusAscii)}) {
        shared.protocolIndex = protocol;
        RegisterMap::fillRegisterTable(shared);
        for (const auto &[code, modbus, ravtocol] : rows)
            QCOMPARE(shared.registerTable[code], QString(protocol == Ravtocol ? ravtocol : modbus));
        for (int code = 0; code < SessionState::RegisterCount; ++code) {
            const bool unused = code == 9 || (code >= 58 && code <= 64);
            QCOMPARE(shared.registerTable[code].isEmpty(), unused);
        }
    }
}

QTEST_GUILESS_MAIN(TestRequestLayer)
#include "tst_requestlayer.moc"
