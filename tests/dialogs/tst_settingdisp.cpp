#include "app/MessageTable.h"
#include "comm/RegisterMap.h"
#include "dialogs/Setting_Disp.h"
#include "tests/support/DataRows.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/SettingSetup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The parameter entry dialog as the operator types into it: keys of the keyboard and clicks on
// the pad, the entry box after each of them, and what OK leaves behind.
class TestSettingDisp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void typing_data();
    void typing();
};

namespace
{
// Keys: a digit, '-' the minus key, 'b' Backspace, '.' the point key, 'x' a letter key,
// 'E' Enter; on the pad: 's' "+/-", 'C' "CE", 'O' "OK", 'X' "Cancel", 'p' the "7" key.
struct TypingRow {
    const char *name;
    const char *settings;
    int code;
    bool online;
    const char *keys;
    const char *shown; // the entry box after each key but E and O, '|' between
    QList<QList<int>> messages;
    int stored; // the item's value afterwards
    bool accepted;
};
const TypingRow typingRows[] = {
    {"linear input, place 2",
     "49=31 27=2 25=5000 26=-2000 11=7",
     11,
     false,
     "1234E",
     "0.01|0.12|1.23|12.34",
     {},
     1234,
     true},
    {"leading zero vanishes", "49=0 25=1370 26=-200", 11, false, "05xE", "0|5|5", {}, 5, true},
    {"minus on empty, then negated",
     "49=0 25=1370 26=-200",
     11,
     false,
     "-5-O",
     "0|5|-5",
     {},
     -5,
     true},
    {"seventh character ignored",
     "49=0 25=1370 26=-200 11=9",
     11,
     false,
     "1234567E",
     "1|12|123|1234|12345|123456|123456",
     {{229}},
     9,
     false},
    {"the sign counts",
     "49=0 25=1370 26=-200 11=9",
     11,
     false,
     "12345-6O",
     "1|12|123|1234|12345|-12345|-12345",
     {{229}},
     9,
     false},
    {"backspace and point clear all",
     "49=0 25=1370 26=-200",
     11,
     false,
     "12b3.4p",
     "1|12||3||4|47",
     {},
     0,
     false},
    {"empty entry", "49=0", 15, false, "E", "", {{559}}, 0, false},
    {"CE then OK", "49=0", 15, false, "12CO", "1|12|", {{559}}, 0, false},
    {"+/- out of range", "29=80 30=10", 30, false, "5s", "5|", {{229}}, 10, false},
    {"+/- in range", "49=0", 23, false, "15s", "0.1|1.5|-1.5", {}, 0, false},
    {"one decimal, tenth input",
     "49=1 25=4000 26=-2000",
     11,
     false,
     "25E",
     "0.2|2.5",
     {},
     25,
     true},
    {"limits on the raw integer",
     "49=31 27=1 25=1300 26=-199",
     11,
     false,
     "1301E",
     "0.1|1.3|13.0|130.1",
     {{229}},
     0,
     false},
    {"online", "49=0 25=1370 26=-200", 11, true, "300E", "3|30|300", {}, 300, true},
    {"cancel", "49=0 25=1370 26=-200 11=9", 11, true, "55X", "5|55", {}, 9, false},
};

QPushButton *button(Setting_Disp &d, const QString &name)
{
    return d.findChild<QPushButton *>(name);
}
} // namespace

void TestSettingDisp::typing_data()
{
    addRows(typingRows);
}

void TestSettingDisp::typing()
{
    const TypingRow &r = fetchRow(typingRows);
    ZN8P_INC inc;
    RegisterMap::fillRegisterTable(inc);
    applySettings(inc, QLatin1String(r.settings));
    inc.online = r.online;
    inc.itemCode = qint16(r.code);
    FakeOperator op;
    Setting_Disp dialog(inc, op, SettingRanges::SetEntryRange(inc, QString()));
    dialog.show();
    auto *entry = dialog.findChild<QLineEdit *>(QStringLiteral("Disp_setdata"));

    QStringList shown;
    for (const char key : QByteArray(r.keys)) {
        if (key >= '0' && key <= '9')
            QTest::keyClick(entry, Qt::Key(Qt::Key_0 + (key - '0')));
        else if (key == 'p')
            QTest::mouseClick(button(dialog, QStringLiteral("Ten_key_7")), Qt::LeftButton);
        else if (key == 's')
            QTest::mouseClick(button(dialog, QStringLiteral("Command1")), Qt::LeftButton);
        else if (key == 'C')
            QTest::mouseClick(button(dialog, QStringLiteral("Command2")), Qt::LeftButton);
        else if (key == 'O' || key == 'X')
            QTest::mouseClick(button(dialog, QLatin1String(key == 'O' ? "Command3" : "Command4")),
                              Qt::LeftButton);
        else
            QTest::keyClick(entry, key == '-'   ? Qt::Key_Minus
                                   : key == 'b' ? Qt::Key_Backspace
                                   : key == '.' ? Qt::Key_Period
                                   : key == 'E' ? Qt::Key_Return
                                                : Qt::Key_X);
        if (key != 'E' && key != 'O' && key != 'X')
            shown.append(entry->text());
    }

    QCOMPARE(shown.join(QLatin1Char('|')), QLatin1String(r.shown));
    QCOMPARE(op.messages(), r.messages);
    QCOMPARE(int(inc.setting(r.code)), r.stored);
    QCOMPARE(dialog.result() == QDialog::Accepted, r.accepted);
    QCOMPARE(dialog.isVisible(), !r.accepted && !QByteArray(r.keys).endsWith('X'));
    // An accepted value and an empty entry beep.
    QCOMPARE(op.beeps, r.accepted || r.messages == QList<QList<int>>{{559}} ? 1 : 0);
    // Online the job timer writes the item; offline the data is only marked changed.
    QCOMPARE(inc.timerJob, qint16(r.accepted && r.online ? 2 : 0));
    QCOMPARE(inc.writeRegister, r.accepted && r.online ? inc.registerTable[r.code] : QString());
    QCOMPARE(inc.unsavedOnlineChanges, r.accepted && !r.online);
}

QTEST_MAIN(TestSettingDisp)
#include "tst_settingdisp.moc"
