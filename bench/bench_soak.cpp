// Link supervision over a long run: the window online and `znctl monitor`, each against a
// simulated controller of its own, with one reply lost on each line every INTERVAL seconds for
// MINUTES. Every five minutes, and at the end, it says whether each is still online, how many
// replies were lost and the machine's load; it ends with 0 when both stayed online throughout.
//
//   bench-soak [minutes, default 30] [seconds between lost replies, default 60]

#include "tests/support/ProcessFigures.h"
#include "tests/support/WindowRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace
{

// znctl monitor against its own simulated controller, for the whole soak and a little more.
class MonitorProcess
{
public:
    explicit MonitorProcess(int seconds)
    {
        if (!controller.start())
            return;
        QSettings settings(config.filePath(QStringLiteral("Dorvatech RQA Control/ZN Monitor.conf")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("Port"), QStringLiteral("COM1"));
        settings.setValue(QStringLiteral("PortMap/COM1"), controller.slavePath());
        for (int n = 2; n <= 8; ++n)
            settings.setValue(QStringLiteral("PortMap/COM%1").arg(n), QStringLiteral("/dev/null"));
        settings.sync();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        process.setProcessEnvironment(environment);
        process.start(
            QStringLiteral(ZNCTL_PATH),
            {QStringLiteral("monitor"), QStringLiteral("--seconds"), QString::number(seconds)});
    }
    bool running() const { return process.state() != QProcess::NotRunning; }

    QTemporaryDir config;
    SimulatedController controller;
    QProcess process;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 30;
    const int interval = argc > 2 ? std::atoi(argv[2]) : 60;
    if (minutes < 1 || interval < 1) {
        std::fprintf(stderr, "usage: bench-soak [minutes] [seconds between lost replies]\n");
        return 2;
    }

    WindowRig window(WindowRig::Folder::AlsoProgram);
    if (!window.startSimulator())
        return 1;
    window.openWindow();
    if (!window.linkVerified() || !window.goOnline()) {
        std::fprintf(stderr, "the window did not go online\n");
        return 1;
    }
    MonitorProcess monitor(minutes * 60 + 30);
    if (!monitor.process.waitForStarted()) {
        std::fprintf(stderr, "znctl monitor did not start\n");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    int lost = 0;
    bool windowStayed = true;
    bool monitorStayed = true;
    const auto report = [&] {
        windowStayed = windowStayed && window.shared().online;
        monitorStayed = monitorStayed && monitor.running();
        std::printf("%5.1f min  replies lost %3d on each line  window %s  znctl monitor %s  "
                    "load %s\n",
                    clock.elapsed() / 60000.0, lost, windowStayed ? "online" : "OFFLINE",
                    monitorStayed ? "online" : "ENDED", qPrintable(ProcessFigures::loadAverage()));
        std::fflush(stdout);
    };
    QTimer drop;
    QObject::connect(&drop, &QTimer::timeout, [&] {
        window.sim->dropNext(1);
        monitor.controller.dropNext(1);
        ++lost;
        windowStayed = windowStayed && window.shared().online;
        monitorStayed = monitorStayed && monitor.running();
    });
    drop.start(interval * 1000);
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, report);
    progress.start(5 * 60 * 1000);
    // Its own loop: quitting the application would first ask the window to close.
    QEventLoop soak;
    QTimer::singleShot(minutes * 60 * 1000, &soak, &QEventLoop::quit);
    soak.exec();
    report();

    // znctl ends when its time is up; a monitor that went offline ended early with exit 5.
    monitor.process.waitForFinished(60000);
    const int monitorExit = monitor.process.exitCode();
    std::printf("znctl monitor exit code %d, %lld rotation lines\n", monitorExit,
                static_cast<long long>(monitor.process.readAllStandardOutput().count('\n')));
    return windowStayed && monitorStayed && monitorExit == 0 ? 0 : 1;
}
