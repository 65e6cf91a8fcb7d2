#include "base/MessageTable.h"
#include "comm/RegisterMap.h"
#include "dialogs/SelectionDialog.h"
#include "dialogs/SettingResets.h"
#include "display/MainDisplayView.h"
#include "tests/support/ContextRig.h"
#include "tests/support/DataRows.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/SettingSetup.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The selection dialog driven with the mouse: the one frame it shows, and what OK and Cancel
// leave in the shared state for the main window to show.
class TestSelectionDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void frameOfTheItem();
    void sharedFramesAndStrayValues_data();
    void sharedFramesAndStrayValues();
    void okEffects_data();
    void okEffects();
    void resetQuestionNamesTheItems_data();
    void resetQuestionNamesTheItems();
};

namespace
{
// The question asked before a change that resets other items, and its answer.
enum class Asked { Nothing, Yes, No };

struct OkRow {
    const char *name;
    const char *settings; // before; downloadValues holds the same
    bool online;
    int code;
    int option;        // clicked
    const char *after; // "code=value" expected afterwards
    bool reread;
    bool cancel = false; // Cancel pressed instead of OK
    Asked asked = Asked::Nothing;
};
const char *const SetValues = "11=300 58=1 59=2 60=3 19=5 20=6";
const OkRow okRows[] = {
    {"input type changed offline", "49=0 25=800 26=0", false, 49, 16,
     "49=16 25=7500 26=-3200 11=0 58=0 59=0 60=0 19=0 20=0", false, false, Asked::Yes},
    {"same input type again", "49=0 25=800 26=0", false, 49, 0,
     "49=0 25=1370 26=-200 11=300 58=1 59=2 60=3 19=5 20=6", false},
    {"DC input type", "49=0 25=800 26=0", false, 49, 31,
     "49=31 25=10000 26=-2000 11=0 58=0 59=0 60=0 19=0 20=0", false, false, Asked::Yes},
    {"input type online", "49=0 25=800 26=0", true, 49, 16, "49=16 25=800 26=0 11=300 19=5", true,
     false, Asked::Yes},
    {"input type offline, answered No", "49=0 25=800 26=0", false, 49, 16, "", false, false,
     Asked::No},
    {"input type online, answered No", "49=0 25=800 26=0", true, 49, 16, "", false, false,
     Asked::No},
    {"alarm 1 type changed offline", "36=1", false, 36, 0, "36=0 19=0 20=6", false, false,
     Asked::Yes},
    {"alarm 2 type kept offline", "37=3", false, 37, 3, "37=3 20=6", false},
    {"alarm 1 type online", "36=1", true, 36, 3, "36=3 19=5", true, false, Asked::Yes},
    {"alarm 2 type online, answered No", "37=1", true, 37, 4, "", false, false, Asked::No},
    {"lock", "22=0", false, 22, 3, "22=3", false},
    {"cancel, input type", "49=0 25=800 26=0", false, 49, 16, "", false, true},
    {"cancel, key function", "63=0", true, 63, 1, "", false, true},
};

QRadioButton *option(SelectionDialog &d, const char *array, int index)
{
    return d.findChild<QRadioButton *>(QLatin1String(array) + QLatin1Char('_') +
                                       QString::number(index));
}

// On the indicator: a stretched radio button takes clicks only on its indicator and text.
void click(QRadioButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QList<QGroupBox *> visibleFrames(SelectionDialog &d)
{
    QList<QGroupBox *> shown;
    for (QGroupBox *box : d.findChildren<QGroupBox *>()) {
        if (box->isVisible())
            shown.append(box);
    }
    return shown;
}
} // namespace

void TestSelectionDialog::frameOfTheItem()
{
    SessionState shared;
    applySettings(shared, QStringLiteral("13=30 15=200 16=50 12=1 49=5"));
    {
        FakeOperator op;
        ContextRig context(shared, op);
        SelectionDialog dialog(context, 12);
        dialog.show();
        const QList<QGroupBox *> shown = visibleFrames(dialog);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0]->title(), QStringLiteral("AT selection"));
        QCOMPARE(option(dialog, "autoTuningChoice", 0)->text(), QStringLiteral("AT Cancel"));
        QVERIFY(option(dialog, "autoTuningChoice", 1)->isChecked());
        // Wide enough for the window manager to show the whole title, in bold beside its
        // buttons: the frame of two options alone is narrower.
        QFont bold = dialog.font();
        bold.setBold(true);
        QVERIFY(dialog.width() > QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + 100);
    }
    // Without integral time the same item is the auto-reset.
    applySettings(shared, QStringLiteral("15=0"));
    {
        FakeOperator op;
        ContextRig context(shared, op);
        SelectionDialog dialog(context, 12);
        dialog.show();
        QCOMPARE(visibleFrames(dialog)[0]->title(), QStringLiteral("Auto-reset selection"));
        QCOMPARE(option(dialog, "autoTuningChoice", 1)->text(),
                 QStringLiteral("Auto-reset Perform"));
    }
    // The 36 input types are named by their measuring ranges.
    FakeOperator op;
    ContextRig context(shared, op);
    SelectionDialog dialog(context, 49);
    dialog.show();
    QCOMPARE(visibleFrames(dialog)[0]->title(), QStringLiteral("Input type selection"));
    for (int type = 0; type < 36; ++type)
        QCOMPARE(option(dialog, "inputTypeChoice", type)->text(), msg(750 + type));
    QVERIFY(option(dialog, "inputTypeChoice", 5)->isChecked());
}

void TestSelectionDialog::sharedFramesAndStrayValues_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("checked"); // -1: no option selected

    QTest::newRow("alarm 1 type") << 36 << 2 << "Alarm 1 type selection" << 2;
    QTest::newRow("alarm 2 type") << 37 << 2 << "Alarm 2 type selection" << 2;
    QTest::newRow("alarm 2 energized") << 48 << 1 << "Alarm 2 Energized/Deenergized" << 1;
    QTest::newRow("direct/reverse 99") << 50 << 99 << "Direct/Reverse action selection" << -1;
    QTest::newRow("alarm type -1") << 37 << -1 << "Alarm 2 type selection" << -1;
}

// Frames shared by two items say which one is set; a stored value outside the list selects
// nothing, and OK then keeps the value (no write, nothing marked changed) as Cancel does.
void TestSelectionDialog::sharedFramesAndStrayValues()
{
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(QString, title);
    QFETCH(int, checked);

    SessionState shared;
    shared.online = true;
    shared.setting(code) = qint16(value);
    FakeOperator op;
    ContextRig context(shared, op);
    SelectionDialog dialog(context, code);
    dialog.show();
    const QList<QGroupBox *> shown = visibleFrames(dialog);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0]->title(), title);
    const QList<QRadioButton *> buttons = shown[0]->findChildren<QRadioButton *>();
    for (QRadioButton *button : buttons) {
        const bool expected =
            button->objectName().endsWith(QLatin1Char('_') + QString::number(checked));
        QCOMPARE(button->isChecked(), expected);
    }
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(checked < 0 ? QDialog::Rejected : QDialog::Accepted));
    QCOMPARE(int(shared.setting(code)), value);
    QCOMPARE(shared.timerJob, checked < 0 ? TimerJob::Idle : TimerJob::WriteItem);
    QVERIFY(op.shown.isEmpty());
}

void TestSelectionDialog::okEffects_data()
{
    addRows(okRows);
}

void TestSelectionDialog::okEffects()
{
    const OkRow &r = fetchRow(okRows);
    SessionState shared;
    RegisterMap::fillRegisterTable(shared);
    applySettings(shared, QLatin1String(SetValues) + QLatin1Char(' ') + QLatin1String(r.settings));
    shared.downloadValues = shared.settingValues;
    shared.online = r.online;
    FakeOperator op;
    if (r.asked != Asked::Nothing)
        op.answers = {r.asked == Asked::Yes};
    ContextRig context(shared, op);
    SelectionDialog dialog(context, r.code);
    dialog.show();
    const auto frame = SelectionChoices::frameOf(shared, r.code);
    SessionState expected = shared;
    click(option(dialog, frame->optionName, r.option));
    QTest::mouseClick(
        dialog.findChild<QPushButton *>(QLatin1String(r.cancel ? "cancelButton" : "okButton")),
        Qt::LeftButton);

    // A No leaves the dialog open with nothing changed and nothing posted.
    const bool taken = !r.cancel && r.asked != Asked::No;
    QCOMPARE(op.shown.size(), r.asked == Asked::Nothing ? 0 : 1);
    QVERIFY(op.unexpectedQuestions.isEmpty());
    QCOMPARE(dialog.isVisible(), r.asked == Asked::No);
    QCOMPARE(dialog.result(), int(taken ? QDialog::Accepted : QDialog::Rejected));
    applySettings(expected, QLatin1String(r.after));
    QCOMPARE(shared.settingValues, expected.settingValues);
    QCOMPARE(shared.monitorValues, expected.monitorValues);
    QCOMPARE(shared.rereadFlag, r.reread);
    QCOMPARE(shared.timerJob, r.online && taken ? TimerJob::WriteItem : TimerJob::Idle);
    QCOMPARE(shared.postedWriteCode, r.online && taken ? r.code : 0);
    QCOMPARE(shared.unsavedOnlineChanges, !r.online && taken);
    // Offline the value label takes the option's caption; online it waits for the read-back.
    const SelectionOutcome &outcome = dialog.outcome();
    QCOMPARE(outcome.valueText.has_value(), !r.online && taken);
    if (outcome.valueText)
        QCOMPARE(*outcome.valueText, displayText(frame->options[r.option]));
}

namespace
{
struct QuestionRow {
    const char *name;
    int code;
    bool online;
    qint16 options; // optionWord online, else the unit configuration's
    Language language;
    const char *question; // \n between lines
};
const QuestionRow questionRows[] = {
    {"input type, no options", 49, false, 0, Language::English,
     "Changing \"Input type selection\" also resets these settings:\nScaling high limit setting\n"
     "Scaling low limit setting\nMain set value\nAlarm 1 value setting\nChange it?"},
    {"input type, set values 2 to 4 and alarm 2", 49, false, 0x21, Language::English,
     "Changing \"Input type selection\" also resets these settings:\nScaling high limit setting\n"
     "Scaling low limit setting\nMain set value\nMain set value 2\nMain set value 3\n"
     "Main set value 4\nAlarm 1 value setting\nAlarm 2 value setting\nChange it?"},
    // Serial communication takes the contact input's place: no set values 2 to 4.
    {"input type online, serial communication", 49, true, 0x23, Language::Japanese,
     "「入力種類選択」を変更すると、次の設定も初期化されます。\nスケーリング上限設定\n"
     "スケーリング下限設定\n主設定値\n警報1設定\n警報2設定\n変更しますか？"},
    {"alarm 2 type", 37, false, 0x20, Language::English,
     "Changing \"Alarm 2 type selection\" also resets these settings:\nAlarm 2 value setting\n"
     "Change it?"},
};
} // namespace

void TestSelectionDialog::resetQuestionNamesTheItems_data()
{
    addRows(questionRows);
}

void TestSelectionDialog::resetQuestionNamesTheItems()
{
    const QuestionRow &r = fetchRow(questionRows);
    SessionState shared;
    shared.online = r.online;
    if (r.online) {
        shared.monitorValues[7] = r.options;
    } else {
        shared.unitConfig.contactInput = r.options & 0x01;
        shared.unitConfig.serialComm = (r.options & 0x02) >> 1;
        shared.unitConfig.alarm2 = (r.options & 0x20) >> 5;
    }
    MessageTable::instance().setLanguage(r.language);
    const QString question = SettingResets::question(shared, r.code);
    MessageTable::instance().setLanguage(Language::English);
    QCOMPARE(question, QString::fromUtf8(r.question));
    // Items that reset nothing are not asked about.
    FakeOperator op;
    QVERIFY(SettingResets::confirm(shared, op, 13, 50));
    QVERIFY(op.shown.isEmpty());
}

QTEST_MAIN(TestSelectionDialog)
#include "tst_selectiondialog.moc"
