#include "app/MainDisp.h"
#include "app/MessageTable.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/ModalDialog.h"

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
    QString text(const char *name) { return m_window->findChild<QLabel *>(name)->text(); }
    QPushButton *button(const QString &name) { return m_window->findChild<QPushButton *>(name); }
    quint16 address(int code)
    {
        return quint16(RegisterMap::modbusAddress(code).toUInt(nullptr, 16));
    }
    void startWindow();
    void goOnlineAndUpload();
    void enter(int code, const QString &digits);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedController> m_sim;
    std::unique_ptr<SettingsStore> m_store;
    ZN8P_INC m_inc;
    FakeOperator m_op;
    std::unique_ptr<MainDisp> m_window;
};

void TestSettingEditE2e::init()
{
    MessageTable::instance().setLanguage(Language::English);
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    m_inc = ZN8P_INC();
    m_op = FakeOperator();
    m_sim = std::make_unique<SimulatedController>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->errorString()));
}

void TestSettingEditE2e::cleanup()
{
    m_window.reset();
    m_sim.reset();
}

void TestSettingEditE2e::startWindow()
{
    ZN8P_INC stored;
    stored.portName = QStringLiteral("COM1");
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
    m_window->runStartupLinkCheck();
    QVERIFY(m_inc.linkVerified);
}

void TestSettingEditE2e::goOnlineAndUpload()
{
    button(QStringLiteral("Cmd_ONOFF"))->click();
    QVERIFY(m_inc.online);
    m_op.answers = {true};
    m_window->findChild<QAction *>("mnuUpload")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_inc.settingDataValid && !m_inc.uploadRequested, 20000);
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
    const qint16 newValue = qint16(m_sim->value(address(11)) == 123 ? 124 : 123);

    enter(11, QString::number(newValue));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->value(address(11)), newValue, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(text("Text_SV_1"), QString::number(newValue), 5000);
    QCOMPARE(m_inc.setting(11), newValue);
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

void TestSettingEditE2e::inputTypeIsWrittenAndAllIsReadAgain()
{
    startWindow();
    goOnlineAndUpload();
    // Changed behind the program's back: only a full read brings it to the display.
    m_sim->setValue(address(13), 77);

    operateModal([&] { button(QStringLiteral("Cmd_set_39"))->click(); },
                 [&](QWidget *dialog) {
                     dialog->findChild<QRadioButton *>("Option_sensor_2")->click();
                     QTest::mouseClick(dialog->findChild<QPushButton *>("Command1"),
                                       Qt::LeftButton);
                 });
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->value(address(49)), qint16(2), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_inc.setting(13), qint16(77), 20000);
    QCOMPARE(m_inc.setting(49), qint16(2));
    QTRY_COMPARE_WITH_TIMEOUT(m_inc.timerJob, qint16(1), 5000);
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

void TestSettingEditE2e::offlineChangeIsOfferedWhenGoingOnline()
{
    startWindow();
    QVERIFY(!m_inc.online);
    const qint16 before = m_sim->value(address(15));
    enter(15, QStringLiteral("321"));
    QCOMPARE(m_inc.setting(15), qint16(321));
    QVERIFY(m_inc.unsavedOnlineChanges);
    QCOMPARE(m_sim->value(address(15)), before);

    // Not saved (362/363 No), not sent (516 No): monitoring starts with the controller's values.
    m_op.answers = {false, false};
    button(QStringLiteral("Cmd_ONOFF"))->click();
    QVERIFY(m_inc.online);
    QCOMPARE(m_op.shown.at(m_op.shown.size() - 2).ids, (QList<int>{362, 363}));
    QCOMPARE(m_op.shown.last().ids, QList<int>{516});
    QCOMPARE(m_sim->value(address(15)), before);
    QVERIFY(m_op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestSettingEditE2e)
#include "tst_settingedit_e2e.moc"
