#include "app/ZN8P_INC.h"
#include "comm/RegisterMap.h"

#include <QtTest>

class TestRegisterMap : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void tableFollowsProtocol();
    void vendorItems();
};

void TestRegisterMap::entries_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("modbus");
    QTest::addColumn<QString>("ravtocol");
    const std::tuple<const char *, int, const char *, const char *> rows[] = {
        {"PV", 0, "0080", "00356"},
        {"option word 2", 8, "00A2", "00424"},
        {"mode register", 10, "0000", "00100"},
        {"main set value", 11, "0001", "00102"},
        {"input type", 49, "0044", "00236"},
        {"setting flag", 65, "0070", "00324"},
    };
    for (const auto &[name, code, modbus, ravtocol] : rows)
        QTest::newRow(name) << code << QString::fromLatin1(modbus) << QString::fromLatin1(ravtocol);
}

void TestRegisterMap::entries()
{
    QFETCH(int, code);
    QFETCH(QString, modbus);
    QFETCH(QString, ravtocol);
    ZN8P_INC inc;
    RegisterMap::fillRegisterTable(inc, RegisterMap::Form::Modbus);
    QCOMPARE(inc.registerTable[code], modbus);
    RegisterMap::fillRegisterTable(inc, RegisterMap::Form::Ravtocol);
    QCOMPARE(inc.registerTable[code], ravtocol);
}

// A link check refills the table in the form of the protocol then in force; unused codes end up
// empty whatever the table held before.
void TestRegisterMap::tableFollowsProtocol()
{
    ZN8P_INC inc;
    inc.registerTable.fill(QStringLiteral("stale"));
    for (qint16 protocol : {qint16(Ravtocol), qint16(ModbusRtu), qint16(ModbusAscii)}) {
        inc.protocolIndex = protocol;
        RegisterMap::fillRegisterTable(inc);
        QCOMPARE(inc.registerTable[65],
                 protocol == Ravtocol ? QStringLiteral("00324") : QStringLiteral("0070"));
        for (int code = 0; code < ZN8P_INC::RegisterCount; ++code) {
            const bool unused = code == 9 || (code >= 58 && code <= 64);
            QCOMPARE(inc.registerTable[code].isEmpty(), unused);
        }
    }
}

void TestRegisterMap::vendorItems()
{
    ZN8P_INC inc;
    RegisterMap::fillVendorItemTable(inc);
    QVERIFY(inc.vendorItemTable[0].isEmpty());
    QCOMPARE(inc.vendorItemTable[1], QStringLiteral("001C"));
    QCOMPARE(inc.vendorItemTable[10], QStringLiteral("FC32"));
    QCOMPARE(inc.vendorItemTable[19], QStringLiteral("FF1B"));
}

QTEST_GUILESS_MAIN(TestRegisterMap)
#include "tst_registermap.moc"
