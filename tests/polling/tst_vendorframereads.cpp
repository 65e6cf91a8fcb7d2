#include "tests/support/CoreRig.h"

#include <QtTest>

namespace
{
constexpr qint16 Sv2Option = 0x01; // contact input without serial communication

QStringList twice(const QStringList &items)
{
    QStringList list;
    for (const QString &item : items)
        list << item << item;
    return list;
}
} // namespace

class TestVendorFrameReads : public QObject
{
    Q_OBJECT

private slots:
    void exchangeInEachProtocol_data();
    void exchangeInEachProtocol();
    void readBackOneItem_data();
    void readBackOneItem();
    void vendorReplies_data();
    void vendorReplies();
    void keyWriteRetryIsBounded_data();
    void keyWriteRetryIsBounded();
    void returnRetryIsBounded();
};

void TestVendorFrameReads::exchangeInEachProtocol_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("keyWrite");
    QTest::newRow("Modbus ASCII") << qint16(ModbusAscii) << "W 0000=4C1A";
    QTest::newRow("Modbus RTU") << qint16(ModbusRtu) << "W 0000=4C1A";
    QTest::newRow("Ravtocol") << qint16(Ravtocol) << "W 0000=1A4C";
}

void TestVendorFrameReads::exchangeInEachProtocol()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, keyWrite);
    CoreRig rig(protocol);
    rig.inc.monitorValues[7] = Sv2Option;
    rig.inc.itemCode = 58;
    rig.controller.vendorItems["FC32"] = 1234;

    rig.vendor.Read_SV();

    QCOMPARE(rig.userRequests(), QStringList{keyWrite});
    QCOMPARE(rig.vendorReads(), twice({"FC32"}));
    QCOMPARE(rig.returnCommands(), 1);
    QVERIFY(!rig.controller.inVendorFrame);
    QCOMPARE(rig.inc.setting(58), qint16(1234));
    QCOMPARE(rig.op.panels.value(1), QStringLiteral("OK"));
    QCOMPARE(rig.inc.protocolIndex, protocol);
    QCOMPARE(rig.script->callsStartingWith("ReplyTimeout="),
             QStringList({"ReplyTimeout=300", "ReplyTimeout=400", "ReplyTimeout=300",
                          "ReplyTimeout=300", "ReplyTimeout=300", "ReplyTimeout=300"}));
    QCOMPARE(rig.link.com()->ReplyTimeout(), 300);
}

void TestVendorFrameReads::readBackOneItem_data()
{
    QTest::addColumn<bool>("setValueItem"); // Read_SV, else Read_data
    QTest::addColumn<qint16>("itemCode");
    QTest::addColumn<qint16>("contactFunction");
    QTest::addColumn<qint16>("inputType");
    QTest::addColumn<qint16>("optionWord2");
    QTest::addColumn<bool>("exchange");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("SV2") << true << qint16(58) << qint16(1) << qint16(0) << qint16(0) << true
                         << QStringList{"FC32"};
    QTest::newRow("SV3 while function 1 reads nothing")
        << true << qint16(59) << qint16(1) << qint16(0) << qint16(0) << true << QStringList{};
    QTest::newRow("contact function")
        << true << qint16(61) << qint16(2) << qint16(0) << qint16(0) << true << QStringList{"FC92"};
    QTest::newRow("OUT/OFF key function") << false << qint16(63) << qint16(0) << qint16(0)
                                          << qint16(0) << true << QStringList{"FC96"};
    QTest::newRow("abnormal output, DC input and DC output")
        << false << qint16(62) << qint16(0) << qint16(30) << qint16(0x10) << true
        << QStringList{"FC94"};
    QTest::newRow("abnormal output, sensor input")
        << false << qint16(62) << qint16(0) << qint16(29) << qint16(0x10) << false << QStringList{};
}

void TestVendorFrameReads::readBackOneItem()
{
    QFETCH(bool, setValueItem);
    QFETCH(qint16, itemCode);
    QFETCH(qint16, contactFunction);
    QFETCH(qint16, inputType);
    QFETCH(qint16, optionWord2);
    QFETCH(bool, exchange);
    QFETCH(QStringList, items);
    CoreRig rig;
    rig.inc.monitorValues[7] = Sv2Option;
    rig.inc.monitorValues[8] = optionWord2;
    rig.inc.setting(61) = contactFunction;
    rig.inc.setting(49) = inputType;
    rig.inc.itemCode = itemCode;
    for (const QString &item : QStringList{"FC32", "FC34", "FC36", "FC92", "FC94", "FC96"})
        rig.controller.vendorItems[item] = 1;

    setValueItem ? rig.vendor.Read_SV() : rig.vendor.Read_data();

    QCOMPARE(rig.vendorReads(), twice(items));
    QCOMPARE(rig.userRequests(), exchange ? QStringList{"W 0000=4C1A"} : QStringList{});
    QCOMPARE(rig.returnCommands(), exchange ? 1 : 0);
    QCOMPARE(rig.inc.protocolIndex, qint16(ModbusAscii));

    // Without the SV2 to SV4 option the set value items send nothing at all.
    CoreRig bare;
    bare.inc.itemCode = 58;
    bare.vendor.Read_SV();
    QVERIFY(bare.script->requests.isEmpty());
}

void TestVendorFrameReads::vendorReplies_data()
{
    QTest::addColumn<QString>("second"); // answer to the second of the two reads
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<bool>("commError");
    QTest::newRow("ACK") << FakeCom::vendorAck(1, "01F4") << true << "OK" << false;
    QTest::newRow("refused") << FakeCom::vendorReadRefused(1) << false << "NG" << false;
    QTest::newRow("ESC") << FakeCom::vendorEsc(1) << false << "NG" << false;
    QTest::newRow("NAK") << FakeCom::vendorNak(1) << false << "" << true;
    QTest::newRow("answered only the first time") << QString("") << false << "" << true;
}

void TestVendorFrameReads::vendorReplies()
{
    QFETCH(QString, second);
    QFETCH(bool, stored);
    QFETCH(QString, panel);
    QFETCH(bool, commError);
    CoreRig rig;
    rig.inc.monitorValues[7] = Sv2Option;
    rig.inc.itemCode = 58;
    rig.inc.setting(58) = 7;
    int reads = 0;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command != QLatin1String("a"))
            return QString();
        return ++reads == 1 ? FakeCom::vendorAck(1, "0063") : second;
    };

    rig.vendor.Read_SV();

    QCOMPARE(reads, 2);
    QCOMPARE(rig.inc.setting(58), qint16(stored ? 500 : 7));
    QCOMPARE(rig.op.panels.value(1), panel);
    QCOMPARE(rig.inc.commErrorFlag, commError);
    QCOMPARE(rig.view.commErrorVisible, commError);
}

void TestVendorFrameReads::keyWriteRetryIsBounded_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("keysOperatedBoxes");
    QTest::newRow("Modbus keys operated")
        << qint16(ModbusAscii) << FakeCom::modbusException(1, 6, 0x12) << 4;
    QTest::newRow("Modbus other exception")
        << qint16(ModbusRtu) << FakeCom::modbusException(1, 6, 0x02) << 0;
    QTest::newRow("Ravtocol keys operated")
        << qint16(Ravtocol) << FakeCom::ravtocolError(1, 63) << 4;
}

void TestVendorFrameReads::keyWriteRetryIsBounded()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, refusal);
    QFETCH(int, keysOperatedBoxes);
    CoreRig rig(protocol);
    rig.inc.monitorValues[7] = Sv2Option;
    rig.controller.intercept = [&](const FakeCom::Request &) { return refusal; };

    rig.vendor.Read_SV2();

    QCOMPARE(rig.userRequests().size(), VendorFrameReads::MaxAttempts);
    QCOMPARE(rig.script->requests.size(), VendorFrameReads::MaxAttempts);
    QList<QList<int>> expected;
    for (int i = 0; i < keysOperatedBoxes; ++i)
        expected << QList<int>{455, 456};
    expected << QList<int>{715};
    QCOMPARE(rig.op.messages(), expected);
    QCOMPARE(rig.inc.protocolIndex, protocol);
    QVERIFY(!rig.vendor.exchangeRunning());

    // Released keys end the repetition: two refusals, then the exchange runs.
    CoreRig later(protocol);
    later.inc.monitorValues[7] = Sv2Option;
    int keyWrites = 0;
    later.controller.intercept = [&](const FakeCom::Request &r) {
        return r.frameMode != FrameMode::Vendor && ++keyWrites <= 2 ? refusal : QString();
    };
    later.vendor.Read_SV2();
    QCOMPARE(keyWrites, 3);
    QCOMPARE(later.vendorReads().size(), 8);
    QVERIFY(!later.op.wasShown(715));
}

void TestVendorFrameReads::returnRetryIsBounded()
{
    CoreRig rig;
    rig.inc.monitorValues[7] = Sv2Option;
    rig.inc.itemCode = 61;
    rig.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == QLatin1String("P") ? FakeCom::vendorAck(1) : QString();
    };

    rig.vendor.Read_SV();

    QCOMPARE(rig.returnCommands(), VendorFrameReads::MaxAttempts);
    QCOMPARE(rig.op.beeps, VendorFrameReads::MaxAttempts - 1);
    QCOMPARE(rig.op.messages().size(), VendorFrameReads::MaxAttempts);
    QCOMPARE(rig.op.messages().last(), QList<int>{715});
    QCOMPARE(rig.inc.protocolIndex, qint16(ModbusAscii));

    // A key write without reply does not stop the exchange: its reads find no reply either.
    CoreRig deaf;
    deaf.inc.monitorValues[7] = Sv2Option;
    deaf.inc.itemCode = 61;
    deaf.controller.silent = true;
    deaf.vendor.Read_SV();
    QCOMPARE(deaf.vendorReads(), twice({"FC92"}));
    QCOMPARE(deaf.returnCommands(), 1);
    QVERIFY(deaf.inc.commErrorFlag);
    QVERIFY(deaf.op.messages().isEmpty());
}

QTEST_GUILESS_MAIN(TestVendorFrameReads)
#include "tst_vendorframereads.moc"
