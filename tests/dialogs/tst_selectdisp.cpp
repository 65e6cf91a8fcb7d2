#include "app/MessageTable.h"
#include "comm/RegisterMap.h"
#include "dialogs/Select_Disp.h"
#include "display/MainDisplayView.h"
#include "tests/support/DataRows.h"
#include "tests/support/SettingSetup.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The selection dialog driven with the mouse: the one frame it shows, and what OK and Cancel
// leave in the shared state for the main window to show.
class TestSelectDisp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void frameOfTheItem();
    void okEffects_data();
    void okEffects();
};

namespace
{
struct OkRow {
    const char *name;
    const char *settings; // before; downloadValues holds the same
    bool online;
    int code;
    int option;        // clicked
    const char *after; // "code=value" expected afterwards
    bool reread;
    bool cancel = false; // Cancel pressed instead of OK
};
const char *const SetValues = "11=300 58=1 59=2 60=3 19=5 20=6";
const OkRow okRows[] = {
    {"input type changed offline", "49=0 25=800 26=0", false, 49, 16,
     "49=16 25=7500 26=-3200 11=0 58=0 59=0 60=0 19=0 20=0", false},
    {"same input type again", "49=0 25=800 26=0", false, 49, 0,
     "49=0 25=1370 26=-200 11=300 58=1 59=2 60=3 19=5 20=6", false},
    {"DC input type", "49=0 25=800 26=0", false, 49, 31,
     "49=31 25=10000 26=-2000 11=0 58=0 59=0 60=0 19=0 20=0", false},
    {"input type online", "49=0 25=800 26=0", true, 49, 16, "49=16 25=800 26=0 11=300 19=5", true},
    {"alarm 1 type changed offline", "36=1", false, 36, 0, "36=0 19=0 20=6", false},
    {"alarm 2 type kept offline", "37=3", false, 37, 3, "37=3 20=6", false},
    {"alarm 1 type online", "36=1", true, 36, 3, "36=3 19=5", true},
    {"lock", "22=0", false, 22, 3, "22=3", false},
    {"cancel, input type", "49=0 25=800 26=0", false, 49, 16, "", false, true},
    {"cancel, key function", "63=0", true, 63, 1, "", false, true},
};

QRadioButton *option(Select_Disp &d, const char *array, int index)
{
    return d.findChild<QRadioButton *>(QLatin1String(array) + QLatin1Char('_') +
                                       QString::number(index));
}

// On the indicator: a stretched radio button takes clicks only on its indicator and text.
void click(QRadioButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QList<QGroupBox *> visibleFrames(Select_Disp &d)
{
    QList<QGroupBox *> shown;
    for (QGroupBox *box : d.findChildren<QGroupBox *>()) {
        if (box->isVisible())
            shown.append(box);
    }
    return shown;
}
} // namespace

void TestSelectDisp::frameOfTheItem()
{
    ZN8P_INC inc;
    applySettings(inc, QStringLiteral("13=30 15=200 16=50 12=1 49=5"));
    inc.itemCode = 12;
    {
        Select_Disp dialog(inc);
        dialog.show();
        const QList<QGroupBox *> shown = visibleFrames(dialog);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0]->title(), QStringLiteral("AT selection"));
        QCOMPARE(option(dialog, "Option_at", 0)->text(), QStringLiteral("AT Cancel"));
        QVERIFY(option(dialog, "Option_at", 1)->isChecked());
    }
    // Without integral time the same item is the auto-reset.
    applySettings(inc, QStringLiteral("15=0"));
    {
        Select_Disp dialog(inc);
        dialog.show();
        QCOMPARE(visibleFrames(dialog)[0]->title(), QStringLiteral("Auto-reset selection"));
        QCOMPARE(option(dialog, "Option_at", 1)->text(), QStringLiteral("Auto-reset Perform"));
    }
    // The 36 input types are named by their measuring ranges.
    inc.itemCode = 49;
    Select_Disp dialog(inc);
    dialog.show();
    QCOMPARE(visibleFrames(dialog)[0]->title(), QStringLiteral("Input type selection"));
    for (int type = 0; type < 36; ++type)
        QCOMPARE(option(dialog, "Option_sensor", type)->text(), msg(750 + type));
    QVERIFY(option(dialog, "Option_sensor", 5)->isChecked());
}

void TestSelectDisp::okEffects_data()
{
    addRows(okRows);
}

void TestSelectDisp::okEffects()
{
    const OkRow &r = fetchRow(okRows);
    ZN8P_INC inc;
    RegisterMap::fillRegisterTable(inc);
    applySettings(inc, QLatin1String(SetValues) + QLatin1Char(' ') + QLatin1String(r.settings));
    inc.downloadValues = inc.settingValues;
    inc.online = r.online;
    inc.itemCode = qint16(r.code);
    Select_Disp dialog(inc);
    dialog.show();
    const auto frame = SelectionChoices::frameOf(inc, r.code);
    ZN8P_INC expected = inc;
    click(option(dialog, frame->optionName, r.option));
    QTest::mouseClick(
        dialog.findChild<QPushButton *>(QLatin1String(r.cancel ? "Command2" : "Command1")),
        Qt::LeftButton);

    QCOMPARE(dialog.result(), int(r.cancel ? QDialog::Rejected : QDialog::Accepted));
    applySettings(expected, QLatin1String(r.after));
    QCOMPARE(inc.settingValues, expected.settingValues);
    QCOMPARE(inc.monitorValues, expected.monitorValues);
    QCOMPARE(inc.rereadFlag, r.reread);
    QCOMPARE(inc.timerJob, qint16(r.online && !r.cancel ? 2 : 0));
    QCOMPARE(inc.unsavedOnlineChanges, !r.online && !r.cancel);
    // Offline the value label takes the option's caption; online it waits for the read-back.
    const SelectionOutcome &outcome = dialog.outcome();
    QCOMPARE(outcome.valueText.has_value(), !r.online && !r.cancel);
    if (outcome.valueText)
        QCOMPARE(*outcome.valueText, displayText(frame->options[r.option]));
}

QTEST_MAIN(TestSelectDisp)
#include "tst_selectdisp.moc"
