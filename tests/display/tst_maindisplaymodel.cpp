#include "app/MessageTable.h"
#include "display/MainDisplayModel.h"

#include <QtTest>

#include <algorithm>

namespace
{
// A controller with every option absent, PID control and a Celsius input, changed by the
// "key=value" words of setup: a parameter code (monitor values below 10), "status", "options",
// "valid" (settingDataValid) or a unit configuration field.
ZN8P_INC controller(const QString &setup = QString())
{
    ZN8P_INC inc;
    inc.settingDataValid = true;
    const QList<QPair<int, int>> base = {{0, 250},  {1, 455},  {2, 125}, {3, 300}, {11, 310},
                                         {13, 30},  {15, 200}, {16, 50}, {36, 1},  {37, 1},
                                         {58, 200}, {59, 210}, {60, 220}};
    for (const auto &[code, value] : base)
        (code < 10 ? inc.monitorValues[code] : inc.setting(code)) = qint16(value);

    UnitConfig &u = inc.unitConfig;
    const QHash<QString, qint16 *> names = {{"status", &inc.monitorValues[4]},
                                            {"options", &inc.monitorValues[7]},
                                            {"alarm2", &u.alarm2},
                                            {"heatCool", &u.heatCool},
                                            {"heaterBreak", &u.heaterBreak},
                                            {"contactInput", &u.contactInput},
                                            {"outputType", &u.outputType},
                                            {"serialComm", &u.serialComm}};
    for (const QString &word : setup.split(' ', Qt::SkipEmptyParts)) {
        const QString key = word.section('=', 0, 0);
        const qint16 value = qint16(word.section('=', 1).toInt(nullptr, 0));
        bool isCode = false;
        const int code = key.toInt(&isCode);
        if (key == QLatin1String("valid"))
            inc.settingDataValid = value != 0;
        else if (isCode)
            (code < 10 ? inc.monitorValues[code] : inc.setting(code)) = value;
        else if (names.contains(key))
            *names[key] = value;
        else
            qFatal("unknown setup word %s", qPrintable(word));
    }
    return inc;
}

QList<int> sorted(QList<int> codes)
{
    std::sort(codes.begin(), codes.end());
    return codes;
}

// The codes among codes whose rows are shown.
QList<int> shownOf(const SettingPageState &state, const QList<int> &codes)
{
    QList<int> shown;
    for (int code : codes) {
        if (state.row(code) == nullptr)
            qFatal("code %d is not on the page", code);
        if (state.row(code)->visible)
            shown.append(code);
    }
    return sorted(shown);
}

const QHash<QString, QList<int>> rowGroups = {
    {"alarm", {19, 38, 40, 47, 36, 20, 39, 41, 48, 37}},
    {"burnout", {21, 53}},
    {"heating", {12, 13, 15, 16, 52, 17, 29, 30, 31, 51}},
    {"cooling", {32, 14, 18, 33, 34, 24, 35}},
    {"other",
     {22, 23, 49, 25, 26, 27, 28, 42, 43, 50, 44, 54, 55, 56, 57, 45, 58, 59, 60, 61, 62, 63}},
};
const QList<int> alwaysOther{22, 23, 49, 25, 26, 28, 42, 43, 50, 54, 55, 56, 57, 63};
} // namespace

class TestMainDisplayModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }

    void lamps_data();
    void lamps();
    void monitorTexts_data();
    void monitorTexts();
    void settingValuesNeedValidData();
    void operatingState_data();
    void operatingState();
    void autoManualChangeOncePerChange();
    void unitLabels_data();
    void unitLabels();
    void rowVisibility_data();
    void rowVisibility();
    void captionsAndButtons_data();
    void captionsAndButtons();
    void pagesHoldTheirOwnRows();
};

void TestMainDisplayModel::lamps_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("lit");   // OUT1, OUT2, EVT1, EVT2, UP, DOWN, HB, AT
    QTest::addColumn<QString>("shown"); // OUT2 (with MV2), EVT2, HB

    QTest::newRow("all clear") << ""
                               << "--------"
                               << "---";
    QTest::newRow("output 1") << "status=1"
                              << "X-------"
                              << "---";
    QTest::newRow("output 2") << "status=2 options=0x40"
                              << "-X------"
                              << "X--";
    QTest::newRow("alarm 1") << "status=4"
                             << "--X-----"
                             << "---";
    QTest::newRow("alarm 2") << "status=8 options=0x20"
                             << "---X----"
                             << "-X-";
    QTest::newRow("alarm 2 not installed") << "status=8"
                                           << "---X----"
                                           << "---";
    QTest::newRow("heater burnout") << "status=0x40 options=4"
                                    << "------X-"
                                    << "--X";
    QTest::newRow("over and under") << "status=0x300"
                                    << "----XX--"
                                    << "---";
    QTest::newRow("auto-tuning") << "status=0x800"
                                 << "-------X"
                                 << "---";
    QTest::newRow("everything") << "status=0xb4f options=0x64"
                                << "XXXXXXXX"
                                << "XXX";
}

void TestMainDisplayModel::lamps()
{
    QFETCH(QString, setup);
    QFETCH(QString, lit);
    QFETCH(QString, shown);

    const MonitorPanelState s = SelectDispItem(controller(setup));
    using namespace DisplayColor;
    const Rgb colours[8] = {s.out1Lamp.colour,
                            s.out2Lamp.colour,
                            s.alarmLamps[Evt1Lamp].colour,
                            s.alarmLamps[Evt2Lamp].colour,
                            s.alarmLamps[UpLamp].colour,
                            s.alarmLamps[DownLamp].colour,
                            s.alarmLamps[HbLamp].colour,
                            s.autoTuningColour};
    const Rgb litColours[8] = {Green, Yellow, Red, Red, Red, Red, Red, Yellow};
    for (int i = 0; i < 8; ++i)
        QVERIFY2(colours[i] == (lit[i] == 'X' ? litColours[i] : White), qPrintable(lit));
    QCOMPARE(s.out2Lamp.visible, shown[0] == 'X');
    QCOMPARE(s.mv2Visible, shown[0] == 'X');
    QCOMPARE(s.alarmLamps[Evt2Lamp].visible, shown[1] == 'X');
    QCOMPARE(s.alarmLamps[HbLamp].visible, shown[2] == 'X');
    QVERIFY(s.out1Lamp.visible && s.alarmLamps[UpLamp].visible && s.alarmLamps[DownLamp].visible);
}

void TestMainDisplayModel::monitorTexts_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("pv");
    QTest::addColumn<QStringList>("chart"); // Pv0, Mv2, Sv2, Sv3, Sv4 captions

    QTest::newRow("normal") << ""
                            << "250" << QStringList{"250", "", "", "", ""};
    QTest::newRow("overscale") << "status=0x100"
                               << "----" << QStringList{"----U250", "", "", "", ""};
    QTest::newRow("underscale") << "status=0x200"
                                << "----" << QStringList{"----D250", "", "", "", ""};
    QTest::newRow("both") << "status=0x300"
                          << "----" << QStringList{"----U250", "", "", "", ""};
    QTest::newRow("heating/cooling") << "options=0x40"
                                     << "250" << QStringList{"250", "12.5", "", "", ""};
    QTest::newRow("set value memory") << "options=1 61=0"
                                      << "250" << QStringList{"250", "", "200", "210", "220"};
    QTest::newRow("OUT/OFF selection 1") << "options=1 61=1"
                                         << "250" << QStringList{"250", "", "200", "", ""};
    QTest::newRow("OUT/OFF selection 2") << "options=1 61=2"
                                         << "250" << QStringList{"250", "", "", "", ""};
    QTest::newRow("with serial comm") << "options=3 61=0"
                                      << "250" << QStringList{"250", "", "", "", ""};
}

void TestMainDisplayModel::monitorTexts()
{
    QFETCH(QString, setup);
    QFETCH(QString, pv);
    QFETCH(QStringList, chart);

    const MonitorPanelState s = SelectDispItem(controller(setup));
    QCOMPARE(s.pvText, pv);
    QCOMPARE(s.svText[0], QStringLiteral("300"));
    QCOMPARE(s.svText[1], QStringLiteral("310"));
    QCOMPARE(s.mvText[0], QStringLiteral("45.5"));
    QCOMPARE(s.mvText[1], QStringLiteral("12.5"));
    const ChartCaptions &c = s.chart;
    QCOMPARE(c.sv0, QStringLiteral("300"));
    QCOMPARE(c.mv1, QStringLiteral("45.5"));
    QCOMPARE((QStringList{c.pv0, c.mv2, c.sv2, c.sv3, c.sv4}), chart);
}

void TestMainDisplayModel::settingValuesNeedValidData()
{
    ZN8P_INC inc = controller("valid=0 0=251");
    const SettingPageState page = Disp_SStab2(inc, SettingPageState::AllPages);
    QCOMPARE(page.rows.size(), SettingRowPlaces().size());
    for (const SettingRow &row : page.rows)
        QVERIFY2(row.valueText.isEmpty(), qPrintable(QString::number(row.place.code)));
    const MonitorPanelState panel = SelectDispItem(inc);
    QCOMPARE(panel.pvText, QStringLiteral("251"));
    QCOMPARE(panel.svText[0], QStringLiteral("300"));
    QVERIFY(panel.svText[1].isEmpty());

    inc.settingDataValid = true;
    const SettingPageState valid = Disp_SStab2(inc, SettingPageState::AllPages);
    QCOMPARE(valid.row(13)->valueText, QStringLiteral("30"));
    QCOMPARE(valid.row(36)->valueText, QStringLiteral("High limit alarm"));
}

void TestMainDisplayModel::operatingState_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("caption");
    QTest::addColumn<bool>("lightGreen");
    QTest::addColumn<int>("stateText"); // 0: Label5 hidden
    QTest::addColumn<bool>("buttons");

    QTest::newRow("output on") << 0x0000 << 327 << true << 322 << false;
    QTest::newRow("output off") << 0x0400 << 327 << false << 321 << false;
    QTest::newRow("manual bit, OUT/OFF key") << 0x4000 << 327 << true << 322 << false;
    QTest::newRow("automatic") << 0x1000 << 319 << false << 0 << false;
    QTest::newRow("manual") << 0x5000 << 320 << false << 0 << true;
    QTest::newRow("manual, output off bit") << 0x5400 << 320 << false << 0 << true;
}

void TestMainDisplayModel::operatingState()
{
    QFETCH(int, status);
    QFETCH(int, caption);
    QFETCH(bool, lightGreen);
    QFETCH(int, stateText);
    QFETCH(bool, buttons);

    const MonitorPanelState s = SelectDispItem(controller(QStringLiteral("status=%1").arg(status)));
    QCOMPARE(s.outOffCaptionId, caption);
    QVERIFY(s.outOffColour == (lightGreen ? DisplayColor::LightGreen : DisplayColor::White));
    QCOMPARE(s.outOffStateVisible, stateText != 0);
    if (stateText != 0)
        QCOMPARE(s.outOffStateId, stateText);
    QCOMPARE(s.manualButtonsVisible, buttons);
}

void TestMainDisplayModel::autoManualChangeOncePerChange()
{
    ZN8P_INC inc = controller("45=7"); // anything the controller has not told us yet
    struct Step {
        int status;
        bool changed;
        int code45;
    };
    const Step steps[] = {
        {0x1000, false, 7}, // automatic, as remembered
        {0x5000, true, 1},  // switched to manual
        {0x5000, false, 1}, // still manual: nothing to do
        {0x4000, false, 1}, // the key is the OUT/OFF switch again: not followed
        {0x5000, false, 1}, {0x1000, true, 0}, {0x1000, false, 0},
    };
    for (const Step &step : steps) {
        inc.monitorValues[4] = qint16(step.status);
        QCOMPARE(TrackAutoManualChange(inc), step.changed);
        QCOMPARE(int(inc.setting(45)), step.code45);
    }

    inc.monitorValues[4] = 0x5000;
    QVERIFY(TrackAutoManualChange(inc));
    const SettingRow *row = Disp_SStab2(inc, OtherPage).row(45);
    QVERIFY(row->visible);
    QCOMPARE(row->valueText, QStringLiteral("Manual control"));
}

void TestMainDisplayModel::unitLabels_data()
{
    QTest::addColumn<int>("inputType");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("rate");

    QTest::newRow("K") << 0 << 215 << 335;
    QTest::newRow("last Celsius") << 14 << 215 << 335;
    QTest::newRow("first Fahrenheit") << 15 << 216 << 336;
    QTest::newRow("last Fahrenheit") << 29 << 216 << 336;
    QTest::newRow("DC current") << 30 << 0 << 337;
    QTest::newRow("DC voltage, 1 decimal") << 32 << 0 << 337;
    QTest::newRow("last DC voltage") << 35 << 0 << 337;
}

void TestMainDisplayModel::unitLabels()
{
    QFETCH(int, inputType);
    QFETCH(int, unit);
    QFETCH(int, rate);

    const SettingPageState s =
        Disp_SStab2(controller(QStringLiteral("49=%1 27=1").arg(inputType)), PidPage);
    for (int i = 0; i < SettingPageState::UnitLabelCount; ++i) {
        DisplayText expected{unit, QString()};
        if (i == 5 && inputType >= 30)
            expected.literal = QStringLiteral("%");
        QVERIFY2(s.unitLabels[i] == expected, qPrintable(QString::number(i)));
    }
    QCOMPARE(s.rateUnitLabels[0].messageId, rate);
    QCOMPARE(s.rateUnitLabels[1].messageId, rate);
}

void TestMainDisplayModel::rowVisibility_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QList<int>>("shown"); // besides the always shown rows of the other page

    QTest::newRow("both alarms act")
        << "alarm2=1 36=1 37=5"
        << "alarm" << QList<int>{19, 38, 40, 47, 36, 20, 39, 41, 48, 37};
    QTest::newRow("alarm 1 off") << "alarm2=1 36=0"
                                 << "alarm" << QList<int>{36, 20, 39, 41, 48, 37};
    QTest::newRow("alarm 2 off") << "alarm2=1 37=0"
                                 << "alarm" << QList<int>{19, 38, 40, 47, 36, 37};
    QTest::newRow("no alarm 2") << "alarm2=0 37=5"
                                << "alarm" << QList<int>{19, 38, 40, 47, 36, 37};
    QTest::newRow("no burnout alarm") << "heaterBreak=0"
                                      << "burnout" << QList<int>{};
    QTest::newRow("burnout 1-phase 20 A") << "heaterBreak=1"
                                          << "burnout" << QList<int>{21};
    QTest::newRow("burnout 1-phase 50 A") << "heaterBreak=2"
                                          << "burnout" << QList<int>{21};
    QTest::newRow("burnout 3-phase 20 A") << "heaterBreak=3"
                                          << "burnout" << QList<int>{21, 53};
    QTest::newRow("burnout 3-phase 50 A") << "heaterBreak=4"
                                          << "burnout" << QList<int>{21, 53};

    const QList<int> pid{12, 13, 15, 16, 52, 17, 29, 30};
    QTest::newRow("PID") << ""
                         << "heating" << pid + QList<int>{51};
    QTest::newRow("PID, DC output") << "outputType=2"
                                    << "heating" << QList<int>{12, 13, 15, 16, 52, 29, 30, 51};
    QTest::newRow("PID, linear input") << "49=30"
                                       << "heating" << pid;
    QTest::newRow("PD: auto-reset") << "15=0"
                                    << "heating" << pid;
    QTest::newRow("P: auto-reset") << "15=0 16=0"
                                   << "heating" << pid;
    QTest::newRow("PI") << "16=0"
                        << "heating" << QList<int>{13, 15, 16, 52, 17, 29, 30};
    QTest::newRow("ON/OFF action") << "13=0"
                                   << "heating" << QList<int>{13, 31};

    QTest::newRow("no cooling output") << "heatCool=0 14=10"
                                       << "cooling" << QList<int>{};
    QTest::newRow("both proportional") << "heatCool=1 14=10"
                                       << "cooling" << QList<int>{32, 14, 18, 33, 34, 24};
    QTest::newRow("cooling ON/OFF") << "heatCool=1 14=0"
                                    << "cooling" << QList<int>{14, 24, 35};
    QTest::newRow("heating ON/OFF") << "heatCool=1 13=0 14=10"
                                    << "cooling" << QList<int>{24, 35};

    QTest::newRow("sensor input") << ""
                                  << "other" << QList<int>{44};
    QTest::newRow("linear input") << "49=30"
                                  << "other" << QList<int>{27, 44};
    QTest::newRow("linear input, DC out") << "49=35 outputType=2"
                                          << "other" << QList<int>{27, 44, 62};
    QTest::newRow("sensor input, DC out") << "49=29 outputType=2"
                                          << "other" << QList<int>{44};
    QTest::newRow("auto/manual key") << "status=0x1000"
                                     << "other" << QList<int>{45};
    QTest::newRow("set value memory") << "contactInput=1 61=0"
                                      << "other" << QList<int>{44, 58, 59, 60, 61};
    QTest::newRow("OUT/OFF selection 1") << "contactInput=1 61=1"
                                         << "other" << QList<int>{44, 58, 61};
    QTest::newRow("OUT/OFF selection 2") << "contactInput=1 61=2"
                                         << "other" << QList<int>{44, 61};
    QTest::newRow("contact input, serial") << "contactInput=1 serialComm=1"
                                           << "other" << QList<int>{44};
}

void TestMainDisplayModel::rowVisibility()
{
    QFETCH(QString, setup);
    QFETCH(QString, group);
    QFETCH(QList<int>, shown);

    const SettingPageState s = Disp_SStab2(controller(setup), SettingPageState::AllPages);
    if (group == QLatin1String("other"))
        shown += alwaysOther;
    QCOMPARE(shownOf(s, rowGroups[group]), sorted(shown));
    for (const SettingRow &row : s.rows) {
        QVERIFY2(row.buttonVisible == row.visible, qPrintable(QString::number(row.place.code)));
        if (row.place.code != 37)
            QCOMPARE(row.valueVisible, row.visible);
    }
    if (group == QLatin1String("burnout")) {
        const MonitorPanelState panel = SelectDispItem(controller(setup));
        QCOMPARE(panel.hbVisible[0], shown.contains(21));
        QCOMPARE(panel.hbVisible[1], shown.contains(53));
    }
}

void TestMainDisplayModel::captionsAndButtons_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QList<int>>("captions"); // code, message; code 0 is Label_atm (0 hidden)
    QTest::addColumn<QList<int>>("disabled");
    QTest::addColumn<QList<int>>("hiddenTitles");

    const QList<int> noOption{20, 37, 39, 41, 21, 53, 14, 18, 24, 32, 33, 34, 35};
    QTest::newRow("no options, AT")
        << "" << QList<int>{0, 102, 12, 151, 21, 111, 53, 143} << noOption
        << QList<int>{Alarm2Title, HeaterBreakTitle, CoolTitle};
    QTest::newRow("AR") << "15=0" << QList<int>{0, 100, 12, 152} << noOption
                        << QList<int>{Alarm2Title, HeaterBreakTitle, CoolTitle};
    QTest::newRow("neither AT nor AR") << "16=0" << QList<int>{0, 0} << noOption
                                       << QList<int>{Alarm2Title, HeaterBreakTitle, CoolTitle};
    QTest::newRow("ON/OFF action") << "13=0" << QList<int>{0, 0} << noOption
                                   << QList<int>{Alarm2Title, HeaterBreakTitle, CoolTitle};
    QTest::newRow("alarm 2, 20 A burnout")
        << "alarm2=1 heaterBreak=3" << QList<int>{21, 111, 53, 143}
        << QList<int>{14, 18, 24, 32, 33, 34, 35} << QList<int>{CoolTitle};
    QTest::newRow("50 A burnout") << "heaterBreak=4" << QList<int>{21, 155, 53, 156}
                                  << QList<int>{20, 37, 39, 41, 14, 18, 24, 32, 33, 34, 35}
                                  << QList<int>{Alarm2Title, CoolTitle};
    QTest::newRow("heating/cooling")
        << "heatCool=1" << QList<int>{} << QList<int>{20, 37, 39, 41, 21, 53}
        << QList<int>{Alarm2Title, HeaterBreakTitle};
}

void TestMainDisplayModel::captionsAndButtons()
{
    QFETCH(QString, setup);
    QFETCH(QList<int>, captions);
    QFETCH(QList<int>, disabled);
    QFETCH(QList<int>, hiddenTitles);

    const ZN8P_INC inc = controller(setup);
    const SettingPageState s = Disp_SStab2(inc, SettingPageState::AllPages);
    for (int i = 0; i + 1 < captions.size(); i += 2) {
        if (captions[i] != 0) {
            QCOMPARE(s.row(captions[i])->captionId, captions[i + 1]);
            continue;
        }
        QCOMPARE(s.autoTuningVisible, captions[i + 1] != 0);
        if (s.autoTuningVisible)
            QCOMPARE(s.autoTuningCaptionId, captions[i + 1]);
    }
    QList<int> disabledNow;
    for (const SettingRow &row : s.rows) {
        if (!row.buttonEnabled)
            disabledNow.append(row.place.code);
    }
    QCOMPARE(sorted(disabledNow), sorted(disabled));
    QList<int> hiddenNow;
    for (int i = 0; i < int(s.titleButtonVisible.size()); ++i) {
        if (!s.titleButtonVisible[i])
            hiddenNow.append(i);
    }
    QCOMPARE(hiddenNow, hiddenTitles);
    QCOMPARE(s.heaterBreakFrameVisible, inc.unitConfig.heaterBreak != 0);
    // Without alarm 2 its type row keeps only its caption.
    QCOMPARE(s.row(37)->valueVisible, inc.unitConfig.alarm2 != 0);
}

void TestMainDisplayModel::pagesHoldTheirOwnRows()
{
    const ZN8P_INC inc = controller();
    const int sizes[] = {12, 17, 22};
    for (int page : {AlarmPage, PidPage, OtherPage}) {
        const SettingPageState s = Disp_SStab2(inc, page);
        QCOMPARE(s.rows.size(), sizes[page]);
        for (const SettingRow &row : s.rows)
            QVERIFY(Disp_SStab2(inc, SettingPageState::AllPages).row(row.place.code));
    }
    QVERIFY(Disp_SStab2(inc, AlarmPage).row(13) == nullptr);
}

QTEST_GUILESS_MAIN(TestMainDisplayModel)
#include "tst_maindisplaymodel.moc"
