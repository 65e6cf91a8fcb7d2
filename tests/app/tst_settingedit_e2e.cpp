#include "comm/RegisterMap.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// A setting change through the selection dialog against the simulated controller on a
// pseudo-terminal: it reaches the controller and the settings come back on the display. Only the
// operator's answers are scripted.
class TestSettingEditE2e : public QObject
{
    Q_OBJECT

private slots:
    void inputTypeIsWrittenAndAllIsReadAgain();
};

void TestSettingEditE2e::inputTypeIsWrittenAndAllIsReadAgain()
{
    const auto address = [](int code) {
        return quint16(RegisterMap::modbusAddress(code).toUInt(nullptr, 16));
    };
    WindowRig rig;
    QVERIFY(rig.startSimulator());
    rig.openWindow();
    QVERIFY(rig.linkVerified());
    QVERIFY(rig.goOnline());
    rig.op.answers = {true};
    rig.window->findChild<QAction *>("uploadAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.shared().settingDataValid && !rig.shared().uploadRequested, 20000);
    // Changed behind the program's back: only a full read brings it to the display.
    rig.sim->setValue(address(13), 77);
    // The question before a change that resets the scaling, set values and alarm values.
    rig.op.answers = {true};

    operateModal([&] { rig.button(QStringLiteral("changeButton_39"))->click(); },
                 [&](QWidget *dialog) {
                     dialog->findChild<QRadioButton *>("inputTypeChoice_2")->click();
                     QTest::mouseClick(dialog->findChild<QPushButton *>("okButton"),
                                       Qt::LeftButton);
                 });
    QTRY_COMPARE_WITH_TIMEOUT(rig.sim->value(address(49)), qint16(2), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.shared().setting(13), qint16(77), 20000);
    QCOMPARE(rig.shared().setting(49), qint16(2));
    QTRY_COMPARE_WITH_TIMEOUT(rig.shared().timerJob, TimerJob::Monitor, 5000);
    QVERIFY(rig.op.wasShown(921));
    QVERIFY(rig.op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestSettingEditE2e)
#include "tst_settingedit_e2e.moc"
