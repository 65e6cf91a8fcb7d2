// Renders the pictures of docs/: the main display online against the simulated controller, an
// upload in progress, the Trace display during a run, the line traffic of a line that spoils a
// few replies, the trend log viewer with its cursor, the event log, the first page of the settings
// report, the main display offline after the line was lost and at the window's minimum size, the
// search panel, the communication settings dialog, the three setting dialogs (entry, selection,
// model change) and the printer selection dialog, in English and in Japanese.
//
//   QT_QPA_PLATFORM=offscreen zn-screenshots OUTPUT_FOLDER

#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "chart/EventLogWindow.h"
#include "chart/TrendChart.h"
#include "chart/TrendLogWindow.h"
#include "chart/TrendPlot.h"
#include "comm/CommComponent.h"
#include "comm/ControllerCodes.h"
#include "comm/LinkCheck.h"
#include "comm/SettingsStore.h"
#include "dialogs/CommSettingsDialog.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/ModelChangeDialog.h"
#include "dialogs/PrinterSelectionDialog.h"
#include "dialogs/SelectionDialog.h"
#include "dialogs/SettingsReportPainter.h"
#include "dialogs/TrafficWindow.h"
#include "polling/ValueFormat.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{
void waitFor(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Processes events until done() or the time is up; false when it is up.
bool waitUntil(const std::function<bool()> &done, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool save(QWidget &widget, const QString &path)
{
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// The scripted operator keeps the status bar texts to itself; the picture shows them as the
// desktop operator would.
void showPanels(QWidget &window, const FakeOperator &op)
{
    for (auto it = op.panels.cbegin(); it != op.panels.cend(); ++it) {
        if (auto *panel =
                window.findChild<QLabel *>(QStringLiteral("StatusPanel_%1").arg(it.key())))
            panel->setText(it.value());
    }
}

// The dialogs as the change buttons and the Setting menu open them, offline after an upload.
bool shootSettingDialogs(const SessionContext &context, QWidget &window, const QString &folder,
                         const QString &suffix)
{
    const SessionState &shared = context.shared;
    EntryDialog entry(
        context,
        *SettingRanges::entryRange(shared, Code::MainSetValue, formatItemValue(shared, 11)),
        &window);
    entry.show();
    QTest::keyClicks(entry.findChild<QLineEdit *>(QStringLiteral("entryText")),
                     QStringLiteral("2505"));
    waitFor(200);
    bool ok = save(entry, folder + QStringLiteral("/entry-dialog-") + suffix + ".png");
    entry.reject();

    SelectionDialog selection(context, Code::InputType, &window);
    selection.show();
    waitFor(200);
    ok = save(selection, folder + QStringLiteral("/selection-dialog-") + suffix + ".png") && ok;
    selection.reject();

    ModelChangeDialog model(context, &window);
    model.show();
    waitFor(200);
    ok = save(model, folder + QStringLiteral("/model-change-") + suffix + ".png") && ok;
    model.reject();
    return ok;
}

// The trend log of the trace just run, with the cursor on a sample, the event log of the run, and
// the first page of the settings report of the values read.
bool shootLookBack(MainWindow &window, const QString &folder, const QString &suffix)
{
    const SessionState &shared = window.core().shared;
    TrendLogWindow::Colours colours;
    for (int c = 0; c < int(colours.size()); ++c) {
        const qint32 bgr = shared.traceColors[c];
        colours[c] = QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    }
    QString error;
    const std::unique_ptr<TrendLogWindow> viewer = TrendLogWindow::open(
        window.chart().logFileName(), colours,
        msg(1012).arg(shared.portName).arg(shared.stationAddress.toInt()), error);
    if (!viewer)
        return false;
    viewer->resize(820, 480);
    viewer->show();
    waitFor(200);
    QWidget *plot = viewer->plot();
    const QPoint cursor(plot->width() * 3 / 5, plot->height() / 2);
    QMouseEvent move(QEvent::MouseMove, cursor, plot->mapToGlobal(cursor), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    waitFor(100);
    bool ok = save(*viewer, folder + QStringLiteral("/trend-viewer-") + suffix + ".png");
    viewer->close();

    window.findChild<QAction *>(QStringLiteral("eventLogAction"))->trigger();
    waitFor(200);
    auto *events = window.findChild<EventLogWindow *>();
    ok = events != nullptr &&
         save(*events, folder + QStringLiteral("/event-log-") + suffix + ".png") && ok;
    if (events != nullptr)
        events->close();

    const SettingsReport report = SettingsReport::of(shared, QDateTime::currentDateTime());
    return SettingsReportPainter::pageImage(report, 0, 1.25)
               .save(folder + QStringLiteral("/settings-report-") + suffix + ".png") &&
           ok;
}

// The line traffic window while the controller answers a few requests with a spoiled frame, noise
// or not at all.
bool shootLineTraffic(MainWindow &window, SimulatedController &sim, const QString &folder,
                      const QString &suffix)
{
    sim.corruptNext(1);
    waitFor(600);
    sim.dropNext(1);
    waitFor(1500);
    sim.noiseNext(1);
    waitFor(1500);
    window.findChild<QAction *>(QStringLiteral("lineTrafficAction"))->trigger();
    auto *traffic = window.findChild<TrafficWindow *>();
    if (traffic == nullptr)
        return false;
    traffic->resize(1180, 620);
    waitFor(1200);
    // The failed exchanges amid the good ones around them: the list scrolled up stays there.
    auto *table = traffic->findChild<QTableView *>(QStringLiteral("exchanges"));
    const TrafficTableModel &model = traffic->model();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (TrafficTableModel::failed(model.record(row))) {
            const auto *shown = static_cast<const QSortFilterProxyModel *>(table->model());
            table->scrollTo(shown->mapFromSource(model.index(row, 0)),
                            QAbstractItemView::PositionAtTop);
            table->verticalScrollBar()->setValue(
                std::max(0, table->verticalScrollBar()->value() - 3));
            break;
        }
    }
    waitFor(400);
    const bool ok = save(*traffic, folder + QStringLiteral("/line-traffic-") + suffix + ".png");
    traffic->close();
    return ok;
}

// The PID page of a controller with heating/cooling, its cooling frame filled by an upload.
bool shootHeatCoolPage(const QString &folder, const QString &suffix)
{
    const Language language = MessageTable::instance().language();
    WindowRig rig(WindowRig::Folder::AlsoProgram);
    MessageTable::instance().setLanguage(language);
    SimulatedController::Options options;
    options.model.heatCool = true;
    if (!rig.startSimulator(options))
        return false;
    rig.openWindow();
    if (!rig.linkVerified() || !rig.goOnline())
        return false;
    rig.shared().timerJob = TimerJob::Upload;
    bool ok = waitUntil([&rig] { return rig.shared().settingDataValid; }, 30000);
    rig.window->findChild<QTabWidget *>(QStringLiteral("settingTabs"))->setCurrentIndex(1);
    waitFor(2500);
    return save(*rig.window, folder + QStringLiteral("/pid-heating-cooling-") + suffix + ".png") &&
           ok;
}

bool shootLanguage(Language language, const QString &folder, const QString &suffix)
{
    WindowRig rig(WindowRig::Folder::AlsoProgram);
    MessageTable::instance().setLanguage(language);
    QDir(rig.dir.path()).mkdir(QStringLiteral("Logging"));
    SimulatedController::Options options;
    options.timeScale = 30;
    if (!rig.startSimulator(options))
        return false;
    rig.openWindow();
    MainWindow &window = *rig.window;
    SessionState &shared = rig.shared();
    FakeOperator &op = rig.op;
    SettingsStore &store = *rig.store;
    SimulatedController &sim = *rig.sim;

    // The search as it stands a few probes into the third port.
    window.setLinkCheckState(LinkCheckState::Searching);
    const int probesLeft = LinkCheck::searchProbesLeft(3, 0, ModbusAscii, 7);
    window.showSearchProgress({QStringLiteral("COM3"), QStringLiteral("9600"),
                               QStringLiteral("Modbus ASCII"), QStringLiteral("07"), probesLeft,
                               probesLeft * CommComponent::DefaultReplyTimeoutMs / 1000});
    waitFor(200);
    bool ok = save(window, folder + QStringLiteral("/search-panel-") + suffix + ".png");
    window.setLinkCheckState(LinkCheckState::Idle);

    window.runStartupLinkCheck();
    window.findChild<QPushButton *>(QStringLiteral("onlineButton"))->click();
    // A trace on the short base from the start, its samples faster than the cycle the labels
    // show, so that the picture holds the warm-up.
    window.chart().setXScaleShort(true);
    window.findChild<QAction *>(QStringLiteral("traceAction"))->trigger();
    window.chart().setSampleInterval(30);
    // A full upload so that the setting pages show values, then a while of live process.
    shared.timerJob = TimerJob::Upload;
    waitFor(8000);
    ok = save(window, folder + QStringLiteral("/main-online-") + suffix + ".png") && ok;
    // File > Upload, caught half way through its progress display.
    auto *bar = window.findChild<QProgressBar *>(QStringLiteral("transferProgress"));
    QObject::connect(bar, &QProgressBar::valueChanged, &window, [&](int value) {
        if (value == 26)
            ok = save(window, folder + QStringLiteral("/upload-progress-") + suffix + ".png") && ok;
    });
    op.answers = {true};
    window.core().commands.upload();
    waitFor(6000);

    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("mainTabs"));
    pages->setCurrentIndex(1);
    waitFor(4000);
    showPanels(window, op);
    ok = save(window, folder + QStringLiteral("/trace-run-") + suffix + ".png") && ok;
    window.findChild<QAction *>(QStringLiteral("traceAction"))->trigger();
    pages->setCurrentIndex(0);
    ok = shootLineTraffic(window, sim, folder, suffix) && ok;
    ok = shootLookBack(window, folder, suffix) && ok;

    // The adapter is pulled: the program goes offline by itself, the last values stay muted.
    sim.unplug();
    ok = waitUntil([&shared] { return !shared.online; }, 30000) && ok;
    waitFor(200);
    showPanels(window, op);
    ok = save(window, folder + QStringLiteral("/main-offline-") + suffix + ".png") && ok;
    const QSize normal = window.size();
    window.resize(window.minimumSizeHint());
    waitFor(300);
    ok = save(window, folder + QStringLiteral("/main-minimum-") + suffix + ".png") && ok;
    window.resize(normal);
    // Plugged in again, so that the port list shows the device as an operator finds it.
    sim.plug();

    CommSettingsDialog dialog(window.core().context, store, &window);
    dialog.show();
    waitFor(200);
    ok = save(dialog, folder + QStringLiteral("/comm-settings-") + suffix + ".png") && ok;
    dialog.close();

    PrinterSelectionDialog printers(window.core().context,
                                    {QStringLiteral("Office laser"), QStringLiteral("ZN-PDF")},
                                    QStringLiteral("Office laser"), QString(), &window);
    printers.show();
    waitFor(200);
    ok = save(printers, folder + QStringLiteral("/printer-selection-") + suffix + ".png") && ok;
    printers.close();
    ok = shootSettingDialogs(window.core().context, window, folder, suffix) && ok;
    return shootHeatCoolPage(folder, suffix) && ok;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    // Absolute: the program's start-up moves the current folder to the program's folder.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);
    const bool ok = shootLanguage(Language::English, folder, QStringLiteral("en")) &&
                    shootLanguage(Language::Japanese, folder, QStringLiteral("ja"));
    return ok ? 0 : 1;
}
