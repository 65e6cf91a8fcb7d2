// The line traffic window's cost on the user-interface thread, on which the requests go out one
// after another. First the polling rate it leaves: monitor polls per second through the job-1
// path against the simulated controller (Modbus ASCII, 9600 bit/s), the traffic log off, on with
// the window closed, and on with the window open on a full log and following the line, the event
// loop run between polls as the program's own does; the rows take turns so that the load of other
// programs falls on each alike, and each shows its best run. Then the window's ticks one by one,
// with the log full (20,000 exchanges) and the window shown at 1180 x 620: the ticks that take a
// full log in after the window opens, a tick at a polling rate of 40 and of 200 exchanges a second
// (8 and 40 exchanges a tick), the same with the failed-only filter on and with the list scrolled
// up, and a change of filter. CPU time of the thread, median and worst of each figure.
//
//   QT_QPA_PLATFORM=offscreen bench-trafficview [ticks per figure, default 200]
//                                               [seconds per polling run, default 5] [rounds, 3]

#include "BenchSession.h"
#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/TrafficLog.h"
#include "dialogs/TrafficWindow.h"
#include "polling/PollingCycle.h"
#include "sim/SimulatedController.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/TrafficSamples.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace
{

double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The CPU time of each call of step, with the events it leaves processed.
std::vector<double> measure(int times, const std::function<void()> &step)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const double start = threadMs();
        step();
        QApplication::processEvents();
        ms.push_back(threadMs() - start);
    }
    return ms;
}

void print(const char *what, std::vector<double> ms, double perSecond = 0)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-46s %9.2f ms %9.2f ms", what, median, ms.back());
    if (perSecond > 0)
        std::printf(" %8.2f %%", 100.0 * median * perSecond / 1000.0);
    std::printf("\n");
}

enum class Watching { NoRecording, WindowClosed, WindowFollowing };

struct PollFigures {
    double pollsPerSecond = 0;
    double eventMsPerSecond = 0; // CPU time of the thread in the event loop between polls
};

// Monitor polls a second over seconds, the events the line leaves time for run between polls.
PollFigures pollRate(BenchSession &session, TrafficWindow &window, Watching watching,
                     double seconds)
{
    session.core.link.setTrafficLog(watching == Watching::NoRecording ? nullptr
                                                                      : &session.core.traffic);
    window.setVisible(watching == Watching::WindowFollowing);
    QApplication::processEvents();
    int polls = 0;
    QElapsedTimer clock;
    clock.start();
    double eventMs = 0;
    while (clock.elapsed() < seconds * 1000) {
        session.core.polling.runMonitorJob();
        const double start = threadMs();
        QApplication::processEvents();
        eventMs += threadMs() - start;
        ++polls;
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    return {double(polls) / elapsed, eventMs / elapsed};
}

// The polling rates with the log off, on, and on with the window following the line, each its
// best of rounds; false when the simulator or the port does not start.
bool printPollRates(double seconds, int rounds)
{
    SimulatedController::Options options;
    options.line = benchLine(WireProtocol::ModbusAscii, 9600);
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("simulator did not start\n");
        return false;
    }
    BenchSession session(ModbusAscii, 9600, sim.slavePath(),
                         [](PortNames names) { return std::make_unique<CountingCom>(names); });
    if (!session.open()) {
        std::printf("port does not open\n");
        return false;
    }
    // The window opens on a full log and has caught up before the runs start.
    const QList<TrafficRecord> line = TrafficSamples::line();
    for (int i = 0; i < TrafficLog::DefaultCapacity; ++i)
        session.core.traffic.record(line[i % line.size()]);
    TrafficWindow window(session.core.traffic, session.shared);
    window.resize(1180, 620);
    window.show();
    while (window.model().lastSerial() != session.core.traffic.lastSerial())
        window.takeNew();

    const Watching kinds[] = {Watching::NoRecording, Watching::WindowClosed,
                              Watching::WindowFollowing};
    const char *names[] = {"recording off", "on, window closed", "on, window following"};
    double best[3] = {0, 0, 0};
    std::vector<double> eventMs[3];
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 3; ++k) {
            const PollFigures figures = pollRate(session, window, kinds[k], seconds);
            best[k] = std::max(best[k], figures.pollsPerSecond);
            eventMs[k].push_back(figures.eventMsPerSecond);
        }
    }
    std::printf("Monitor polls, Modbus ASCII 9600 bit/s against zn8p-sim, best of %d runs of "
                "%.0f s:\n",
                rounds, seconds);
    std::printf("%-22s %10s %10s %22s\n", "", "polls/s", "of off", "event loop, ms CPU/s");
    for (int k = 0; k < 3; ++k) {
        std::sort(eventMs[k].begin(), eventMs[k].end());
        std::printf("%-22s %10.2f %9.1f %% %22.2f\n", names[k], best[k], 100.0 * best[k] / best[0],
                    eventMs[k][eventMs[k].size() / 2]);
    }
    std::printf("\n");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MessageTable::instance().setLanguage(Language::English);
    const int ticks = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    const double seconds = argc > 2 ? std::max(0.5, std::atof(argv[2])) : 5.0;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    std::printf("load average before: %s\n", qPrintable(ProcessFigures::loadAverage()));
    if (!printPollRates(seconds, rounds))
        return 1;

    SessionState shared;
    TrafficLog log;
    const QList<TrafficRecord> line = TrafficSamples::line();
    int next = 0;
    // Each exchange at a time of its own and with a response time of its own, as on the line.
    const auto record = [&](int count) {
        for (int i = 0; i < count; ++i, ++next) {
            TrafficRecord exchange = line[next % line.size()];
            exchange.sentAtMs += 25 * next;
            exchange.responseMs += next % 13;
            log.record(exchange);
        }
    };
    record(TrafficLog::DefaultCapacity);
    TrafficWindow window(log, shared);
    window.resize(1180, 620);

    std::printf("%-46s %12s %12s %10s\n", "", "median", "worst", "of a core");
    const double shown = threadMs();
    window.show();
    QApplication::processEvents();
    std::printf("%-46s %9.2f ms\n", "open: show and first tick", threadMs() - shown);
    print("open: each further tick until caught up",
          measure(TrafficLog::DefaultCapacity / 2000 - 1, [&] { window.takeNew(); }));

    const double tickPerSecond = 1000.0 / TrafficWindow::TickMs;
    print("8 exchanges a tick, following",
          measure(ticks,
                  [&] {
                      record(8);
                      window.takeNew();
                  }),
          tickPerSecond);
    print("40 exchanges a tick, following",
          measure(ticks,
                  [&] {
                      record(40);
                      window.takeNew();
                  }),
          tickPerSecond);
    auto *table = window.findChild<QTableView *>(QStringLiteral("exchanges"));
    table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2);
    print("40 exchanges a tick, scrolled up",
          measure(ticks,
                  [&] {
                      record(40);
                      window.takeNew();
                  }),
          tickPerSecond);
    auto *verdicts = window.findChild<QComboBox *>(QStringLiteral("verdictFilter"));
    print("filter change over 20,000 rows",
          measure(4, [&] { verdicts->setCurrentIndex(verdicts->currentIndex() == 1 ? 0 : 1); }));
    verdicts->setCurrentIndex(1);
    table->scrollToBottom();
    print("40 exchanges a tick, failed only",
          measure(ticks,
                  [&] {
                      record(40);
                      window.takeNew();
                  }),
          tickPerSecond);
    std::printf("load average after: %s\n", qPrintable(ProcessFigures::loadAverage()));
    return 0;
}
