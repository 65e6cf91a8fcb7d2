#include "tests/support/WindowRig.h"

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
        QWidget *widget = m_rig->window->findChild<QWidget *>(QLatin1String(name));
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

    std::unique_ptr<WindowRig> m_rig;
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
    m_rig = std::make_unique<WindowRig>();
    SimulatedController::Options options;
    options.timeScale = 20;
    QVERIFY(m_rig->startSimulator(options));
    m_rig->openWindow();
}

void TestMainWindowStates::cleanup()
{
    m_rig.reset();
}

void TestMainWindowStates::offlineOnlineCommErrorOffline()
{
    // Offline at start: nothing for options the configured unit lacks, no manual output.
    QVERIFY(valuesLive(false));
    QVERIFY(!shown("Text_MV_1") && !shown("Label58") && !shown("lbl_alm_1"));
    QVERIFY(!shown("lbl_alm_4") && !shown("Text_HB_1") && !shown("Manuval_0"));
    // The cooling rows stay in place, only their buttons go.
    QVERIFY(shown("Frame_Cool") && !shown("Cmd_True_4"));
    QVERIFY(lampsPacked());
    // A model change offline shows the heating/cooling and alarm 2 controls at once.
    m_rig->inc().unitConfig.heatCool = 1;
    m_rig->inc().unitConfig.alarm2 = 1;
    m_rig->window->refreshSettingPage();
    QVERIFY(shown("Text_MV_1") && shown("Label58") && shown("lbl_alm_1") && shown("Cmd_True_4"));
    QVERIFY(lampsPacked());
    m_rig->inc().unitConfig = UnitConfig();
    m_rig->window->refreshSettingPage();

    // Online: the controller's own options (alarm 2 and heater burnout, no heating/cooling),
    // live values.
    QVERIFY(m_rig->linkVerified());
    QVERIFY(m_rig->goOnline());
    QTRY_VERIFY_WITH_TIMEOUT(!text("Text_PV").isEmpty() && valuesLive(true), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(shown("Text_HB_1") && shown("lbl_alm_4"), 10000);
    QVERIFY(shown("lbl_alm_1") && !shown("Label58") && !shown("Text_MV_1"));
    QVERIFY(lampsPacked());
    QVERIFY(!shown("Text_readmsg2"));

    // The controller stops answering: the error box, and the last values muted but kept.
    m_rig->sim->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(shown("Text_readmsg2") && valuesLive(false), 10000);
    const QString lastPv = text("Text_PV");
    QVERIFY(!lastPv.isEmpty());
    // It answers again before the program gives up: live once more.
    m_rig->sim->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(valuesLive(true) && !shown("Text_readmsg2"), 10000);

    // The line is lost for good: offline with the message, the last texts stay muted.
    m_rig->sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->inc().online, 20000);
    QVERIFY(m_rig->op.wasShown(274));
    QCOMPARE(text("Label2"), msg(75));
    QCOMPARE(find("Cmd_ONOFF")->property("text").toString(), msg(74));
    QVERIFY(valuesLive(false));
    QVERIFY(!text("Text_PV").isEmpty() && !text("Text_SV_0").isEmpty());
    QVERIFY(shown("Text_HB_1") && shown("lbl_alm_1") && !shown("Manuval_0"));
    QVERIFY(lampsPacked());
}

QTEST_MAIN(TestMainWindowStates)
#include "tst_mainwindow_states.moc"
