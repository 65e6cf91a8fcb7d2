#include "comm/CommSettingsEntry.h"
#include "tests/support/ConnectionRig.h"

#include <QtTest>

class TestCommSettingsEntry : public QObject
{
    Q_OBJECT

private slots:
    void instrumentNumber_data();
    void instrumentNumber();
    void storesEveryCondition();
};

void TestCommSettingsEntry::instrumentNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("message"); // 0: accepted
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("stored"); // strAdr afterwards

    // Kept and sent as two digits, which a Ravtocol frame needs.
    QTest::newRow("one digit") << "7" << 0 << 6 << "07";
    QTest::newRow("two digits") << "95" << 0 << 94 << "95";
    QTest::newRow("zero") << "00" << 559 << 11 << "12";
    QTest::newRow("letters") << "ab" << 559 << 11 << "12";
    // Between "01" and "99" as text, but no number: never taken as 1.
    QTest::newRow("digit and letter") << "1x" << 559 << 11 << "12";
    QTest::newRow("digit and blank") << "5 " << 0 << 4 << "05";
    QTest::newRow("above list, sorts below 99") << "100" << 229 << 11 << "12";
    QTest::newRow("above list") << "96" << 229 << 11 << "12";
}

void TestCommSettingsEntry::instrumentNumber()
{
    QFETCH(QString, text);
    QFETCH(int, message);
    QFETCH(int, listIndex);
    QFETCH(QString, stored);

    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "12", ModbusAscii);
    rig.store.loadCommValues(rig.shared);
    CommSettingsEntry entry(rig.context, rig.store);
    CommSettingsChoice choice = CommSettingsEntry::fromState(rig.shared);
    choice.portIndex = 3;
    choice.speedIndex = 1;
    choice.stationText = text;

    const CommSettingsEntry::Result result = entry.confirm(choice);

    QCOMPARE(result.accepted, message == 0);
    QCOMPARE(result.stationIndex, listIndex);
    QCOMPARE(rig.op.messages(), message ? QList<QList<int>>{{message}} : QList<QList<int>>{});
    // The port is stored before the instrument number is judged.
    QCOMPARE(rig.store.storedValue(false, "Port"), QStringLiteral("COM4"));
    QCOMPARE(rig.store.storedValue(false, "strAdr"), stored);
    QCOMPARE(rig.shared.stationAddress, stored);
    QCOMPARE(rig.store.storedValue(false, "Speed"), message ? "9600" : "19200");
}

void TestCommSettingsEntry::storesEveryCondition()
{
    ConnectionRig rig;
    rig.shared.commActive = true;
    rig.link.renew().openPort();
    CommSettingsEntry entry(rig.context, rig.store);

    QVERIFY(entry.confirm({7, "42", 1, 1, 1, 2, 2, std::nullopt}).accepted);

    QCOMPARE(rig.stored(), (QStringList{"COM8", "19200", "8", "2", "NONE", "42", "2"}));
    QCOMPARE(rig.shared.protocolIndex, qint16(Ravtocol));
    QCOMPARE(rig.op.beeps, 1);
    QVERIFY(!static_cast<FakeCom *>(rig.link.com())->isOpen());

    QVERIFY(rig.store.portMap(rig.shared).isEmpty());
    const QMap<QString, QString> map = {{"COM1", "/dev/ttyUSB3"}};
    QVERIFY(entry.confirm({0, "01", 0, 0, 0, 1, 1, map}).accepted);
    QCOMPARE(rig.stored(), (QStringList{"COM1", "9600", "7", "1", "ODD", "01", "1"}));
    QCOMPARE(rig.store.portMap(rig.shared), map);

    // While the vendor frame is in use the controls show the protocol in use before it.
    rig.shared.protocolIndex = VendorFrame;
    rig.shared.savedProtocolIndex = Ravtocol;
    QCOMPARE(CommSettingsEntry::fromState(rig.shared).protocolIndex, 2);
}

QTEST_GUILESS_MAIN(TestCommSettingsEntry)
#include "tst_commsettingsentry.moc"
