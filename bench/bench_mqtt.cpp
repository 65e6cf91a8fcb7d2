// Monitor rotations per second of znctl against the simulated controller on a pseudo-terminal,
// without a plant link and with --mqtt to each kind of broker: Debian's mosquitto, none at all
// (nothing listens on the port), and one that takes the connection but never reads or answers.
// The plant link's thread and bounded queue should keep every row within 2 % of the first (a run
// outlasts the 10 s the link gives a connection to be answered, so the stalled broker is given up
// and tried again). The rows take turns for a few rounds and each shows its best run, so that the
// load of other programs on the machine falls on every row alike.
//
//   bench-mqtt [seconds per run, default 15] [rounds, default 3]

#include "sim/SimulatedController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Rotations per second between the first and the last line monitor printed.
double rotationRate(const QString &configHome, const QStringList &extra, double seconds)
{
    QProcess znctl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    znctl.setProcessEnvironment(environment);
    znctl.start(QStringLiteral(ZNCTL_PATH),
                QStringList{QStringLiteral("monitor"), QStringLiteral("--seconds"),
                            QString::number(int(seconds))} +
                    extra);
    QElapsedTimer clock;
    clock.start();
    qint64 first = -1;
    qint64 last = -1;
    int lines = 0;
    while (znctl.state() != QProcess::NotRunning || znctl.canReadLine()) {
        znctl.waitForReadyRead(100);
        while (znctl.canReadLine()) {
            znctl.readLine();
            last = clock.nsecsElapsed();
            if (first < 0)
                first = last;
            ++lines;
        }
    }
    if (lines < 2)
        return 0;
    return double(lines - 1) / (double(last - first) / 1e9);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(3.0, std::atof(argv[1])) : 15.0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const QString mosquitto = QStandardPaths::findExecutable(
        QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (mosquitto.isEmpty()) {
        std::printf("mosquitto is not installed (tools/deps.sh installs it)\n");
        return 1;
    }
    SimulatedController sim;
    if (!sim.start()) {
        std::printf("simulator did not start\n");
        return 1;
    }
    QTemporaryDir home;
    QSettings settings(home.filePath(QStringLiteral("Dorvatech RQA Control/ZN Monitor.conf")),
                       QSettings::IniFormat);
    settings.setValue(QStringLiteral("Port"), QStringLiteral("COM1"));
    settings.setValue(QStringLiteral("PortMap/COM1"), sim.slavePath());
    settings.sync();

    const quint16 brokerPort = freePort();
    const QString config = home.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    file.open(QIODevice::WriteOnly);
    file.write(
        QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n").arg(brokerPort).toUtf8());
    file.close();
    QProcess broker;
    broker.start(mosquitto, {QStringLiteral("-c"), config});
    broker.waitForStarted();
    // Listens, but nothing ever accepts or reads: the connection hangs as on a stalled broker.
    QTcpServer stalled;
    stalled.listen(QHostAddress::LocalHost);
    const auto url = [](quint16 port) {
        return QStringLiteral("mqtt://127.0.0.1:%1/bench").arg(port);
    };

    struct Row {
        const char *name;
        QStringList options;
    };
    const Row rows[] = {
        {"no --mqtt", {}},
        {"mosquitto", {QStringLiteral("--mqtt"), url(brokerPort)}},
        {"no broker", {QStringLiteral("--mqtt"), url(freePort())}},
        {"stalled broker", {QStringLiteral("--mqtt"), url(stalled.serverPort())}},
    };
    constexpr int RowCount = sizeof(rows) / sizeof(rows[0]);
    double best[RowCount] = {};
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < RowCount; ++i)
            best[i] = std::max(best[i], rotationRate(home.path(), rows[i].options, seconds));
    }
    std::printf("znctl monitor against zn8p-sim (Modbus ASCII, 9600 bit/s), best of %d runs of "
                "%.0f s.\n",
                rounds, seconds);
    std::printf("%-15s %12s %9s\n", "plant link", "rotations/s", "of first");
    for (int i = 0; i < RowCount; ++i)
        std::printf("%-15s %12.2f %8.1f %%\n", rows[i].name, best[i],
                    best[0] > 0 ? 100.0 * best[i] / best[0] : 0.0);
    broker.kill();
    broker.waitForFinished();
    return 0;
}
