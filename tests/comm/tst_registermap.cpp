#include "app/ZN8P_INC.h"
#include "comm/RegisterMap.h"

#include <QtTest>

class TestRegisterMap : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void unusedEntriesStayEmpty();
    void refillFollowsProtocol();
    void vendorItems();
};

void TestRegisterMap::entries_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("modbus");
    QTest::addColumn<QString>("ravtocol");
    const std::tuple<const char *, int, const char *, const char *> rows[] = {
        {"PV", 0, "0080", "00356"},
        {"option word", 7, "00A1", "00422"},
        {"option word 2", 8, "00A2", "00424"},
        {"mode register", 10, "0000", "00100"},
        {"main set value", 11, "0001", "00102"},
        {"AT", 12, "0003", "00106"},
        {"alarm 1 value", 19, "000B", "00122"},
        {"input type", 49, "0044", "00236"},
        {"backlight time", 57, "0053", "00266"},
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

void TestRegisterMap::unusedEntriesStayEmpty()
{
    for (RegisterMap::Form form : {RegisterMap::Form::Modbus, RegisterMap::Form::Ravtocol}) {
        ZN8P_INC inc;
        inc.registerTable.fill(QStringLiteral("stale"));
        RegisterMap::fillRegisterTable(inc, form);
        int filled = 0;
        for (int code = 0; code < ZN8P_INC::RegisterCount; ++code) {
            const bool unused = code == 9 || (code >= 58 && code <= 64);
            QCOMPARE(inc.registerTable[code].isEmpty(), unused);
            filled += unused ? 0 : 1;
        }
        QCOMPARE(filled, 9 + 48 + 1);
    }
}

// A link check refills the table in the form of the protocol then in force.
void TestRegisterMap::refillFollowsProtocol()
{
    ZN8P_INC inc;
    inc.protocolIndex = ModbusRtu;
    RegisterMap::fillRegisterTable(inc);
    QCOMPARE(inc.registerTable[11], QStringLiteral("0001"));
    QCOMPARE(inc.registerTable[65], QStringLiteral("0070"));

    inc.protocolIndex = Ravtocol;
    RegisterMap::fillRegisterTable(inc);
    QCOMPARE(inc.registerTable[11], QStringLiteral("00102"));
    QCOMPARE(inc.registerTable[65], QStringLiteral("00324"));

    inc.protocolIndex = ModbusAscii;
    RegisterMap::fillRegisterTable(inc);
    QCOMPARE(inc.registerTable[11], QStringLiteral("0001"));
}

void TestRegisterMap::vendorItems()
{
    ZN8P_INC inc;
    RegisterMap::fillVendorItemTable(inc);
    QVERIFY(inc.vendorItemTable[0].isEmpty());
    QCOMPARE(inc.vendorItemTable[1], QStringLiteral("001C"));
    QCOMPARE(inc.vendorItemTable[9], QStringLiteral("FC30"));
    QCOMPARE(inc.vendorItemTable[13], QStringLiteral("FC90"));
    QCOMPARE(inc.vendorItemTable[17], QStringLiteral("FF13"));
    QCOMPARE(inc.vendorItemTable[19], QStringLiteral("FF1B"));
}

QTEST_GUILESS_MAIN(TestRegisterMap)
#include "tst_registermap.moc"
