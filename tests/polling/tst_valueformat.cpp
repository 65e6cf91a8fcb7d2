#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "polling/ValueFormat.h"
#include "tests/support/DataRows.h"

#include <QtTest>

namespace
{

// A value's text for one item code in a given state.
struct TextRow {
    const char *name;
    int code;
    const char *values;
    const char *text;
};

// "code=value ..." into monitorValues (0 to 8) and settingValues (10 to 65).
SessionState stateWith(const QString &values)
{
    SessionState shared;
    for (const QString &pair : values.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split(QLatin1Char('='));
        const int code = parts.at(0).toInt();
        const qint16 value = qint16(parts.at(1).toInt());
        if (code <= 8)
            shared.monitorValues[code] = value;
        else
            shared.setting(code) = value;
    }
    return shared;
}

const TextRow itemRows[] = {
    // PV-unit items.
    {"SV tenth", 11, "49=1 11=2505", "250.5"},
    {"SV whole", 11, "49=0 11=2505", "2505"},
    {"SV DC place 2 negative", 11, "49=31 27=2 11=-150", "-1.50"},
    {"SV DC place 0", 11, "49=31 27=0 11=10000", "10000"},
    {"SV DC place 0 lowest", 11, "49=31 27=0 11=-32768", "-32768"},
    {"SV DC place 3 small", 58, "49=35 27=3 58=5", "0.005"},
    {"SV DC place out of range", 11, "49=33 27=5 11=100", ""},
    {"PV tenth small negative", 0, "49=7 0=-5", "-0.5"},
    {"SV in use DC place 1", 3, "49=30 27=1 3=-2000", "-200.0"},
    // Tenth items.
    {"MV1", 1, "49=0 1=1000", "100.0"},
    {"heater current", 5, "5=123", "12.3"},
    // Span items.
    {"sensor correction input 0", 23, "49=0 23=15", "1.5"},
    {"sensor correction DC place 3", 23, "49=33 27=3 23=15", "0.015"},
    {"colour range DC place 0", 56, "49=30 27=0 56=50", "50"},
    // Proportional band.
    {"P band whole", 13, "49=0 13=25", "25"},
    {"P band tenth", 13, "49=1 13=25", "2.5"},
    {"P band DC", 13, "49=30 27=3 13=25", "2.5"},
    // Integer items.
    {"integral time", 15, "49=1 15=240", "240"},
    // Auto-tuning.
    {"AT running", 12, "12=1 13=10 15=200 16=50", "During AT performance"},
    {"AT cancelled", 12, "12=0 13=10 15=200 16=50", "During AT cancellation"},
    {"AR running", 12, "12=1 13=10 15=0 16=50", "During AR performance"},
    {"AR cancelled", 12, "12=0 13=10 15=0 16=0", "During AR cancellation"},
    {"no P band", 12, "12=1 13=0 15=200 16=50", ""},
    {"AT value 2", 12, "12=2 13=10 15=200 16=50", "2 (not a choice)"},
    // Enumerations: a value outside the list is never shown as one of its choices.
    {"lock 2", 22, "22=2", "Lock 2"},
    {"lock 4", 22, "22=4", "4 (not a choice)"},
    {"decimal place 1", 27, "27=1", "XXX.X"},
    {"decimal place 4", 27, "27=4", "4 (not a choice)"},
    {"water cooling", 32, "32=2", "Water cooling"},
    {"cooling 3", 32, "32=3", "3 (not a choice)"},
    {"alarm 2", 36, "36=2", "Low limit alarm"},
    {"alarm 9", 37, "37=9", "High/Low limits alarm with standby"},
    {"alarm 10", 36, "36=10", "10 (not a choice)"},
    {"alarm -1", 37, "37=-1", "-1 (not a choice)"},
    {"output OUT", 44, "44=0", "Control output OUT"},
    {"output OFF", 44, "44=1", "Control output OFF"},
    // Codes 44, 47, 48 and 50 read every value but 0 as their second text, as the controller
    // does.
    {"output 5", 44, "44=5", "Control output OFF"},
    {"output -1", 44, "44=-1", "Control output OFF"},
    {"manual", 45, "45=1", "Manual control"},
    {"auto/manual 2", 45, "45=2", "2 (not a choice)"},
    {"deenergized", 48, "48=1", "Deenergized"},
    {"energized -1", 47, "47=-1", "Deenergized"},
    {"alarm 2 energized 7", 48, "48=7", "Deenergized"},
    {"input type 0", 49, "49=0", "K(-200 to 1370 deg.C)"},
    {"input type 36", 49, "49=36", "36 (not a choice)"},
    {"input type 35", 49, "49=35", "0 to 10V DC(-2000 to 10000)"},
    {"input type -1", 49, "49=-1", "-1 (not a choice)"},
    {"direct", 50, "50=1", "Cooling(direct)"},
    {"direct/reverse 99", 50, "50=99", "Cooling(direct)"},
    {"reverse", 50, "50=0", "Heating(reverse)"},
    {"backlight 6", 54, "54=6", "SV and action indicators are backlit."},
    {"backlight 7", 54, "54=7", "7 (not a choice)"},
    {"contact input 2", 61, "61=2", "OUT/OFF external selection 2"},
    {"contact input 3", 61, "61=3", "3 (not a choice)"},
    {"output ON", 62, "62=1", "Output ON"},
    {"key function 0", 63, "63=0", "OUT/OFF function"},
    {"key function 2", 63, "63=2", "2 (not a choice)"},
    // Codes without a value.
    {"code 9", 9, "", ""},
    {"code 66", 66, "", ""},
};

const TextRow fileLoadRows[] = {
    {"place 0", 27, "27=0", "XXXX"},
    {"place 2", 27, "27=2", "XX. XX"},
    {"place 3", 27, "27=3", "X. XXX"},
    {"AT", 12, "12=1 13=10 15=200 16=50", "During AT performance"},
    // Unlike the live text, any zero among the PID terms gives the AR wording.
    {"AR without derivative", 12, "12=1 13=10 15=200 16=0", "During AR performance"},
    {"AR without P band", 12, "12=0 13=0 15=200 16=50", "During AR cancellation"},
    {"other items as live", 11, "49=1 11=2505", "250.5"},
};

} // namespace

class TestValueFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }
    void itemText_data() { addRows(itemRows); }
    void itemText();
    void fileLoadLabels_data() { addRows(fileLoadRows); }
    void fileLoadLabels();
    void decimalSeparatorFollowsLocale();
};

void TestValueFormat::itemText()
{
    const TextRow &r = fetchRow(itemRows);
    QCOMPARE(formatItemValue(stateWith(r.values), r.code), QString::fromUtf8(r.text));
}

void TestValueFormat::fileLoadLabels()
{
    const TextRow &r = fetchRow(fileLoadRows);
    QCOMPARE(loadedSettingText(stateWith(r.values), r.code), QString::fromUtf8(r.text));
}

void TestValueFormat::decimalSeparatorFollowsLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(formatItemValue(stateWith("49=1 11=12345"), 11), QStringLiteral("1234,5"));
    QCOMPARE(formatItemValue(stateWith("49=31 27=2 11=-150"), 11), QStringLiteral("-1,50"));
    // A locale whose minus sign is not "-": decimals and whole numbers both take "-".
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    QCOMPARE(QLocale().negativeSign(), QString(QChar(0x2212)));
    QCOMPARE(formatItemValue(stateWith("49=1 23=-25"), 23), QStringLiteral("-2,5"));
    QCOMPARE(formatItemValue(stateWith("49=31 27=3 11=-5"), 11), QStringLiteral("-0,005"));
    QCOMPARE(formatItemValue(stateWith("49=0 11=-200"), 11), QStringLiteral("-200"));
}

QTEST_GUILESS_MAIN(TestValueFormat)
#include "tst_valueformat.moc"
