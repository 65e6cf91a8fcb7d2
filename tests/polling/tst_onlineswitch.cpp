#include "tests/support/ConnectionRig.h"

#include <QtTest>

namespace
{
// A rig whose link to the controller on COM1 has been checked at start-up.
struct LinkedRig : ConnectionRig {
    LinkedRig()
    {
        controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
        controller.startupLinkCheck();
    }
};
} // namespace

class TestOnlineSwitch : public QObject
{
    Q_OBJECT

private slots:
    void withoutLinkChecksFirst();
    void switchOnAndOff();
    void unitMismatchKeepsOffline();
    void unsavedChanges_data();
    void unsavedChanges();
    void commSettingsRefusedWhileMonitoring();
};

void TestOnlineSwitch::withoutLinkChecksFirst()
{
    ConnectionRig rig;
    rig.controller.toggleOnline();
    QCOMPARE(rig.op.messages(), (QList<QList<int>>{{451, 270}}));
    QVERIFY(!rig.shared.online);
    QCOMPARE(rig.setdataReads, 0);

    rig.controllerAt("COM1", "9600", FrameMode::ModbusAscii, 1);
    rig.controller.toggleOnline();
    QVERIFY(rig.shared.linkVerified);
    QVERIFY(rig.shared.online);
    QCOMPARE(rig.stored().first(), QStringLiteral("COM1"));
    QCOMPARE(rig.setdataReads, 1);
    // From the click on, the panel says what the window is doing: the check, then the read; it is
    // gone before any message.
    using S = LinkCheckState;
    QCOMPARE(rig.view.linkCheckStates,
             (QList<S>{S::Checking, S::Idle, S::Checking, S::Idle, S::GoingOnline, S::Idle}));
    QCOMPARE(rig.panelsAtRead, QList<S>{S::GoingOnline});
}

void TestOnlineSwitch::switchOnAndOff()
{
    LinkedRig rig;
    rig.view.timersEnabled = false;

    rig.controller.toggleOnline();
    QVERIFY(rig.shared.online && rig.shared.commActive && rig.view.timersEnabled);
    QCOMPARE(rig.shared.timerJob, TimerJob::Monitor);
    QVERIFY(!rig.op.menus.value(MenuItem::CommSetting, true));
    QCOMPARE(rig.setdataReads, 2);

    rig.view.tracing = true;
    rig.shared.protocolIndex = ModbusRtu;
    rig.controller.toggleOnline();
    QVERIFY(!rig.shared.online && !rig.shared.commActive && !rig.view.timersEnabled);
    QVERIFY(!rig.view.tracing);
    QCOMPARE(rig.op.shown.last().ids, QList<int>{500});
    QCOMPARE(rig.view.monitoringStates, (QList<bool>{true, false}));
    QVERIFY(rig.op.menus.value(MenuItem::CommSetting));
    QVERIFY(rig.shared.unitCheckFlag);
    QCOMPARE(rig.store.storedValue(false, "Protocol"), QStringLiteral("1"));

    // Back on: the closed port is opened again.
    const int opens = rig.script->callsStartingWith("openPort").size();
    rig.controller.toggleOnline();
    QVERIFY(rig.shared.online);
    QCOMPARE(rig.script->callsStartingWith("openPort").size(), opens + 1);
}

void TestOnlineSwitch::unitMismatchKeepsOffline()
{
    LinkedRig rig;
    // The online start read found another unit configuration.
    rig.controller.setSettingsRead([&] {
        rig.shared.unitCheckFlag = true;
        rig.shared.online = false;
    });
    rig.op.panels[4] = QStringLiteral("x");

    rig.controller.toggleOnline();
    QVERIFY(!rig.shared.online);
    QVERIFY(rig.view.monitoringStates.isEmpty());
    QCOMPARE(rig.op.panels.value(4), QString());
    QCOMPARE(rig.shared.timerJob, TimerJob::Idle);
}

void TestOnlineSwitch::unsavedChanges_data()
{
    QTest::addColumn<QList<bool>>("answers"); // save?, then send?
    QTest::addColumn<bool>("saveClearsUnitCheck");
    QTest::addColumn<bool>("online");
    QTest::addColumn<TimerJob>("job");

    QTest::newRow("saved, unit check done") << QList<bool>{true} << true << false << TimerJob::Idle;
    QTest::newRow("saved, send") << QList<bool>{true, true} << false << true
                                 << TimerJob::SendDisplayData;
    QTest::newRow("saved, do not send")
        << QList<bool>{true, false} << false << false << TimerJob::Idle;
    QTest::newRow("not saved, send")
        << QList<bool>{false, true} << false << true << TimerJob::SendDisplayData;
    QTest::newRow("not saved, not sent")
        << QList<bool>{false, false} << false << true << TimerJob::Monitor;
}

void TestOnlineSwitch::unsavedChanges()
{
    QFETCH(QList<bool>, answers);
    QFETCH(bool, saveClearsUnitCheck);
    QFETCH(bool, online);
    QFETCH(TimerJob, job);

    LinkedRig rig;
    int saves = 0;
    rig.controller.setFileSave([&] {
        ++saves;
        rig.shared.unitCheckFlag = !saveClearsUnitCheck;
    });
    rig.controller.setSettingsRead([&] { rig.shared.unitCheckFlag = false; });
    rig.shared.unsavedOnlineChanges = true;
    rig.op.answers = answers;
    rig.op.shown.clear();

    rig.controller.toggleOnline();

    QCOMPARE(rig.op.shown.size(), answers.size());
    QCOMPARE(rig.op.shown.at(0).ids, (QList<int>{362, 363}));
    if (answers.size() > 1)
        QCOMPARE(rig.op.shown.at(1).ids, QList<int>{516});
    QVERIFY(rig.op.unexpectedQuestions.isEmpty());
    QCOMPARE(saves, answers.first() ? 1 : 0);
    QCOMPARE(rig.shared.online, online);
    QCOMPARE(rig.shared.timerJob, job);
}

void TestOnlineSwitch::commSettingsRefusedWhileMonitoring()
{
    ConnectionRig rig;
    rig.storeConditions("COM6", "19200", "8", "2", "ODD", "33", Ravtocol);
    rig.shared.online = true;
    QVERIFY(!rig.controller.prepareCommSettings());
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{58}});
    QCOMPARE(rig.shared.portName, QStringLiteral("COM1"));

    rig.shared.online = false;
    QVERIFY(rig.controller.prepareCommSettings());
    QCOMPARE(rig.shared.portName, QStringLiteral("COM6"));
    QCOMPARE(rig.shared.protocolIndex, qint16(Ravtocol));
}

QTEST_GUILESS_MAIN(TestOnlineSwitch)
#include "tst_onlineswitch.moc"
