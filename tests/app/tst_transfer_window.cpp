#include "app/StartupRoutine.h"
#include "chart/EventLog.h"
#include "comm/RegisterMap.h"
#include "polling/ValueFormat.h"
#include "tests/support/WindowRig.h"
#include "transfer/SettingsDataFile.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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
    void uploadFillsThePages();
    void eventLogOfOnlineAndUpload();
    void fileValuesReachTheController_data();
    void fileValuesReachTheController();
    void refusedValueIsListedAndMarked();
    void vendorFrameItemKeepsTheControllersSetValue();

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
    QTRY_VERIFY_WITH_TIMEOUT(!text("Text_PV").isEmpty(), 5000);
}

void TestTransferWindow::startWithFile()
{
    ZN8P_INC file;
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
    QVERIFY(SettingsDataFile::write(path, file));
    StartupRoutine start(m_rig->startup, m_rig->op);
    QCOMPARE(start.takeSettingsFile(QLatin1Char('"') + path + QLatin1Char('"')),
             StartupRoutine::FileOutcome::Loaded);
}

void TestTransferWindow::uploadFillsThePages()
{
    startWindow();
    goOnline();
    QVERIFY(text("Label_A1val_4").isEmpty()); // no setting data yet

    auto *bar = m_rig->window->findChild<QProgressBar *>("ProgressBar1");
    auto *frame = m_rig->window->findChild<QWidget *>("Frame4");
    QList<int> shownValues;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        if (frame->isVisible())
            shownValues << value;
    });
    m_rig->sim->setValue(0x0004, 123); // proportional band
    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("mnuUpload")->trigger();
    QCOMPARE(m_rig->op.shown.last().ids, QList<int>{511});

    QTRY_VERIFY_WITH_TIMEOUT(m_rig->inc().settingDataValid && !m_rig->inc().uploadRequested, 20000);
    QVERIFY(!frame->isVisible());
    QVERIFY(shownValues.size() > 40);
    QCOMPARE(shownValues.last(), 53);
    QVERIFY(std::is_sorted(shownValues.begin(), shownValues.end()));
    // The next monitor tick shows the values.
    QTRY_VERIFY_WITH_TIMEOUT(!text("Label_A1val_4").isEmpty(), 2000);
    m_rig->window->findChild<QTabWidget *>("SSTab2")->setCurrentIndex(1);
    QCOMPARE(text("Label_pidval_1"), QStringLiteral("123"));
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
}

// Going online, a setting changed at the front panel and the upload it brings are events of the
// month's event log in the program's Logging folder.
void TestTransferWindow::eventLogOfOnlineAndUpload()
{
    m_rig = std::make_unique<WindowRig>(WindowRig::Folder::AlsoProgram);
    QVERIFY(m_rig->startSimulator());
    QVERIFY(QDir().mkpath(ProgramFolder::logging()));
    startWindow();
    goOnline();
    m_rig->sim->panelSet(0x0001, 220);
    const QString path =
        QDir(ProgramFolder::logging()).filePath(EventLog::fileNameFor(QDate::currentDate()));
    const auto events = [&path] {
        QStringList words;
        for (const EventLog::Event &e : EventLog::latest(path, 100))
            words.prepend(EventLog::word(e.kind));
        return words;
    };
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("transfer-completed"), 20000);
    QCOMPARE(events().mid(0, 3),
             (QStringList{"online", "front-panel-change", "transfer-completed"}));
    const EventLog::Event online = EventLog::latest(path, 100).back();
    QCOMPARE(online.port, QStringLiteral("COM1"));
    QCOMPARE(online.instrument, 1);
}

void TestTransferWindow::fileValuesReachTheController_data()
{
    QTest::addColumn<bool>("sendWhenGoingOnline");
    QTest::newRow("516 Yes sends the display's data") << true;
    QTest::newRow("Download menu after going online") << false;
}

void TestTransferWindow::fileValuesReachTheController()
{
    QFETCH(bool, sendWhenGoingOnline);
    startWithFile();
    startWindow();
    QVERIFY(m_rig->inc().unsavedOnlineChanges);

    // Not saved (362/363 No); sent now or not (516).
    m_rig->op.answers = {false, sendWhenGoingOnline};
    goOnline();
    if (!sendWhenGoingOnline) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_rig->inc().unsavedOnlineChanges, 5000);
        QCOMPARE(m_rig->sim->value(0x0004) == m_fileChanges.value(0x0004), false);
        m_rig->op.answers = {true};
        m_rig->window->findChild<QAction *>("mnuDownload")->trigger();
        QCOMPARE(m_rig->op.shown.last().ids, QList<int>{512});
    }

    QTRY_VERIFY_WITH_TIMEOUT(m_rig->sim->value(0x0033) == m_fileChanges.value(0x0033), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->inc().timerJob, qint16(1), 5000);
    for (auto it = m_fileChanges.cbegin(); it != m_fileChanges.cend(); ++it)
        QCOMPARE(m_rig->sim->value(it.key()), it.value());
    QVERIFY(!m_rig->inc().downloadRequested);
    QVERIFY(m_rig->op.unexpectedQuestions.isEmpty());
    QVERIFY(!m_rig->op.wasShown(292) && !m_rig->op.wasShown(290));
}

// A value the controller refuses: the download completes, names the item and marks it.
void TestTransferWindow::refusedValueIsListedAndMarked()
{
    startWindow();
    goOnline();
    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("mnuUpload")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->inc().settingDataValid && m_rig->inc().timerJob == 1, 20000);
    // The PV filter (code 28, register 001B) gets a value the controller refuses.
    const qint16 before = m_rig->inc().setting(28);
    m_rig->inc().setting(28) = 30000;

    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("mnuDownload")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->inc().downloadRequested || m_rig->op.texts.size() > 0, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->inc().timerJob != 5, 30000);

    QVERIFY(m_rig->op.panels.value(2).startsWith("Download completed at "));
    QVERIFY2(m_rig->op.texts.value(893).endsWith(
                 "\n28 PV filter time constant setting: sent 3000.0, the controller holds " +
                 FormatItemValue(m_rig->inc(), 28).trimmed()),
             qPrintable(m_rig->op.texts.value(893)));
    QCOMPARE(m_rig->inc().setting(28), before);
    QCOMPARE(m_rig->inc().unconfirmedWrites.value(28), qint16(30000));
    const auto marked = [this] {
        const QList<QLabel *> labels = m_rig->window->findChildren<QLabel *>();
        return std::count_if(labels.cbegin(), labels.cend(), [](const QLabel *label) {
            return label->property("unconfirmed").toBool();
        });
    };
    for (int page = 0; page < 3 && marked() == 0; ++page) {
        m_rig->window->findChild<QTabWidget *>("SSTab2")->setCurrentIndex(page);
        QTest::qWait(300);
    }
    QCOMPARE(marked(), 1);
}

void TestTransferWindow::vendorFrameItemKeepsTheControllersSetValue()
{
    // The OUT/OFF key function (code 63) is written in the vendor frame after the main set
    // value's register; the controller's main set value was changed at its keys since the last
    // upload, and must stay as it is.
    startWindow();
    goOnline();
    m_rig->op.answers = {true};
    m_rig->window->findChild<QAction *>("mnuUpload")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_rig->inc().settingDataValid && m_rig->inc().timerJob == 1, 20000);
    m_rig->sim->setValue(0x0001, qint16(m_rig->inc().setting(11) + 20));
    const qint16 controllerSv = m_rig->sim->value(0x0001);

    m_rig->inc().downloadValues = m_rig->inc().settingValues;
    m_rig->inc().setting(63) = m_rig->inc().setting(63) == 0 ? 1 : 0;
    m_rig->inc().itemCode = 63;
    m_rig->inc().timerJob = 2;
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->inc().timerJob, qint16(1), 10000);
    QCOMPARE(m_rig->sim->value(0x0001), controllerSv);
    QVERIFY(m_rig->inc().unconfirmedWrites.isEmpty());
}

QTEST_MAIN(TestTransferWindow)
#include "tst_transfer_window.moc"
