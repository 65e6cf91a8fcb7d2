#include "base/SessionState.h"
#include "comm/PortNames.h"
#include "comm/SettingsStore.h"

#include <QtTest>

namespace
{
const QStringList AllNames = {"Port",   "Speed",    "Databit", "Stopbit", "Parity",
                              "strAdr", "Protocol", "SSTab1",  "SSTab2"};
}

// Every case works on IniFormat files in a fresh temporary folder, never the user's settings.
class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstKeyAbsentUsesSecondKey();
    void missingValueIsRepaired();
    void storedValuesAreLoaded();
    void storeOnClose();
    void portMap();
    void systemPortOrder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
}

void TestSettingsStore::firstKeyAbsentUsesSecondKey()
{
    SettingsStore store(QSettings::IniFormat);
    SessionState shared;
    shared.portName = QStringLiteral("COM5");
    store.selectKeyAndLoad(shared);

    QVERIFY(shared.useSecondKey);
    QCOMPARE(shared.portName, QStringLiteral("COM1"));
    const QStringList defaults = {"COM1", "9600", "7", "1", "EVEN", "01", "0", "0", "0"};
    for (int i = 0; i < AllNames.size(); ++i) {
        QCOMPARE(store.storedValue(true, AllNames[i]), defaults[i]);
        QVERIFY(store.storedValue(false, AllNames[i]).isNull());
    }

    // Later writes follow the key in use.
    shared.stationAddress = QStringLiteral("07");
    store.writeStation(shared);
    QCOMPARE(store.storedValue(true, "strAdr"), QStringLiteral("07"));
    QVERIFY(store.storedValue(false, "strAdr").isNull());

    // The next start finds the first key still absent and keeps to the second.
    SessionState next;
    store.selectKeyAndLoad(next);
    QVERIFY(next.useSecondKey);
    QCOMPARE(next.stationAddress, QStringLiteral("07"));
}

void TestSettingsStore::missingValueIsRepaired()
{
    SettingsStore store(QSettings::IniFormat);
    SessionState seed;
    store.writeValue(seed, "Port", "COM3");
    store.writeValue(seed, "Databit", "8");

    SessionState shared;
    shared.speedText = QStringLiteral("19200");
    store.selectKeyAndLoad(shared);
    QVERIFY(!shared.useSecondKey);
    QCOMPARE(shared.portName, QStringLiteral("COM3"));
    QCOMPARE(shared.speedText, QStringLiteral("9600"));
    QCOMPARE(store.storedValue(false, "Speed"), QStringLiteral("9600"));
    QCOMPARE(store.storedValue(false, "Databit"), QStringLiteral("8"));
    for (const QString &name : AllNames) {
        QVERIFY2(!store.storedValue(false, name).isNull(), qPrintable(name));
        QVERIFY(store.storedValue(true, name).isNull());
    }
}

void TestSettingsStore::storedValuesAreLoaded()
{
    SettingsStore store(QSettings::IniFormat);
    SessionState seed;
    const QStringList values = {"COM8", "19200", "8", "2", "NONE", "95", "2", "1", "3"};
    for (int i = 0; i < AllNames.size(); ++i)
        store.writeValue(seed, AllNames[i], values[i]);

    SessionState shared;
    store.loadFromFirstKey(shared);
    QCOMPARE((QStringList{shared.portName, shared.speedText, shared.dataBitsText,
                          shared.stopBitsText, shared.parityText, shared.stationAddress}),
             values.mid(0, 6));
    QCOMPARE((QList<qint16>{shared.protocolIndex, shared.mainTabIndex, shared.settingTabIndex}),
             (QList<qint16>{Ravtocol, 1, 3}));

    // Not validated: an unreadable protocol text reads as 0, stored texts pass unchanged.
    store.writeValue(seed, "Protocol", "x");
    store.writeValue(seed, "Parity", "odd");
    store.loadFromFirstKey(shared);
    QCOMPARE(shared.protocolIndex, qint16(0));
    QCOMPARE(shared.parityText, QStringLiteral("odd"));

    // The instrument number has one reading: two digits, or kept as it is for the link check to
    // refuse, never read as another number; and what is no number is never stored.
    for (const auto &[storedText, loaded] :
         {std::pair<const char *, const char *>{"7", "07"}, {"1x", "1x"}, {"00", "00"}}) {
        store.writeValue(seed, "strAdr", storedText);
        store.loadFromFirstKey(shared);
        QCOMPARE(shared.stationAddress, QString(loaded));
    }
    store.writeStation(shared);
    QCOMPARE(store.storedValue(false, "strAdr"), QStringLiteral("00"));
    shared.stationAddress = QStringLiteral("9");
    store.writeStation(shared);
    QCOMPARE(store.storedValue(false, "strAdr"), QStringLiteral("09"));
    QCOMPARE(SettingsStore::readNumber(" -12"), qint16(-12));
    QCOMPARE(SettingsStore::readNumber("1x"), qint16(1));
    QCOMPARE(SettingsStore::readNumber(""), qint16(0));
    QCOMPARE(SettingsStore::readNumber("40000"), qint16(0));
}

void TestSettingsStore::storeOnClose()
{
    SettingsStore store(QSettings::IniFormat);
    SessionState shared;
    store.loadFromFirstKey(shared);
    shared.mainTabIndex = 2;
    shared.settingTabIndex = 1;
    shared.stationAddress = QStringLiteral("12");
    shared.protocolIndex = VendorFrame;
    shared.savedProtocolIndex = ModbusRtu;
    store.storeOnClose(shared);
    QCOMPARE(store.storedValue(false, "SSTab1"), QStringLiteral("2"));
    QCOMPARE(store.storedValue(false, "SSTab2"), QStringLiteral("1"));
    QCOMPARE(store.storedValue(false, "strAdr"), QStringLiteral("01"));
    QCOMPARE(store.storedValue(false, "Protocol"), QStringLiteral("1"));

    shared.linkVerified = true;
    store.storeOnClose(shared);
    QCOMPARE(store.storedValue(false, "strAdr"), QStringLiteral("12"));

    // The vendor frame is never stored as the protocol: the one saved before it is.
    shared.savedProtocolIndex = Ravtocol;
    store.writeProtocol(shared);
    QCOMPARE(store.storedValue(false, "Protocol"), QStringLiteral("2"));
}

// The map of either key, the other key filling in, decides which device a COM name stands for.
void TestSettingsStore::portMap()
{
    SettingsStore store(QSettings::IniFormat);
    SessionState first;
    SessionState second;
    second.useSecondKey = true;
    store.writeValue(first, "PortMap/COM1", "/dev/ttyUSB0");
    store.writeValue(first, "PortMap/COM2", "/dev/ttyUSB1");
    store.writeValue(second, "PortMap/COM2", "/dev/pts/7");

    QCOMPARE(store.portMap(second).size(), 2);
    const PortNames names(store.portMap(second));
    QCOMPARE(names.deviceFor("COM1"), QString("/dev/ttyUSB0"));
    QCOMPARE(names.deviceFor("COM2"), QString("/dev/pts/7"));
    QCOMPARE(PortNames(store.portMap(first)).deviceFor("COM2"), QString("/dev/ttyUSB1"));
    // Names outside COM1 ... COM8 stand for no device unless mapped.
    QCOMPARE(names.deviceFor("COM9"), QString());
    QCOMPARE(names.deviceFor("com1"), QString());
    QCOMPARE(PortNames::comNames(),
             QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));

    // The dialog's map replaces the key's: a name left out goes back to the port order, also
    // over the other key's entry.
    store.storePortMap(second, {{"COM3", "/dev/ttyACM0"}});
    QCOMPARE(store.portMap(second), (QMap<QString, QString>{{"COM3", "/dev/ttyACM0"}}));
    QCOMPARE(store.portMap(first).value("COM1"), QString("/dev/ttyUSB0"));
}

void TestSettingsStore::systemPortOrder()
{
    const QList<PortNames::SystemPort> ports = {
        {"ttyS10", "/dev/ttyS10", false, {}},   {"ttyS2", "/dev/ttyS2", false, {}},
        {"ttyUSB1", "/dev/ttyUSB1", false, {}}, {"ttyACM0", "/dev/ttyACM0", false, {}},
        {"rfcomm0", "/dev/rfcomm0", true, {}},  {"ttyUSB0", "/dev/ttyUSB0", true, {}},
        {"ttyS0", "/dev/ttyS0", false, {}},
    };
    const QStringList expected = {"/dev/rfcomm0", "/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1",
                                  "/dev/ttyS0",   "/dev/ttyS2",   "/dev/ttyS10"};
    QCOMPARE(PortNames::orderedLocations(ports), expected);

    // The same ports listed in another order give the same COM numbers.
    QList<PortNames::SystemPort> reversed(ports.rbegin(), ports.rend());
    QCOMPARE(PortNames::orderedLocations(reversed), expected);

    // Two adapters swapped between sockets change their ttyUSB names, not their COM names.
    const QString a = "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0";
    const QString b = "/dev/serial/by-id/usb-Prolific_PL2303_B77-if00-port0";
    const QStringList stable = {a, b, "/dev/ttyS0"};
    QCOMPARE(PortNames::orderedLocations({{"ttyUSB0", "/dev/ttyUSB0", true, a},
                                          {"ttyUSB1", "/dev/ttyUSB1", true, b},
                                          {"ttyS0", "/dev/ttyS0", false, {}}}),
             stable);
    QCOMPARE(PortNames::orderedLocations({{"ttyUSB0", "/dev/ttyUSB0", true, b},
                                          {"ttyUSB1", "/dev/ttyUSB1", true, a},
                                          {"ttyS0", "/dev/ttyS0", false, {}}}),
             stable);

    // The links of a by-id folder by the device they lead to.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("by-id");
    QFile(dir.filePath("ttyUSB3")).open(QIODevice::WriteOnly);
    const QString link = dir.filePath("by-id/usb-FTDI_X-if00-port0");
    QVERIFY(QFile::link(dir.filePath("ttyUSB3"), link));
    QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("by-id/usb-dangling")));
    const QMap<QString, QString> links = PortNames::stableLinks(dir.filePath("by-id"));
    QCOMPARE(links.size(), 1);
    QCOMPARE(links.value(QFileInfo(dir.filePath("ttyUSB3")).canonicalFilePath()), link);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
