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
    view.showMonitorPanel(SelectDispItem(shared));

    QCOMPARE(text("Text_PV"), QStringLiteral("----"));
    QCOMPARE(text("Text_SV_0"), QStringLiteral("300"));
    // The main set value is a setting value: the pages show it, not the monitor read.
    QCOMPARE(text("Text_SV_1"), QString());
    view.showSettingPage(Disp_SStab2(shared, PidPage));
    QCOMPARE(text("Text_SV_1"), QStringLiteral("310"));

    // A main set value loaded from a file is not the controller's until read from it: muted,
    // while the readings stay live.
    const auto live = [this](const char *name) { return find(name)->property("live").toBool(); };
    QVERIFY(live("Text_SV_0") && live("Text_SV_1"));
    shared.settingsFromFile = true;
    view.showSettingPage(Disp_SStab2(shared, PidPage));
    QVERIFY(live("Text_SV_0") && !live("Text_SV_1"));
    view.setValuesLive(false);
    view.setValuesLive(true);
    QVERIFY(live("Text_SV_0") && !live("Text_SV_1"));
    shared.settingsFromFile = false;
    view.showSettingPage(Disp_SStab2(shared, PidPage));
    QVERIFY(live("Text_SV_1"));
    QCOMPARE(text("Text_MV_1"), QStringLiteral("12.5"));
    QCOMPARE(text("Text_HB_1"), QStringLiteral("1.2"));
    QVERIFY(!find("Text_MV_1")->isHidden() && !find("Label58")->isHidden());
    QVERIFY(!find("Text_HB_1")->isHidden() && !find("Label_HB_1")->isHidden());
    QVERIFY(find("Text_HB_2")->isHidden() && find("Label_HBunit_2")->isHidden());
    QCOMPARE(colour("Label23"), QColor(0, 192, 0));
    QCOMPARE(colour("lbl_alm_2"), QColor(255, 0, 0));
    QCOMPARE(colour("lbl_alm_3"), QColor(255, 0, 0));
    QCOMPARE(colour("lbl_alm_0"), QColor(255, 255, 255));
    QCOMPARE(text("Label_OUTOFF"), msg(327));
    QCOMPARE(colour("Label_OUTOFF"), QColor(192, 255, 192));
    QCOMPARE(text("Label5"), msg(322));
    QVERIFY(find("Manuval_0")->isHidden() && find("Manuval_5")->isHidden());
    // Stale readings light no lamp; live again, the last reading's colours come back.
    view.setValuesLive(false);
    QCOMPARE(colour("Label23"), colour("Label_OUTOFF"));
    QCOMPARE(colour("Label5"), colour("Label_OUTOFF"));
    QCOMPARE(colour("lbl_alm_2"), colour("lbl_alm_0"));
    QVERIFY(colour("Label23") != QColor(0, 192, 0));
    view.setValuesLive(true);
    QCOMPARE(colour("Label_OUTOFF"), QColor(192, 255, 192));
    QCOMPARE(colour("lbl_alm_2"), QColor(255, 0, 0));

    shared.monitorValues[4] = 0x5000; // manual control by the auto/manual key
    shared.monitorValues[7] = 0;
    view.showMonitorPanel(SelectDispItem(shared));
    QCOMPARE(text("Text_PV"), QStringLiteral("250"));
    QCOMPARE(text("Label_OUTOFF"), msg(320));
    QVERIFY(find("Label5")->isHidden());
    QVERIFY(!find("Manuval_0")->isHidden() && !find("Manuval_5")->isHidden());
    QVERIFY(find("Text_MV_1")->isHidden() && find("Label18_1")->isHidden() &&
            find("Label_MVcap_1")->isHidden());
}

void TestMainDisplayView::pageStateReachesTheForm()
{
    SessionState shared;
    shared.settingDataValid = true;
    shared.setting(49) = 32;
    shared.setting(13) = 30;
    shared.setting(15) = 0;
    MainDisplayView view(&m_window);
    view.showSettingPage(Disp_SStab2(shared, PidPage));

    QCOMPARE(text("Label_CF_0"), QString());
    QCOMPARE(text("Label_CF_17"), QString());
    QCOMPARE(text("Label_atm"), msg(100));
    QVERIFY(!find("Label_atm")->isHidden());
    QVERIFY(find("Frame_HB")->isHidden());

    shared.setting(49) = 15;
    shared.setting(13) = 0;
    view.showSettingPage(Disp_SStab2(shared, AlarmPage));
    QCOMPARE(text("Label_CF_0"), msg(216));
    QVERIFY(find("Label_atm")->isHidden());
}

QTEST_MAIN(TestMainDisplayView)
#include "tst_maindisplayview.moc"
