// Monitor rotations per second of znctl against the simulated controller on a pseudo-terminal,
// without a plant link and with --mqtt to each kind of broker: Debian's mosquitto, none at all
// (nothing listens on the port), and one that takes the connection but never reads or answers.
// The plant link's thread and bounded queue should keep every row within 2 % of the first.
//
//   bench-mqtt [seconds per row, default 20]

#include "sim/SimulatedController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

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
    const double seconds = argc > 1 ? std::max(3.0, std::atof(argv[1])) : 20.0;
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
    std::printf("znctl monitor against zn8p-sim (Modbus ASCII, 9600 bit/s), %.0f s a row.\n",
                seconds);
    std::printf("%-15s %12s %9s\n", "plant link", "rotations/s", "of first");
    double reference = 0;
    for (const Row &row : rows) {
        const double rate = rotationRate(home.path(), row.options, seconds);
        if (reference == 0)
            reference = rate;
        std::printf("%-15s %12.2f %8.1f %%\n", row.name, rate,
                    reference > 0 ? 100.0 * rate / reference : 0.0);
    }
    broker.kill();
    broker.waitForFinished();
    return 0;
}
