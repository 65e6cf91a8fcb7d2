#include "cli/CommandLine.h"
#include "cli/MonitorRecord.h"
#include "cli/PlantPublisher.h"

#include <QJsonDocument>

#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void positionalOrderWhateverTheSign_data();
    void positionalOrderWhateverTheSign();
    void serviceOptions_data();
    void serviceOptions();
    void optionsFile();
    void stateMessageCarriesEachStatusBit_data();
    void stateMessageCarriesEachStatusBit();
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

// What the options of an unattended run are taken as, or why they are refused.
void TestCommandLine::serviceOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("taken"); // port|interval ms|timeout ms|rotation|quiet, or the error

    const QStringList monitor = {"monitor", "--out", "rows/"};
    QTest::newRow("defaults") << QStringList{"monitor"} << "|0|300|none|0";
    QTest::newRow("device path") << QStringList{"read", "0", "--port",
                                                "/dev/serial/by-id/usb-FTDI-if00"}
                                 << "/dev/serial/by-id/usb-FTDI-if00|0|300|none|0";
    QTest::newRow("COM name in any case")
        << QStringList{"probe", "--port", "com8"} << "COM8|0|300|none|0";
    QTest::newRow("no such COM") << QStringList{"probe", "--port", "COM9"}
                                 << "expected COM1 to COM8, a device path";
    QTest::newRow("serial server") << QStringList{"probe", "--port", "RFC2217://gw-3:4001"}
                                   << "rfc2217://gw-3:4001|0|300|none|0";
    QTest::newRow("serial server without a port")
        << QStringList{"probe", "--port", "tcp://gw-3"} << "invalid value 'tcp://gw-3' for --port";
    QTest::newRow("relative path")
        << QStringList{"probe", "--port", "ttyUSB0"} << "invalid value 'ttyUSB0' for --port";
    QTest::newRow("fraction of a second")
        << (monitor + QStringList{"--interval", "0.5", "--quiet"}) << "|500|300|none|1";
    QTest::newRow("a minute") << (monitor + QStringList{"--interval", "60"}) << "|60000|300|none|0";
    QTest::newRow("too fine") << (monitor + QStringList{"--interval", "0.05"})
                              << "invalid value '0.05' for --interval";
    QTest::newRow("no unit") << (monitor + QStringList{"--interval", "1s"})
                             << "invalid value '1s' for --interval";
    QTest::newRow("timeout") << QStringList{"upload", "--timeout", "1500"} << "|0|1500|none|0";
    QTest::newRow("timeout too short")
        << QStringList{"upload", "--timeout", "5"} << "invalid value '5' for --timeout";
    QTest::newRow("daily") << (monitor + QStringList{"--rotate", "daily"}) << "|0|300|daily|0";
    QTest::newRow("size") << (monitor + QStringList{"--rotate", "50M"}) << "|0|300|52428800|0";
    QTest::newRow("size too small")
        << (monitor + QStringList{"--rotate", "100"}) << "invalid value '100' for --rotate";
    QTest::newRow("weekly") << (monitor + QStringList{"--rotate", "weekly"})
                            << "invalid value 'weekly' for --rotate";
    QTest::newRow("rotate without a file")
        << QStringList{"monitor", "--rotate", "daily"} << "--rotate needs --csv or --out";
    QTest::newRow("rotate and force") << (monitor + QStringList{"--rotate", "daily", "--force"})
                                      << "--rotate never replaces a file";
    QTest::newRow("format") << QStringList{"monitor", "--format", "xml"}
                            << "invalid value 'xml' for --format";
    // One CSV stream cannot hold instruments of other units; a file each can.
    QTest::newRow("CSV of a line on standard output")
        << QStringList{"monitor", "--station", "1-3", "--format", "csv"}
        << "several instruments write CSV to a file each";
    QTest::newRow("CSV of a line in files")
        << QStringList{"monitor", "--station", "1-3", "--format", "csv", "--out", "rows"}
        << "|0|300|none|0";
    QTest::newRow("mqtts") << QStringList{"monitor",     "--mqtt", "mqtts://broker/p",
                                          "--mqtt-cert", "c.pem",  "--mqtt-key",
                                          "k.pem"}
                           << "|0|300|none|0";
    QTest::newRow("certificate without its key")
        << QStringList{"monitor", "--mqtt", "mqtts://broker/p", "--mqtt-cert", "c.pem"}
        << "--mqtt-cert and --mqtt-key go together";
    QTest::newRow("certificate without TLS")
        << QStringList{"monitor",    "--mqtt", "mqtt://broker/p", "--mqtt-cert", "c.pem",
                       "--mqtt-key", "k.pem"}
        << "--mqtt-cert needs TLS";
}

void TestCommandLine::serviceOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, taken);

    CommandLine commandLine;
    QString error;
    if (!parseCommandLine(arguments, commandLine, &error)) {
        QVERIFY2(!taken.startsWith('|') && error.contains(taken), qPrintable(error));
        return;
    }
    const LogRotation &rotation = commandLine.rotation;
    const QString rotationText = rotation.kind() == LogRotation::Kind::Daily ? "daily"
                                 : rotation.isActive() ? QString::number(rotation.maxBytes())
                                                       : "none";
    QCOMPARE(QStringList({commandLine.overrides.port.value_or(QString()),
                          QString::number(commandLine.intervalMs),
                          QString::number(commandLine.replyTimeoutMs), rotationText,
                          QString::number(commandLine.quiet)})
                 .join('|'),
             taken);
    QCOMPARE(commandLine.mqtt.port, commandLine.mqtt.tls() ? 8883 : 1883);
}

// A service's options file gives the options of the run; the command line wins, and options
// the subcommand does not take are left to those that do, so one file serves read and monitor.
void TestCommandLine::optionsFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("line1.conf");
    const auto write = [&](const QByteArray &text) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    write("# the oven line\n"
          "port = /dev/ttyUSB0\n"
          "  station = 1-3\n"
          "--interval=1\n"
          "out = \"/var/lib/zn monitor/rows/\"\n"
          "quiet\n"
          "\n"
          "timeout = 500\n");
    CommandLine monitor;
    QString error;
    QVERIFY2(parseCommandLine({"monitor", "--config", path, "--timeout", "800"}, monitor, &error),
             qPrintable(error));
    QCOMPARE(monitor.overrides.port.value_or(QString()), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(monitor.stations, (QStringList{"01", "02", "03"}));
    QCOMPARE(monitor.intervalMs, qint64(1000));
    QCOMPARE(monitor.outPath, QStringLiteral("/var/lib/zn monitor/rows/"));
    QVERIFY(monitor.quiet);
    QCOMPARE(monitor.replyTimeoutMs, 800);
    CommandLine read;
    QVERIFY2(parseCommandLine({"read", "0", "--config", path}, read, &error), qPrintable(error));
    QCOMPARE(read.overrides.port.value_or(QString()), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(read.stations.size(), 3);
    QCOMPARE(read.intervalMs, qint64(0));

    const QList<QPair<QByteArray, QString>> bad = {
        {"intervall = 1\n", "line1.conf line 1: unknown option 'intervall'"},
        {"# fine\nstation\n", "line 2: station needs a value"},
        {"quiet = yes\n", "line 1: quiet takes no value"},
        {"port: COM1\n", "line 1: expected \"name = value\""},
    };
    for (const auto &[text, reason] : bad) {
        write(text);
        CommandLine refused;
        QVERIFY(!parseCommandLine({"monitor", "--config", path}, refused, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }
    CommandLine missing;
    QVERIFY(
        !parseCommandLine({"monitor", "--config", folder.filePath("none.conf")}, missing, &error));
    QVERIFY2(error.contains("cannot read the options file"), qPrintable(error));
}

// The plant system's state message, one row per status word bit (as the controller sends it, not
// as the program names it): exactly that flag is true. A status word not read leaves both groups
// null rather than all false.
void TestCommandLine::stateMessageCarriesEachStatusBit_data()
{
    QTest::addColumn<int>("status"); // -1: not read
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("flag");
    QTest::newRow("out1") << 0x0001 << "lamps"
                          << "out1";
    QTest::newRow("out2") << 0x0002 << "lamps"
                          << "out2";
    QTest::newRow("alarm 1") << 0x0004 << "alarms"
                             << "alarm1";
    QTest::newRow("alarm 2") << 0x0008 << "alarms"
                             << "alarm2";
    QTest::newRow("heater burnout") << 0x0040 << "alarms"
                                    << "heaterBurnout";
    QTest::newRow("overscale") << 0x0100 << "alarms"
                               << "overscale";
    QTest::newRow("underscale") << 0x0200 << "alarms"
                                << "underscale";
    QTest::newRow("auto-tuning") << 0x0800 << "lamps"
                                 << "autoTuning";
    // Output off, the OUT/OFF key, manual control, settings changed: no flag of the message.
    QTest::newRow("other bits") << 0xD400 << QString() << QString();
    QTest::newRow("not read") << -1 << QString() << QString();
}

void TestCommandLine::stateMessageCarriesEachStatusBit()
{
    QFETCH(int, status);
    QFETCH(QString, group);
    QFETCH(QString, flag);
    MonitorRecord record;
    record.port = QStringLiteral("COM1");
    record.instrument = 1;
    if (status >= 0)
        record.status = quint16(status);
    const QJsonObject state =
        QJsonDocument::fromJson(PlantPublisher::stateMessage(record)).object();
    const QMap<QString, QStringList> keys = {
        {"lamps", {"autoTuning", "out1", "out2"}},
        {"alarms", {"alarm1", "alarm2", "heaterBurnout", "overscale", "underscale"}}};
    for (auto g = keys.begin(); g != keys.end(); ++g) {
        if (status < 0) {
            QVERIFY(state.value(g.key()).isNull());
            continue;
        }
        const QJsonObject flags = state.value(g.key()).toObject();
        QCOMPARE(flags.keys(), g.value());
        for (const QString &key : g.value())
            QVERIFY2(flags.value(key).toBool() == (g.key() == group && key == flag),
                     qPrintable(g.key() + '.' + key));
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
