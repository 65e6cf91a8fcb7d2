#include "tests/support/WindowRig.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The desktop program against the simulated controller on a pseudo-terminal: start-up link check
// with the stored conditions, the online button, live values, status lamps and the loss of the
// line while monitoring. Only the operator is scripted.
class TestMonitoringE2e : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void liveMonitoringUntilTheLineIsLost_data();
    void liveMonitoringUntilTheLineIsLost();

private:
    QString text(const char *name) { return m_rig->text(name); }
    QColor colour(const char *name)
    {
        return m_rig->window->findChild<QWidget *>(name)->palette().color(QPalette::Window);
    }

    std::unique_ptr<WindowRig> m_rig;
};

void TestMonitoringE2e::init()
{
    m_rig = std::make_unique<WindowRig>(WindowRig::Folder::AlsoProgram);
}

void TestMonitoringE2e::cleanup()
{
    m_rig.reset();
}

void TestMonitoringE2e::liveMonitoringUntilTheLineIsLost_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("protocolName");
    QTest::newRow("Modbus ASCII") << int(ModbusAscii) << QStringLiteral("Modbus ASCII");
    QTest::newRow("Modbus RTU") << int(ModbusRtu) << QStringLiteral("Modbus RTU");
    QTest::newRow("Ravtocol") << int(Ravtocol) << QStringLiteral("Ravtocol");
}

void TestMonitoringE2e::liveMonitoringUntilTheLineIsLost()
{
    QFETCH(int, protocol);
    QFETCH(QString, protocolName);
    SimulatedController::Options options;
    options.line.station = 7;
    options.line.protocol = protocol == ModbusAscii ? WireProtocol::ModbusAscii
                            : protocol == ModbusRtu ? WireProtocol::ModbusRtu
                                                    : WireProtocol::Ravtocol;
    if (protocol == ModbusRtu) {
        options.line.dataBits = 8;
        options.line.parity = 'N';
    }
    options.timeScale = 20;
    QVERIFY(m_rig->startSimulator(options));
    if (protocol == ModbusRtu) {
        ZN8P_INC line;
        line.dataBitsText = QStringLiteral("8");
        line.parityText = QStringLiteral("NONE");
        line.stationAddress = QStringLiteral("07");
        line.protocolIndex = ModbusRtu;
        m_rig->store->storeCommConditions(line);
    }
    ZN8P_INC stored;
    stored.stationAddress = QStringLiteral("07");
    stored.protocolIndex = qint16(protocol);
    m_rig->openWindow(stored);

    // Stored conditions that match: verified at once, nothing asked.
    QVERIFY(m_rig->linkVerified());
    QVERIFY(m_rig->op.shown.isEmpty());
    QCOMPARE(text("Lbl_comm_0"), QStringLiteral("COM1"));
    QCOMPARE(text("Lbl_comm_4"), QStringLiteral("07"));
    QCOMPARE(text("Lbl_comm_5"), protocolName);

    // Online: the start read takes the controller's options and settings, then the rotation runs.
    QVERIFY(m_rig->goOnline());
    QCOMPARE(m_rig->inc().unitConfig.alarm2, qint16(1));
    QCOMPARE(m_rig->inc().unitConfig.heaterBreak, qint16(1));
    QCOMPARE(text("Label2"), msg(74));
    QCOMPARE(text("Label4"), msg(162));
    QTRY_VERIFY_WITH_TIMEOUT(!text("Text_PV").isEmpty(), 5000);
    const QString firstPv = text("Text_PV");
    QTRY_VERIFY_WITH_TIMEOUT(text("Text_PV") != firstPv, 15000);
    QCOMPARE(m_rig->op.panels.value(1).isEmpty() || m_rig->op.panels.value(1) == "OK", true);
    QTRY_COMPARE_WITH_TIMEOUT(colour("Label23"), QColor(0, 192, 0), 15000);

    // A broken sensor reads overscale: "----" and the UP lamp.
    m_rig->sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(true); });
    QTRY_COMPARE_WITH_TIMEOUT(text("Text_PV"), QStringLiteral("----"), 10000);
    QCOMPARE(colour("lbl_alm_2"), QColor(255, 0, 0));
    m_rig->sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(false); });
    QTRY_VERIFY_WITH_TIMEOUT(text("Text_PV") != QStringLiteral("----"), 10000);

    // The adapter is pulled: offline at the fifth error tick, with the message, and the user's
    // protocol kept.
    m_rig->sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->inc().online, 20000);
    QVERIFY(m_rig->op.wasShown(274));
    QCOMPARE(m_rig->inc().protocolIndex, qint16(protocol));
    QCOMPARE(m_rig->store->storedValue(false, QStringLiteral("Protocol")),
             QString::number(protocol));
    QCOMPARE(text("Label2"), msg(75));
    QVERIFY(!m_rig->window->timer(MainDisp::Timer1).isActive());
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestMonitoringE2e)
#include "tst_monitoring_e2e.moc"
