#include "tests/support/CoreRig.h"
#include "tests/support/DataRows.h"

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

// A rig whose controller has the SV2 to SV4 option; exchanges read back item code.
struct VendorRig : CoreRig {
    explicit VendorRig(qint16 protocol = ModbusAscii, qint16 code = 58)
        : CoreRig(protocol), code(code)
    {
        shared.monitorValues[7] = Sv2Option;
    }
    qint16 code;
};

struct ReadBackRow {
    const char *name;
    bool setValueItem; // readBackSetValue, else readBackOutputItem
    qint16 optionWord, itemCode, contactFunction, inputType, optionWord2;
    QStringList items; // empty: no exchange at all
};
const ReadBackRow readBackRows[] = {
    {"SV2", true, Sv2Option, 58, 1, 0, 0, {"FC32"}},
    {"SV2 without the option", true, 0, 58, 1, 0, 0, {}},
    {"contact function", true, Sv2Option, 61, 2, 0, 0, {"FC92"}},
    {"OUT/OFF key function", false, Sv2Option, 63, 0, 0, 0, {"FC96"}},
    {"abnormal output, DC input and output", false, Sv2Option, 62, 0, 30, 0x10, {"FC94"}},
    {"abnormal output, sensor input", false, Sv2Option, 62, 0, 29, 0x10, {}},
};
} // namespace

class TestVendorFrameReads : public QObject
{
    Q_OBJECT

private slots:
    void exchangeInEachProtocol_data();
    void exchangeInEachProtocol();
    void readBackOneItem_data() { addRows(readBackRows); }
    void readBackOneItem();
    void vendorReplies_data();
    void vendorReplies();
    void keyWriteRetries_data();
    void keyWriteRetries();
    void returnRetries();
    void waitsGivenUp();
};

void TestVendorFrameReads::exchangeInEachProtocol_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("keyWrite");
    QTest::newRow("Modbus ASCII") << qint16(ModbusAscii) << "W 0000=4C1A";
    QTest::newRow("Ravtocol") << qint16(Ravtocol) << "W 0000=1A4C";
}

void TestVendorFrameReads::exchangeInEachProtocol()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, keyWrite);
    VendorRig rig(protocol);
    rig.controller.vendorItems["FC32"] = 1234;

    rig.vendor.readBackSetValue(rig.code);

    QCOMPARE(rig.userRequests(), QStringList{keyWrite});
    QCOMPARE(rig.vendorReads(), twice({"FC32"}));
    QCOMPARE(rig.returnCommands(), 1);
    QVERIFY(!rig.controller.inVendorFrame);
    QCOMPARE(rig.shared.setting(58), qint16(1234));
    QCOMPARE(rig.op.panels.value(1), QStringLiteral("OK"));
    QCOMPARE(rig.shared.protocolIndex, protocol);
    QCOMPARE(rig.script->callsStartingWith("ReplyTimeout=").mid(0, 3),
             QStringList({"ReplyTimeout=300", "ReplyTimeout=400", "ReplyTimeout=300"}));
    QCOMPARE(rig.link.com()->replyTimeout(), 300);
}

void TestVendorFrameReads::readBackOneItem()
{
    const ReadBackRow &r = fetchRow(readBackRows);
    VendorRig rig(ModbusAscii, r.itemCode);
    rig.shared.monitorValues[7] = r.optionWord;
    rig.shared.monitorValues[8] = r.optionWord2;
    rig.shared.setting(61) = r.contactFunction;
    rig.shared.setting(49) = r.inputType;
    for (const QString &item : QStringList{"FC32", "FC34", "FC36", "FC92", "FC94", "FC96"})
        rig.controller.vendorItems[item] = 1;

    r.setValueItem ? rig.vendor.readBackSetValue(rig.code)
                   : rig.vendor.readBackOutputItem(rig.code);

    QCOMPARE(rig.vendorReads(), twice(r.items));
    const bool exchange = !r.items.isEmpty();
    QCOMPARE(rig.userRequests(), exchange ? QStringList{"W 0000=4C1A"} : QStringList{});
    QCOMPARE(rig.returnCommands(), exchange ? 1 : 0);
    QCOMPARE(rig.shared.protocolIndex, qint16(ModbusAscii));
}

void TestVendorFrameReads::vendorReplies_data()
{
    QTest::addColumn<QString>("second"); // answer to the second of the two reads
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("panel");
    QTest::newRow("ACK") << FakeCom::vendorAck(1, "01F4") << true << "OK";
    QTest::newRow("refused") << FakeCom::vendorReadRefused(1) << false << "NG";
    QTest::newRow("ESC") << FakeCom::vendorEsc(1) << false << "NG";
    QTest::newRow("NAK") << FakeCom::vendorNak(1) << false << "";
    QTest::newRow("answered only the first time") << QString("") << false << "";
}

void TestVendorFrameReads::vendorReplies()
{
    QFETCH(QString, second);
    QFETCH(bool, stored);
    QFETCH(QString, panel);
    VendorRig rig;
    rig.shared.setting(58) = 7;
    int reads = 0;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command != QLatin1String("a"))
            return QString();
        return ++reads == 1 ? FakeCom::vendorAck(1, "0063") : second;
    };

    rig.vendor.readBackSetValue(rig.code);

    QCOMPARE(reads, 2);
    QCOMPARE(rig.shared.setting(58), qint16(stored ? 500 : 7));
    QCOMPARE(rig.op.panels.value(1), panel);
    // No answer the controller could have given: a communication error.
    QCOMPARE(rig.shared.commErrorFlag, panel.isEmpty());
    QCOMPARE(rig.view.commErrorVisible, panel.isEmpty());
}

void TestVendorFrameReads::keyWriteRetries_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("keysOperated");
    QTest::newRow("Modbus keys operated")
        << qint16(ModbusAscii) << FakeCom::modbusException(1, 6, 0x12) << true;
    QTest::newRow("Modbus other exception")
        << qint16(ModbusRtu) << FakeCom::modbusException(1, 6, 0x02) << false;
    QTest::newRow("Ravtocol keys operated")
        << qint16(Ravtocol) << FakeCom::ravtocolError(1, 63) << true;
}

void TestVendorFrameReads::keyWriteRetries()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, refusal);
    QFETCH(bool, keysOperated);
    // The operator ends the key operation at the controller after the eighth box.
    constexpr int BoxesUntilReleased = 8;
    VendorRig rig(protocol);
    bool refusing = true;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        return r.frameMode != FrameMode::Vendor && refusing ? refusal : QString();
    };
    rig.op.onShowMessage = [&](const QList<int> &) {
        refusing = rig.op.messages().size() < BoxesUntilReleased;
    };

    rig.vendor.refreshSetValues();

    QCOMPARE(rig.shared.protocolIndex, protocol);
    QVERIFY(!rig.core.vendorFrame.exchangeRunning());
    if (keysOperated) {
        // Every refusal is shown and tried again; nothing gives up while the keys are worked.
        QCOMPARE(rig.op.messages(), QList<QList<int>>(BoxesUntilReleased, {455, 456}));
        QCOMPARE(rig.userRequests().filter("W 0000=").size(), BoxesUntilReleased + 1);
        QCOMPARE(rig.vendorReads().size(), 8);
    } else {
        QCOMPARE(rig.op.messages(), QList<QList<int>>{{715}});
        QCOMPARE(rig.script->requests.size(), VendorFrameSession::MaxAttempts);
    }
}

void TestVendorFrameReads::returnRetries()
{
    // Keys operated: the controller refuses the return (NAK) until they are released, after the
    // third box; every refusal is shown with a beep.
    VendorRig keys(ModbusAscii, 61);
    int naks = 0;
    keys.controller.intercept = [&](const FakeCom::Request &r) {
        return r.command == QLatin1String("P") && naks++ < 3 ? FakeCom::vendorNak(1) : QString();
    };
    keys.vendor.readBackSetValue(keys.code);
    QCOMPARE(keys.returnCommands(), 4);
    QCOMPARE(keys.op.messages(), QList<QList<int>>(3, {455, 456}));
    QCOMPARE(keys.op.beeps, 3);

    // Any other answer means the controller is still in its vendor frame: the return is sent
    // again after the same box, for as long as it answers, never given up on.
    VendorRig rig(ModbusAscii, 61);
    int acks = 0;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        return r.command == QLatin1String("P") && acks++ < 7 ? FakeCom::vendorAck(1) : QString();
    };
    rig.vendor.readBackSetValue(rig.code);
    QCOMPARE(rig.returnCommands(), 8);
    QCOMPARE(rig.op.messages(), QList<QList<int>>(7, {455, 456}));
    QCOMPARE(rig.shared.protocolIndex, qint16(ModbusAscii));

    // A key write without reply does not stop the exchange: its reads find no reply either.
    VendorRig deaf(ModbusAscii, 61);
    deaf.controller.silent = true;
    deaf.vendor.readBackSetValue(deaf.code);
    QCOMPARE(deaf.vendorReads(), twice({"FC92"}));
    QCOMPARE(deaf.returnCommands(), 1);
    QVERIFY(deaf.shared.commErrorFlag);
    QVERIFY(deaf.op.messages().isEmpty());
}

// Where the operator interface gives a wait up (the headless tool after its bound), the keys held
// for good end the exchange: the item read back stays unread, and the controller is left where
// it is.
void TestVendorFrameReads::waitsGivenUp()
{
    VendorRig keys(ModbusAscii, 58);
    keys.op.giveUpAtRound = 2;
    keys.shared.setting(58) = 5;
    keys.controller.vendorItems["FC32"] = 9;
    keys.controller.intercept = [](const FakeCom::Request &r) {
        return r.frameMode != FrameMode::Vendor ? FakeCom::modbusException(1, 6, 0x12) : QString();
    };
    keys.vendor.readBackSetValue(keys.code);
    QCOMPARE(keys.op.messages(), QList<QList<int>>(3, {455, 456}));
    QVERIFY(keys.vendorReads().isEmpty());
    QCOMPARE(keys.returnCommands(), 0);
    QVERIFY(!keys.vendor.lastReadAccepted());
    QVERIFY(keys.shared.unreadCodes.contains(58));
    QCOMPARE(keys.shared.setting(58), qint16(5));
    QVERIFY(!keys.core.vendorFrame.exchangeRunning());

    // The item was read, but the controller refuses to leave its vendor frame.
    VendorRig stays(ModbusAscii, 58);
    stays.op.giveUpAtRound = 1;
    stays.controller.vendorItems["FC32"] = 9;
    stays.controller.intercept = [](const FakeCom::Request &r) {
        return r.command == QLatin1String("P") ? FakeCom::vendorNak(1) : QString();
    };
    stays.vendor.readBackSetValue(stays.code);
    QCOMPARE(stays.returnCommands(), 2);
    QCOMPARE(stays.op.messages(), QList<QList<int>>(2, {455, 456}));
    QCOMPARE(stays.shared.setting(58), qint16(9));
    QVERIFY(!stays.shared.unreadCodes.contains(58));
    QCOMPARE(stays.shared.protocolIndex, qint16(ModbusAscii));
}

QTEST_GUILESS_MAIN(TestVendorFrameReads)
#include "tst_vendorframereads.moc"
