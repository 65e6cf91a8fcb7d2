#include "base/MessageTable.h"
#include "comm/RegisterMap.h"
#include "dialogs/EntryDialog.h"
#include "polling/ValueFormat.h"
#include "tests/support/ContextRig.h"
#include "tests/support/DataRows.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/SettingSetup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The parameter entry dialog as the operator types into it: keys of the keyboard and clicks on
// the pad, the entry box after each of them, and what OK leaves behind.
class TestEntryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void typing_data();
    void typing();
    void heading_data();
    void heading();
};

namespace
{
// Keys: a digit, '-' the minus key, 'b' Backspace, '.' the point key, 'x' a letter key,
// 'E' Enter; on the pad: 's' "+/-", 'C' "CE", 'O' "OK", 'X' "Cancel", 'p' the "7" key, 'P' the
// "." key.
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
    const char *step = nullptr; // the item's step that message 920 names
};
const TypingRow typingRows[] = {
    {"linear input, place 2",
     "49=31 27=2 25=5000 26=-2000 11=7",
     11,
     false,
     "12.34E",
     "1|12|12.|12.3|12.34",
     {},
     1234,
     true},
    {"digits alone, place 2", "49=31 27=2 25=5000", 11, false, "12E", "1|12", {}, 1200, true},
    {"backspace clears", "49=0 25=1370", 11, false, "12b34p", "1|12||3|34|347", {}, 0, false},
    {"place 3", "49=31 27=3 25=5000", 11, false, ".123E", "0.|0.1|0.12|0.123", {}, 123, true},
    {"digits, one decimal", "49=0", 38, false, "25E", "2|25", {}, 250, true},
    {"point: as typed", "49=0 38=10", 38, true, "2.5E", "2|2.|2.5", {}, 25, true},
    {"too fine", "49=0 38=10", 38, true, "2.55E", "2|2.|2.5|2.55", {{920}}, 10, false, "0.1"},
    {"pad point key", "49=0", 38, false, "12P5O", "1|12|12.|12.5", {}, 125, true},
    {"point, +/-", "49=0", 23, false, "3.5sE", "3|3.|3.5|-3.5", {}, -35, true},
    {"decimal, whole", "49=0 15=7", 15, false, "2.5E", "2|2.|2.5", {{920}}, 7, false, "1"},
    {"point, place 2", "49=31 27=2 25=5000", 11, false, "2.3E", "2|2.|2.3", {}, 230, true},
    {"upper, point", "49=0", 38, false, "100.0E", "1|10|100|100.|100.0", {}, 1000, true},
    {"lower limit, point", "49=0", 38, false, "0.1E", "0|0.|0.1", {}, 1, true},
    {"above", "49=0 38=9", 38, false, "100.1E", "1|10|100|100.|100.1", {{229}}, 9, false},
    {"above, digits", "49=0 38=9", 38, false, "101E", "1|10|101", {{229}}, 9, false},
    {"lower limit", "49=0", 26, false, "200-E", "2|20|200|-200", {}, -200, true},
    {"upper limit", "49=0", 25, true, "1370E", "1|13|137|1370", {}, 1370, true},
    {"empty entry", "49=0", 15, false, "E", "", {{559}}, 0, false},
    {"CE then OK", "49=0", 15, false, "12CO", "1|12|", {{559}}, 0, false},
    {"+/- out of range", "29=80 30=10", 30, false, "5s", "5|", {{229}}, 10, false},
    {"+/- in range", "49=0", 23, false, "1.5s", "1|1.|1.5|-1.5", {}, 0, false},
    {"one decimal, tenth input",
     "49=1 25=4000 26=-2000",
     11,
     false,
     "150E",
     "1|15|150",
     {},
     1500,
     true},
    {"limits on the raw integer",
     "49=31 27=1 25=1300 26=-199",
     11,
     false,
     "130.1E",
     "1|13|130|130.|130.1",
     {{229}},
     0,
     false},
    {"online", "49=0 25=1370 26=-200", 11, true, "300E", "3|30|300", {}, 300, true},
    {"cancel", "49=0 25=1370 26=-200 11=9", 11, true, "55X", "5|55", {}, 9, false},
};

QPushButton *button(EntryDialog &d, const QString &name)
{
    return d.findChild<QPushButton *>(name);
}
} // namespace

void TestEntryDialog::typing_data()
{
    addRows(typingRows);
}

void TestEntryDialog::typing()
{
    const TypingRow &r = fetchRow(typingRows);
    SessionState shared;
    RegisterMap::fillRegisterTable(shared);
    applySettings(shared, QLatin1String(r.settings));
    shared.online = r.online;
    FakeOperator op;
    ContextRig context(shared, op);
    EntryDialog dialog(context, *SettingRanges::entryRange(shared, r.code, QString()));
    dialog.show();
    auto *entry = dialog.findChild<QLineEdit *>(QStringLiteral("entryText"));

    QStringList shown;
    for (const char key : QByteArray(r.keys)) {
        if (key >= '0' && key <= '9')
            QTest::keyClick(entry, Qt::Key(Qt::Key_0 + (key - '0')));
        else if (key == 'p' || key == 'P')
            QTest::mouseClick(button(dialog, QLatin1String(key == 'p' ? "digitKey_7" : "pointKey")),
                              Qt::LeftButton);
        else if (key == 's')
            QTest::mouseClick(button(dialog, QStringLiteral("signKey")), Qt::LeftButton);
        else if (key == 'C')
            QTest::mouseClick(button(dialog, QStringLiteral("clearKey")), Qt::LeftButton);
        else if (key == 'O' || key == 'X')
            QTest::mouseClick(
                button(dialog, QLatin1String(key == 'O' ? "okButton" : "cancelButton")),
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
    if (r.step)
        QCOMPARE(op.texts.value(920), msg(920).arg(QLatin1String(r.step)));
    QCOMPARE(int(shared.setting(r.code)), r.stored);
    QCOMPARE(dialog.result() == QDialog::Accepted, r.accepted);
    // The text offline goes onto the page: the value as the page shows it, however it was typed.
    if (r.accepted)
        QCOMPARE(dialog.entryText(), formatItemValue(shared, r.code));
    QCOMPARE(dialog.isVisible(), !r.accepted && !QByteArray(r.keys).endsWith('X'));
    // An accepted value and an empty entry beep.
    QCOMPARE(op.beeps, r.accepted || r.messages == QList<QList<int>>{{559}} ? 1 : 0);
    // Online the job timer writes the item; offline the data is only marked changed.
    QCOMPARE(shared.timerJob, r.accepted && r.online ? TimerJob::WriteItem : TimerJob::Idle);
    QCOMPARE(shared.postedWriteCode, r.accepted && r.online ? r.code : 0);
    QCOMPARE(shared.unsavedOnlineChanges, r.accepted && !r.online);
    // A new scaling limit moves the ranges of other items: they are all read again.
    QCOMPARE(shared.rereadFlag, r.accepted && (r.code == 25 || r.code == 26));
}

namespace
{
struct HeadingRow {
    const char *name;
    const char *settings;
    int code;
    Language language;
    const char *heading;
};
const HeadingRow headingRows[] = {
    {"hysteresis", "49=0", 38, Language::English, "Alarm 1 hysteresis setting  deg.C"},
    {"hysteresis, Japanese", "49=0", 38, Language::Japanese, "警報1動作すきま設定  ℃"},
    {"main set value, Fahrenheit", "49=16", 11, Language::English, "Main set value  deg.F"},
    {"band of a linear input", "49=31", 13, Language::English, "Main proportional band setting  %"},
    {"rate", "49=0", 42, Language::English, "SV rise rate setting  deg.C/min"},
    {"time", "49=0", 15, Language::English, "Integral time setting  Sec."},
    {"no unit", "49=0", 29, Language::English, "Main output high limit setting"},
    {"longest caption, Japanese", "49=0", 35, Language::Japanese,
     "冷却出力ON/OFF動作すきま設定  ℃"},
};
} // namespace

void TestEntryDialog::heading_data()
{
    addRows(headingRows);
}

// The dialog names the item and its unit, readable in full at the size the dialog opens with.
void TestEntryDialog::heading()
{
    const HeadingRow &r = fetchRow(headingRows);
    MessageTable::instance().setLanguage(r.language);
    SessionState shared;
    applySettings(shared, QLatin1String(r.settings));
    FakeOperator op;
    ContextRig context(shared, op);
    EntryDialog dialog(context, *SettingRanges::entryRange(shared, r.code, QString()));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    MessageTable::instance().setLanguage(Language::English);
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("itemCaption"));
    QCOMPARE(label->text(), QString::fromUtf8(r.heading));
    QVERIFY(label->isVisible());
    QVERIFY(label->height() >= label->heightForWidth(label->width()));
    QVERIFY(dialog.rect().contains(label->geometry()));
}

QTEST_MAIN(TestEntryDialog)
#include "tst_entrydialog.moc"
