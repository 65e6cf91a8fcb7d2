// How long after the splash window closes the main window has painted, and when the start-up link
// check begins and ends, with stored conditions that the simulated controller answers (the case in
// which the check takes longest without a search). Runs under any platform plugin; under a window
// manager (xcb) the figure includes mapping the window.
//
//   bench-startup-paint [runs, default 5]

#include "app/FirstPaint.h"
#include "app/MainWindow.h"
#include "tests/support/WindowRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace
{
// Notes the time of the window's first paint event.
class PaintClock : public QObject
{
public:
    explicit PaintClock(const QElapsedTimer &clock) : m_clock(clock) {}
    qint64 firstPaintMs = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && firstPaintMs < 0)
            firstPaintMs = m_clock.elapsed();
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

struct Figures {
    qint64 paintMs = -1;
    qint64 checkStartMs = -1;
    qint64 checkEndMs = -1;
};

Figures oneStart()
{
    WindowRig rig;
    if (!rig.startSimulator())
        return {};
    rig.buildWindow();
    MainWindow &window = *rig.window;

    QElapsedTimer clock;
    PaintClock paint(clock);
    window.installEventFilter(&paint);
    Figures figures;
    bool done = false;
    // The moment the splash window closes: what main() does on its finished signal.
    clock.start();
    FirstPaint::showThenRun(&window, [&] {
        figures.checkStartMs = clock.elapsed();
        window.runStartupLinkCheck();
        figures.checkEndMs = clock.elapsed();
        done = true;
    });
    while (!done)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    figures.paintMs = paint.firstPaintMs;
    return figures;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("%-4s %22s %20s %18s\n", "run", "painted after (ms)", "check begins (ms)",
                "check ends (ms)");
    for (int run = 1; run <= runs; ++run) {
        const Figures f = oneStart();
        std::printf("%-4d %22lld %20lld %18lld\n", run, f.paintMs, f.checkStartMs, f.checkEndMs);
    }
    return 0;
}
