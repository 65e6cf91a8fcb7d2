#include "base/MessageTable.h"
#include "display/MainDisplayView.h"
#include "ui_MainWindow.h"

#include <QtTest>

// The view against the main window's own form: a control it cannot find by name would silently
// stay unchanged, so the names are what this checks.
class TestMainDisplayView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        MessageTable::instance().setLanguage(Language::English);
        m_ui.setupUi(&m_window);
    }
    void monitorPanelReachesTheForm();
    void pageStateReachesTheForm();

private:
    template <typename T = QWidget> T *find(const char *name)
    {
        T *widget = m_window.findChild<T *>(QLatin1String(name));
        if (widget == nullptr)
            qFatal("the form has no %s", name);
        return widget;
    }
    QString text(const char *name) { return find<QLabel>(name)->text(); }
    QColor colour(const char *name) { return find(name)->palette().color(QPalette::Window); }

    QMainWindow m_window;
    Ui::MainWindow m_ui;
};

void TestMainDisplayView::monitorPanelReachesTheForm()
{
    SessionState shared;
    shared.online = true;
    shared.settingDataValid = true;
    shared.monitorValues = {250, 455, 125, 300, 0x0301, 12, 34, 0x0064, 0};
    shared.setting(11) = 310;
    shared.unitConfig.heaterBreak = 1;
    MainDisplayView view(&m_window);
    view.showMonitorPanel(monitorPanelState(shared));

    QCOMPARE(text("pvValue"), QStringLiteral("----"));
    QCOMPARE(text("svValue_0"), QStringLiteral("300"));
    // The main set value is a setting value: the pages show it, not the monitor read.
    QCOMPARE(text("svValue_1"), QString());
    view.showSettingPage(settingPageState(shared, PidPage));
    QCOMPARE(text("svValue_1"), QStringLiteral("310"));

    // A main set value loaded from a file is not the controller's until read from it: muted,
    // while the readings stay live.
    const auto live = [this](const char *name) { return find(name)->property("live").toBool(); };
    QVERIFY(live("svValue_0") && live("svValue_1"));
    shared.settingsFromFile = true;
    view.showSettingPage(settingPageState(shared, PidPage));
    QVERIFY(live("svValue_0") && !live("svValue_1"));
    view.setValuesLive(false);
    view.setValuesLive(true);
    QVERIFY(live("svValue_0") && !live("svValue_1"));
    shared.settingsFromFile = false;
    view.showSettingPage(settingPageState(shared, PidPage));
    QVERIFY(live("svValue_1"));
    QCOMPARE(text("mvValue_1"), QStringLiteral("12.5"));
    QCOMPARE(text("heaterCurrentValue_1"), QStringLiteral("1.2"));
    QVERIFY(!find("mvValue_1")->isHidden() && !find("out2Lamp")->isHidden());
    QVERIFY(!find("heaterCurrentValue_1")->isHidden() &&
            !find("heaterCurrentCaption_1")->isHidden());
    QVERIFY(find("heaterCurrentValue_2")->isHidden() && find("heaterCurrentUnit_2")->isHidden());
    QCOMPARE(colour("out1Lamp"), QColor(0, 192, 0));
    QCOMPARE(colour("alarmLamp_2"), QColor(255, 0, 0));
    QCOMPARE(colour("alarmLamp_3"), QColor(255, 0, 0));
    QCOMPARE(colour("alarmLamp_0"), QColor(255, 255, 255));
    QCOMPARE(text("outOffLamp"), msg(327));
    QCOMPARE(colour("outOffLamp"), QColor(192, 255, 192));
    QCOMPARE(text("outOffStateLabel"), msg(322));
    QVERIFY(find("manualStepButton_0")->isHidden() && find("manualStepButton_5")->isHidden());
    // Stale readings light no lamp; live again, the last reading's colours come back.
    view.setValuesLive(false);
    QCOMPARE(colour("out1Lamp"), colour("outOffLamp"));
    QCOMPARE(colour("outOffStateLabel"), colour("outOffLamp"));
    QCOMPARE(colour("alarmLamp_2"), colour("alarmLamp_0"));
    QVERIFY(colour("out1Lamp") != QColor(0, 192, 0));
    view.setValuesLive(true);
    QCOMPARE(colour("outOffLamp"), QColor(192, 255, 192));
    QCOMPARE(colour("alarmLamp_2"), QColor(255, 0, 0));

    shared.monitorValues[4] = 0x5000; // manual control by the auto/manual key
    shared.monitorValues[7] = 0;
    view.showMonitorPanel(monitorPanelState(shared));
    QCOMPARE(text("pvValue"), QStringLiteral("250"));
    QCOMPARE(text("outOffLamp"), msg(320));
    QVERIFY(find("outOffStateLabel")->isHidden());
    QVERIFY(!find("manualStepButton_0")->isHidden() && !find("manualStepButton_5")->isHidden());
    QVERIFY(find("mvValue_1")->isHidden() && find("mvUnit_1")->isHidden() &&
            find("mvCaption_1")->isHidden());
}

void TestMainDisplayView::pageStateReachesTheForm()
{
    SessionState shared;
    shared.settingDataValid = true;
    shared.setting(49) = 32;
    shared.setting(13) = 30;
    shared.setting(15) = 0;
    MainDisplayView view(&m_window);
    view.showSettingPage(settingPageState(shared, PidPage));

    QCOMPARE(text("unitLabel_0"), QString());
    QCOMPARE(text("unitLabel_17"), QString());
    QCOMPARE(text("autoTuningLamp"), msg(100));
    QVERIFY(!find("autoTuningLamp")->isHidden());
    QVERIFY(find("heaterBurnoutFrame")->isHidden());

    shared.setting(49) = 15;
    shared.setting(13) = 0;
    view.showSettingPage(settingPageState(shared, AlarmPage));
    QCOMPARE(text("unitLabel_0"), msg(216));
    QVERIFY(find("autoTuningLamp")->isHidden());
}

QTEST_MAIN(TestMainDisplayView)
#include "tst_maindisplayview.moc"
