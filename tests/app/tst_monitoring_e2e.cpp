#include "chart/EventLog.h"
#include "tests/support/WindowRig.h"

#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

// The desktop program against the simulated controller on a pseudo-terminal: start-up link check
// with the stored conditions, the online button, live values, status lamps, a controller that
// falls silent for a while and the loss of the line while monitoring. Which controls show, and
// whether the values read as live, at each step. Only the operator is scripted.
class TestMonitoringE2e : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void liveMonitoringUntilTheLineIsLost_data();
    void liveMonitoringUntilTheLineIsLost();
    void heatingCoolingPageHoldsItsRows();
    void eventLogThatCannotBeWrittenIsANotice();
    void lostRepliesNowAndThenKeepItOnline();

private:
    QWidget *find(const char *name)
    {
        QWidget *widget = m_rig->window->findChild<QWidget *>(QLatin1String(name));
        if (widget == nullptr)
            qFatal("the window has no %s", name);
        return widget;
    }
    QString text(const char *name) { return m_rig->text(name); }
    QColor colour(const char *name) { return find(name)->palette().color(QPalette::Window); }
    bool shown(const char *name) { return !find(name)->isHidden(); }
    // Every value box of the monitor panel in the live (or muted) style.
    bool valuesLive(bool live);
    // The visible lamps fill the lamp grid's cells in order, with no cell left empty between.
    bool lampsPacked();

    std::unique_ptr<WindowRig> m_rig;
};

bool TestMonitoringE2e::valuesLive(bool live)
{
    for (const char *name : {"pvValue", "svValue_0", "mvValue_0", "heaterCurrentValue_1"}) {
        if (find(name)->property("live").toBool() != live)
            return false;
    }
    return true;
}

bool TestMonitoringE2e::lampsPacked()
{
    auto *grid = find("monitorFrame")->findChild<QGridLayout *>(QStringLiteral("gridLamps"));
    QList<int> cells;
    for (QWidget *lamp : find("monitorFrame")->findChildren<QWidget *>()) {
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
    // Plugged in again later, on a new terminal that the link leads to.
    options.linkPath = m_rig->dir.filePath(QStringLiteral("ttyZN8P"));
    QVERIFY(m_rig->startSimulator(options));
    if (protocol == ModbusRtu) {
        SessionState line;
        line.dataBitsText = QStringLiteral("8");
        line.parityText = QStringLiteral("NONE");
        line.stationAddress = QStringLiteral("07");
        line.protocolIndex = ModbusRtu;
        m_rig->store->storeCommConditions(line);
    }
    SessionState stored;
    stored.stationAddress = QStringLiteral("07");
    stored.protocolIndex = qint16(protocol);
    m_rig->openWindow(stored);

    // Offline at start: nothing for options the configured unit lacks, no manual output; the
    // cooling rows stay in place, only their buttons go.
    QVERIFY(valuesLive(false));
    QVERIFY(!shown("mvValue_1") && !shown("out2Lamp") && !shown("alarmLamp_1"));
    QVERIFY(!shown("alarmLamp_4") && !shown("heaterCurrentValue_1") &&
            !shown("manualStepButton_0"));
    QVERIFY(shown("coolingFrame") && !shown("groupLockButton_4"));
    QVERIFY(lampsPacked());

    // Stored conditions that match: verified at once, nothing asked.
    QVERIFY(m_rig->linkVerified());
    QVERIFY(m_rig->op.shown.isEmpty());
    QCOMPARE(text("commInfoValue_0"), QStringLiteral("COM1"));
    QCOMPARE(text("commInfoValue_4"), QStringLiteral("07"));
    QCOMPARE(text("commInfoValue_5"), protocolName);

    // Online: the start read takes the controller's options (alarm 2 and heater burnout, no
    // heating/cooling) and settings, then the rotation runs with live values.
    QVERIFY(m_rig->goOnline());
    QCOMPARE(m_rig->shared().unitConfig.alarm2, qint16(1));
    QCOMPARE(m_rig->shared().unitConfig.heaterBreak, qint16(1));
    QCOMPARE(text("onlineStateLabel"), msg(74));
    QCOMPARE(text("monitorStateLabel"), msg(162));
    QTRY_VERIFY_WITH_TIMEOUT(!text("pvValue").isEmpty(), 5000);
    const QString firstPv = text("pvValue");
    QTRY_VERIFY_WITH_TIMEOUT(text("pvValue") != firstPv, 15000);
    QVERIFY(valuesLive(true));
    QTRY_VERIFY_WITH_TIMEOUT(shown("heaterCurrentValue_1") && shown("alarmLamp_4"), 10000);
    QVERIFY(shown("alarmLamp_1") && !shown("out2Lamp") && !shown("mvValue_1"));
    QVERIFY(lampsPacked());
    QVERIFY(!shown("linkCheckNotice"));
    QCOMPARE(m_rig->op.panels.value(1).isEmpty() || m_rig->op.panels.value(1) == "OK", true);
    QTRY_COMPARE_WITH_TIMEOUT(colour("out1Lamp"), QColor(0, 192, 0), 15000);

    // A broken sensor reads overscale: "----" and the UP lamp.
    m_rig->sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(true); });
    QTRY_COMPARE_WITH_TIMEOUT(text("pvValue"), QStringLiteral("----"), 10000);
    QCOMPARE(colour("alarmLamp_2"), QColor(255, 0, 0));
    m_rig->sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(false); });
    QTRY_VERIFY_WITH_TIMEOUT(text("pvValue") != QStringLiteral("----"), 10000);

    // The controller stops answering: the error box, and the last values muted but kept. It
    // answers again before the program gives up: live once more.
    m_rig->sim->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(shown("linkCheckNotice") && valuesLive(false), 10000);
    QVERIFY(!text("pvValue").isEmpty());
    m_rig->sim->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(valuesLive(true) && !shown("linkCheckNotice"), 10000);

    // A garbled reply says under "Communication error" what was wrong with it; a refusal names its
    // exception code on the "NG" panel.
    // Two in a row: a monitor read is among them, whatever else the tick sends.
    m_rig->sim->corruptNext(2);
    QTRY_VERIFY_WITH_TIMEOUT(text("linkCheckNotice") == msg(451) + '\n' + msg(1207), 10000);
    m_rig->sim->truncateNext(2);
    QTRY_VERIFY_WITH_TIMEOUT(text("linkCheckNotice") == msg(451) + '\n' + msg(1210), 10000);
    m_rig->sim->withCore([](ControllerCore &core) { core.refuseReads(0x0080, 0x02); });
    const QString refusal = msg(1211).arg(protocol == Ravtocol ? "20" : "02");
    QTRY_COMPARE_WITH_TIMEOUT(find("StatusPanel_1")->toolTip(), refusal, 10000);
    m_rig->sim->withCore([](ControllerCore &core) { core.refuseReads(0x0080, 0); });
    QTRY_VERIFY_WITH_TIMEOUT(valuesLive(true) && !shown("linkCheckNotice"), 10000);

    // The adapter is pulled: offline at the fifth error tick, with the message and the user's
    // protocol kept; the last texts stay, muted.
    m_rig->sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->shared().online, 20000);
    QVERIFY(m_rig->op.wasShown(274));
    QCOMPARE(m_rig->shared().protocolIndex, qint16(protocol));
    QCOMPARE(m_rig->store->storedValue(false, QStringLiteral("Protocol")),
             QString::number(protocol));
    QCOMPARE(text("onlineStateLabel"), msg(75));
    QCOMPARE(find("onlineButton")->property("text").toString(), msg(74));
    QVERIFY(valuesLive(false));
    QVERIFY(!text("pvValue").isEmpty() && !text("svValue_0").isEmpty());
    QVERIFY(shown("heaterCurrentValue_1") && shown("alarmLamp_1") && !shown("manualStepButton_0"));
    QVERIFY(lampsPacked());
    QVERIFY(!m_rig->window->timer(MainWindow::JobTimer).isActive());

    // Plugged in again, where the main set value has changed meanwhile (another controller, or
    // this one at its keys): going online reads every setting again, and says what changed on
    // pages that showed values (as after an upload).
    m_rig->shared().settingDataValid = true;
    const qint16 heldSv = m_rig->shared().setting(11);
    m_rig->sim->setValue(0x0001, qint16(heldSv + 23));
    QVERIFY(m_rig->sim->plug());
    m_rig->op.shown.clear();
    QVERIFY(m_rig->goOnline());
    QCOMPARE(m_rig->shared().setting(11), qint16(heldSv + 23));
    QCOMPARE(m_rig->op.messages(), QList<QList<int>>{{1090}});
    QVERIFY(m_rig->op.texts.value(1090).contains(msg(101)));
    QCOMPARE(text("svValue_1"), QString::number(heldSv + 23));
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

// Online with a heating/cooling controller and its settings uploaded, the PID page's frames each
// get the height their rows need at their width: none is left at the height it had before.
void TestMonitoringE2e::heatingCoolingPageHoldsItsRows()
{
    SimulatedController::Options options;
    options.model.heatCool = true;
    QVERIFY(m_rig->startSimulator(options));
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified() && m_rig->goOnline());
    m_rig->shared().timerJob = TimerJob::Upload;
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->shared().settingDataValid, 30000);
    qobject_cast<QTabWidget *>(find("settingTabs"))->setCurrentIndex(1);
    for (const char *name : {"heatingFrame", "coolingFrame"}) {
        QWidget *frame = find(name);
        QTRY_VERIFY2(frame->height() >= frame->layout()->totalHeightForWidth(frame->width()), name);
    }
}

// An event line that cannot be written (here a folder in the month's file's place) is lost and
// said once, in a notice that lets the monitor ticks go on behind it; not in a modal box, which
// would stop them, and not through the operator's message boxes.
void TestMonitoringE2e::eventLogThatCannotBeWrittenIsANotice()
{
    QVERIFY(m_rig->startSimulator());
    const QString events = ProgramFolder::logging() + QStringLiteral("/") +
                           EventLog::fileNameFor(QDate::currentDate());
    QVERIFY(QDir().mkpath(events));
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified() && m_rig->goOnline());

    QMessageBox *notice = nullptr;
    QTRY_VERIFY((notice = m_rig->window->findChild<QMessageBox *>("eventLogFault")) != nullptr);
    QVERIFY(notice->isVisible() && !notice->isModal() && !QApplication::activeModalWidget());
    QVERIFY2(notice->text().contains(QDir::toNativeSeparators(events) + " (not a regular file)"),
             qPrintable(notice->text()));
    QVERIFY(m_rig->op.shown.isEmpty());

    // Monitoring goes on: the controller is read again, and a sensor break is an event that is
    // lost too, without a second box.
    const qsizetype reads = m_rig->sim->requestLog().size();
    m_rig->sim->withCore([](ControllerCore &core) { core.process().setSensorBroken(true); });
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->sim->requestLog().size() > reads + 20, 20000);
    QVERIFY(m_rig->shared().online);
    QCOMPARE(m_rig->window->findChildren<QMessageBox *>("eventLogFault").size(), 1);
}

// One reply lost now and then, more often than the link supervision's limit of failures in a
// row: the window stays online, each loss shown and gone again. (bench-soak runs this for half
// an hour at one loss a minute.)
void TestMonitoringE2e::lostRepliesNowAndThenKeepItOnline()
{
    QVERIFY(m_rig->startSimulator());
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified());
    QVERIFY(m_rig->goOnline());
    QTRY_VERIFY_WITH_TIMEOUT(!text("pvValue").isEmpty(), 5000);
    for (int lost = 0; lost < 8; ++lost) {
        m_rig->sim->dropNext(1);
        QTRY_VERIFY_WITH_TIMEOUT(shown("linkCheckNotice"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!shown("linkCheckNotice"), 5000);
        QVERIFY(m_rig->shared().online);
    }
    QVERIFY(!m_rig->op.wasShown(274));
}

QTEST_MAIN(TestMonitoringE2e)
#include "tst_monitoring_e2e.moc"
