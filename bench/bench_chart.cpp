// The trend chart's cost: full long-base runs of 9000 samples on an offscreen chart (plot, log
// line and paint per sample), with the UI thread's CPU time per sample over the first and the
// last 1000 samples, each run's time and the process's peak memory. Then the main window online
// against the simulated controller for a while without and with a trace at a 1 s cycle, with the
// CPU time the user-interface thread used (the simulator runs in a thread of its own).
//
//   QT_QPA_PLATFORM=offscreen bench-chart [seconds online, default 20]

#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "chart/ChartCanvas.h"
#include "chart/TrendChart.h"
#include "display/MainDisplayModel.h"
#include "tests/support/ContextRig.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

namespace
{
constexpr int Samples = 9000;
constexpr int Window = 1000;

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void wait(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Median of the per-sample costs in [from, from + Window), in microseconds: the machine is
// shared, and a median shrugs off the samples another process happened to interrupt.
double medianCost(const std::vector<double> &takenAt, int from)
{
    std::vector<double> costs;
    for (int i = from; i < from + Window; ++i)
        costs.push_back(takenAt[i + 1] - takenAt[i]);
    std::nth_element(costs.begin(), costs.begin() + Window / 2, costs.end());
    return costs[Window / 2] * 1e6;
}

// One run; returns the median costs of its first and last 1000 samples.
std::pair<double, double> fullRun(const QString &folder)
{
    SessionState shared;
    shared.online = true;
    FakeOperator op;
    ContextRig context(shared, op);
    TrendChart chart(context, folder);
    chart.prepareChannelFiles();
    chart.canvas().setFixedSize(1200, 500);
    chart.show();
    QApplication::processEvents();

    const long memoryBefore = peakKilobytes();
    // Thread CPU seconds when sample i had been taken (plotted, logged and painted).
    std::vector<double> takenAt(Samples + 1, 0);
    int sample = 0;
    ChartCaptions captions;
    auto feed = [&] {
        captions.pv0 = QString::number(200 + 150 * std::sin(sample / 300.0), 'f', 1);
        captions.sv0 = QStringLiteral("200.0");
        captions.mv1 = QString::number(50 + 50 * std::cos(sample / 200.0), 'f', 1);
        chart.feed(captions);
    };
    feed();
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = threadCpuSeconds();
    chart.findChild<QPushButton *>(QStringLiteral("runButton"))->click();
    chart.setSampleInterval(0);
    takenAt[0] = threadCpuSeconds();
    while (!op.wasShown(333)) {
        // One timer tick at a time: each sample is timed on its own.
        QApplication::processEvents(QEventLoop::AllEvents);
        const int taken = chart.model().running ? chart.model().sampleCount + 1 : Samples;
        if (taken > sample && sample < Samples) {
            takenAt[++sample] = threadCpuSeconds();
            feed();
        }
    }
    const double total = wall.nsecsElapsed() / 1e9;
    const double start = medianCost(takenAt, 1);
    const double end = medianCost(takenAt, Samples - Window - 1);
    std::printf("  run: first 1000 %6.1f us, last 1000 %6.1f us (%+5.1f %%); %.2f s, %.2f s CPU, "
                "peak memory %.1f MB (%.1f MB before)\n",
                start, end, (end / start - 1) * 100, total, threadCpuSeconds() - cpuStart,
                peakKilobytes() / 1024.0, memoryBefore / 1024.0);
    return {start, end};
}

void fullRuns(const QString &folder)
{
    constexpr int Runs = 5;
    std::printf("long-base runs of %d samples (plot, log line and paint each; 1200x500 canvas), "
                "CPU per sample, median:\n",
                Samples);
    // The ratio within a run: the shared machine moves whole runs between speeds.
    std::vector<double> ratios;
    for (int run = 0; run < Runs; ++run) {
        const auto [start, end] = fullRun(folder);
        ratios.push_back(end / start);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("  last 1000 against first 1000, median of the runs: %+.1f %%\n",
                (ratios[Runs / 2] - 1) * 100);
}

void online(int seconds)
{
    WindowRig rig(WindowRig::Folder::AlsoProgram);
    QDir(rig.dir.path()).mkdir(QStringLiteral("Logging"));
    if (!rig.startSimulator()) {
        std::printf("simulator did not start\n");
        return;
    }
    rig.openWindow();
    MainWindow &window = *rig.window;
    window.runStartupLinkCheck();
    window.findChild<QPushButton *>(QStringLiteral("onlineButton"))->click();
    wait(2000);

    const auto measure = [&](const char *what) {
        const double cpu = threadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        wait(seconds * 1000);
        const double used = threadCpuSeconds() - cpu;
        std::printf("  %-36s %5.1f %% of one core (%.2f s CPU in %.1f s)\n", what,
                    100 * used / (wall.elapsed() / 1000.0), used, wall.elapsed() / 1000.0);
    };
    std::printf("main window online against zn8p-sim, user-interface thread:\n");
    measure("monitoring:");
    window.chart().setXScaleTime(QStringLiteral("1"));
    window.findChild<QAction *>(QStringLiteral("traceAction"))->trigger();
    measure("monitoring and tracing at 1 s:");
    window.findChild<QAction *>(QStringLiteral("traceAction"))->trigger();
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qBound(2, atoi(argv[1]), 600) : 20;
    MessageTable::instance().setLanguage(Language::English);
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QDir(folder.path()).mkdir(QStringLiteral("Logging"));
    fullRuns(folder.path());
    online(seconds);
    return 0;
}
