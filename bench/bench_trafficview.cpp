// The line traffic window's cost on the user-interface thread, with the traffic log full (20,000
// exchanges) and the window shown at 1180 x 620: the ticks that take a full log in after the
// window opens, a tick at a polling rate of 40 and of 200 exchanges a second (8 and 40 exchanges
// a tick), the same with the failed-only filter on and with the list scrolled up, and a change
// of filter. CPU time of the thread, median and worst of each figure.
//
//   QT_QPA_PLATFORM=offscreen bench-trafficview [ticks per figure, default 200]

#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "comm/TrafficLog.h"
#include "dialogs/TrafficWindow.h"
#include "tests/support/ProcessFigures.h"
#include "tests/support/TrafficSamples.h"

#include <QApplication>
#include <QComboBox>
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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MessageTable::instance().setLanguage(Language::English);
    const int ticks = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    std::printf("load average before: %s\n", qPrintable(ProcessFigures::loadAverage()));

    SessionState shared;
    TrafficLog log;
    const QList<TrafficRecord> line = TrafficSamples::line();
    int next = 0;
    const auto record = [&](int count) {
        for (int i = 0; i < count; ++i)
            log.record(line[next++ % line.size()]);
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
    print("8 exchanges a tick (40/s), following",
          measure(ticks,
                  [&] {
                      record(8);
                      window.takeNew();
                  }),
          tickPerSecond);
    print("40 exchanges a tick (200/s), following",
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
