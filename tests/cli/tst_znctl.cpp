#include "base/MessageTable.h"
#include "chart/EventLog.h"
#include "sim/SimulatedController.h"
#include "tests/support/PythonCsv.h"
#include "tests/support/SerialServer.h"
#include "transfer/JournalFile.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

Q_DECLARE_METATYPE(SerialServer::Mode)

// znctl run as a process against the simulated controller on a pseudo-terminal. The stored
// conditions live in a private configuration folder; COM1 is the simulator's line and COM2 to
// COM8 name no device, so that a search never waits on a real port.
class TestZnctl : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sim.reset();
        m_second.reset();
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
    }
    void usageErrors_data();
    void usageErrors();
    void probeAndPorts();
    void faultyRepliesAreNamed_data();
    void faultyRepliesAreNamed();
    void readInEachProtocol_data();
    void readInEachProtocol();
    void searchStoresWhatAnswered();
    void monitorWritesTrendLog_data();
    void monitorWritesTrendLog();
    void monitorRefusesAFifoAsLog();
    void monitorKeepsAnEarlierLog_data();
    void monitorKeepsAnEarlierLog();
    void monitorEndsCleanlyOnCtrlC();
    void monitorEndsWhenTheControllerFallsSilent();
    void monitorLogsEvents();
    void monitorFeedsAPlantSystem();
    void plantFeedCountsWhatTheBrokerDidNotGet();
    void plantFeedOverTlsWithAClientCertificate();
    void uploadDownloadDiffRoundTrip_data();
    void uploadDownloadDiffRoundTrip();
    void lineOfInstruments();
    void throughASerialServer_data();
    void throughASerialServer();
    void searchThroughASerialServer();
    void serialServerFaults_data();
    void serialServerFaults();
    void writeSideRefusals();
    void writesAreJournalled();
    void refusedAnswersAreNoValues();
    void keysWaitEnds_data();
    void keysWaitEnds();

private:
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // Starts the simulator with its process frozen, so that values read stay as set.
    void startSimulator(SimulatedController::Options options = {})
    {
        options.timeScale = 0;
        m_sim = std::make_unique<SimulatedController>(options);
        QVERIFY2(m_sim->start(), qPrintable(m_sim->errorString()));
        storeConditions({});
    }
    // The plant's temperature, in the monitor registers at once.
    void setTemperature(double degrees)
    {
        m_sim->withCore([degrees](ControllerCore &core) {
            core.process().setTemperature(degrees);
            core.process().step(0);
        });
    }
    // The stored conditions: these values under the first key, plus the port map.
    void storeConditions(const QMap<QString, QString> &values);
    QString storedValue(const QString &name) const
    {
        return QSettings(settingsPath(), QSettings::IniFormat).value(name).toString();
    }
    QString settingsPath() const
    {
        return m_config->filePath(QStringLiteral("Dorvatech RQA Control/ZN Monitor.conf"));
    }
    void startZnctl(QProcess &process, const QStringList &arguments);
    static Run finish(QProcess &process);
    Run znctl(const QStringList &arguments)
    {
        QProcess process;
        startZnctl(process, arguments);
        return finish(process);
    }
    QString csvPath() const { return m_config->filePath(QStringLiteral("log.csv")); }
    QString framesPath() const { return m_config->filePath(QStringLiteral("frames.csv")); }
    // anonymous: whether the broker lets a client in without a user name; tls: lines of the
    // listener's TLS settings.
    void startBroker(QProcess &broker, quint16 port, bool anonymous = true,
                     const QString &tls = QString());
    void startSubscriber(QProcess &subscriber, quint16 port);
    // The retained message of a topic under plant/line1/COM1/1/, or of a whole topic given with
    // a '/' in it; tls: mosquitto_sub's options for a TLS broker.
    static QString retainedStatus(quint16 port, const QString &leaf = QStringLiteral("status"),
                                  const QStringList &tls = {});
    // A CA, a broker certificate for 127.0.0.1 and a client certificate signed by it, and a client
    // certificate of another CA, made with openssl in the test's folder; false when openssl is
    // missing.
    bool makeCertificates();
    // A free loopback port for a broker; 0 when mosquitto is not installed (the test is skipped).
    static quint16 brokerPort();
    QStringList csvLines() const;

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<SimulatedController> m_sim;
    std::unique_ptr<SimulatedController> m_second; // on COM2
};

void TestZnctl::storeConditions(const QMap<QString, QString> &values)
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    const QMap<QString, QString> defaults = {
        {"Port", "COM1"}, {"Speed", "9600"}, {"Databit", "7"}, {"Stopbit", "1"}, {"Parity", "EVEN"},
        {"strAdr", "01"}, {"Protocol", "0"}, {"SSTab1", "0"},  {"SSTab2", "0"},
    };
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        settings.setValue(it.key(), values.value(it.key(), it.value()));
    for (int n = 1; n <= 8; ++n)
        settings.setValue(QStringLiteral("PortMap/COM%1").arg(n),
                          n == 1 && m_sim      ? m_sim->slavePath()
                          : n == 2 && m_second ? m_second->slavePath()
                                               : QStringLiteral("/dev/zn-no-such-device"));
}

void TestZnctl::startZnctl(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->path());
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    // The journal of writes goes to the test's folder, not beside the built tool.
    QStringList withJournal = arguments;
    const bool writes = arguments.value(0) == "write" || arguments.value(0) == "download";
    if (writes && !arguments.contains("--journal-dir"))
        withJournal << "--journal-dir" << m_config->filePath("Journal");
    process.start(QStringLiteral(ZNCTL_PATH), withJournal);
    QVERIFY(process.waitForStarted());
}

TestZnctl::Run TestZnctl::finish(QProcess &process)
{
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Every line, the last one included, ends with CR LF; an unterminated last line shows as a marker.
QStringList TestZnctl::csvLines() const
{
    QFile file(csvPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    if (lines.takeLast().isEmpty())
        return lines;
    return lines << QStringLiteral("<unterminated>");
}

void TestZnctl::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList{} << "no subcommand";
    QTest::newRow("unknown subcommand") << QStringList{"reed", "0"} << "unknown subcommand 'reed'";
    QTest::newRow("speed") << QStringList{"probe", "--speed", "9601"} << "'9601' for --speed";
    QTest::newRow("other subcommand's option")
        << QStringList{"probe", "--json"} << "probe does not take --json";
    QTest::newRow("no such code") << QStringList{"read", "66"} << "'66' is no parameter code";
    // Beyond what a timer counts in milliseconds: it would stop at once or never.
    QTest::newRow("seconds too many")
        << QStringList{"monitor", "--seconds", "2147484"} << "'2147484' for --seconds";
    QTest::newRow("no seconds") << QStringList{"monitor", "--seconds", "0"} << "'0' for --seconds";
    QTest::newRow("append and force")
        << QStringList{"monitor", "--csv", "x.csv", "--append", "--force"}
        << "--append and --force exclude each other";
    QTest::newRow("no wait") << QStringList{"upload", "--wait", "0"} << "'0' for --wait";
    QTest::newRow("no topic prefix")
        << QStringList{"monitor", "--mqtt", "mqtt://broker:1883/"} << "no topic prefix";
    QTest::newRow("login without broker")
        << QStringList{"monitor", "--mqtt-user", "oven"} << "--mqtt-user needs --mqtt";
    // A negative number keeps its place: the code typed first is refused, never written to.
    QTest::newRow("negative code")
        << QStringList{"write", "-13", "25"} << "'-13' is no setting code";
    QTest::newRow("negative code, option between")
        << QStringList{"write", "-2", "--yes", "23"} << "'-2' is no setting code";
    // A typo in the folder must not run under the default conditions, which may be another line's.
    QTest::newRow("settings dir missing")
        << QStringList{"write", "11", "5", "--settings-dir", "/zn-no-such-folder"}
        << "--settings-dir /zn-no-such-folder: no such folder";
    QTest::newRow("settings dir a file") << QStringList{"probe", "--settings-dir", "/dev/null"}
                                         << "--settings-dir /dev/null: not a folder";
    QTest::newRow("settings dir without conditions")
        << QStringList{"download", "x.znm", "--settings-dir", "/"}
        << "--settings-dir / holds no stored conditions";
    // A prefix that no topic can carry, refused before anything is read.
    for (const auto &[prefix, reason] :
         {std::pair<const char *, const char *>{"plant/+/line1", "no wildcard"},
          {"plant/%23", "no wildcard"},
          {"plant//line1", "no empty level"},
          {"$SYS/plant", "does not begin with '$'"},
          {"plant%00line1", "no NUL"}})
        QTest::newRow(prefix) << QStringList{"monitor", "--mqtt",
                                             QStringLiteral("mqtt://broker/") + prefix}
                              << reason;
    QTest::newRow("prefix too long")
        << QStringList{"monitor", "--mqtt", "mqtt://broker/" + QString(65530, 'p')}
        << "longer than";
    QTest::newRow("qos 2") << QStringList{"monitor", "--mqtt", "mqtt://b/p", "--mqtt-qos", "2"}
                           << "'2' for --mqtt-qos";
    QTest::newRow("qos without broker")
        << QStringList{"monitor", "--mqtt-qos", "1"} << "--mqtt-qos needs --mqtt";
}

void TestZnctl::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    storeConditions({});
    const Run run = znctl(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TestZnctl::probeAndPorts()
{
    startSimulator();
    const Run help = znctl({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("Exit codes:") && help.out.contains("monitor [--interval SECONDS]"));
    QVERIFY(help.out.contains("--wait N"));
    QVERIFY(znctl({"ports"}).out.startsWith(QStringLiteral("COM1\t%1\n").arg(m_sim->slavePath())));

    const Run found = znctl({"probe"});
    QCOMPARE(found.exitCode, 0);
    QVERIFY(found.out.contains(QStringLiteral("port: COM1 (%1)").arg(m_sim->slavePath())));
    QVERIFY(found.out.contains("protocol: Modbus ASCII\n"));
    QVERIFY(found.out.endsWith("result: OK\n"));
    // The folder of the stored conditions named outright: the same conditions.
    QCOMPARE(znctl({"probe", "--settings-dir", m_config->path()}).exitCode, 0);

    // Conditions given as options hold for that run only.
    const Run wrongStation = znctl({"probe", "--station", "7"});
    QCOMPARE(wrongStation.exitCode, 3);
    QVERIFY(wrongStation.out.contains("instrument: 07\n"));
    QVERIFY(wrongStation.out.endsWith("result: NG\n"));
    QCOMPARE(storedValue("strAdr"), QStringLiteral("01"));

    // A device named by its path needs no port map, and messages name it.
    const Run byPath = znctl({"probe", "--port", m_sim->slavePath(), "--timeout", "1000"});
    QCOMPARE(byPath.exitCode, 0);
    QVERIFY(byPath.out.contains(QStringLiteral("port: %1 (%1)").arg(m_sim->slavePath())));
    m_sim->setSilent(true);
    const Run silent = znctl({"read", "11", "--port", m_sim->slavePath()});
    m_sim->setSilent(false);
    QCOMPARE(silent.exitCode, 3);
    QVERIFY2(silent.err.contains(
                 QStringLiteral("znctl: %1 instrument 01: %2").arg(m_sim->slavePath(), msg(451))),
             qPrintable(silent.err));

    // A stored instrument number that is no number addresses nothing in its place.
    storeConditions({{"strAdr", "1x"}});
    const Run junk = znctl({"read", "0"});
    QCOMPARE(junk.exitCode, 2);
    QVERIFY2(junk.err.contains("'1x' is not an instrument number from 1 to 95"),
             qPrintable(junk.err));
    QCOMPARE(znctl({"read", "0", "--station", "1"}).exitCode, 0);
}

void TestZnctl::faultyRepliesAreNamed_data()
{
    // fault: a simulator command for the first reply (the link check's); refused: the register of
    // item 19 refused with this exception code instead.
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("refused");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("verdict"); // of the exchange in --frames, and its exception code
    QTest::addColumn<QString>("exception");
    const QString corrupted = msg(451) + ". " + msg(1207);
    QTest::newRow("ascii corrupted") << "ascii"
                                     << "corrupt" << 0 << 3 << corrupted << "checksum"
                                     << "";
    QTest::newRow("rtu corrupted") << "rtu"
                                   << "corrupt" << 0 << 3 << corrupted << "checksum"
                                   << "";
    QTest::newRow("ravtocol corrupted") << "ravtocol"
                                        << "corrupt" << 0 << 3 << corrupted << "checksum"
                                        << "";
    QTest::newRow("rtu truncated")
        << "rtu"
        << "truncate" << 0 << 3 << msg(451) + ". " + msg(1210) << "wrong-length"
        << "";
    QTest::newRow("rtu exception")
        << "rtu" << QString() << 0x0A << 4 << msg(1211).arg("0A") << "exception"
        << "0A";
    QTest::newRow("ravtocol error")
        << "ravtocol" << QString() << 0x02 << 4 << msg(1211).arg("20") << "exception"
        << "20";
}

// What went wrong with a reply reaches the error line: the link check's probe for a garbled
// reply, the read itself for a refusal.
void TestZnctl::faultyRepliesAreNamed()
{
    QFETCH(QString, protocol);
    QFETCH(QString, fault);
    QFETCH(int, refused);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QString, verdict);
    QFETCH(QString, exception);
    SimulatedController::Options options;
    options.line.protocol = protocol == "rtu"        ? WireProtocol::ModbusRtu
                            : protocol == "ravtocol" ? WireProtocol::Ravtocol
                                                     : WireProtocol::ModbusAscii;
    startSimulator(options);
    if (fault == "corrupt")
        m_sim->corruptNext(1);
    else if (fault == "truncate")
        m_sim->truncateNext(1);
    m_sim->withCore([refused](ControllerCore &core) { core.refuseReads(0x000B, refused); });
    const Run run = znctl({"read", "19", "--protocol", protocol, "--frames", framesPath()});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(QStringLiteral("instrument 01: ") + said), qPrintable(run.err));

    // The frames file shows the exchange as it was: the verdict, the code, the bytes.
    if (!PythonCsv::available())
        QSKIP("python3 is not installed");
    const QList<QMap<QString, QString>> frames = PythonCsv::records(framesPath());
    const auto faulty = std::find_if(frames.cbegin(), frames.cend(),
                                     [&](const auto &row) { return row["verdict"] == verdict; });
    QVERIFY2(faulty != frames.cend(), qPrintable(QFile(framesPath()).fileName()));
    QCOMPARE((*faulty)["exception"], exception);
    QCOMPARE((*faulty)["port"], QStringLiteral("COM1"));
    QCOMPARE((*faulty)["instrument"], QStringLiteral("01"));
    QCOMPARE((*faulty)["search"], QStringLiteral("0"));
    QVERIFY(!(*faulty)["request"].isEmpty());
    QVERIFY(!(*faulty)["reply"].isEmpty());
    // An existing frames file is never written over.
    const QByteArray before = [this] {
        QFile file(framesPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const Run again = znctl({"read", "19", "--protocol", protocol, "--frames", framesPath()});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(framesPath() + " exists"), qPrintable(again.err));
    QFile after(framesPath());
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void TestZnctl::readInEachProtocol_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("option");
    QTest::newRow("Modbus ASCII") << int(WireProtocol::ModbusAscii) << "ascii";
    QTest::newRow("Modbus RTU") << int(WireProtocol::ModbusRtu) << "rtu";
    QTest::newRow("Ravtocol") << int(WireProtocol::Ravtocol) << "ravtocol";
}

void TestZnctl::readInEachProtocol()
{
    QFETCH(int, protocol);
    QFETCH(QString, option);
    SimulatedController::Options options;
    options.line.protocol = WireProtocol(protocol);
    options.line.station = 4;
    options.inputType = 1; // K, tenths of a degree
    startSimulator(options);
    setTemperature(25.3);
    m_sim->setValue(0x0001, -105); // main set value
    m_sim->setValue(0x0023, 3);    // alarm 1 type
    m_sim->setValue(0x001E, 12);   // ON/OFF hysteresis: span rule

    const QStringList base = {"--protocol", option, "--station", "4"};
    const Run text = znctl(QStringList{"read", "0", "11", "36", "31"} + base);
    QCOMPARE(text.exitCode, 0);
    QCOMPARE(text.out,
             QStringLiteral("0\tPV\t25.3\t253\n"
                            "11\tMain set value\t-10.5\t-105\n"
                            "36\tAlarm 1 type selection\tHigh/Low limits alarm\t3\n"
                            "31\tMain output ON/OFF action hysteresis setting\t1.2\t12\n"));
}

// The search tries the stored conditions first; other speeds and protocols get no answer.
void TestZnctl::searchStoresWhatAnswered()
{
    SimulatedController::Options options;
    options.line.station = 3;
    startSimulator(options);
    storeConditions({{"strAdr", "12"}, {"Protocol", "2"}, {"Speed", "19200"}});
    const Run stored = znctl({"search", "--frames", framesPath()});
    QCOMPARE(stored.exitCode, 0);
    // Each probe on record with where it went and what came back.
    if (PythonCsv::available()) {
        const QList<QMap<QString, QString>> probes = PythonCsv::records(framesPath());
        QVERIFY(probes.size() >= 3);
        for (const auto &probe : probes) {
            QCOMPARE(probe["search"], QStringLiteral("1"));
            QCOMPARE(probe["port"], QStringLiteral("COM1"));
            QCOMPARE(probe["speed"], QStringLiteral("9600"));
            QCOMPARE(probe["protocol"], QStringLiteral("modbus-ascii"));
        }
        QCOMPARE(probes.at(probes.size() - 2)["verdict"], QStringLiteral("no-reply"));
        QCOMPARE(probes.last()["verdict"], QStringLiteral("ok"));
        QCOMPARE(probes.last()["instrument"], QStringLiteral("03"));
    }
    QVERIFY(stored.out.contains("instrument: 03\n"));
    QVERIFY(stored.out.contains("speed: 9600\n"));
    QVERIFY(stored.out.contains("protocol: Modbus ASCII\n"));
    QCOMPARE(storedValue("strAdr"), QStringLiteral("03"));
    QCOMPARE(storedValue("Protocol"), QStringLiteral("0"));
    QCOMPARE(storedValue("Speed"), QStringLiteral("9600"));
}

void TestZnctl::monitorWritesTrendLog_data()
{
    QTest::addColumn<bool>("heatCool");
    QTest::addColumn<double>("temperature");
    QTest::addColumn<QString>("pv");
    QTest::newRow("one output") << false << 25.3 << "25.3";
    QTest::newRow("heating/cooling") << true << 25.3 << "25.3";
    // PV is shown as the display shows it: "----" with the scale marker, "----" in the log.
    QTest::newRow("overscale") << false << 450.0 << "----U";
    QTest::newRow("underscale") << false << -250.0 << "----D";
}

void TestZnctl::monitorWritesTrendLog()
{
    QFETCH(bool, heatCool);
    QFETCH(double, temperature);
    QFETCH(QString, pv);
    SimulatedController::Options options;
    options.model.heatCool = heatCool;
    options.inputType = 1;
    startSimulator(options);
    setTemperature(temperature);

    const Run run = znctl({"monitor", "--seconds", "2", "--csv", csvPath()});
    QCOMPARE(run.exitCode, 0);
    const int shown = int(run.out.count('\n'));
    QVERIFY(shown > 0);
    QCOMPARE(run.out.contains("MV2 ----"), !heatCool);
    QCOMPARE(int(run.out.count("PV " + pv + " ")), shown);

    const QStringList lines = csvLines();
    QCOMPARE(lines.size(), 2 + shown);
    QCOMPARE(lines.at(0), QStringLiteral("\"Control data\""));
    QCOMPARE(
        lines.at(1),
        QStringLiteral(R"("Date","Time","PV","SV","MV1",%1)").arg(heatCool ? R"("MV2",)" : ""));
    const QRegularExpression dataLine(
        QStringLiteral(R"(^"\d{4}/\d\d/\d\d","\d\d:\d\d:\d\d","%1"(,"[-.\d]+"){%2},$)")
            .arg(QRegularExpression::escape(pv.left(4)))
            .arg(heatCool ? 3 : 2));
    for (int i = 2; i < lines.size(); ++i)
        QVERIFY2(dataLine.match(lines.at(i)).hasMatch(), qPrintable(lines.at(i)));
}

// A FIFO (as a device node) given as the log is refused before anything is read, and left alone.
void TestZnctl::monitorRefusesAFifoAsLog()
{
    storeConditions({});
    QCOMPARE(::mkfifo(QFile::encodeName(csvPath()).constData(), 0600), 0);
    const Run run = znctl({"monitor", "--seconds", "1", "--csv", csvPath()});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("neither a regular file nor a folder"), qPrintable(run.err));
    QVERIFY(QFileInfo(csvPath()).exists() && !QFileInfo(csvPath()).isFile());
}

void TestZnctl::monitorKeepsAnEarlierLog_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("begins"); // what the file begins with afterwards
    const QString earlier = QStringLiteral("\"Control data\"\r\nearlier run");
    QTest::newRow("neither") << QString() << 1 << earlier;
    QTest::newRow("--append") << "--append" << 0 << earlier;
    QTest::newRow("--force") << "--force" << 0 << "\"Control data\"\r\n\"Date\"";
}

void TestZnctl::monitorKeepsAnEarlierLog()
{
    QFETCH(QString, option);
    QFETCH(int, exitCode);
    QFETCH(QString, begins);
    startSimulator();
    QFile log(csvPath());
    QVERIFY(log.open(QIODevice::WriteOnly));
    log.write("\"Control data\"\r\nearlier run\r\n");
    log.close();
    QStringList arguments = {"monitor", "--seconds", "2", "--csv", csvPath()};
    if (!option.isEmpty())
        arguments << option;
    const Run run = znctl(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(csvLines().join("\r\n").startsWith(begins));
    if (exitCode != 0) {
        QVERIFY2(run.err.contains("exists; give --append") && run.out.isEmpty(),
                 qPrintable(run.err));
        QCOMPARE(csvLines().size(), 2);
        return;
    }
    // Appended lines are samples only; a replaced log has its headings.
    QVERIFY(csvLines().size() > 2);
    QCOMPARE(csvLines().filter("\"Date\"").size(), option == "--force" ? 1 : 0);
}

void TestZnctl::monitorEndsCleanlyOnCtrlC()
{
    startSimulator();
    QProcess process;
    startZnctl(process, {"monitor", "--csv", csvPath(), "--stats", "--frames", framesPath()});
    QTRY_VERIFY_WITH_TIMEOUT(csvLines().size() >= 4, 30000);
    ::kill(pid_t(process.processId()), SIGINT);
    const Run run = finish(process);
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = csvLines();
    QCOMPARE(lines.size(), 2 + int(run.out.count('\n')));
    QVERIFY(!lines.contains("<unterminated>"));
    // The counters said at the end add up to the exchanges in the frames file.
    if (!PythonCsv::available())
        QSKIP("python3 is not installed");
    const QList<QMap<QString, QString>> frames = PythonCsv::records(framesPath());
    const auto count = [&frames](const char *verdict) {
        return std::count_if(frames.cbegin(), frames.cend(),
                             [verdict](const auto &row) { return row["verdict"] == verdict; });
    };
    QVERIFY(count("ok") > 8);
    // The vendor frame's return command goes unanswered by design: good, not a fault.
    const auto returns = std::count_if(frames.cbegin(), frames.cend(), [](const auto &row) {
        return row["protocol"] == "vendor" && row["command"] == "P" && row["address"] == "0000" &&
               row["data"] == "0000" && row["verdict"] == "no-reply";
    });
    QVERIFY2(run.err.contains(QStringLiteral("instrument 01: %1 requests, %2 good, %3 no reply")
                                  .arg(frames.size())
                                  .arg(count("ok") + returns)
                                  .arg(count("no-reply") - returns)),
             qPrintable(run.err));
}

// A silent controller gives no new values: no line may pretend otherwise (at most the rotation
// under way when it fell silent is logged, with what it still read).
void TestZnctl::monitorEndsWhenTheControllerFallsSilent()
{
    startSimulator();
    QProcess process;
    startZnctl(process, {"monitor", "--csv", csvPath()});
    QTRY_VERIFY_WITH_TIMEOUT(csvLines().size() >= 4, 30000);
    const qsizetype before = csvLines().size();
    m_sim->setSilent(true);
    const Run run = finish(process);
    QCOMPARE(run.exitCode, 5);
    // Each line says which port and instrument, and the advice is the tool's, not the window's.
    QVERIFY(run.err.contains("znctl: COM1 instrument 01: " +
                             MessageTable::instance().text(274, Language::English)));
    QVERIFY(run.err.contains(MessageTable::instance().text(1160, Language::English)));
    QVERIFY2(!run.err.contains("menu"), qPrintable(run.err));
    QVERIFY2(csvLines().size() <= before + 2, qPrintable(csvLines().join('\n')));
}

// Each fault the controller goes through while monitored leaves its event line, in order.
void TestZnctl::monitorLogsEvents()
{
    startSimulator();
    const QString path = m_config->filePath(QStringLiteral("events.csv"));
    const auto events = [&path] {
        QStringList words;
        for (auto e : EventLog::latest(path, 100))
            words.prepend(EventLog::word(e.kind));
        return words;
    };
    const auto process = [this](const std::function<void(ProcessModel &)> &change) {
        m_sim->withCore([&change](ControllerCore &core) {
            change(core.process());
            core.process().step(0);
        });
    };
    QProcess monitor;
    startZnctl(monitor, {"monitor", "--events", path});
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("online"), 30000);
    process([](ProcessModel &p) { p.setSensorBroken(true); });
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("sensor-break-on"), 30000);
    process([](ProcessModel &p) { p.setSensorBroken(false); });
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("sensor-break-off"), 30000);
    process([](ProcessModel &p) { p.startAutoTuning(); });
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("autotuning-started"), 30000);
    process([](ProcessModel &p) { p.stopAutoTuning(); });
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("autotuning-ended"), 30000);
    m_sim->panelSet(0x000B, 25); // alarm 1 value, changed at the front panel
    QTRY_VERIFY_WITH_TIMEOUT(events().contains("front-panel-change"), 30000);
    m_sim->unplug();
    QCOMPARE(finish(monitor).exitCode, 5);
    // A broken sensor reads overscale, which also raises the high alarm 1.
    QCOMPARE(events().join(' '), QStringLiteral("online alarm1-on sensor-break-on alarm1-off "
                                                "sensor-break-off autotuning-started "
                                                "autotuning-ended front-panel-change comm-error "
                                                "offline"));

    // The month's file of a folder is a folder itself: the events are lost, said once with the
    // file and the reason, counted at the end, and the run ends with exit code 1.
    QVERIFY(m_sim->plug());
    storeConditions({});
    const QString folder = m_config->filePath(QStringLiteral("events"));
    const QString month = folder + "/" + EventLog::fileNameFor(QDate::currentDate());
    QVERIFY(QDir().mkpath(month));
    const Run lost = znctl({"monitor", "--seconds", "2", "--events", folder});
    QCOMPARE(lost.exitCode, 1);
    QCOMPARE(lost.err.count("cannot write the event log " + month + " (not a regular file)"), 1);
    QVERIFY2(lost.err.contains("1 event(s) could not be written"), qPrintable(lost.err));
}

void TestZnctl::uploadDownloadDiffRoundTrip_data()
{
    readInEachProtocol_data();
}

// A set filed from one controller and downloaded into a second makes them equal; diff shows what
// changed in between, and nothing once the download is done.
void TestZnctl::uploadDownloadDiffRoundTrip()
{
    QFETCH(int, protocol);
    QFETCH(QString, option);
    SimulatedController::Options options;
    options.line.protocol = WireProtocol(protocol);
    options.line.speed = 19200;
    options.model.contactInput = true; // set values 2 to 4, written in the vendor frame
    options.model.serialComm = false;
    startSimulator(options);
    m_second = std::make_unique<SimulatedController>(options);
    QVERIFY(m_second->start());
    storeConditions({});
    m_sim->setValue(0x0001, 300);
    m_sim->setItem(0xFC32, 400);
    m_sim->setValue(0x0023, 2); // alarm 1 type: low limit
    m_sim->setValue(0x0004, 55);
    const QString file = m_config->filePath("a.znm");
    const QStringList line = {"--protocol", option, "--speed", "19200"};

    QCOMPARE(znctl(QStringList{"upload", "--out", file} + line).exitCode, 0);
    m_sim->panelSet(0x000B, 25); // alarm 1 value, changed at the front panel
    const Run changed = znctl(QStringList{"diff", file} + line);
    QCOMPARE(changed.exitCode, 8);
    QCOMPARE(changed.out, QStringLiteral("19\tAlarm 1 value setting\t25\t50\n"));

    QCOMPARE(znctl(QStringList{"download", file, "--port", "COM2"} + line).exitCode, 0);
    QCOMPARE(m_second->value(0x0001), qint16(300));
    // Every setting and vendor item as the first controller had it when the file was made.
    for (quint16 address = 0x0001; address <= 0x0053; ++address) {
        if (address != 0x000B)
            QVERIFY2(m_second->value(address) == m_sim->value(address),
                     qPrintable(QString::number(address, 16)));
    }
    for (const quint16 item : {0xFC32, 0xFC34, 0xFC36, 0xFC92, 0xFC96})
        QCOMPARE(m_second->item(item), m_sim->item(item));
    // The setting flag went first, as 1 in the protocol's byte order.
    const QList<LoggedRequest> log = m_second->requestLog();
    const auto write = std::find_if(log.begin(), log.end(),
                                    [](const LoggedRequest &r) { return r.data.has_value(); });
    QVERIFY(write != log.end());
    QCOMPARE(write->text().section(' ', 1), QStringLiteral("0070 0001 ok"));
    const Run same = znctl(QStringList{"diff", file, "--port", "COM2"} + line);
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.out, QString());
}

// Three controllers on one line: their settings go to one file each and come back from the
// folder; a bad file stops the whole download before anything is sent; a silent instrument
// costs the others one reply timeout, not one per rotation.
void TestZnctl::lineOfInstruments()
{
    SimulatedController::Options options;
    options.line.speed = 19200;
    options.stations = {1, 2, 3};
    startSimulator(options);
    const auto value = [this](int station, quint16 address) {
        qint16 v = 0;
        m_sim->withStation(station,
                           [&](ControllerCore &core) { v = core.registers().value(address); });
        return v;
    };
    const auto set = [this](int station, quint16 address, qint16 v) {
        m_sim->withStation(station,
                           [&](ControllerCore &core) { core.registers().set(address, v); });
    };
    for (int station = 1; station <= 3; ++station)
        set(station, 0x0001, qint16(100 * station));
    const QString folder = m_config->filePath("line");
    const QStringList line = {"--speed", "19200", "--station", "1-3"};

    QCOMPARE(znctl(QStringList{"upload", "--out-dir", folder} + line).exitCode, 0);
    QList<QList<qint16>> uploaded(3);
    for (int station = 1; station <= 3; ++station) {
        QVERIFY(QFileInfo::exists(QStringLiteral("%1/COM1-0%2.znm").arg(folder).arg(station)));
        for (quint16 address = 0x0001; address <= 0x0053; ++address)
            uploaded[station - 1] << value(station, address);
    }
    m_sim->withStation(2, [](ControllerCore &core) { core.panelSet(0x000B, 25); });
    set(3, 0x0001, 333);
    const Run changed = znctl(QStringList{"diff", folder} + line);
    QCOMPARE(changed.exitCode, 8);
    QVERIFY2(changed.out.startsWith("02\t19\tAlarm 1 value setting\t25\t50\n03\t"),
             qPrintable(changed.out));

    QCOMPARE(znctl(QStringList{"download", folder} + line).exitCode, 0);
    for (int station = 1; station <= 3; ++station) {
        for (quint16 address = 0x0001; address <= 0x0053; ++address)
            QCOMPARE(value(station, address), uploaded[station - 1].at(address - 1));
    }
    const Run same = znctl(QStringList{"diff", folder} + line);
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.out, QString());

    const Run json = znctl({"read", "11", "--json", "--station", "1,3", "--speed", "19200"});
    QCOMPARE(json.exitCode, 0);
    const QJsonArray values = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(values.size(), 2);
    QCOMPARE(values.at(1)[QStringLiteral("instrument")].toInt(), 3);
    QCOMPARE(values.at(1)[QStringLiteral("raw")].toInt(), 300);

    QFile::resize(QStringLiteral("%1/COM1-03.znm").arg(folder), 40);
    set(1, 0x0001, 123);
    const Run refused = znctl(QStringList{"download", folder} + line);
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(value(1, 0x0001), qint16(123));

    m_sim->withStation(2, [](ControllerCore &core) {
        core.faults().setSilent(true);
        core.requestLog().clear();
    });
    const Run monitor = znctl(QStringList{"monitor", "--seconds", "4"} + line);
    QCOMPARE(monitor.exitCode, 3);
    const QString rows = "\n" + monitor.out;
    QVERIFY2(rows.count("\n01\t") >= 2 && rows.count("\n03\t") >= 2, qPrintable(monitor.out));
    QVERIFY(!rows.contains("\n02\t"));
    // Its one link check in the run; the next try is a minute away.
    m_sim->withStation(
        2, [](ControllerCore &core) { QCOMPARE(core.requestLog().entries().size(), 1); });
}

// A line of three controllers behind ser2net, in raw and in RFC 2217 mode, named by its URL:
// monitor, and an upload taken back by a download that the read-back confirms. Through RFC 2217
// the line runs at the speed and format the run asks for (the simulator refuses any other);
// through raw mode at the server's own (9600 8N1 here, which the simulator is told to accept).
void TestZnctl::throughASerialServer_data()
{
    QTest::addColumn<SerialServer::Mode>("mode");
    QTest::newRow("raw") << SerialServer::Mode::Raw;
    QTest::newRow("rfc2217") << SerialServer::Mode::Rfc2217;
}

void TestZnctl::throughASerialServer()
{
    QFETCH(SerialServer::Mode, mode);
    if (SerialServer::executable().isEmpty())
        QSKIP("ser2net is not installed (tools/deps.sh installs it)");
    SimulatedController::Options options;
    options.stations = {1, 2, 3};
    options.line.speed = 19200;
    options.checkLineSettings = mode == SerialServer::Mode::Rfc2217;
    startSimulator(options);
    SerialServer server;
    QVERIFY2(server.start(m_sim->slavePath(), mode), qPrintable(server.errorString()));
    const QStringList line = {"--port", server.url(), "--speed", "19200", "--station", "1-3"};

    const Run monitor = znctl(QStringList{"monitor", "--seconds", "2"} + line);
    QCOMPARE(monitor.exitCode, 0);
    const QString rows = "\n" + monitor.out;
    for (const char *station : {"\n01\t", "\n02\t", "\n03\t"})
        QVERIFY2(rows.contains(QLatin1String(station)), qPrintable(monitor.out + monitor.err));

    const QString folder = m_config->filePath("line");
    const Run upload = znctl(QStringList{"upload", "--out-dir", folder} + line);
    QVERIFY2(upload.exitCode == 0, qPrintable(upload.out + upload.err));
    const QString label = "127.0.0.1_" + QString::number(server.port());
    QVERIFY(QFileInfo::exists(QStringLiteral("%1/%2-02.znm").arg(folder, label)));
    m_sim->withStation(2, [](ControllerCore &core) { core.panelSet(0x000B, 25); });
    const Run download = znctl(QStringList{"download", folder} + line);
    QVERIFY2(download.exitCode == 0, qPrintable(download.out + download.err));
    m_sim->withStation(
        2, [](ControllerCore &core) { QCOMPARE(core.registers().value(0x000B), qint16(50)); });
}

// Through RFC 2217 the search sets the server's line for every speed it tries, as on a local
// port, and finds a controller at another speed than the stored one.
void TestZnctl::searchThroughASerialServer()
{
    if (SerialServer::executable().isEmpty())
        QSKIP("ser2net is not installed (tools/deps.sh installs it)");
    SimulatedController::Options options;
    options.line.speed = 19200;
    startSimulator(options);
    SerialServer server;
    QVERIFY2(server.start(m_sim->slavePath(), SerialServer::Mode::Rfc2217),
             qPrintable(server.errorString()));
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue("PortMap/COM1", server.url());
    // Every speed before the right one costs all protocols and instrument numbers: short waits
    // keep that to seconds on loopback.
    settings.setValue("NetworkAllowance", "0");
    settings.sync();

    const Run run = znctl({"search", "--timeout", "60"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QCOMPARE(storedValue("Speed"), QStringLiteral("19200"));
    QCOMPARE(storedValue("Parity"), QStringLiteral("EVEN"));
    QCOMPARE(storedValue("strAdr"), QStringLiteral("01"));
}

// Each fault of a serial server is named in its own words, within the reply timeout and the
// network allowance, and the run ends as with a pulled adapter: nothing hangs.
void TestZnctl::serialServerFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("host not found") << "host"
                                    << "host zn-no-such-host.invalid:4001 was not found";
    QTest::newRow("refused") << "refused"
                             << "refused the connection";
    QTest::newRow("silent raw server") << "silent raw"
                                       << "nothing came back from the line";
    QTest::newRow("silent telnet server") << "silent rfc2217"
                                          << "does not do RFC 2217";
    QTest::newRow("raw server asked for RFC 2217") << "raw as rfc2217"
                                                   << "does not do RFC 2217";
    QTest::newRow("second client") << "in use"
                                   << "in use by another client";
    QTest::newRow("server gone mid-transfer") << "killed"
                                              << "closed the connection";
}

void TestZnctl::serialServerFaults()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    if (SerialServer::executable().isEmpty())
        QSKIP("ser2net is not installed (tools/deps.sh installs it)");
    SimulatedController::Options options;
    options.checkLineSettings = false;
    startSimulator(options);
    SerialServer server;
    QTcpServer silent; // accepts connections (the system does) and never sends
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    const QString silentPort = QString::number(silent.serverPort());
    QTcpSocket firstClient;
    QString port;
    if (fault == "host") {
        port = "tcp://zn-no-such-host.invalid:4001";
    } else if (fault == "refused") {
        port = "tcp://127.0.0.1:" + QString::number(SerialServer::freePort());
    } else if (fault == "silent raw") {
        port = "tcp://127.0.0.1:" + silentPort;
    } else if (fault == "silent rfc2217") {
        port = "rfc2217://127.0.0.1:" + silentPort;
    } else {
        const bool telnet = fault == "killed";
        QVERIFY2(server.start(m_sim->slavePath(),
                              telnet ? SerialServer::Mode::Rfc2217 : SerialServer::Mode::Raw),
                 qPrintable(server.errorString()));
        port = telnet ? server.url() : "rfc2217://127.0.0.1:" + QString::number(server.port());
        if (fault == "in use") {
            port = server.url();
            firstClient.connectToHost(QHostAddress::LocalHost, server.port());
            QVERIFY(firstClient.waitForConnected(5000));
        }
    }

    if (fault == "killed") {
        const QString file = m_config->filePath("a.znm");
        QCOMPARE(znctl({"upload", "--out", file, "--port", port}).exitCode, 0);
        m_sim->withCore([](ControllerCore &core) { core.requestLog().clear(); });
        m_sim->setResponseDelayMs(30);
        QProcess download;
        startZnctl(download, {"download", file, "--port", port});
        QTRY_VERIFY_WITH_TIMEOUT(
            [this] {
                int count = 0;
                m_sim->withCore(
                    [&count](ControllerCore &core) { count = core.requestLog().entries().size(); });
                return count >= 10;
            }(),
            20000);
        server.kill();
        const Run run = finish(download);
        QVERIFY2(run.exitCode != 0 && run.exitCode != -1, qPrintable(run.out + run.err));
        // Said first, with the server, and never as a controller that stopped answering.
        const QString first = run.err.section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(first.contains(message) &&
                     first.contains("127.0.0.1:" + QString::number(server.port())),
                 qPrintable(run.err));
        QVERIFY2(!run.err.contains("stopped answering"), qPrintable(run.err));
        QVERIFY2(run.err.contains("download stopped after"), qPrintable(run.err));
        return;
    }
    // A run that hangs is killed by finish() and shows as -1.
    const Run run = znctl({"read", "11", "--port", port});
    QVERIFY2(run.exitCode != 0 && run.exitCode != -1, qPrintable(run.out + run.err));
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

// What the window refuses, the tool refuses, with the window's message; a value beyond the
// item's limits is a usage error. "taken" tells whether the controller may take any write.
void TestZnctl::writeSideRefusals()
{
    SimulatedController::Options options;
    options.line.speed = 19200;
    startSimulator(options);
    const QString file = m_config->filePath("a.znm");
    const QStringList line = {"--speed", "19200"};
    QCOMPARE(znctl(QStringList{"upload", "--out", file} + line).exitCode, 0);
    QFile uploaded(file);
    QVERIFY(uploaded.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = uploaded.readAll().split('\n');
    // The uploaded file with line number line (1-based) replaced, or cut before it (text empty).
    const auto variant = [&](const char *name, int line, const QByteArray &text) {
        QList<QByteArray> changed = lines;
        if (text.isEmpty())
            changed = changed.mid(0, line - 1) << QByteArray();
        else
            changed[line - 1] = text + '\r';
        const QString path = m_config->filePath(QLatin1String(name));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(changed.join('\n')) < 0)
            qFatal("cannot write %s", name);
        return path;
    };
    const QString otherModel = variant("other.znm", 3, "0"); // a controller without alarm 2
    const QString windup = variant("windup.znm", 50, "150");
    const QString alarmType = variant("alarmtype.znm", 34, "99");
    const QString cut = variant("cut.znm", 41, QByteArray());
    const QString fifo = m_config->filePath("report.pdf");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        const char *name;
        std::function<void(SimulatedController &)> setUp;
        QStringList arguments;
        int exitCode;
        QString message;
        bool taken;
    };
    const auto none = [](SimulatedController &) {};
    const QList<Case> cases = {
        {"out of range", none, {"write", "11", "2500"}, 2, "2500 is outside -200 to 1370", false},
        {"too fine", none, {"write", "11", "250.5"}, 2, "takes no decimals", false},
        {"display units", none, {"write", "23", "-2.5"}, 0, "\t-2.5\t-25\n", true},
        {"choice by name", none, {"write", "36", "low limit alarm", "--yes"}, 0, "\t2\n", true},
        // A change that resets other items is made only with --yes; the question names them.
        {"resets others", none, {"write", "49", "2"}, 2, "Scaling high limit setting", false},
        {"resets others, --yes", none, {"write", "49", "2", "--yes"}, 0, "\t2\n", true},
        {"manual output", none, {"write", "46", "100.1"}, 2, "outside 0.0 to 100.0", false},
        {"keys operated",
         [](SimulatedController &sim) { sim.operateKeys(60000); },
         {"download", file},
         7,
         msg(452),
         false},
        {"keys operated midway",
         [](SimulatedController &sim) { sim.operateKeysAfter(20, 3000); },
         {"download", file},
         7,
         msg(292),
         true},
        {"auto-tuning",
         [](SimulatedController &sim) {
             sim.withCore([](ControllerCore &core) {
                 core.process().startAutoTuning();
                 core.process().step(0);
             });
         },
         {"download", file},
         7,
         msg(503),
         false},
        {"other model", none, {"download", otherModel}, 7, msg(290), false},
        {"no file", none, {"download", m_config->filePath("none.znm")}, 1, "none.znm", false},
        // A file that write would refuse in part is not sent at all.
        {"anti-reset windup 150", none, {"download", windup}, 1, "Line 50: ", false},
        {"alarm type 99", none, {"download", alarmType}, 1, "Line 34: ", false},
        {"short file", none, {"download", cut}, 1, "Line 41: " + msg(951), false},
        {"unwritable file",
         none,
         {"upload", "--out", "/nonexistent/a.znm"},
         1,
         "cannot write",
         false},
        // Never replaced by a file (nor written into, which would block).
        {"report into a FIFO",
         none,
         {"upload", "--report", fifo},
         1,
         "cannot write " + fifo + " (not a regular file)",
         false},
    };
    for (const Case &c : cases) {
        startSimulator(options);
        c.setUp(*m_sim);
        const Run run = znctl(c.arguments + line);
        QVERIFY2(run.exitCode == c.exitCode, c.name);
        QVERIFY2((run.err + run.out).contains(c.message), qPrintable(c.name + (": " + run.err)));
        const QList<LoggedRequest> log = m_sim->requestLog();
        const bool taken = std::any_of(log.begin(), log.end(), [](const LoggedRequest &r) {
            // The vendor key and the setting flag change no setting.
            return r.data && r.refusal.isEmpty() && r.address != 0 && r.address != 0x0070;
        });
        QVERIFY2(taken == c.taken, c.name);
    }
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());

    // Items written in the vendor frame carry the main set value: the controller's own, read
    // just before, also when the program never uploaded it (237 here, set at the keys).
    for (const QStringList &write : {QStringList{"write", "63", "1"}, {"write", "51", "3.0"}}) {
        startSimulator(options);
        m_sim->panelSet(0x0001, 237);
        const Run run = znctl(write + line);
        QVERIFY2(run.exitCode == 0, qPrintable(write.join(' ') + ": " + run.err));
        QCOMPARE(m_sim->value(0x0001), qint16(237));
    }
}

// Every write the tool sends is one line of the journal, a refused one too, with what the
// controller held before it; a download journals each item it sends.
void TestZnctl::writesAreJournalled()
{
    SimulatedController::Options options;
    options.line.speed = 19200;
    startSimulator(options);
    const QString folder = m_config->filePath("Journal");
    const QStringList line = {"--speed", "19200", "--journal-dir", folder};
    m_sim->setValue(0x0015, -10); // sensor correction -1.0

    QCOMPARE(znctl(QStringList{"write", "23", "-2.5"} + line).exitCode, 0);
    m_sim->operateKeys(60000);
    QCOMPARE(znctl(QStringList{"write", "23", "1.5"} + line).exitCode, 7);
    startSimulator(options);
    const QString file = m_config->filePath("a.znm");
    QCOMPARE(znctl(QStringList{"upload", "--out", file} + line.mid(0, 2)).exitCode, 0);
    QCOMPARE(znctl(QStringList{"download", file} + line).exitCode, 0);

    const QString path = folder + "/" + JournalFile::fileName(QDate::currentDate());
    const QList<QStringList> entries = JournalFile::latest(path, 1000);
    QVERIFY2(entries.size() > 30, qPrintable(QString::number(entries.size())));
    const auto fields = [](const QStringList &e, std::initializer_list<JournalFile::Column> cs) {
        QStringList picked;
        for (const JournalFile::Column c : cs)
            picked << e.at(c);
        return picked.join('|');
    };
    using namespace JournalFile;
    const QStringList &taken = entries.at(entries.size() - 1);
    const QStringList &refused = entries.at(entries.size() - 2);
    QCOMPARE(fields(taken, {Port, Instrument, Code, Before, Sent, RawSent, Outcome, Source}),
             "COM1|01|23|-1.0|-2.5|-25|taken|znctl");
    QCOMPARE(fields(refused, {Code, Before, Sent, Outcome, Detail}),
             "23|-2.5|1.5|refused|keys operated");
    // The download: one line per item sent, each taken, none of them unknown to the journal.
    const QList<QStringList> download = entries.mid(0, entries.size() - 2);
    for (const QStringList &e : download)
        QVERIFY2(e.at(Outcome) == "taken" && e.at(Source) == "znctl", qPrintable(e.join(',')));
    QCOMPARE(std::count_if(download.begin(), download.end(),
                           [](const QStringList &e) { return e.at(Code) == "23"; }),
             1);
}

// A controller that refuses some reads and writes with exceptions: nothing it did not give is
// filed, compared or reported as taken.
void TestZnctl::refusedAnswersAreNoValues()
{
    SimulatedController::Options options;
    options.line.speed = 19200;
    startSimulator(options);
    const QStringList line = {"--speed", "19200"};
    m_sim->setValue(0x0023, 2);  // alarm 1 type: low limit
    m_sim->setValue(0x000B, 10); // alarm 1 value
    const QString file = m_config->filePath("a.znm");
    const QString report = m_config->filePath("a.pdf");
    QCOMPARE(znctl(QStringList{"upload", "--out", file, "--report", report} + line).exitCode, 0);
    // The report names the file written beside it and holds the values read.
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", report, "-"});
    if (pdftotext.waitForFinished()) {
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QRegularExpression("Settings data file +" +
                                                  QRegularExpression::escape(file))) &&
                     text.contains(QRegularExpression("Alarm 1 value setting +10 ")),
                 qPrintable(text));
    }
    m_sim->withCore([](ControllerCore &core) { core.refuseReads(0x000B, 0x04); });

    const QString refusedFile = m_config->filePath("b.znm");
    const QString refusedReport = m_config->filePath("b.pdf");
    const Run filed =
        znctl(QStringList{"upload", "--out", refusedFile, "--report", refusedReport} + line);
    QCOMPARE(filed.exitCode, 4);
    QVERIFY(!QFile::exists(refusedFile) && !QFile::exists(refusedReport));
    QVERIFY2(filed.err.contains("19 Alarm 1 value setting"), qPrintable(filed.err));
    const Run printed = znctl(QStringList{"upload"} + line);
    QCOMPARE(printed.exitCode, 4);
    QVERIFY2(printed.out.contains("\n19\tAlarm 1 value setting\tnot read\n"),
             qPrintable(printed.out));
    const Run compared = znctl(QStringList{"diff", file} + line);
    QCOMPARE(compared.exitCode, 4);
    QCOMPARE(compared.out, QStringLiteral("19\tAlarm 1 value setting\tnot read\t10\n"));

    // A write refused whose read-back is refused too; then one refused that reads back another
    // value, in a download.
    m_sim->withCore([](ControllerCore &core) {
        core.refuseReads(0x000B, 0);
        core.refuseWrites(0x001B, 0x04);
        core.refuseReads(0x001B, 0x02, 1);
    });
    const Run written = znctl(QStringList{"write", "28", "0.5"} + line);
    QCOMPARE(written.exitCode, 4);
    QVERIFY2(written.err.contains("did not take 0.5"), qPrintable(written.err));
    QVERIFY(written.out.isEmpty());
    m_sim->withCore([](ControllerCore &core) { core.refuseReads(0x001B, 0); });
    m_sim->setValue(0x001B, 7);
    const Run downloaded = znctl(QStringList{"download", file} + line);
    QCOMPARE(downloaded.exitCode, 4);
    const QStringList landed = downloaded.out.split('\n');
    const auto verdict = [&](int code) {
        const QStringList found =
            landed.filter(QRegularExpression(QStringLiteral("^%1\t").arg(code)));
        return found.size() == 1 ? found.first().section('\t', -1) : QString();
    };
    QCOMPARE(verdict(28), QStringLiteral("not landed"));
    QCOMPARE(verdict(19), QStringLiteral("landed"));
    QCOMPARE(m_sim->value(0x001B), qint16(7));
}

void TestZnctl::keysWaitEnds_data()
{
    QTest::addColumn<bool>("interrupt");
    QTest::newRow("bounded wait") << false;
    QTest::newRow("Ctrl-C") << true;
}

// The keys go into operation while the upload reaches the items of the vendor frame, and stay
// so: nobody at the terminal can release them, so the wait ends after --wait seconds (exit 7) or
// at the first Ctrl-C (exit 6).
void TestZnctl::keysWaitEnds()
{
    QFETCH(bool, interrupt);
    SimulatedController::Options options;
    options.line.speed = 19200;
    options.model.contactInput = true;
    options.model.serialComm = false;
    startSimulator(options);
    m_sim->operateKeysAfter(30, 600000);
    QProcess process;
    startZnctl(process, {"upload", "--speed", "19200", "--wait", interrupt ? "600" : "2", "--out",
                         m_config->filePath("a.znm")});
    QString err;
    if (interrupt) {
        const QString keysOperated = MessageTable::instance().text(455, Language::English);
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += QString::fromUtf8(process.readAllStandardError())).contains(keysOperated),
            60000);
        ::kill(pid_t(process.processId()), SIGINT);
    }
    const Run run = finish(process);
    err += run.err;
    QCOMPARE(run.exitCode, interrupt ? 6 : 7);
    const QString ended = interrupt ? MessageTable::instance().text(931, Language::English)
                                    : MessageTable::instance().text(932, Language::English).arg(2);
    QVERIFY2(err.contains(ended), qPrintable(err));
    QVERIFY(!QFile::exists(m_config->filePath("a.znm")));
}

// Debian's broker on a free port of the loopback interface, for this test alone.
void TestZnctl::startBroker(QProcess &broker, quint16 port, bool anonymous, const QString &tls)
{
    const QString config = m_config->filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous %2\n%3")
                   .arg(port)
                   .arg(anonymous ? "true" : "false", tls)
                   .toUtf8());
    file.close();
    broker.setProcessChannelMode(QProcess::MergedChannels);
    broker.start(QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}),
                 {"-c", config});
    QVERIFY(broker.waitForStarted());
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += broker.readAll()).contains(" running"), 10000);
}

void TestZnctl::startSubscriber(QProcess &subscriber, quint16 port)
{
    subscriber.start("mosquitto_sub",
                     {"-h", "127.0.0.1", "-p", QString::number(port), "-v", "-t", "plant/line1/#"});
    QVERIFY(subscriber.waitForStarted());
}

QString TestZnctl::retainedStatus(quint16 port, const QString &leaf, const QStringList &tls)
{
    const QString topic = leaf.contains('/') ? leaf : "plant/line1/COM1/1/" + leaf;
    QProcess sub;
    sub.start("mosquitto_sub", QStringList{"-h", "127.0.0.1", "-p", QString::number(port), "-t",
                                           topic, "--retained-only", "-C", "1", "-W", "2"} +
                                   tls);
    sub.waitForFinished();
    return QString::fromUtf8(sub.readAllStandardOutput()).trimmed();
}

quint16 TestZnctl::brokerPort()
{
    if (QStandardPaths::findExecutable("mosquitto", {"/usr/sbin", "/usr/bin"}).isEmpty() ||
        QStandardPaths::findExecutable("mosquitto_sub").isEmpty())
        return 0;
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

// Each rotation reaches the broker as JSON, with a retained status that the last will turns
// offline when znctl is killed; a restarted broker (which forgot everything) gets both again.
void TestZnctl::monitorFeedsAPlantSystem()
{
    const quint16 port = brokerPort();
    if (port == 0)
        QSKIP("mosquitto and mosquitto-clients are not installed (tools/deps.sh installs them)");
    SimulatedController::Options options;
    options.inputType = 1; // tenths of a degree
    startSimulator(options);
    setTemperature(25.3);
    QProcess broker;
    startBroker(broker, port);
    if (QTest::currentTestFailed())
        return;
    const QStringList monitor = {"monitor", "--mqtt",
                                 QStringLiteral("mqtt://127.0.0.1:%1/plant/line1/").arg(port)};
    QProcess znctl;
    startZnctl(znctl, monitor);
    QProcess subscriber;
    startSubscriber(subscriber, port);
    const QByteArray stateTopic = "plant/line1/COM1/1/state ";
    QByteArray received;
    QTRY_VERIFY2_WITH_TIMEOUT((received += subscriber.readAll()).contains(stateTopic),
                              znctl.readAllStandardError().constData(), 30000);

    const QByteArray line = received.mid(received.indexOf(stateTopic)).split('\n').first();
    const QJsonObject state = QJsonDocument::fromJson(line.mid(stateTopic.size())).object();
    QCOMPARE(state.value("pv").toDouble(), 25.3);
    QVERIFY(state.value("sv").isDouble() && state.value("mv1").isDouble());
    QVERIFY(state.value("mv2").isNull()); // no second output
    QCOMPARE(state.value("lamps").toObject().keys(), (QStringList{"autoTuning", "out1", "out2"}));
    QCOMPARE(state.value("alarms").toObject().value("overscale"), QJsonValue(false));
    const QDateTime at = QDateTime::fromString(state.value("time").toString(), Qt::ISODateWithMs);
    QCOMPARE(at.timeSpec(), Qt::UTC);
    QVERIFY(qAbs(at.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QCOMPARE(retainedStatus(port), QStringLiteral("online"));
    // Nothing lost so far, and the broker is told so.
    QCOMPARE(retainedStatus(port, "lost"), QStringLiteral("0"));

    broker.kill();
    broker.waitForFinished();
    startBroker(broker, port);
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(retainedStatus(port), QStringLiteral("online"), 30000);
    QProcess afterRestart;
    startSubscriber(afterRestart, port);
    received.clear();
    QTRY_VERIFY_WITH_TIMEOUT((received += afterRestart.readAll()).contains(stateTopic), 30000);

    znctl.kill();
    znctl.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(retainedStatus(port), QStringLiteral("offline"), 10000);

    // A run that ends by itself says offline too; the will is only for a connection torn off.
    received.clear();
    startZnctl(znctl, monitor + QStringList{"--seconds", "2"});
    QCOMPARE(finish(znctl).exitCode, 0);
    const QRegularExpression onlineThenOffline("status online\n.*status offline\n",
                                               QRegularExpression::DotMatchesEverythingOption);
    QTRY_VERIFY_WITH_TIMEOUT(
        QString::fromUtf8(received += afterRestart.readAll()).contains(onlineThenOffline), 10000);
    for (QProcess *process : {&subscriber, &afterRestart, &broker}) {
        process->kill();
        process->waitForFinished();
    }
}

// Every state message is delivered or counted as lost, and a run that lost any ends with exit code
// 9: a login the broker refuses, TLS to a broker that speaks none, and under QoS 1 a broker that
// stops acknowledging (a message counts only when acknowledged).
void TestZnctl::plantFeedCountsWhatTheBrokerDidNotGet()
{
    const quint16 port = brokerPort();
    if (port == 0)
        QSKIP("mosquitto and mosquitto-clients are not installed (tools/deps.sh installs them)");
    startSimulator();
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1/plant/line1").arg(port);
    // "N of M state messages were not delivered"
    const auto lostOf = [](const Run &run) -> std::pair<int, int> {
        const QRegularExpressionMatch match =
            QRegularExpression("(\\d+) of (\\d+) state messages were not delivered").match(run.err);
        return match.hasMatch() ? std::pair(match.captured(1).toInt(), match.captured(2).toInt())
                                : std::pair(-1, -1);
    };

    QProcess broker;
    startBroker(broker, port, false);
    if (QTest::currentTestFailed())
        return;
    const Run refused = znctl({"monitor", "--seconds", "3", "--mqtt", url});
    QCOMPARE(refused.exitCode, 9);
    const auto [refusedLost, refusedHanded] = lostOf(refused);
    QVERIFY2(refusedHanded > 0 && refusedLost == refusedHanded, qPrintable(refused.err));
    broker.kill();
    broker.waitForFinished();

    startBroker(broker, port);
    if (QTest::currentTestFailed())
        return;
    const QString caFile = m_config->filePath("plant-ca.pem");
    QFile ca(caFile);
    QVERIFY(ca.open(QIODevice::WriteOnly));
    ca.write("-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    ca.close();
    const Run plain = znctl({"monitor", "--seconds", "3", "--mqtt", url, "--mqtt-cafile", caFile});
    QCOMPARE(plain.exitCode, 9);
    const auto [plainLost, plainHanded] = lostOf(plain);
    QVERIFY2(plainHanded > 0 && plainLost == plainHanded, qPrintable(plain.err));

    // QoS 1: the broker takes the first messages, then stops (SIGSTOP) with the connection open.
    QProcess subscriber;
    startSubscriber(subscriber, port);
    QProcess stalled;
    startZnctl(stalled, {"monitor", "--seconds", "8", "--mqtt", url, "--mqtt-qos", "1"});
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += subscriber.readAll()).contains("/state "), 30000);
    QCOMPARE(::kill(pid_t(broker.processId()), SIGSTOP), 0);
    const Run unacknowledged = finish(stalled);
    ::kill(pid_t(broker.processId()), SIGCONT);
    QCOMPARE(unacknowledged.exitCode, 9);
    const auto [stalledLost, stalledHanded] = lostOf(unacknowledged);
    QVERIFY2(stalledLost > 0 && stalledLost < stalledHanded, qPrintable(unacknowledged.err));
    for (QProcess *process : {&subscriber, &broker}) {
        process->kill();
        process->waitForFinished();
    }
}

bool TestZnctl::makeCertificates()
{
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        return false;
    QFile extensions(m_config->filePath("server.ext"));
    if (!extensions.open(QIODevice::WriteOnly))
        return false;
    extensions.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n");
    extensions.close();
    // name: a key and a certificate request; signed by ca, with extensions when given.
    const QString script = QStringLiteral(R"(set -e
key() { openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout $1.key \
    -out $1.csr -subj "/CN=$1" 2>/dev/null; }
sign() { openssl x509 -req -in $1.csr -CA $2.crt -CAkey $2.key -CAcreateserial -days 2 \
    -out $1.crt $3 2>/dev/null; }
for ca in ca otherca; do
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -keyout $ca.key -out $ca.crt -subj "/CN=ZN test $ca" 2>/dev/null
done
key server && sign server ca "-extfile server.ext"
key client && sign client ca
key stranger && sign stranger otherca
# A broker started as root reads them as its own user.
chmod 755 . && chmod 644 ./*.key ./*.crt
)");
    QProcess openssl;
    openssl.setWorkingDirectory(m_config->path());
    openssl.start("sh", {"-c", script});
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}

// A plant broker that speaks TLS only and asks every client for a certificate of its CA: znctl
// gets in with its certificate, says which sensors it feeds for discovery, and a certificate of
// another CA, none at all, or a broker checked against the system's CA store are each refused
// with words that say which.
void TestZnctl::plantFeedOverTlsWithAClientCertificate()
{
    const quint16 port = brokerPort();
    if (port == 0)
        QSKIP("mosquitto and mosquitto-clients are not installed (tools/deps.sh installs them)");
    if (!makeCertificates())
        QSKIP("openssl could not make the test's certificates (tools/deps.sh installs it)");
    SimulatedController::Options options;
    options.inputType = 1; // tenths of a degree
    startSimulator(options);
    setTemperature(25.3);
    const auto file = [this](const char *name) { return m_config->filePath(QLatin1String(name)); };
    QProcess broker;
    startBroker(broker, port, true,
                QStringLiteral("cafile %1\ncertfile %2\nkeyfile %3\nrequire_certificate true\n")
                    .arg(file("ca.crt"), file("server.crt"), file("server.key")));
    if (QTest::currentTestFailed())
        return;
    const QStringList tls = {"--cafile",         file("ca.crt"), "--cert",
                             file("client.crt"), "--key",        file("client.key")};
    const QStringList monitor = {
        "monitor", "--seconds", "2",
        "--quiet", "--mqtt",    QStringLiteral("mqtts://127.0.0.1:%1/plant/line1").arg(port)};

    const Run fed = znctl(monitor + QStringList{"--mqtt-cafile", file("ca.crt"), "--mqtt-cert",
                                                file("client.crt"), "--mqtt-key",
                                                file("client.key"), "--mqtt-discovery"});
    QVERIFY2(fed.exitCode == 0, qPrintable(fed.err));
    QCOMPARE(retainedStatus(port, "status", tls), QStringLiteral("offline"));
    QCOMPARE(retainedStatus(port, "lost", tls), QStringLiteral("0"));
    const QJsonObject pv =
        QJsonDocument::fromJson(
            retainedStatus(port, "homeassistant/sensor/+/pv/config", tls).toUtf8())
            .object();
    QCOMPARE(pv.value("state_topic").toString(), QStringLiteral("plant/line1/COM1/1/state"));
    QCOMPARE(pv.value("unit_of_measurement").toString(), QStringLiteral("°C"));
    QCOMPARE(pv.value("value_template").toString(), QStringLiteral("{{ value_json.pv }}"));

    struct Refusal {
        const char *name;
        QStringList options;
        QString says;
    };
    const QList<Refusal> refusals = {
        {"another CA's certificate",
         {"--mqtt-cafile", file("ca.crt"), "--mqtt-cert", file("stranger.crt"), "--mqtt-key",
          file("stranger.key")},
         "did not accept the client certificate " + file("stranger.crt")},
        {"no certificate", {"--mqtt-cafile", file("ca.crt")}, "wants a client certificate"},
        {"the system's CA store",
         {"--mqtt-cert", file("client.crt"), "--mqtt-key", file("client.key")},
         "not signed by a CA of the system's store"},
    };
    for (const Refusal &refusal : refusals) {
        const Run refused = znctl(monitor + refusal.options);
        QVERIFY2(refused.exitCode == 9, refusal.name);
        QVERIFY2(refused.err.contains(": TLS: the broker") && refused.err.contains(refusal.says),
                 qPrintable(refusal.name + (": " + refused.err)));
    }
    broker.kill();
    broker.waitForFinished();
}

QTEST_GUILESS_MAIN(TestZnctl)
#include "tst_znctl.moc"
