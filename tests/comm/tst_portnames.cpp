#include "comm/PortNames.h"

#include <QtTest>

class TestPortNames : public QObject
{
    Q_OBJECT

private slots:
    void mapDecides();
    void systemPortOrder();
};

void TestPortNames::mapDecides()
{
    const PortNames names({{"COM1", "/dev/ttyUSB3"}, {"COM2", "/dev/pts/7"}});
    QCOMPARE(names.deviceFor("COM1"), QString("/dev/ttyUSB3"));
    QCOMPARE(names.deviceFor("COM2"), QString("/dev/pts/7"));
    // Names outside COM1 ... COM8 stand for no device unless mapped.
    QCOMPARE(names.deviceFor("COM9"), QString());
    QCOMPARE(names.deviceFor("com1"), QString());
    QCOMPARE(PortNames::comNames(),
             QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
}

void TestPortNames::systemPortOrder()
{
    const QList<PortNames::SystemPort> ports = {
        {"ttyS10", "/dev/ttyS10", false},   {"ttyS2", "/dev/ttyS2", false},
        {"ttyUSB1", "/dev/ttyUSB1", false}, {"ttyACM0", "/dev/ttyACM0", false},
        {"rfcomm0", "/dev/rfcomm0", true},  {"ttyUSB0", "/dev/ttyUSB0", true},
        {"ttyS0", "/dev/ttyS0", false},
    };
    const QStringList expected = {"/dev/rfcomm0", "/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1",
                                  "/dev/ttyS0",   "/dev/ttyS2",   "/dev/ttyS10"};
    QCOMPARE(PortNames::orderedLocations(ports), expected);

    // The same ports listed in another order give the same COM numbers.
    QList<PortNames::SystemPort> reversed(ports.rbegin(), ports.rend());
    QCOMPARE(PortNames::orderedLocations(reversed), expected);
}

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_portnames.moc"
