#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/SettingSetup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

// The change buttons of the main window offline: when they can be pressed, which dialog they
// open, and what the window shows after the dialog, as an operator preparing a file sees it.
class TestSettingEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void buttonsWaitForALink();
    void entryChangesTheDisplay();
    void selectionChangesTheRows();

private:
    template <typename T> T *find(const QString &name) { return m_window->findChild<T *>(name); }
    bool shown(const QString &name) { return find<QWidget>(name)->isVisible(); }
    QString text(const QString &name) { return find<QLabel>(name)->text(); }
    void choose(int code, int option);
    void enter(int code, const QString &digits);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    SessionState &shared() { return m_window->core().shared; }
    FakeOperator m_op;
    std::unique_ptr<MainWindow> m_window;
};

void TestSettingEdit::init()
{
    MessageTable::instance().setLanguage(Language::English);
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir->path());
    m_store = std::make_unique<SettingsStore>(QSettings::IniFormat);
    SessionState shared;
    RegisterMap::fillRegisterTable(shared);
    applySettings(shared, QStringLiteral("49=0 25=1370 26=-200 11=300 13=30 15=200 16=50 36=1 "
                                         "19=20 38=10 40=5 57=10"));
    shared.settingDataValid = true;
    m_op = FakeOperator();
    m_window = std::make_unique<MainWindow>(
        std::move(shared), *m_store, [] { return std::unique_ptr<CommComponent>(); }, &m_op);
    m_window->initialise();
    // The texts of the last monitor read stay while offline.
    m_window->refreshMonitor();
    m_window->show();
}

void TestSettingEdit::cleanup()
{
    m_window.reset();
}

void TestSettingEdit::choose(int code, int option)
{
    operateModal(
        [&] { find<QPushButton>(QStringLiteral("changeButton_%1").arg(code - 10))->click(); },
        [&](QWidget *dialog) {
            for (QRadioButton *button : dialog->findChildren<QRadioButton *>()) {
                if (button->isVisible() &&
                    button->objectName().endsWith(QStringLiteral("_%1").arg(option)))
                    button->click();
            }
            QTest::mouseClick(dialog->findChild<QPushButton *>("okButton"), Qt::LeftButton);
        });
}

void TestSettingEdit::enter(int code, const QString &digits)
{
    operateModal(
        [&] { find<QPushButton>(QStringLiteral("changeButton_%1").arg(code - 10))->click(); },
        [&](QWidget *dialog) {
            auto *entry = dialog->findChild<QLineEdit *>("entryText");
            QTest::keyClicks(entry, digits);
            QTest::keyClick(entry, Qt::Key_Enter);
        });
}

void TestSettingEdit::buttonsWaitForALink()
{
    auto *pages = find<QTabWidget>(QStringLiteral("settingTabs"));
    for (int page : {1, 2, 0}) {
        pages->setCurrentIndex(page);
        for (QPushButton *button : m_window->findChildren<QPushButton *>()) {
            if (button->objectName().startsWith(QLatin1String("changeButton_")))
                QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
        }
    }

    m_window->setParameterButtonsEnabled(true);
    QVERIFY(find<QPushButton>(QStringLiteral("changeButton_1"))->isEnabled());
    QVERIFY(find<QPushButton>(QStringLiteral("changeButton_9"))->isEnabled());
    // Alarm 2 is not fitted: its buttons stay disabled.
    QVERIFY(!find<QPushButton>(QStringLiteral("changeButton_10"))->isEnabled());
    pages->setCurrentIndex(1);
    QVERIFY(find<QPushButton>(QStringLiteral("changeButton_5"))->isEnabled());
    // Time units beside their rows.
    QCOMPARE(text(QStringLiteral("timeUnitLabel_5")), QStringLiteral("Sec."));
    QVERIFY(shown(QStringLiteral("timeUnitLabel_5")));
    pages->setCurrentIndex(2);
    QCOMPARE(text(QStringLiteral("timeUnitLabel_47")), QStringLiteral("Min."));
}

void TestSettingEdit::entryChangesTheDisplay()
{
    m_window->setParameterButtonsEnabled(true);
    QString range;
    operateModal([&] { find<QPushButton>(QStringLiteral("changeButton_1"))->click(); },
                 [&](QWidget *dialog) {
                     QCOMPARE(dialog->findChild<QLabel *>("currentValue")->text(),
                              QStringLiteral("300"));
                     range = dialog->findChild<QLabel *>("rangeValue")->text();
                 });
    QCOMPARE(range, QStringLiteral("-200 to  1370"));

    enter(11, QStringLiteral("250"));
    QCOMPARE(shared().setting(11), qint16(250));
    QCOMPARE(text(QStringLiteral("svValue_1")), QStringLiteral("250"));
    QVERIFY(shared().unsavedOnlineChanges);

    // Integral time 0 turns auto-tuning into auto-reset on the PID page.
    find<QTabWidget>(QStringLiteral("settingTabs"))->setCurrentIndex(1);
    QCOMPARE(text(QStringLiteral("autoTuningLamp")), QStringLiteral("AT"));
    enter(15, QStringLiteral("0"));
    QCOMPARE(text(QStringLiteral("pidValue_2")), QStringLiteral("0"));
    QCOMPARE(text(QStringLiteral("autoTuningLamp")), QStringLiteral("AR"));
    QCOMPARE(text(QStringLiteral("pidCaption_0")), msg(152));
}

void TestSettingEdit::selectionChangesTheRows()
{
    m_window->setParameterButtonsEnabled(true);
    // A new alarm type resets its alarm value, a new input type the scaling, set values and
    // alarm values: each is asked for first.
    m_op.answers = {true, true, true};
    choose(36, 0);
    QCOMPARE(text(QStringLiteral("alarm1Value_4")), msg(200));
    for (const char *row : {"alarm1Value_0", "alarm1Value_1", "alarm1Caption_2", "changeButton_9"})
        QVERIFY2(!shown(QLatin1String(row)), row);
    choose(36, 3);
    QVERIFY(shown(QStringLiteral("alarm1Value_0")));
    QCOMPARE(shared().setting(19), qint16(0));

    find<QTabWidget>(QStringLiteral("settingTabs"))->setCurrentIndex(2);
    QVERIFY(shown(QStringLiteral("otherValue_10")) && !shown(QStringLiteral("otherValue_15")));
    choose(63, 1);
    QVERIFY(!shown(QStringLiteral("otherValue_10")) && shown(QStringLiteral("otherValue_15")));
    choose(45, 1);
    QVERIFY(shown(QStringLiteral("manualStepButton_0")));

    choose(49, 16);
    QCOMPARE(text(QStringLiteral("otherValue_2")), msg(766));
    QCOMPARE(text(QStringLiteral("unitLabel_11")), QStringLiteral("deg.F"));
    QCOMPARE(text(QStringLiteral("otherValue_3")), QStringLiteral("750.0"));
    QCOMPARE(text(QStringLiteral("svValue_1")), QStringLiteral("0.0"));
    QVERIFY(m_op.answers.isEmpty() && m_op.unexpectedQuestions.isEmpty());

    // No: nothing changes, on the page or in the data.
    m_op.answers = {false};
    const auto before = shared().settingValues;
    choose(49, 0);
    QCOMPARE(m_op.shown.last().ids, QList<int>{921});
    QCOMPARE(shared().settingValues, before);
    QCOMPARE(text(QStringLiteral("otherValue_2")), msg(766));
    QCOMPARE(text(QStringLiteral("otherValue_3")), QStringLiteral("750.0"));
}

QTEST_MAIN(TestSettingEdit)
#include "tst_settingedit.moc"
