#include "comm/Checksums.h"

#include <QtTest>

class TestChecksums : public QObject
{
    Q_OBJECT

private slots:
    void checksums_data();
    void checksums();
    void lineTiming_data();
    void lineTiming();
};

void TestChecksums::checksums_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc16"); // as computed; sent low byte first
    QTest::addColumn<int>("lrc");

    QTest::newRow("read register 0000") << QByteArray::fromHex("010300000001") << 0x0A84 << 0xFB;
    QTest::newRow("write 0070 = 1") << QByteArray::fromHex("010600700001") << 0xD149 << 0x88;
    QTest::newRow("exception 02") << QByteArray::fromHex("018302") << 0xF1C0 << 0x7A;
    QTest::newRow("empty") << QByteArray() << 0xFFFF << 0x00;
}

void TestChecksums::checksums()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc16);
    QFETCH(int, lrc);
    QCOMPARE(int(Checksums::crc16(bytes)), crc16);
    QCOMPARE(int(Checksums::lrc(bytes)), lrc);

    // The text framings' checks, on frames of the protocol document.
    QCOMPARE(Checksums::hex2(Checksums::ravtocolBcc("@10RD0010200102")), QByteArray("1D"));
    QCOMPARE(Checksums::hex2(Checksums::ravtocolBcc("@01!63")), QByteArray("2B"));
    QCOMPARE(Checksums::hex2(Checksums::vendorBcc("! aFC32")), QByteArray("64"));
    QCOMPARE(Checksums::hex2(Checksums::vendorBcc("!")), QByteArray("21"));
}

void TestChecksums::lineTiming_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<bool>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("bits");
    QTest::addColumn<qint64>("characterMicros");
    QTest::addColumn<qint64>("rtuGapMicros");

    QTest::newRow("9600 7E1") << 9600 << 7 << true << 1 << 10 << qint64(1042) << qint64(3647);
    QTest::newRow("9600 8E1") << 9600 << 8 << true << 1 << 11 << qint64(1146) << qint64(4011);
    QTest::newRow("19200 8E1") << 19200 << 8 << true << 1 << 11 << qint64(573) << qint64(2006);
    QTest::newRow("38400 8E1: fixed gap")
        << 38400 << 8 << true << 1 << 11 << qint64(287) << qint64(1750);
    QTest::newRow("no speed") << 0 << 8 << true << 1 << 11 << qint64(0) << qint64(0);
}

void TestChecksums::lineTiming()
{
    QFETCH(int, speed);
    QFETCH(int, dataBits);
    QFETCH(bool, parity);
    QFETCH(int, stopBits);
    QFETCH(int, bits);
    QFETCH(qint64, characterMicros);
    QFETCH(qint64, rtuGapMicros);
    QCOMPARE(LineTiming::bitsPerCharacter(dataBits, parity, stopBits), bits);
    QCOMPARE(LineTiming::characterMicros(speed, dataBits, parity, stopBits), characterMicros);
    QCOMPARE(LineTiming::rtuFrameGapMicros(speed, dataBits, parity, stopBits), rtuGapMicros);
}

QTEST_GUILESS_MAIN(TestChecksums)
#include "tst_checksums.moc"
