#include "cli/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void positionalOrderWhateverTheSign_data();
    void positionalOrderWhateverTheSign();
};

void TestCommandLine::positionalOrderWhateverTheSign_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("positional"); // after the subcommand
    QTest::addColumn<QString>("port");           // --port as taken, empty when not given
    QTest::addColumn<bool>("yes");

    QTest::newRow("negative value last")
        << QStringList{"write", "23", "-2"} << QStringList{"23", "-2"} << "" << false;
    // A negative first argument is the code the operator typed, refused later as such: never the
    // value of the next one.
    QTest::newRow("negative code first")
        << QStringList{"write", "-13", "25"} << QStringList{"-13", "25"} << "" << false;
    QTest::newRow("negative decimal first")
        << QStringList{"write", "-2.5", "23"} << QStringList{"-2.5", "23"} << "" << false;
    QTest::newRow("both negative")
        << QStringList{"write", "-1", "-.5"} << QStringList{"-1", "-.5"} << "" << false;
    QTest::newRow("option between") << QStringList{"write", "23", "--port", "COM2", "-2,5"}
                                    << QStringList{"23", "-2,5"} << "COM2" << false;
    QTest::newRow("options around")
        << QStringList{"--yes", "write", "-7", "--port=com3", "36", "--wait", "5"}
        << QStringList{"-7", "36"} << "COM3" << true;
    QTest::newRow("option between negatives")
        << QStringList{"write", "-3", "--yes", "-4"} << QStringList{"-3", "-4"} << "" << true;
    QTest::newRow("after a double dash")
        << QStringList{"write", "--", "-5", "--yes"} << QStringList{"-5", "--yes"} << "" << false;
    QTest::newRow("read codes") << QStringList{"read", "0", "-1", "2"}
                                << QStringList{"0", "-1", "2"} << "" << false;
}

void TestCommandLine::positionalOrderWhateverTheSign()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, positional);
    QFETCH(QString, port);
    QFETCH(bool, yes);

    CommandLine commandLine;
    QString error;
    const bool parsed = parseCommandLine(arguments, commandLine, &error);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(commandLine.arguments, positional);
    QCOMPARE(commandLine.overrides.port.value_or(QString()), port);
    QCOMPARE(commandLine.assumeYes, yes);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
