#include "base/MessageTable.h"
#include "dialogs/Setting3_Disp.h"
#include "tests/support/FakeOperator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The chart scale entry dialog driven through its keys: ranges by mode, the Y high / Y low rule,
// and what the entry box shows after each refusal.
class TestSetting3Disp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void entry_data();
    void entry();
    void keyboard_data();
    void keyboard();
    void japaneseRangeText();
};

void TestSetting3Disp::entry_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("keys"); // digits, "s" for "+/-"
    QTest::addColumn<QString>("limits");
    QTest::addColumn<int>("message"); // 0: accepted
    QTest::addColumn<QString>("entryAfter");

    QTest::newRow("Y high at Y low") << 0 << "0"
                                     << "1 to 10000" << 554 << "";
    QTest::newRow("Y high one above") << 0 << "1"
                                      << "1 to 10000" << 0 << "1";
    QTest::newRow("Y high over the range") << 0 << "10001"
                                           << "1 to 10000" << 229 << "";
    QTest::newRow("seventh key ignored") << 0 << "1234567"
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
    QTest::newRow("empty entry") << 3 << ""
                                 << "2 to 10" << 559 << "";
}

void TestSetting3Disp::entry()
{
    QFETCH(int, mode);
    QFETCH(QString, keys);
    QFETCH(QString, limits);
    QFETCH(int, message);
    QFETCH(QString, entryAfter);

    FakeOperator op;
    Setting3_Disp dialog(op, ScaleEntry::Mode(mode), QStringLiteral("400"), 400, 0);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), msg(230));
    QCOMPARE(dialog.findChild<QLabel *>("Limit_data")->text(), limits);
    for (const QChar key : keys) {
        const QString name =
            key == QLatin1Char('s') ? QStringLiteral("Command1") : QStringLiteral("Ten_key_") + key;
        dialog.findChild<QPushButton *>(name)->click();
    }
    QVERIFY(op.messages().isEmpty());
    dialog.findChild<QPushButton *>("Command3")->click();
    QCOMPARE(dialog.findChild<QLineEdit *>("Disp_setdata3")->text(), entryAfter);
    if (message == 0) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.value(), entryAfter.toInt());
    } else {
        QCOMPARE(op.messages(), QList<QList<int>>{{message}});
        QVERIFY(dialog.isVisible());
    }
}

void TestSetting3Disp::keyboard_data()
{
    QTest::addColumn<QString>("keys");  // digits, '-' the minus key, 'b' Backspace, 'E' Enter
    QTest::addColumn<QString>("shown"); // the entry box after each key but Enter
    QTest::addColumn<int>("message");   // 0: accepted

    QTest::newRow("Backspace clears a negated value") << "50-b7E"
                                                      << "5|50|-50||7" << 0;
    QTest::newRow("Backspace alone leaves it empty") << "9bE"
                                                     << "9|" << 559;
    QTest::newRow("minus key then Enter") << "3-E"
                                          << "3|-3" << 554;
}

// Typed into the entry box as the operator does, so the box's own key handling is in the way.
void TestSetting3Disp::keyboard()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(int, message);

    FakeOperator op;
    Setting3_Disp dialog(op, ScaleEntry::YHigh, QStringLiteral("400"), 400, 0);
    dialog.show();
    auto *entry = dialog.findChild<QLineEdit *>("Disp_setdata3");
    QStringList seen;
    for (const QChar key : keys) {
        const char c = key.toLatin1();
        QTest::keyClick(entry, c == '-'   ? Qt::Key_Minus
                               : c == 'b' ? Qt::Key_Backspace
                               : c == 'E' ? Qt::Key_Return
                                          : Qt::Key(Qt::Key_0 + (c - '0')));
        if (c != 'E')
            seen.append(entry->text());
    }
    QCOMPARE(seen.join(QLatin1Char('|')), shown);
    if (message == 0) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.value(), 7);
    } else {
        QCOMPARE(op.messages(), QList<QList<int>>{{message}});
    }
}

void TestSetting3Disp::japaneseRangeText()
{
    MessageTable::instance().setLanguage(Language::Japanese);
    FakeOperator op;
    Setting3_Disp dialog(op, ScaleEntry::YLow, QStringLiteral("0"), 400, 0);
    MessageTable::instance().setLanguage(Language::English);
    QCOMPARE(dialog.findChild<QLabel *>("Limit_data")->text(), QStringLiteral("-2000～399"));
}

QTEST_MAIN(TestSetting3Disp)
#include "tst_setting3disp.moc"
