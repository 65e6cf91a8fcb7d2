#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

class TestParameterTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void readDataSet_data();
    void readDataSet();
    void readDataSetRejects();
    void vendorItemsOfCodes();
};

void TestParameterTable::readDataSet_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("stored");

    QTest::newRow("ascii PV 250") << ":01030200FA00\r\n" << 0 << 250;
    QTest::newRow("ascii SV -200 at 10") << ":0A0302FF38BA\r\n" << 11 << -200;
    QTest::newRow("ravtocol 1000") << "@10$E803A5\r" << 11 << 1000;
    QTest::newRow("vendor SV2 500") << FakeCom::vendorAck(1, "01F4") << 58 << 500;
    QTest::newRow("FFFF is -1") << FakeCom::modbusRead(1, -1) << 25 << -1;
    QTest::newRow("8000") << FakeCom::ravtocolRead(1, qint16(0x8000)) << 13 << -32768;
    QTest::newRow("option word 2") << FakeCom::modbusRead(1, 0x10) << 8 << 0x10;
    QTest::newRow("mode register") << FakeCom::modbusRead(1, 266) << 10 << 266;
    QTest::newRow("setting flag") << FakeCom::modbusRead(1, 1) << 65 << 1;
}

void TestParameterTable::readDataSet()
{
    QFETCH(QString, reply);
    QFETCH(int, code);
    QFETCH(int, stored);
    SessionState shared;
    FakeCom com;
    QVERIFY(ParameterTable::storeReadWord(shared, &com, reply, code));
    QCOMPARE(code <= 8 ? shared.monitorValues[code] : shared.setting(code), qint16(stored));
}

// Nothing is stored from a reply without a data word or for a code without a slot.
void TestParameterTable::readDataSetRejects()
{
    SessionState shared;
    shared.setting(11) = 77;
    FakeCom com;
    QVERIFY(!ParameterTable::storeReadWord(shared, &com, QString(), 11));
    QVERIFY(!ParameterTable::storeReadWord(shared, &com, FakeCom::ravtocolAccepted(1), 11));
    QVERIFY(!ParameterTable::storeReadWord(shared, nullptr, FakeCom::modbusRead(1, 3), 11));
    for (int code : {9, 66, -1})
        QVERIFY(!ParameterTable::storeReadWord(shared, &com, FakeCom::modbusRead(1, 3), code));
    QCOMPARE(shared.setting(11), qint16(77));
}

void TestParameterTable::vendorItemsOfCodes()
{
    SessionState shared;
    RegisterMap::fillVendorItemTable(shared);
    const QList<std::tuple<int, const char *, const char *>> expected = {
        {11, "FC30", "001C"}, {58, "FC32", "001D"}, {60, "FC36", "001F"}, {63, "FC96", "004F"}};
    for (const auto &[code, working, stored] : expected) {
        QCOMPARE(shared.vendorItemTable[ParameterTable::vendorItemIndex(code)],
                 QLatin1String(working));
        QCOMPARE(shared.vendorItemTable[ParameterTable::vendorCopyIndex(code)],
                 QLatin1String(stored));
    }
    QCOMPARE(ParameterTable::vendorCopyIndex(64), 0);
    QCOMPARE(ParameterTable::vendorItemIndex(12), 0);
}

QTEST_GUILESS_MAIN(TestParameterTable)
#include "tst_parametertable.moc"
