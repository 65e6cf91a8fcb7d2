#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/ParameterTable.h"
#include "tests/support/DataRows.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/SettingRanges.h"
#include "transfer/SettingValueCheck.h"

#include <QtTest>

namespace
{

struct RangeRow {
    const char *name;
    int code;
    const char *settings; // "code=value ..." into settingValues
    bool online;
    int optionWord, optionWord2, heaterBreak;
    int min, max;
    bool oneDecimal;
    const char *limitText; // null: not written
};
const RangeRow rangeRows[] = {
    {"SV, input 0", 11, "49=0 25=800 26=-200", false, 0, 0, 0, -200, 800, false, "-200 to  800"},
    {"SV, tenth input 1", 11, "49=1 25=4000 26=-2000", false, 0, 0, 0, -2000, 4000, true,
     "-200.0 to 400.0"},
    {"SV 3, DC place 0", 60, "49=30 27=0 25=10000 26=-2000", false, 0, 0, 0, -2000, 10000, true,
     "-2000 to 10000"},
    {"SV, DC place 5", 11, "49=33 27=5 25=100 26=0", false, 0, 0, 0, 0, 100, true, nullptr},
    {"sensor correction, DC place 2", 23, "49=31 27=2", false, 0, 0, 0, -1000, 1000, true,
     "-10.00 to 10.00"},
    {"sensor correction, input 0", 23, "49=0", false, 0, 0, 0, -1000, 1000, true,
     "-100.0 to 100.0"},
    {"alarm 1 type 3", 19, "36=3 25=1370 26=0", false, 0, 0, 0, 0, 1370, false, " 0 to  1370"},
    {"alarm 1 type 1", 19, "36=1 25=1370 26=0", false, 0, 0, 0, -1370, 1370, false,
     "-1370 to  1370"},
    {"alarm 1 standby type 8, tenth", 19, "49=1 36=8 25=4000 26=-2000", false, 0, 0, 0, -6000, 6000,
     true, "-600.0 to 600.0"},
    {"alarm 2 follows its own type", 20, "36=1 37=5 25=1370 26=-200", false, 0, 0, 0, -200, 1370,
     false, "-200 to  1370"},
    {"proportional band, tenth F", 13, "49=16", false, 0, 0, 0, 0, 10000, true, "0.0 to 1000.0"},
    {"proportional band, DC", 13, "49=32 27=3", false, 0, 0, 0, 0, 1000, true, "0.0 to 100.0"},
    {"proportional band, F", 13, "49=15", false, 0, 0, 0, 0, 2000, false, " 0 to  2000"},
    {"integral time", 15, "", false, 0, 0, 0, 0, 1000, false, " 0 to  1000"},
    {"proportional cycle", 17, "", false, 0, 0, 0, 1, 120, false, " 1 to  120"},
    {"cooling proportional cycle", 18, "", false, 0, 0, 0, 1, 120, false, " 1 to  120"},
    {"heater burnout 50 A offline", 21, "", false, 0, 0, 4, 0, 500, true, "0.0 to 50.0"},
    {"heater burnout 20 A offline", 53, "", false, 0x08, 0, 3, 0, 200, true, "0.0 to 20.0"},
    {"heater burnout 50 A online", 21, "", true, 0x08, 0, 1, 0, 500, true, "0.0 to 50.0"},
    {"heater burnout 20 A online", 21, "", true, 0, 0, 2, 0, 200, true, "0.0 to 20.0"},
    {"scale high, tenth, offline", 25, "49=11 26=-100", false, 0, 0, 0, -2000, 8500, true,
     "-200.0 to 850.0"},
    {"scale high, online", 25, "49=0 26=-100", true, 0, 0, 0, -100, 1370, false, "-100 to  1370"},
    {"scale low, DC, online", 26, "49=33 27=1 25=5000", true, 0, 0, 0, -2000, 5000, true,
     "-200.0 to 500.0"},
    {"output high limit", 29, "30=20", false, 0, 0, 0, 20, 100, false, " 20 to  100"},
    {"output high limit, widened", 29, "30=-5", false, 0, 0x10, 0, -5, 105, false, "-5 to  105"},
    {"output low limit, widened", 30, "29=80", false, 0, 0x10, 0, -5, 80, false, "-5 to  80"},
    {"cooling output low limit", 34, "33=90", false, 0, 0, 0, 0, 90, false, " 0 to  90"},
    {"alarm hysteresis", 38, "49=0", false, 0, 0, 0, 1, 1000, true, "0.1 to 100.0"},
    {"rise rate, tenth", 43, "49=7", false, 0, 0, 0, 0, 10000, true, "0.0 to 1000.0"},
    {"AT bias, F", 51, "49=17", false, 0, 0, 0, 0, 100, false, " 0 to  100"},
    {"AT bias, tenth C", 51, "49=1", false, 0, 0, 0, 0, 500, true, "0.0 to 50.0"},
    {"AT bias, DC", 51, "49=30", false, 0, 0, 0, 0, 0, false, " 0 to  0"},
    {"PV colour range, DC place 3", 56, "49=35 27=3", false, 0, 0, 0, 1, 1000, true,
     "0.001 to 1.000"},
    {"backlight time", 57, "", false, 0, 0, 0, 0, 99, false, " 0 to  99"},
};

// A whole set of values checked for the unit configuration it comes with: the defaults with the
// changes in settings. fault is the first code outside its limits, 0 when the set fits.
struct SetRow {
    const char *name;
    const char *settings;
    UnitConfig config;
    int fault;
};
const SetRow setRows[] = {
    {"defaults", "", {}, 0},
    {"manual output -50.0 % needs heating/cooling", "46=-500", {}, 46},
    {"manual output -50.0 % with heating/cooling", "46=-500", {0, 1, 0, 0, 0, 0}, 0},
    {"output limit 105 needs a DC current output", "29=105", {0, 0, 0, 0, 1, 0}, 29},
    {"output limit 105 with a DC current output", "29=105", {0, 0, 0, 0, 2, 0}, 0},
    {"45.0 A on a 50 A alarm", "21=450 53=450", {0, 0, 4, 0, 0, 0}, 0},
    {"input type 36", "49=36", {}, 49},
    {"set value 4 below scaling", "60=-201", {}, 60},
    {"last choice item", "63=2", {}, 63},
};

} // namespace

class TestSettingRanges : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        MessageTable::instance().setLanguage(Language::English);
    }
    void entryRange_data() { addRows(rangeRows); }
    void entryRange();
    void noEntryRangeOutsideNumericItems();
    void rangeTextInJapanese();
    void inputRanges_data();
    void inputRanges();
    void setFitsItsOwnOptions_data() { addRows(setRows); }
    void setFitsItsOwnOptions();
    void optionWordsDescribeTheUnitConfiguration();
};

void TestSettingRanges::entryRange()
{
    const RangeRow &r = fetchRow(rangeRows);
    SessionState shared;
    for (const QString &pair : QString(r.settings).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        shared.setting(pair.section('=', 0, 0).toInt()) = qint16(pair.section('=', 1).toInt());
    shared.online = r.online;
    shared.monitorValues[7] = qint16(r.optionWord);
    shared.monitorValues[8] = qint16(r.optionWord2);
    shared.unitConfig.heaterBreak = qint16(r.heaterBreak);

    const auto range = SettingRanges::entryRange(shared, r.code, QStringLiteral("12"));
    QVERIFY(range);
    QCOMPARE(int(range->limits.min), r.min);
    QCOMPARE(int(range->limits.max), r.max);
    QCOMPARE(range->oneDecimal, r.oneDecimal);
    QCOMPARE(range->nowData, QStringLiteral("12"));
    QCOMPARE(range->limitData.has_value(), r.limitText != nullptr);
    if (r.limitText)
        QCOMPARE(*range->limitData, QString(r.limitText));
}

// The range reads as the Japanese message table writes ranges, with no English left in it.
void TestSettingRanges::rangeTextInJapanese()
{
    MessageTable::instance().setLanguage(Language::Japanese);
    SessionState shared;
    shared.setting(49) = 1;
    shared.setting(25) = 4000;
    shared.setting(26) = -2000;
    const auto range = SettingRanges::entryRange(shared, 11, QString());
    MessageTable::instance().setLanguage(Language::English);
    QVERIFY(range);
    QCOMPARE(range->limitData.value_or(QString()), QStringLiteral("-200.0～400.0"));
}

// Choice items, the manual output and codes beyond the numeric items have no entry range; a
// single write takes a choice's own values and the manual output's button steps instead.
void TestSettingRanges::noEntryRangeOutsideNumericItems()
{
    SessionState shared;
    shared.setting(49) = 1;
    shared.setting(29) = 100;
    for (int code : {12, 22, 36, 46, 49, 63, 64, 10})
        QVERIFY2(!SettingRanges::entryRange(shared, code, QStringLiteral("x")),
                 qPrintable(QString::number(code)));
    QCOMPARE(SettingRanges::valueLimits(shared, 49), (std::pair<int, int>(0, 35)));
    QCOMPARE(SettingRanges::valueLimits(shared, 46), (std::pair<int, int>(0, 1000)));
}

void TestSettingRanges::inputRanges_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("editedCode");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("K") << 0 << 25 << -200 << 1370;
    QTest::newRow("T tenth") << 7 << 25 << -2000 << 4000;
    QTest::newRow("B") << 5 << 26 << 0 << 1820;
    QTest::newRow("K F") << 15 << 25 << -320 << 2500;
    QTest::newRow("Pt100 tenth F") << 26 << 26 << -3200 << 15000;
    QTest::newRow("JPt100 F") << 29 << 25 << -320 << 900;
    QTest::newRow("DC editing scale") << 30 << 25 << -2000 << 10000;
    QTest::newRow("DC other item") << 35 << 19 << -50 << 600;
    QTest::newRow("unknown type") << 40 << 26 << -2000 << 10000;
}

void TestSettingRanges::inputRanges()
{
    QFETCH(int, type);
    QFETCH(int, editedCode);
    QFETCH(int, min);
    QFETCH(int, max);
    SessionState shared;
    shared.setting(49) = qint16(type);
    shared.setting(25) = 600;
    shared.setting(26) = -50;
    const SettingRanges::Limits limits = SettingRanges::inputRangeLimits(shared, editedCode);
    QCOMPARE(int(limits.min), min);
    QCOMPARE(int(limits.max), max);
}

void TestSettingRanges::setFitsItsOwnOptions()
{
    const SetRow &r = fetchRow(setRows);
    SessionState shared;
    shared.settingValues = ParameterTable::defaultSettingValues();
    for (const QString &pair : QString(r.settings).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        shared.setting(pair.section('=', 0, 0).toInt()) = qint16(pair.section('=', 1).toInt());
    // The controller's option words and link state play no part.
    shared.monitorValues[7] = shared.monitorValues[8] = -1;
    const auto fault = SettingValueCheck::firstFault(shared.settingValues, r.config);
    QCOMPARE(fault ? fault->code : 0, r.fault);
    if (fault)
        QCOMPARE(fault->value, int(shared.setting(fault->code)));
}

// The options a file's values are checked for are those of its unit configuration, for every
// configuration a file may hold.
void TestSettingRanges::optionWordsDescribeTheUnitConfiguration()
{
    const auto &max = SettingValueCheck::UnitConfigMax;
    for (int a = 0; a <= max[0]; ++a)
        for (int h = 0; h <= max[1]; ++h)
            for (int b = 0; b <= max[2]; ++b)
                for (int c = 0; c <= max[3]; ++c)
                    for (int o = 0; o <= max[4]; ++o)
                        for (int s = 0; s <= max[5]; ++s) {
                            const UnitConfig config{qint16(a), qint16(h), qint16(b),
                                                    qint16(c), qint16(o), qint16(s)};
                            const auto [word, word2] = SettingValueCheck::optionWordsOf(config);
                            QVERIFY(OnlineStartRead::deriveUnitConfig(word, word2) == config);
                        }
}

QTEST_GUILESS_MAIN(TestSettingRanges)
#include "tst_settingranges.moc"
