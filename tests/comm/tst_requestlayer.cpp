#include "app/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/RegisterMap.h"
#include "comm/RequestLayer.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

#include <memory>

class TestRequestLayer : public QObject
{
    Q_OBJECT

private slots:
    void fieldsPerProtocol_data();
    void fieldsPerProtocol();
    void vendorCommands_data();
    void vendorCommands();
    void preparesBeforeEveryRequest();
    void returnsReplyUnchanged();
    void noInstanceGivesEmptyReply();
};

void TestRequestLayer::fieldsPerProtocol_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("frameMode");
    QTest::addColumn<QString>("sentStation");
    QTest::addColumn<QString>("sentCommand");
    QTest::addColumn<QString>("sentAddress");
    struct Row {
        const char *name;
        int protocol;
        const char *station, *command;
        int code; // -1: vendor item FC32
        const char *data;
        int frameMode;
        const char *sentStation, *sentCommand, *sentAddress;
    };
    const Row rows[] = {
        {"ascii read SV at 10", 0, "10", "03", 11, "", 2, "0A", "03", "00010001"},
        {"ascii write flag", 0, "01", "06", 65, "0001", 2, "01", "06", "0070"},
        {"rtu read PV at 95", 1, "95", "03", 0, "", 3, "5F", "03", "00800001"},
        {"ravtocol read SV at 10", 2, "10", "03", 11, "", 1, "10", "RD", "0010200102"},
        {"ravtocol write flag", 2, "01", "06", 65, "0100", 1, "01", "WD", "0032400324"},
        {"vendor read at 10", 3, "10", "a", -1, "", 0, "*", "a", "FC32"},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.protocol << QString(r.station) << QString(r.command) << r.code
                              << QString(r.data) << r.frameMode << QString(r.sentStation)
                              << QString(r.sentCommand) << QString(r.sentAddress);
}

// The fields the component receives under each protocol, and the caller's command afterwards.
void TestRequestLayer::fieldsPerProtocol()
{
    QFETCH(int, protocol);
    QFETCH(QString, station);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QString, data);
    QFETCH(int, frameMode);
    QFETCH(QString, sentStation);
    QFETCH(QString, sentCommand);
    QFETCH(QString, sentAddress);

    ZN8P_INC inc;
    inc.protocolIndex = qint16(protocol);
    RegisterMap::fillRegisterTable(inc);
    RegisterMap::fillVendorItemTable(inc);
    auto script = std::make_shared<FakeCom::Script>();
    ComLink link(FakeCom::factory(script));
    link.renew();
    RequestLayer layer(inc, link);

    QString subAddress;
    QString address = code >= 0 ? inc.registerTable[code] : inc.vendorItemTable[10];
    const QString addressBefore = address;
    qint16 count = 3;
    layer.Sendcomm(station, subAddress, command, address, data, count);

    QCOMPARE(script->requests.size(), 1);
    const FakeCom::Request &sent = script->requests.first();
    QCOMPARE(int(sent.frameMode), frameMode);
    QCOMPARE(sent.station, sentStation);
    QCOMPARE(sent.command, sentCommand);
    QCOMPARE(sent.address, sentAddress);
    QCOMPARE(sent.data, data);
    QCOMPARE(sent.count, 3);
    QVERIFY(sent.spare.isEmpty());
    // Callers must set command again before the next request: it now holds what was sent.
    QCOMPARE(command, sentCommand);
    QCOMPARE(address, addressBefore);
    QCOMPARE(sent.subAddress, protocol == 3 ? QStringLiteral(" ") : QString());
    QCOMPARE(subAddress, sent.subAddress);
}

void TestRequestLayer::vendorCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("sent");
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"read 03", "03", " "}, {"write 06", "06", "P"},    {"q", "q", "q"},
        {"r", "r", "r"},        {"grave", "`", "`"},        {"a", "a", "a"},
        {"b", "b", "b"},        {"other letter", "c", "P"}, {"upper Q", "Q", "P"},
    };
    for (const auto &[name, command, sent] : rows)
        QTest::newRow(name) << QString(command) << QString(sent);
}

void TestRequestLayer::vendorCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, sent);
    ZN8P_INC inc;
    inc.protocolIndex = VendorFrame;
    inc.stationAddress = QStringLiteral("01");
    auto script = std::make_shared<FakeCom::Script>();
    ComLink link(FakeCom::factory(script));
    link.renew();
    RequestLayer layer(inc, link);

    layer.send(command, QStringLiteral("0000"), QStringLiteral("0000"));
    QCOMPARE(script->requests.size(), 1);
    QCOMPARE(script->requests.first().command, sent);
    QCOMPARE(script->requests.first().station, QStringLiteral("!"));
    QCOMPARE(script->requests.first().address, QStringLiteral("0000"));
}

// Stale input is dropped before each request; the vendor frame prepares once more after its
// fields are built.
void TestRequestLayer::preparesBeforeEveryRequest()
{
    for (qint16 protocol : {qint16(ModbusAscii), qint16(Ravtocol), qint16(VendorFrame)}) {
        ZN8P_INC inc;
        inc.protocolIndex = protocol;
        RegisterMap::fillRegisterTable(inc);
        auto script = std::make_shared<FakeCom::Script>();
        ComLink link(FakeCom::factory(script));
        link.renew();
        script->calls.clear();
        RequestLayer layer(inc, link);
        layer.read(inc.registerTable[11]);
        layer.read(inc.registerTable[11]);

        const int frameMode = protocol == ModbusAscii ? 2 : protocol == Ravtocol ? 1 : 0;
        QStringList one = {QStringLiteral("PrepareSend1"), QStringLiteral("PrepareSend2"),
                           QStringLiteral("FrameMode=%1").arg(frameMode)};
        if (protocol == VendorFrame)
            one << QStringLiteral("PrepareSend1") << QStringLiteral("PrepareSend2");
        one << QStringLiteral("SendRequest");
        QCOMPARE(script->calls, one + one);
    }
}

void TestRequestLayer::returnsReplyUnchanged()
{
    ZN8P_INC inc;
    RegisterMap::fillRegisterTable(inc);
    auto script = std::make_shared<FakeCom::Script>();
    const QString reply = QStringLiteral(":01030200FA00\r\n");
    script->replies << reply;
    ComLink link(FakeCom::factory(script));
    link.renew();
    RequestLayer layer(inc, link);
    QCOMPARE(layer.read(inc.registerTable[0]), reply);
    QCOMPARE(layer.read(inc.registerTable[0]), QString());
    QCOMPARE(script->requests.at(0).address, QStringLiteral("00800001"));
    QCOMPARE(script->requests.at(0).station, QStringLiteral("01"));
}

void TestRequestLayer::noInstanceGivesEmptyReply()
{
    ZN8P_INC inc;
    ComLink link(FakeCom::factory(std::make_shared<FakeCom::Script>()));
    RequestLayer layer(inc, link);
    QVERIFY(layer.read(QStringLiteral("0001")).isEmpty());
    link.renew();
    link.release();
    QVERIFY(layer.write(QStringLiteral("0001"), QStringLiteral("0001")).isEmpty());
}

QTEST_GUILESS_MAIN(TestRequestLayer)
#include "tst_requestlayer.moc"
