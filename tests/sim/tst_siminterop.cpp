// Modbus RTU framing proven against libmodbus, a master we did not write.

#include "sim/RegisterBank.h"
#include "sim/SimulatedController.h"

#include <QtTest>

#include <modbus/modbus.h>

#include <cerrno>

class TestSimInterop : public QObject
{
    Q_OBJECT

private slots:
    void libmodbusReadsAndWrites();
};

void TestSimInterop::libmodbusReadsAndWrites()
{
    SimulatedController::Options options;
    options.line.protocol = WireProtocol::ModbusRtu;
    options.line.station = 7;
    options.line.speed = 19200;
    options.line.dataBits = 8;
    SimulatedController sim(options);
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));

    modbus_t *ctx = modbus_new_rtu(sim.slavePath().toLocal8Bit().constData(), 19200, 'E', 8, 1);
    QVERIFY(ctx);
    modbus_set_slave(ctx, 7);
    modbus_set_response_timeout(ctx, 1, 0);
    QCOMPARE(modbus_connect(ctx), 0);

    // The monitor block in one read, and single registers.
    uint16_t monitor[8] = {};
    QCOMPARE(modbus_read_registers(ctx, 0x0080, 8, monitor), 8);
    QCOMPARE(monitor[3], uint16_t(sim.value(RegisterBank::SvInUse)));

    // A write, read back by libmodbus and seen by the controller.
    QCOMPARE(modbus_write_register(ctx, 0x0001, 345), 1);
    uint16_t sv = 0;
    QCOMPARE(modbus_read_registers(ctx, 0x0001, 1, &sv), 1);
    QCOMPARE(sv, uint16_t(345));
    QCOMPARE(sim.value(RegisterBank::MainSetValue), qint16(345));
    // Exceptions as libmodbus decodes them.
    QCOMPARE(modbus_write_register(ctx, 0x0001, 5000), -1);
    QCOMPARE(errno, int(EMBXILVAL));
    QCOMPARE(modbus_read_registers(ctx, 0x0002, 1, &sv), -1);
    QCOMPARE(errno, int(EMBXILADD));
    // The key-operation code is the controller's own: libmodbus knows it only as a valid
    // exception frame with a code beyond the standard ones.
    sim.operateKeys(60000);
    QCOMPARE(modbus_write_register(ctx, 0x0001, 300), -1);
    QCOMPARE(errno, int(EMBBADEXC));

    modbus_close(ctx);
    modbus_free(ctx);
}

QTEST_GUILESS_MAIN(TestSimInterop)
#include "tst_siminterop.moc"
