#include "app/MainDisp.h"
#include "app/MessageTable.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The main window as the operator sees it through offline, online, a communication error and
// offline again after the loss: which controls show, and whether the values read as live.
class TestMainWindowStates : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void offlineOnlineCommErrorOffline();

private:
    QWidget *find(const char *name)
    {
        QWidget *widget = m_window->findChild<QWidget *>(QLatin1String(name));
        if (widget == nullptr)
            qFatal("the window has no %s", name);
        return widget;
    }
    QString text(const char *name) { return static_cast<QLabel *>(find(name))->text(); }
    bool shown(const char *name) { return !find(name)->isHidden(); }
    // Every value box of the monitor panel in the live (or muted) style.
    bool valuesLive(bool live);
    // The visible lamps fill the lamp grid's cells in order, with no cell left empty between.
    bool lampsPacked();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedController> m_sim;
    std::unique_ptr<SettingsStore> m_store;
    ZN8P_INC m_inc;
    FakeOperator m_op;
    std::unique_ptr<MainDisp> m_window;
};

bool TestMainWindowStates::valuesLive(bool live)
{
    for (const char *name : {"Text_PV", "Text_SV_0", "Text_MV_0", "Text_HB_1"}) {
        if (find(name)->property("live").toBool() != live)
            return false;
    }
    return true;
}

bool TestMainWindowStates::lampsPacked()
{
    auto *grid = find("Frame1")->findChild<QGridLayout *>(QStringLiteral("gridLamps"));
    QList<int> cells;
    for (QWidget *lamp : find("Frame1")->findChildren<QWidget *>()) {
        const int index = grid->indexOf(lamp);
        if (index < 0)
            continue;
        if (lamp->isHidden())
            return false;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        cells << row * grid->columnCount() + column;
    }
    std::sort(cells.begin(), cells.end());
    for (int i = 0; i < cells.size(); ++i) {
        if (cells[i] != i)
            return false;
    }
    return !cells.isEmpty();
}

void TestMainWindowStates::init()
{
    MessageTable::instance().setLanguage(Language::English);
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_inc = ZN8P_INC();
    m_op = FakeOperator();
    SimulatedController::Options options;
    options.timeScale = 20;
    m_sim = std::make_unique<SimulatedController>(options);
    QVERIFY2(m_sim->start(), qPrintable(m_sim->errorString()));

    ZN8P_INC stored;
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

void TestMainWindowStates::cleanup()
{
    m_window.reset();
    m_sim.reset();
}

void TestMainWindowStates::offlineOnlineCommErrorOffline()
{
    // Offline at start: nothing for options the configured unit lacks, no manual output.
    QVERIFY(valuesLive(false));
    QVERIFY(!shown("Text_MV_1") && !shown("Label58") && !shown("lbl_alm_1"));
    QVERIFY(!shown("lbl_alm_4") && !shown("Text_HB_1") && !shown("Manuval_0"));
    QVERIFY(!shown("Frame_Cool"));
    QVERIFY(lampsPacked());
    // A model change offline shows the heating/cooling and alarm 2 controls at once.
    m_inc.unitConfig.heatCool = 1;
    m_inc.unitConfig.alarm2 = 1;
    m_window->refreshSettingPage();
    QVERIFY(shown("Text_MV_1") && shown("Label58") && shown("lbl_alm_1") && shown("Frame_Cool"));
    QVERIFY(lampsPacked());
    m_inc.unitConfig = UnitConfig();
    m_window->refreshSettingPage();

    // Online: the controller's own options (alarm 2 and heater burnout, no heating/cooling),
    // live values.
    m_window->runStartupLinkCheck();
    QVERIFY(m_inc.linkVerified);
    m_window->findChild<QPushButton *>("Cmd_ONOFF")->click();
    QVERIFY(m_inc.online);
    QTRY_VERIFY_WITH_TIMEOUT(!text("Text_PV").isEmpty() && valuesLive(true), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(shown("Text_HB_1") && shown("lbl_alm_4"), 10000);
    QVERIFY(shown("lbl_alm_1") && !shown("Label58") && !shown("Text_MV_1"));
    QVERIFY(lampsPacked());
    QVERIFY(!shown("Text_readmsg2"));

    // The controller stops answering: the error box, and the last values muted but kept.
    m_sim->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(shown("Text_readmsg2") && valuesLive(false), 10000);
    const QString lastPv = text("Text_PV");
    QVERIFY(!lastPv.isEmpty());
    // It answers again before the program gives up: live once more.
    m_sim->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(valuesLive(true) && !shown("Text_readmsg2"), 10000);

    // The line is lost for good: offline with the message, the last texts stay muted.
    m_sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_inc.online, 20000);
    QVERIFY(m_op.wasShown(274));
    QCOMPARE(text("Label2"), msg(75));
    QCOMPARE(find("Cmd_ONOFF")->property("text").toString(), msg(74));
    QVERIFY(valuesLive(false));
    QVERIFY(!text("Text_PV").isEmpty() && !text("Text_SV_0").isEmpty());
    QVERIFY(shown("Text_HB_1") && shown("lbl_alm_1") && !shown("Manuval_0"));
    QVERIFY(lampsPacked());
}

QTEST_MAIN(TestMainWindowStates)
#include "tst_mainwindow_states.moc"
