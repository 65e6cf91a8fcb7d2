#include "base/MessageTable.h"
#include "dialogs/ScaleEntryDialog.h"
#include "tests/support/FakeOperator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The chart scale entry dialog driven through its keys: ranges by mode, the Y high / Y low rule,
// and what the entry box shows after each refusal.
class TestScaleEntryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void entry_data();
    void entry();
    void japaneseRangeText();
};

void TestScaleEntryDialog::entry_data()
{
    QTest::addColumn<int>("mode");
    // Digits and "s" for "+/-" on the pad; '-' the minus key, 'b' Backspace and '.' typed into
    // the entry box.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("limits");
    QTest::addColumn<int>("message"); // 0: accepted
    QTest::addColumn<QString>("entryAfter");

    QTest::newRow("Y high at Y low") << 0 << "0"
                                     << "1 to 10000" << 554 << "";
    QTest::newRow("Y high one above") << 0 << "1"
                                      << "1 to 10000" << 0 << "1";
    QTest::newRow("Y high over the range") << 0 << "10001"
                                           << "1 to 10000" << 229 << "";
    QTest::newRow("Y low at Y high") << 1 << "400"
                                     << "-2000 to 399" << 554 << "";
    QTest::newRow("Y low negative") << 1 << "50s"
                                    << "-2000 to 399" << 0 << "-50";
    QTest::newRow("cycle 0") << 2 << "0"
                             << "1 to 60" << 229 << "";
    QTest::newRow("cycle 61") << 2 << "61"
                              << "1 to 60" << 229 << "";
    QTest::newRow("cycle 60, leading zero") << 2 << "060"
                                            << "1 to 60" << 0 << "60";
    QTest::newRow("divisions 1") << 3 << "1"
                                 << "2 to 10" << 229 << "";
    QTest::newRow("divisions 11") << 3 << "11"
                                  << "2 to 10" << 229 << "";
    QTest::newRow("divisions -5 passes +/-, not OK") << 3 << "5s"
                                                     << "2 to 10" << 229 << "";
    QTest::newRow("Backspace typed into the box") << 0 << "50-b7"
                                                  << "1 to 10000" << 0 << "7";
    QTest::newRow("no decimal point") << 2 << "1.5"
                                      << "1 to 60" << 0 << "15";
    QTest::newRow("empty entry") << 3 << ""
                                 << "2 to 10" << 559 << "";
}

void TestScaleEntryDialog::entry()
{
    QFETCH(int, mode);
    QFETCH(QString, keys);
    QFETCH(QString, limits);
    QFETCH(int, message);
    QFETCH(QString, entryAfter);

    FakeOperator op;
    ScaleEntryDialog dialog(op, ScaleEntry::Mode(mode), QStringLiteral("400"), 400, 0);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), msg(230));
    QCOMPARE(dialog.findChild<QLabel *>("rangeValue")->text(), limits);
    auto *entry = dialog.findChild<QLineEdit *>("entryText");
    for (const QChar key : keys) {
        if (key == QLatin1Char('-') || key == QLatin1Char('.'))
            QTest::keyClick(entry, key.toLatin1());
        else if (key == QLatin1Char('b'))
            QTest::keyClick(entry, Qt::Key_Backspace);
        else
            dialog
                .findChild<QPushButton *>(key == QLatin1Char('s')
                                              ? QStringLiteral("signKey")
                                              : QStringLiteral("digitKey_") + key)
                ->click();
    }
    QVERIFY(op.messages().isEmpty());
    dialog.findChild<QPushButton *>("okButton")->click();
    QCOMPARE(entry->text(), entryAfter);
    if (message == 0) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.value(), entryAfter.toInt());
    } else {
        QCOMPARE(op.messages(), QList<QList<int>>{{message}});
        QVERIFY(dialog.isVisible());
    }
    QVERIFY(dialog.findChild<QPushButton *>("pointKey")->isHidden());
}

void TestScaleEntryDialog::japaneseRangeText()
{
    MessageTable::instance().setLanguage(Language::Japanese);
    FakeOperator op;
    ScaleEntryDialog dialog(op, ScaleEntry::YLow, QStringLiteral("0"), 400, 0);
    MessageTable::instance().setLanguage(Language::English);
    QCOMPARE(dialog.findChild<QLabel *>("rangeValue")->text(), QStringLiteral("-2000～399"));
}

QTEST_MAIN(TestScaleEntryDialog)
#include "tst_scaleentrydialog.moc"
