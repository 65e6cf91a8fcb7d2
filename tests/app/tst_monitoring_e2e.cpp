#include "app/MainDisp.h"
#include "app/MessageTable.h"
#include "app/ProgramFolder.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"

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
    QString text(const char *name) { return m_window->findChild<QLabel *>(name)->text(); }
    QColor colour(const char *name)
    {
        return m_window->findChild<QWidget *>(name)->palette().color(QPalette::Window);
    }
    void startWindow(qint16 protocol);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedController> m_sim;
    std::unique_ptr<SettingsStore> m_store;
    ZN8P_INC m_inc;
    FakeOperator m_op;
    std::unique_ptr<MainDisp> m_window;
};

void TestMonitoringE2e::init()
{
    MessageTable::instance().setLanguage(Language::English);
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    ProgramFolder::resolve(m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_inc = ZN8P_INC();
    m_op = FakeOperator();
}

void TestMonitoringE2e::cleanup()
{
    m_window.reset();
    m_sim.reset();
}

void TestMonitoringE2e::startWindow(qint16 protocol)
{
    ZN8P_INC stored;
    stored.portName = QStringLiteral("COM1");
    stored.stationAddress = QStringLiteral("07");
    stored.protocolIndex = protocol;
    m_store->storeCommConditions(stored);
    m_store->writeValue(stored, QStringLiteral("PortMap/COM1"), m_sim->slavePath());

    m_store->selectKeyAndLoad(m_inc);
    RegisterMap::fillVendorItemTable(m_inc);
    RegisterMap::fillRegisterTable(m_inc);
    m_window = std::make_unique<MainDisp>(
        m_inc, *m_store,
        [this] { return std::make_unique<SerialZN8PCom>(PortNames(m_store->portMap(m_inc))); },
        &m_op);
    m_window->system_init();
    m_window->show();
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
    m_sim = std::make_unique<SimulatedController>(options);
    QVERIFY2(m_sim->start(), qPrintable(m_sim->errorString()));
    if (protocol == ModbusRtu) {
        ZN8P_INC line;
        line.dataBitsText = QStringLiteral("8");
        line.parityText = QStringLiteral("NONE");
        line.stationAddress = QStringLiteral("07");
        line.protocolIndex = ModbusRtu;
        m_store->storeCommConditions(line);
    }
    startWindow(qint16(protocol));

    // Stored conditions that match: verified at once, nothing asked.
    m_window->runStartupLinkCheck();
    QVERIFY(m_inc.linkVerified);
    QVERIFY(m_op.shown.isEmpty());
    QCOMPARE(text("Lbl_comm_0"), QStringLiteral("COM1"));
    QCOMPARE(text("Lbl_comm_4"), QStringLiteral("07"));
    QCOMPARE(text("Lbl_comm_5"), protocolName);

    // Online: the start read takes the controller's options and settings, then the rotation runs.
    m_window->findChild<QPushButton *>("Cmd_ONOFF")->click();
    QVERIFY(m_inc.online);
    QCOMPARE(m_inc.unitConfig.alarm2, qint16(1));
    QCOMPARE(m_inc.unitConfig.heaterBreak, qint16(1));
    QCOMPARE(text("Label2"), msg(74));
    QCOMPARE(text("Label4"), msg(162));
    QTRY_VERIFY_WITH_TIMEOUT(!text("Text_PV").isEmpty(), 5000);
    const QString firstPv = text("Text_PV");
    QTRY_VERIFY_WITH_TIMEOUT(text("Text_PV") != firstPv, 15000);
    QCOMPARE(m_op.panels.value(1).isEmpty() || m_op.panels.value(1) == "OK", true);
    QTRY_COMPARE_WITH_TIMEOUT(colour("Label23"), QColor(0, 192, 0), 15000);

    // A broken sensor reads overscale: "----" and the UP lamp.
    m_sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(true); });
    QTRY_COMPARE_WITH_TIMEOUT(text("Text_PV"), QStringLiteral("----"), 10000);
    QCOMPARE(colour("lbl_alm_2"), QColor(255, 0, 0));
    m_sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(false); });
    QTRY_VERIFY_WITH_TIMEOUT(text("Text_PV") != QStringLiteral("----"), 10000);

    // The adapter is pulled: offline at the fifth error tick, with the message, and the user's
    // protocol kept.
    m_sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_inc.online, 20000);
    QVERIFY(m_op.wasShown(274));
    QCOMPARE(m_inc.protocolIndex, qint16(protocol));
    QCOMPARE(m_store->storedValue(false, QStringLiteral("Protocol")), QString::number(protocol));
    QCOMPARE(text("Label2"), msg(75));
    QVERIFY(!m_window->timer(MainDisp::Timer1).isActive());
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestMonitoringE2e)
#include "tst_monitoring_e2e.moc"
