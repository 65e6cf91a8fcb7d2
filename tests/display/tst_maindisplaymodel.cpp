#include "base/MessageTable.h"
#include "display/MainDisplayModel.h"
#include "tests/support/DataRows.h"

#include <QtTest>

#include <algorithm>

namespace
{
// A controller with every option absent, PID control and a Celsius input, changed by the
// "key=value" words of setup: a parameter code (monitor values below 10), "status", "options",
// "valid" (settingDataValid), "buttons" (a link has enabled the change buttons) or a unit
// configuration field.
SessionState controller(const QString &setup = QString())
{
    SessionState shared;
    shared.settingDataValid = true;
    shared.parameterButtonsEnabled = true;
    shared.online = true;
    const QList<QPair<int, int>> base = {{0, 250},  {1, 455},  {2, 125}, {3, 300}, {11, 310},
                                         {13, 30},  {15, 200}, {16, 50}, {36, 1},  {37, 1},
                                         {58, 200}, {59, 210}, {60, 220}};
    for (const auto &[code, value] : base)
        (code < 10 ? shared.monitorValues[code] : shared.setting(code)) = qint16(value);

    UnitConfig &u = shared.unitConfig;
    const QHash<QString, qint16 *> names = {{"status", &shared.monitorValues[4]},
                                            {"options", &shared.monitorValues[7]},
                                            {"options2", &shared.monitorValues[8]},
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
            shared.settingDataValid = value != 0;
        else if (key == QLatin1String("buttons"))
            shared.parameterButtonsEnabled = value != 0;
        else if (isCode)
            (code < 10 ? shared.monitorValues[code] : shared.setting(code)) = value;
        else if (names.contains(key))
            *names[key] = value;
        else
            qFatal("unknown setup word %s", qPrintable(word));
    }
    return shared;
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

struct LampRow {
    const char *name, *setup;
    const char *lit;   // OUT1, OUT2, EVT1, EVT2, UP, DOWN, HB, AT
    const char *shown; // OUT2 (with MV2), EVT2, HB
};
const LampRow lampRows[] = {
    {"all clear", "", "--------", "---"},
    {"output 2", "status=2 options=0x40", "-X------", "X--"},
    {"alarm 2", "status=8 options=0x20", "---X----", "-X-"},
    {"alarm 2 not installed", "status=8", "---X----", "---"},
    {"heater burnout", "status=0x40 options=4", "------X-", "--X"},
    {"over and under", "status=0x300", "----XX--", "---"},
    {"everything", "status=0xb4f options=0x64", "XXXXXXXX", "XXX"},
};

struct MonitorRow {
    const char *name, *setup, *pv;
    const char *chart; // Pv0|Mv2|Sv2|Sv3|Sv4 captions
};
const MonitorRow monitorRows[] = {
    {"normal", "", "250", "250||||"},
    {"overscale", "status=0x100", "----", "----U250||||"},
    {"underscale", "status=0x200", "----", "----D250||||"},
    {"both", "status=0x300", "----", "----U250||||"},
    {"heating/cooling", "options=0x40", "250", "250|12.5|||"},
    {"set value memory", "options=1 61=0", "250", "250||200|210|220"},
    {"OUT/OFF selection 1", "options=1 61=1", "250", "250||200||"},
    {"OUT/OFF selection 2", "options=1 61=2", "250", "250||||"},
    {"with serial comm", "options=3 61=0", "250", "250||||"},
};

struct OperatingRow {
    const char *name;
    int status, caption;
    bool lightGreen;
    int stateText; // 0: outOffStateLabel hidden
    bool buttons;
};
const OperatingRow operatingRows[] = {
    {"output on", 0x0000, 327, true, 322, false},
    {"output off", 0x0400, 327, false, 321, false},
    {"manual bit, OUT/OFF key", 0x4000, 327, true, 322, false},
    {"automatic", 0x1000, 319, false, 0, false},
    {"manual, output off bit", 0x5400, 320, false, 0, true},
};

struct VisibilityRow {
    const char *name, *setup, *group;
    QList<int> shown; // besides the always shown rows of the other page
};
const QList<int> pid{12, 13, 15, 16, 52, 17, 29, 30};
const VisibilityRow visibilityRows[] = {
    {"both alarms act", "alarm2=1 36=1 37=5", "alarm", {19, 38, 40, 47, 36, 20, 39, 41, 48, 37}},
    {"alarm 1 off", "alarm2=1 36=0", "alarm", {36, 20, 39, 41, 48, 37}},
    {"alarm 2 off", "alarm2=1 37=0", "alarm", {19, 38, 40, 47, 36, 37}},
    // Without an option its rows stay shown (their buttons disabled), whatever their values.
    {"no alarm 2", "alarm2=0 37=5", "alarm", {19, 38, 40, 47, 36, 20, 39, 41, 48, 37}},
    {"no alarm 2, type 0", "alarm2=0 37=0", "alarm", {19, 38, 40, 47, 36, 20, 39, 41, 48, 37}},
    {"no burnout alarm", "heaterBreak=0", "burnout", {}},
    {"burnout 1-phase 50 A", "heaterBreak=2", "burnout", {21}},
    {"burnout 3-phase 20 A", "heaterBreak=3", "burnout", {21, 53}},
    {"PID", "", "heating", pid + QList<int>{51}},
    {"PID, DC output", "outputType=2", "heating", {12, 13, 15, 16, 52, 29, 30, 51}},
    {"PID, linear input", "49=30", "heating", pid},
    {"PD: auto-reset", "15=0", "heating", pid},
    {"PI", "16=0", "heating", {13, 15, 16, 52, 17, 29, 30}},
    {"ON/OFF action", "13=0", "heating", {13, 31}},
    {"no cooling output", "heatCool=0 14=10", "cooling", {32, 14, 18, 33, 34, 24, 35}},
    {"no cooling, heating ON/OFF", "heatCool=0 13=0", "cooling", {32, 14, 18, 33, 34, 24, 35}},
    {"both proportional", "heatCool=1 14=10", "cooling", {32, 14, 18, 33, 34, 24}},
    {"cooling ON/OFF", "heatCool=1 14=0", "cooling", {14, 24, 35}},
    {"heating ON/OFF", "heatCool=1 13=0 14=10", "cooling", {24, 35}},
    {"sensor input", "", "other", {44}},
    {"linear input, DC out", "49=35 outputType=2", "other", {27, 44, 62}},
    {"sensor input, DC out", "49=29 outputType=2", "other", {44}},
    {"linear input, controller has the function", "49=31 options2=0x10", "other", {27, 44, 62}},
    {"sensor input, controller has the function", "49=5 options2=0x10", "other", {44}},
    {"linear input, other option bits", "49=31 options2=0xEF", "other", {27, 44}},
    {"auto/manual key", "status=0x1000", "other", {45}},
    {"set value memory", "contactInput=1 61=0", "other", {44, 58, 59, 60, 61}},
    {"OUT/OFF selection 1", "contactInput=1 61=1", "other", {44, 58, 61}},
    {"OUT/OFF selection 2", "contactInput=1 61=2", "other", {44, 61}},
    {"contact input, serial", "contactInput=1 serialComm=1", "other", {44}},
};

struct CaptionRow {
    const char *name, *setup;
    QList<int> captions; // code, message; code 0 is autoTuningLamp (message 0: hidden)
    QList<int> disabled, hiddenTitles;
};
const QList<int> noOption{20, 37, 39, 41, 21, 53, 14, 18, 24, 32, 33, 34, 35};
const QList<int> noTitles{Alarm2Title, HeaterBreakTitle, CoolTitle};
QList<int> allRowCodes()
{
    QList<int> codes;
    for (const RowPlace &place : settingRowPlaces())
        codes.append(place.code);
    return codes;
}
const QList<int> allRows = allRowCodes();
const CaptionRow captionRows[] = {
    {"no options, AT", "", {0, 102, 12, 151, 21, 111, 53, 143}, noOption, noTitles},
    {"AR", "15=0", {0, 100, 12, 152}, noOption, noTitles},
    {"neither AT nor AR", "16=0", {0, 0}, noOption, noTitles},
    {"ON/OFF action", "13=0", {0, 0}, noOption, noTitles},
    {"alarm 2, 20 A burnout",
     "alarm2=1 heaterBreak=3",
     {21, 111, 53, 143},
     {14, 18, 24, 32, 33, 34, 35},
     {CoolTitle}},
    {"50 A burnout",
     "heaterBreak=4",
     {21, 155, 53, 156},
     {20, 37, 39, 41, 14, 18, 24, 32, 33, 34, 35},
     {Alarm2Title, CoolTitle}},
    {"heating/cooling",
     "heatCool=1",
     {},
     {20, 37, 39, 41, 21, 53},
     {Alarm2Title, HeaterBreakTitle}},
    {"before any link", "buttons=0 alarm2=1 heatCool=1", {}, allRows, {HeaterBreakTitle}},
};
} // namespace

class TestMainDisplayModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }

    void lamps_data() { addRows(lampRows); }
    void lamps();
    void monitorTexts_data() { addRows(monitorRows); }
    void monitorTexts();
    void settingValuesNeedValidData();
    void operatingState_data() { addRows(operatingRows); }
    void operatingState();
    void autoManualChangeOncePerChange();
    void offlinePanelFollowsUnitConfiguration();
    void unitLabels();
    void rowVisibility_data() { addRows(visibilityRows); }
    void rowVisibility();
    void captionsAndButtons_data() { addRows(captionRows); }
    void captionsAndButtons();
};

void TestMainDisplayModel::lamps()
{
    const LampRow &r = fetchRow(lampRows);
    const QString lit = r.lit, shown = r.shown;
    const MonitorPanelState s = monitorPanelState(controller(r.setup));
    using namespace DisplayColor;
    QList<Rgb> colours{s.out1Lamp.colour, s.out2Lamp.colour}; // then EVT1, EVT2, UP, DOWN, HB
    for (const auto &lamp : s.alarmLamps)
        colours << lamp.colour;
    colours << s.autoTuningColour;
    const Rgb litColours[8] = {Green, Yellow, Red, Red, Red, Red, Red, Yellow};
    for (int i = 0; i < 8; ++i)
        QVERIFY2(colours[i] == (lit[i] == 'X' ? litColours[i] : White), r.lit);
    QCOMPARE(s.out2Lamp.visible, shown[0] == 'X');
    QCOMPARE(s.mv2Visible, shown[0] == 'X');
    QCOMPARE(s.alarmLamps[Evt2Lamp].visible, shown[1] == 'X');
    QCOMPARE(s.alarmLamps[HbLamp].visible, shown[2] == 'X');
    QVERIFY(s.out1Lamp.visible && s.alarmLamps[UpLamp].visible && s.alarmLamps[DownLamp].visible);
}

void TestMainDisplayModel::monitorTexts()
{
    const MonitorRow &r = fetchRow(monitorRows);
    const MonitorPanelState s = monitorPanelState(controller(r.setup));
    QCOMPARE(s.pvText, QString(r.pv));
    QCOMPARE((QStringList{s.svText, s.mvText[0], s.mvText[1]}),
             (QStringList{"300", "45.5", "12.5"}));
    const ChartCaptions &c = s.chart;
    QCOMPARE((QStringList{c.sv0, c.mv1}), (QStringList{"300", "45.5"}));
    QCOMPARE((QStringList{c.pv0, c.mv2, c.sv2, c.sv3, c.sv4}), QString(r.chart).split('|'));
}

void TestMainDisplayModel::settingValuesNeedValidData()
{
    SessionState shared = controller("valid=0 0=251");
    for (const SettingRow &row : settingPageState(shared, SettingPageState::AllPages).rows)
        QVERIFY2(row.valueText.isEmpty(), qPrintable(QString::number(row.place.code)));
    const MonitorPanelState panel = monitorPanelState(shared);
    QCOMPARE(panel.pvText, QStringLiteral("251"));
    QCOMPARE(panel.svText, QStringLiteral("300"));
    QVERIFY(settingPageState(shared, AlarmPage).mainSetValueText.isEmpty());

    shared.settingDataValid = true;
    const SettingPageState valid = settingPageState(shared, SettingPageState::AllPages);
    QCOMPARE(valid.rows.size(), settingRowPlaces().size());
    QCOMPARE(valid.row(13)->valueText, QStringLiteral("30"));
    // The main set value belongs to every page, as the setting value it is.
    QCOMPARE(settingPageState(shared, OtherPage).mainSetValueText, QStringLiteral("310"));
    QCOMPARE(valid.row(36)->valueText, QStringLiteral("High limit alarm"));
    QVERIFY(settingPageState(shared, AlarmPage).row(13) == nullptr);

    // A read the controller refused leaves no value to show: the row is marked, not filled with
    // the value held before.
    shared.unreadCodes = {13, 36};
    const SettingPageState unread = settingPageState(shared, SettingPageState::AllPages);
    for (const int code : {13, 36}) {
        QCOMPARE(unread.row(code)->valueText, QStringLiteral("----"));
        QVERIFY(unread.row(code)->unread);
    }
    QCOMPARE(unread.row(15)->valueText, valid.row(15)->valueText);
    QVERIFY(!unread.row(15)->unread);
}

void TestMainDisplayModel::operatingState()
{
    const OperatingRow &r = fetchRow(operatingRows);
    const MonitorPanelState s =
        monitorPanelState(controller(QStringLiteral("status=%1").arg(r.status)));
    QCOMPARE(s.outOffCaptionId, r.caption);
    QVERIFY(s.outOffColour == (r.lightGreen ? DisplayColor::LightGreen : DisplayColor::White));
    QCOMPARE(s.outOffStateVisible ? s.outOffStateId : 0, r.stateText);
    QCOMPARE(s.manualButtonsVisible, r.buttons);
}

void TestMainDisplayModel::offlinePanelFollowsUnitConfiguration()
{
    // Offline the option word of an earlier controller, or none at all, must not decide what the
    // configured unit shows; manual output cannot be given offline.
    SessionState shared = controller("options=0 status=0x5000 heatCool=1 alarm2=1 heaterBreak=0");
    shared.online = false;
    MonitorPanelState s = monitorPanelState(shared);
    QVERIFY(s.mv2Visible && s.out2Lamp.visible && s.alarmLamps[Evt2Lamp].visible);
    QVERIFY(!s.alarmLamps[HbLamp].visible && !s.manualButtonsVisible);

    shared.unitConfig.heatCool = 0;
    s = monitorPanelState(shared);
    QVERIFY(!s.mv2Visible && !s.out2Lamp.visible);

    shared.online = true; // online the controller's own word rules
    shared.monitorValues[7] = 0x0040;
    s = monitorPanelState(shared);
    QVERIFY(s.mv2Visible && !s.alarmLamps[Evt2Lamp].visible && s.manualButtonsVisible);
}

void TestMainDisplayModel::autoManualChangeOncePerChange()
{
    SessionState shared = controller("45=7"); // anything the controller has not told us yet
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
        shared.monitorValues[4] = qint16(step.status);
        QCOMPARE(trackAutoManualChange(shared), step.changed);
        QCOMPARE(int(shared.setting(45)), step.code45);
    }

    shared.monitorValues[4] = 0x5000;
    QVERIFY(trackAutoManualChange(shared));
    const SettingPageState page = settingPageState(shared, OtherPage);
    const SettingRow *row = page.row(45);
    QVERIFY(row->visible);
    QCOMPARE(row->valueText, QStringLiteral("Manual control"));
}

void TestMainDisplayModel::unitLabels()
{
    // input type, PV unit, rate unit: Celsius up to 14, Fahrenheit up to 29, then DC inputs
    for (const auto &[inputType, unit, rate] : {std::tuple{14, 215, 335}, std::tuple{15, 216, 336},
                                                std::tuple{29, 216, 336}, std::tuple{30, 0, 337}}) {
        const SettingPageState s =
            settingPageState(controller(QStringLiteral("49=%1 27=1").arg(inputType)), PidPage);
        for (int i = 0; i < SettingPageState::UnitLabelCount; ++i) {
            const DisplayText expected{unit, i == 5 && inputType >= 30 ? QStringLiteral("%") : ""};
            QVERIFY2(s.unitLabels[i] == expected,
                     qPrintable(QStringLiteral("%1 %2").arg(inputType).arg(i)));
        }
        QCOMPARE(s.rateUnitLabels[0].messageId, rate);
        QCOMPARE(s.rateUnitLabels[1].messageId, rate);
    }
}

void TestMainDisplayModel::rowVisibility()
{
    const VisibilityRow &r = fetchRow(visibilityRows);
    const QString group = r.group;
    const QList<int> shown = group == QLatin1String("other") ? r.shown + alwaysOther : r.shown;
    const SettingPageState s = settingPageState(controller(r.setup), SettingPageState::AllPages);
    QCOMPARE(shownOf(s, rowGroups[group]), sorted(shown));
    for (const SettingRow &row : s.rows) {
        QVERIFY2(row.buttonVisible == row.visible, qPrintable(QString::number(row.place.code)));
        if (row.place.code != 37)
            QCOMPARE(row.valueVisible, row.visible);
    }
    if (group == QLatin1String("burnout")) {
        const MonitorPanelState panel = monitorPanelState(controller(r.setup));
        QCOMPARE(panel.hbVisible[0], shown.contains(21));
        QCOMPARE(panel.hbVisible[1], shown.contains(53));
    }
}

void TestMainDisplayModel::captionsAndButtons()
{
    const CaptionRow &r = fetchRow(captionRows);
    const SessionState shared = controller(r.setup);
    const SettingPageState s = settingPageState(shared, SettingPageState::AllPages);
    for (int i = 0; i + 1 < r.captions.size(); i += 2) {
        const int code = r.captions[i], caption = r.captions[i + 1];
        if (code != 0)
            QCOMPARE(s.row(code)->captionId, caption);
        else
            QCOMPARE(s.autoTuningVisible ? s.autoTuningCaptionId : 0, caption);
    }
    QList<int> disabledNow, hiddenNow;
    for (const SettingRow &row : s.rows) {
        if (!row.buttonEnabled)
            disabledNow.append(row.place.code);
    }
    QCOMPARE(sorted(disabledNow), sorted(r.disabled));
    QCOMPARE(s.mainSetValueButtonEnabled, shared.parameterButtonsEnabled);
    for (int i = 0; i < int(s.titleButtonVisible.size()); ++i) {
        if (!s.titleButtonVisible[i])
            hiddenNow.append(i);
    }
    QCOMPARE(hiddenNow, r.hiddenTitles);
    QCOMPARE(s.heaterBreakFrameVisible, shared.unitConfig.heaterBreak != 0);
    // Without alarm 2 its type row keeps only its caption.
    QCOMPARE(s.row(37)->valueVisible, shared.unitConfig.alarm2 != 0);
}

QTEST_GUILESS_MAIN(TestMainDisplayModel)
#include "tst_maindisplaymodel.moc"
