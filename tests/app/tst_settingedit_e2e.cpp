#include "comm/RegisterMap.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// Setting changes through the dialogs against the simulated controller on a pseudo-terminal:
// online each change reaches the controller and comes back on the display; offline it waits for
// the operator's decision when going online. Only the operator's answers are scripted.
class TestSettingEditE2e : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void entryDialogWritesTheSetValue();
    void inputTypeIsWrittenAndAllIsReadAgain();
    void offlineChangeIsOfferedWhenGoingOnline();

private:
    QString text(const char *name) { return m_rig->text(name); }
    QPushButton *button(const QString &name) { return m_rig->button(name); }
    quint16 address(int code)
    {
        return quint16(RegisterMap::modbusAddress(code).toUInt(nullptr, 16));
    }
    void startWindow();
    void goOnlineAndUpload();
    void enter(int code, const QString &digits);

    std::unique_ptr<WindowRig> m_rig;
};

void TestSettingEditE2e::init()
{
    m_rig = std::make_unique<WindowRig>();
    QVERIFY(m_rig->startSimulator());
}

void TestSettingEditE2e::cleanup()
{
    m_rig.reset();
}

void TestSettingEditE2e::startWindow()
{
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified());
}

void TestSettingEditE2e::goOnlineAndUpload()
{
    QVERIFY(m_rig->goOnline());
    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("mnuUpload")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->inc().settingDataValid && !m_rig->inc().uploadRequested, 20000);
}

void TestSettingEditE2e::enter(int code, const QString &digits)
{
    operateModal([&] { button(QStringLiteral("Cmd_set_%1").arg(code - 10))->click(); },
                 [&](QWidget *dialog) {
                     auto *entry = dialog->findChild<QLineEdit *>("Disp_setdata");
                     QTest::keyClicks(entry, digits);
                     QTest::keyClick(entry, Qt::Key_Return);
                 });
}

void TestSettingEditE2e::entryDialogWritesTheSetValue()
{
    startWindow();
    goOnlineAndUpload();
    const qint16 newValue = qint16(m_rig->sim->value(address(11)) == 123 ? 124 : 123);

    enter(11, QString::number(newValue));
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->sim->value(address(11)), newValue, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(text("Text_SV_1"), QString::number(newValue), 5000);
    QCOMPARE(m_rig->inc().setting(11), newValue);
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

void TestSettingEditE2e::inputTypeIsWrittenAndAllIsReadAgain()
{
    startWindow();
    goOnlineAndUpload();
    // Changed behind the program's back: only a full read brings it to the display.
    m_rig->sim->setValue(address(13), 77);
    // The question before a change that resets the scaling, set values and alarm values.
    m_rig->op.answers = {true};

    operateModal([&] { button(QStringLiteral("Cmd_set_39"))->click(); },
                 [&](QWidget *dialog) {
                     dialog->findChild<QRadioButton *>("Option_sensor_2")->click();
                     QTest::mouseClick(dialog->findChild<QPushButton *>("Command1"),
                                       Qt::LeftButton);
                 });
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->sim->value(address(49)), qint16(2), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->inc().setting(13), qint16(77), 20000);
    QCOMPARE(m_rig->inc().setting(49), qint16(2));
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->inc().timerJob, qint16(1), 5000);
    QVERIFY(m_rig->op.wasShown(921));
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

void TestSettingEditE2e::offlineChangeIsOfferedWhenGoingOnline()
{
    startWindow();
    QVERIFY(!m_rig->inc().online);
    const qint16 before = m_rig->sim->value(address(15));
    enter(15, QStringLiteral("321"));
    QCOMPARE(m_rig->inc().setting(15), qint16(321));
    QVERIFY(m_rig->inc().unsavedOnlineChanges);
    QCOMPARE(m_rig->sim->value(address(15)), before);

    // Not saved (362/363 No), not sent (516 No): monitoring starts with the controller's values.
    m_rig->op.answers = {false, false};
    button(QStringLiteral("Cmd_ONOFF"))->click();
    QVERIFY(m_rig->inc().online);
    QCOMPARE(m_rig->op.shown.at(m_rig->op.shown.size() - 2).ids, (QList<int>{362, 363}));
    QCOMPARE(m_rig->op.shown.last().ids, QList<int>{516});
    QCOMPARE(m_rig->sim->value(address(15)), before);
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestSettingEditE2e)
#include "tst_settingedit_e2e.moc"
