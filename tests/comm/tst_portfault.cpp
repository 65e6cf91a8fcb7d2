#include "base/MessageTable.h"
#include "comm/PortFault.h"
#include "comm/SerialCommComponent.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

// Why a port did not open, judged on real paths: a missing device, things that are no serial
// port, and a terminal that another program holds.
class TestPortFault : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void openFailures_data();
    void openFailures();
    void portHeldElsewhereIsBusy();
};

namespace
{
// A pseudo-terminal whose slave side stands in for a serial port; closed with the object.
struct PseudoTerminal {
    PseudoTerminal()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~PseudoTerminal()
    {
        if (master >= 0)
            ::close(master);
    }
    int master = -1;
    QString slave;
};
} // namespace

void TestPortFault::openFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("fault");
    QTest::newRow("no such device") << "missing" << int(PortFault::Missing);
    QTest::newRow("regular file") << "file" << int(PortFault::NotSerial);
    QTest::newRow("FIFO") << "fifo" << int(PortFault::NotSerial);
    QTest::newRow("character device, no terminal") << "/dev/null" << int(PortFault::NotSerial);
}

// Through the component, as the link check sees it: openPort fails and says why.
void TestPortFault::openFailures()
{
    QFETCH(QString, kind);
    QFETCH(int, fault);

    QTemporaryDir dir;
    QString device = kind.startsWith(QLatin1Char('/')) ? kind : dir.filePath(kind);
    if (kind == QLatin1String("file")) {
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(device).constData(), 0600), 0);
    }
    SerialCommComponent com(PortNames({{QStringLiteral("COM3"), device}}));
    com.setPortName(QStringLiteral("COM3"));
    com.setSpeed(QStringLiteral("9600"));
    com.setDataBits(QStringLiteral("7"));
    com.setStopBits(QStringLiteral("1"));
    com.setParity(QStringLiteral("EVEN"));
    QVERIFY(!com.openPort());
    QCOMPARE(int(com.lastOpenFault().fault), fault);
    QCOMPARE(com.lastOpenFault().device, device);
    QVERIFY(PortFaults::text(QStringLiteral("COM3"), com.lastOpenFault()).contains(device));

    // A COM name that stands for nothing is named as such.
    com.setPortName(QStringLiteral("COM9"));
    QVERIFY(!com.openPort());
    QCOMPARE(com.lastOpenFault().fault, PortFault::Unmapped);
    QCOMPARE(PortFaults::text(QStringLiteral("COM9"), com.lastOpenFault()), msg(1045).arg("COM9"));
}

void TestPortFault::portHeldElsewhereIsBusy()
{
    PseudoTerminal pty;
    QVERIFY(!pty.slave.isEmpty());
    QSerialPort holder(pty.slave);
    QVERIFY(holder.open(QIODevice::ReadWrite));
    QSerialPort second(pty.slave);
    if (second.open(QIODevice::ReadWrite))
        QSKIP("this system lets a held terminal open twice");
    QCOMPARE(PortFaults::classify(pty.slave, second.error()), PortFault::Busy);
    holder.close();
    // A free terminal is no fault of its own: whatever stopped the open is not named.
    QCOMPARE(PortFaults::classify(pty.slave, QSerialPort::UnknownError), PortFault::Other);
}

QTEST_GUILESS_MAIN(TestPortFault)
#include "tst_portfault.moc"
