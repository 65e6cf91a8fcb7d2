// The zn8p-sim executable: options, stdin commands, the link's lifetime.

#include "comm/SerialCommComponent.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// Bound on any wait for the simulator process; only there to catch a hang.
constexpr int BoundMs = 10000;

QString readLine(QProcess &process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(BoundMs))
            return QString();
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

QString command(QProcess &process, const char *line)
{
    process.write(QByteArray(line) + '\n');
    return readLine(process);
}

} // namespace

class TestSimExe : public QObject
{
    Q_OBJECT

private slots:
    void helpAndBadOptions();
    void runsOnALink();
    void takesCommandsOnASocket();
};

void TestSimExe::helpAndBadOptions()
{
    QProcess help;
    help.start(ZN8P_SIM_PATH, {"--help"});
    QVERIFY(help.waitForFinished(BoundMs));
    QCOMPARE(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    const QString options = QStringLiteral(
        "--device --link --station --speed --databits --parity --stopbits --protocol "
        "--response-delay-ms --time-scale --alarm2 --heat-cool --heater-break --contact-input "
        "--serial-comm --output --input-type --mode-value --any-line-settings --fault --control");
    for (const QString &option : options.split(' '))
        QVERIFY2(text.contains(option), qPrintable(option));
    const QString commands = QStringLiteral(
        "drop drop-fraction corrupt truncate noise delay keys silent unplug plug panel log status");
    for (const QString &command : commands.split(' '))
        QVERIFY2(text.contains(QLatin1String("  ") + command), qPrintable(command));

    // Heating/cooling conflicts with alarm 2, a current output with the heater burnout alarm:
    // both are on by default.
    const QList<QStringList> bad = {{"--heat-cool", "1"},
                                    {"--output", "current"},
                                    {"--station", "100"},
                                    {"--fault", "explode"}};
    for (const QStringList &arguments : bad) {
        QProcess sim;
        sim.start(ZN8P_SIM_PATH, arguments);
        QVERIFY(sim.waitForFinished(BoundMs));
        QVERIFY2(sim.exitCode() == 2, qPrintable(arguments.join(' ')));
        QVERIFY(!sim.readAllStandardError().isEmpty());
    }
}

void TestSimExe::runsOnALink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyZN8P");
    QProcess sim;
    sim.start(ZN8P_SIM_PATH, {"--link", link, "--protocol", "rtu", "--station", "3", "--speed",
                              "19200", "--databits", "8", "--parity", "none", "--fault", "drop 1"});
    const QString device = readLine(sim);
    QVERIFY(device.startsWith("/dev/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);

    SerialCommComponent com(PortNames({{"COM1", link}}));
    com.setSpeed("19200");
    com.setDataBits("8");
    com.setParity("NONE");
    com.setFrameMode(FrameMode::ModbusRtu);
    com.setReplyTimeout(600); // ample on a loaded machine
    QVERIFY(com.openPort());
    const auto read = [&] { return com.sendRequest("03", "", "03", "00010001", "").text; };
    QVERIFY(read().isEmpty()); // the fault given on the command line
    QCOMPARE(read().mid(3, 2), QStringLiteral("03"));

    QCOMPARE(command(sim, "corrupt"), QStringLiteral("ok"));
    QVERIFY(read().isEmpty());
    QVERIFY(command(sim, "frobnicate").startsWith("error:"));
    QCOMPARE(command(sim, "panel 000B 20"), QStringLiteral("ok"));
    QCOMPARE(command(sim, "get 000B"), QStringLiteral("20"));
    // Keys operated from the second request on; the log shows both, then "ok".
    QCOMPARE(command(sim, "keys 5 after 1"), QStringLiteral("ok"));
    QCOMPARE(read().mid(3, 2), QStringLiteral("03"));
    QCOMPARE(com.sendRequest("03", "", "06", "0070", "0001").text.mid(3, 4),
             QStringLiteral("8612"));
    QCOMPARE(command(sim, "log 2"), QStringLiteral("03 0001 ok"));
    QCOMPARE(readLine(sim), QStringLiteral("06 0070 0001 refused 12"));
    QCOMPARE(readLine(sim), QStringLiteral("ok"));
    QCOMPARE(command(sim, "clear"), QStringLiteral("ok"));

    QCOMPARE(command(sim, "unplug"), QStringLiteral("ok"));
    QVERIFY(read().isEmpty());
    QVERIFY(!com.isOpen());
    const QString replugged = command(sim, "plug");
    QCOMPARE(QFileInfo(link).symLinkTarget(), replugged);
    QVERIFY(com.openPort());
    QCOMPARE(read().mid(3, 2), QStringLiteral("03"));

    // The end of stdin does not stop it; a signal does, and takes the link away.
    sim.closeWriteChannel();
    QTest::qWait(200);
    QCOMPARE(read().mid(3, 2), QStringLiteral("03"));
    sim.terminate();
    QVERIFY(sim.waitForFinished(BoundMs));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

// A simulator run as a service is steered through its control socket: each line a command, each
// answer a line, as on standard input. A second simulator cannot take the socket of a running one,
// and the socket goes with the simulator.
void TestSimExe::takesCommandsOnASocket()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("control");
    QProcess sim;
    sim.start(ZN8P_SIM_PATH, {"--control", path});
    QVERIFY(sim.waitForStarted(BoundMs));
    QVERIFY(!readLine(sim).isEmpty());

    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);
    const QByteArray commands = "silent on\nexplode\nstatus\n";
    QCOMPARE(::write(fd, commands.constData(), size_t(commands.size())), ssize_t(commands.size()));
    QByteArray answers;
    char buffer[512];
    while (answers.count('\n') < 3) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        QVERIFY(n > 0);
        answers.append(buffer, n);
    }
    ::close(fd);
    const QList<QByteArray> lines = answers.split('\n');
    QCOMPARE(lines.at(0), QByteArray("ok"));
    QVERIFY2(lines.at(1).startsWith("error: "), lines.at(1).constData());
    QVERIFY2(lines.at(2).startsWith("PV "), lines.at(2).constData());

    QProcess second;
    second.start(ZN8P_SIM_PATH, {"--control", path});
    QVERIFY(second.waitForFinished(BoundMs));
    QCOMPARE(second.exitCode(), 2);
    QVERIFY(second.readAllStandardError().contains("another simulator listens there"));

    sim.terminate();
    QVERIFY(sim.waitForFinished(BoundMs));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestSimExe)
#include "tst_simexe.moc"
