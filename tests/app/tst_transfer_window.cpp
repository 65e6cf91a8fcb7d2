#include "app/StartupRoutine.h"
#include "comm/RegisterMap.h"
#include "polling/ValueFormat.h"
#include "tests/support/WindowRig.h"
#include "transfer/SettingsDataFile.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

// The window's transfer commands driven as an operator would, against the simulated controller
// on a pseudo-terminal: only the operator's answers are scripted.
class TestTransferWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fileValuesReachTheController();
    void refusedValueIsListedAndMarked();

private:
    QString text(const char *name) { return m_rig->text(name); }
    void startWindow();
    void goOnline();
    // A settings data file with the controller's values and a few changed, read as the command
    // line would have it.
    void startWithFile();

    std::unique_ptr<WindowRig> m_rig;
    // Changes made in the file: register address (Modbus) and value.
    QMap<quint16, qint16> m_fileChanges;
};

void TestTransferWindow::init()
{
    m_rig = std::make_unique<WindowRig>();
    QVERIFY(m_rig->startSimulator());
}

void TestTransferWindow::cleanup()
{
    m_rig.reset();
}

void TestTransferWindow::startWindow()
{
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified());
}

void TestTransferWindow::goOnline()
{
    QVERIFY(m_rig->goOnline());
    QTRY_VERIFY_WITH_TIMEOUT(!text("pvValue").isEmpty(), 5000);
}

void TestTransferWindow::startWithFile()
{
    SessionState file;
    for (int code = 11; code <= 57; ++code) {
        if (code != 46)
            file.setting(code) =
                m_rig->sim->value(quint16(RegisterMap::modbusAddress(code).toUInt(nullptr, 16)));
    }
    // The simulated controller's options: alarm 2, heater burnout 20 A, serial communication.
    file.unitConfig = UnitConfig{1, 0, 1, 0, 0, 1};
    m_fileChanges = {{0x0004, qint16(file.setting(13) + 7)},
                     {0x001B, qint16(file.setting(28) + 1)},
                     {0x0033, qint16(file.setting(42) + 3)}};
    for (auto it = m_fileChanges.cbegin(); it != m_fileChanges.cend(); ++it) {
        for (int code = 11; code <= 57; ++code) {
            if (RegisterMap::modbusAddress(code).toUInt(nullptr, 16) == it.key())
                file.setting(code) = it.value();
        }
    }
    const QString path = m_rig->dir.filePath(QStringLiteral("start.znm"));
    QVERIFY(SettingsDataFile::write(path, file).isNone());
    StartupRoutine start(m_rig->op);
    QCOMPARE(start.takeSettingsFile(QLatin1Char('"') + path + QLatin1Char('"')),
             StartupRoutine::FileOutcome::Loaded);
    m_rig->startup = start.state();
}

// The display's data, loaded from a file at start-up, go to the controller when the operator
// answers 516 with Yes on going online.
void TestTransferWindow::fileValuesReachTheController()
{
    startWithFile();
    startWindow();
    QVERIFY(m_rig->shared().unsavedOnlineChanges);

    // Not saved (362/363 No); sent now (516 Yes).
    m_rig->op.answers = {false, true};
    goOnline();
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->sim->value(0x0033) == m_fileChanges.value(0x0033), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->shared().timerJob, TimerJob::Monitor, 5000);
    for (auto it = m_fileChanges.cbegin(); it != m_fileChanges.cend(); ++it)
        QCOMPARE(m_rig->sim->value(it.key()), it.value());
    QVERIFY(!m_rig->shared().downloadRequested);
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
    QVERIFY(!m_rig->op.wasShown(292) && !m_rig->op.wasShown(290));
}

// A value the controller refuses: the download completes, names the item and marks it.
void TestTransferWindow::refusedValueIsListedAndMarked()
{
    startWindow();
    goOnline();
    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("uploadAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        m_rig->shared().settingDataValid && m_rig->shared().timerJob == TimerJob::Monitor, 20000);
    // The PV filter (code 28, register 001B) gets a value the controller refuses.
    const qint16 before = m_rig->shared().setting(28);
    m_rig->shared().setting(28) = 30000;

    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("downloadAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->shared().downloadRequested || m_rig->op.texts.size() > 0,
                             30000);
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->shared().timerJob != TimerJob::Download, 30000);

    QVERIFY(m_rig->op.panels.value(2).startsWith("Download completed at "));
    QVERIFY2(m_rig->op.texts.value(893).endsWith(
                 "\n28 PV filter time constant setting: sent 3000.0, the controller holds " +
                 formatItemValue(m_rig->shared(), 28).trimmed()),
             qPrintable(m_rig->op.texts.value(893)));
    QCOMPARE(m_rig->shared().setting(28), before);
    QCOMPARE(m_rig->shared().unconfirmedWrites.value(28).sent, qint16(30000));
    const auto marked = [this] {
        const QList<QLabel *> labels = m_rig->window->findChildren<QLabel *>();
        return std::count_if(labels.cbegin(), labels.cend(), [](const QLabel *label) {
            return label->property("unconfirmed").toBool();
        });
    };
    for (int page = 0; page < 3 && marked() == 0; ++page) {
        m_rig->window->findChild<QTabWidget *>("settingTabs")->setCurrentIndex(page);
        QTest::qWait(300);
    }
    QCOMPARE(marked(), 1);
}

QTEST_MAIN(TestTransferWindow)
#include "tst_transfer_window.moc"
