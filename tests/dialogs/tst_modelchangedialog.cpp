#include "base/MessageTable.h"
#include "dialogs/ModelChangeDialog.h"
#include "tests/support/ContextRig.h"
#include "tests/support/DataRows.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/SettingSetup.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The model change dialog: which combinations are refused, what the clicks lock, and what Change
// and Cancel leave in the shared state. Unit configurations are written as six digits in dialog
// order: alarm 2, heating/cooling, heater burnout, SV2 to SV4, output type, serial communication.
class TestModelChangeDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void refusals_data();
    void refusals();
    void clicksLockTheirPartners();
    void withoutDataNothingIsAdded();
    void conflictingStoredOptionsAreNamed_data();
    void conflictingStoredOptionsAreNamed();
    void changeClearsHeaterValues_data();
    void changeClearsHeaterValues();
    void noKeepsTheDialogAndCancelRestores();
};

namespace
{
UnitConfig config(const char *digits)
{
    auto d = [&](int i) { return qint16(digits[i] - '0'); };
    return UnitConfig{d(0), d(1), d(2), d(3), d(4), d(5)};
}

QString digitsOf(const UnitConfig &c)
{
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(c.alarm2)
        .arg(c.heatCool)
        .arg(c.heaterBreak)
        .arg(c.contactInput)
        .arg(c.outputType)
        .arg(c.serialComm);
}

// Most of these combinations cannot be clicked once the dialog has locked the partner option;
// the rules still refuse them.
struct RefusalRow {
    const char *name;
    const char *start;
    UnitOptionRules::Field field;
    int value;
    int message;
    const char *after;
};
const RefusalRow refusalRows[] = {
    {"alarm 2 with heating/cooling", "010000", UnitOptionRules::Alarm2, 1, 285, "010000"},
    {"heating/cooling with burnout", "001000", UnitOptionRules::HeatCool, 1, 286, "001000"},
    {"heating/cooling with alarm 2", "100000", UnitOptionRules::HeatCool, 1, 286, "100000"},
    {"burnout with heating/cooling", "010000", UnitOptionRules::HeaterBreak, 4, 287, "010000"},
    {"burnout with DC output", "000020", UnitOptionRules::HeaterBreak, 2, 293, "000020"},
    {"contact input with serial", "000001", UnitOptionRules::ContactInput, 1, 288, "000001"},
    {"serial with contact input", "000100", UnitOptionRules::SerialComm, 1, 289, "000100"},
    {"DC output with burnout", "003010", UnitOptionRules::OutputType, 2, 284, "003010"},
    {"burnout allowed", "100010", UnitOptionRules::HeaterBreak, 3, 0, "103010"},
};

QRadioButton *option(ModelChangeDialog &d, int field, int value)
{
    return d.findChild<QRadioButton *>(
        QStringLiteral("newOptionChoice%1_%2").arg(field + 1).arg(value));
}

bool frameEnabled(ModelChangeDialog &d, int field)
{
    return d.findChild<QGroupBox *>(QStringLiteral("newOptionGroup_%1").arg(field))->isEnabled();
}

// On the indicator: a stretched radio button takes clicks only on its indicator and text.
void click(ModelChangeDialog &d, int field, int value)
{
    QRadioButton *button = option(d, field, value);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

SessionState withData(const char *digits)
{
    SessionState shared;
    shared.settingDataValid = true;
    shared.unitConfig = config(digits);
    return shared;
}
} // namespace

void TestModelChangeDialog::refusals_data()
{
    addRows(refusalRows);
}

void TestModelChangeDialog::refusals()
{
    const RefusalRow &r = fetchRow(refusalRows);
    SessionState shared = withData(r.start);
    UnitOptionRules rules(shared);
    QCOMPARE(rules.click(r.field, r.value), r.message);
    QCOMPARE(digitsOf(shared.unitConfig), QLatin1String(r.after));
}

void TestModelChangeDialog::clicksLockTheirPartners()
{
    using R = UnitOptionRules;
    SessionState shared = withData("101000");
    FakeOperator op;
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("currentOptionLabel_2"))->text(),
             QStringLiteral(" Added (single phase 20.0A)"));
    QVERIFY(option(dialog, R::HeaterBreak, 1)->isChecked());
    QVERIFY(!frameEnabled(dialog, R::HeatCool));
    QVERIFY(!option(dialog, R::OutputType, R::DcCurrent)->isEnabled());

    // Heating/cooling stays locked while alarm 2 is added.
    click(dialog, R::HeaterBreak, 0);
    QVERIFY(!frameEnabled(dialog, R::HeatCool));
    QVERIFY(option(dialog, R::OutputType, R::DcCurrent)->isEnabled());
    click(dialog, R::Alarm2, 0);
    QVERIFY(frameEnabled(dialog, R::HeatCool));

    click(dialog, R::HeatCool, 1);
    QVERIFY(!frameEnabled(dialog, R::Alarm2));
    QVERIFY(!frameEnabled(dialog, R::HeaterBreak));
    click(dialog, R::ContactInput, 1);
    QVERIFY(!frameEnabled(dialog, R::SerialComm));

    // A relay output unlocks the burnout alarm, which heating/cooling then refuses.
    click(dialog, R::OutputType, R::DcCurrent);
    click(dialog, R::OutputType, 0);
    QVERIFY(frameEnabled(dialog, R::HeaterBreak));
    click(dialog, R::HeaterBreak, 2);
    QCOMPARE(op.messages(), QList<QList<int>>{{287}});
    QVERIFY(option(dialog, R::HeaterBreak, 0)->isChecked());
    QCOMPARE(digitsOf(shared.unitConfig), QStringLiteral("010100"));
}

void TestModelChangeDialog::withoutDataNothingIsAdded()
{
    SessionState shared;
    shared.unitConfig = config("003121");
    FakeOperator op;
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    for (const char *label :
         {"currentOptionLabel_0", "currentOptionLabel_1", "currentOptionLabel_2",
          "currentOptionLabel_3", "currentOptionLabel_4", "currentOptionLabel_5"})
        QCOMPARE(dialog.findChild<QLabel *>(QLatin1String(label))->text(),
                 QStringLiteral(" Not added"));
    for (int field = 0; field < UnitOptionRules::FieldCount; ++field)
        QVERIFY(option(dialog, field, 0)->isChecked());
    QVERIFY(op.shown.isEmpty());
}

void TestModelChangeDialog::conflictingStoredOptionsAreNamed_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QList<int>>("shown"); // the one message on opening, empty for none
    QTest::addColumn<QString>("firstLabel");

    QTest::newRow("alarm 2 with heating/cooling") << "110000"
                                                  << "010000" << QList<int>{1040, 285} << " Added";
    QTest::newRow("heating/cooling with burnout")
        << "011000"
        << "001000" << QList<int>{1040, 286} << " Not added";
    QTest::newRow("contact input with serial") << "000101"
                                               << "000001" << QList<int>{1040, 288} << " Not added";
    QTest::newRow("burnout with DC output") << "001020"
                                            << "000020" << QList<int>{1040, 293} << " Not added";
    QTest::newRow("nothing to drop") << "101000"
                                     << "101000" << QList<int>{} << " Added";
}

// A stored configuration the rules cannot show is not altered in silence: the current column
// keeps what is stored and the operator is told which option went and why.
void TestModelChangeDialog::conflictingStoredOptionsAreNamed()
{
    QFETCH(QString, stored);
    QFETCH(QString, after);
    QFETCH(QList<int>, shown);
    QFETCH(QString, firstLabel);

    SessionState shared = withData(qPrintable(stored));
    FakeOperator op;
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    dialog.hide();
    dialog.show();
    QCOMPARE(op.messages(), shown.isEmpty() ? QList<QList<int>>{} : QList<QList<int>>{shown});
    QCOMPARE(digitsOf(shared.unitConfig), after);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("currentOptionLabel_0"))->text(),
             firstLabel);
    if (stored.at(1) == QLatin1Char('1'))
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("currentOptionLabel_1"))->text(),
                 QStringLiteral(" Added"));
}

void TestModelChangeDialog::changeClearsHeaterValues_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("rating");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("1-phase to 3-phase 20 A") << "001000" << 3 << false;
    QTest::newRow("20 A to 50 A") << "001000" << 2 << true;
    QTest::newRow("3-phase 50 A to 1-phase 50 A") << "004000" << 2 << false;
    QTest::newRow("burnout removed") << "003000" << 0 << true;
}

void TestModelChangeDialog::changeClearsHeaterValues()
{
    QFETCH(QString, start);
    QFETCH(int, rating);
    QFETCH(bool, cleared);
    SessionState shared = withData(qPrintable(start));
    applySettings(shared, QStringLiteral("21=150 53=160"));
    FakeOperator op;
    op.answers = {true};
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    click(dialog, UnitOptionRules::HeaterBreak, rating);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);

    QCOMPARE(op.shown.size(), 1);
    QCOMPARE(op.shown[0].ids, QList<int>{192});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(shared.unitConfig.heaterBreak, qint16(rating));
    QCOMPARE(shared.setting(21), qint16(cleared ? 0 : 150));
    QCOMPARE(shared.setting(53), qint16(cleared ? 0 : 160));
    QVERIFY(shared.settingDataValid && shared.unsavedOnlineChanges && shared.unitCheckFlag);
}

void TestModelChangeDialog::noKeepsTheDialogAndCancelRestores()
{
    SessionState shared = withData("100000");
    FakeOperator op;
    op.answers = {false};
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    click(dialog, UnitOptionRules::Alarm2, 0);
    click(dialog, UnitOptionRules::HeatCool, 1);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCOMPARE(op.beeps, 1);
    QVERIFY(option(dialog, UnitOptionRules::HeatCool, 1)->isChecked());
    QVERIFY(!shared.unsavedOnlineChanges);

    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(digitsOf(shared.unitConfig), QStringLiteral("100000"));
    QVERIFY(!shared.unitCheckFlag);
}

QTEST_MAIN(TestModelChangeDialog)
#include "tst_modelchangedialog.moc"
