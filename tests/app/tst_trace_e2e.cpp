#include "chart/ChartCanvas.h"
#include "chart/TrendChart.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QtTest>

namespace
{
QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last CR LF
    return lines;
}

// Where a button is drawn: a radio button only where its circle and caption are.
QRect drawnArea(QAbstractButton *button)
{
    if (qobject_cast<QRadioButton *>(button) == nullptr)
        return button->rect();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &option, button);
}

// Whether the whole of widget shows in the scroll areas that hold it.
bool scrolledIntoView(QWidget *widget)
{
    for (QWidget *w = widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
        auto *scroll = qobject_cast<QScrollArea *>(w);
        if (scroll != nullptr && !scroll->viewport()->rect().contains(QRect(
                                     widget->mapTo(scroll->viewport(), QPoint()), widget->size())))
            return false;
    }
    return true;
}

int lineCount(const QString &path)
{
    return int(linesOf(path).size());
}
} // namespace

// The desktop program against the simulated controller: a trace started from the Trace menu
// plots and logs every sample, stops with the online button (message 500) and when the line is
// lost.
class TestTraceE2e : public QObject
{
    Q_OBJECT

private slots:
    void traceFromTheMenuUntilTheLineIsLost();
    void controlsTakeClicksWhereDrawn_data();
    void controlsTakeClicksWhereDrawn();

private:
    QString text(const char *name) { return m_rig->text(name); }
    QAction *traceMenu() { return m_rig->window->findChild<QAction *>("traceAction"); }
    void goOnline();

    std::unique_ptr<WindowRig> m_rig;
};

void TestTraceE2e::goOnline()
{
    QVERIFY(m_rig->goOnline());
    QTRY_VERIFY_WITH_TIMEOUT(!text("pvLegend").isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_rig->window->findChild<QLabel *>("pvLegend")->property("live").toBool(), 10000);
}

void TestTraceE2e::traceFromTheMenuUntilTheLineIsLost()
{
    m_rig = std::make_unique<WindowRig>(WindowRig::Folder::AlsoProgram);
    QDir(m_rig->dir.path()).mkdir(QStringLiteral("Logging"));

    SimulatedController::Options options;
    options.timeScale = 20;
    QVERIFY(m_rig->startSimulator(options));
    m_rig->openWindow();
    QVERIFY(m_rig->linkVerified());
    // Nothing read yet: empty boxes, no MV2 on a controller without a second output.
    QCOMPARE(text("pvLegend"), QString());
    goOnline();
    QVERIFY(!m_rig->window->findChild<QLabel *>("mv2Legend")->isVisible());

    // Trace from the menu: the run starts, the status bar says so, the log has its headings.
    traceMenu()->trigger();
    TrendChart &chart = m_rig->window->chart();
    QVERIFY(chart.model().running && traceMenu()->isChecked());
    QCOMPARE(m_rig->op.panels.value(2), msg(90));
    QCOMPARE(m_rig->op.panels.value(3), msg(92));
    chart.setSampleInterval(40);
    const QString log = QDir::fromNativeSeparators(text("logFileLabel"));
    QVERIFY(log.startsWith(m_rig->dir.path() + QStringLiteral("/Logging/")));
    QTRY_VERIFY_WITH_TIMEOUT(lineCount(log) >= 8, 10000);
    const QStringList lines = linesOf(log);
    QCOMPARE(lines.mid(0, 2),
             (QStringList{"\"Control data\"", "\"Date\",\"Time\",\"PV\",\"SV\",\"MV1\","}));
    // Values as the labels show them, quoted, each followed by a comma.
    const QRegularExpression dataLine(
        QStringLiteral(R"(^"\d{4}/\d\d/\d\d","\d\d:\d\d:\d\d"(,"-?\d+(\.\d+)?"){3},$)"));
    for (const QString &line : lines.mid(2, 5))
        QVERIFY2(dataLine.match(line).hasMatch(), qPrintable(line));
    const QImage &image = chart.canvas().image();
    bool plotted = false;
    for (int x = 0; x < 20 && !plotted; ++x) {
        for (int y = 0; y < image.height() && !plotted; ++y)
            plotted = image.pixelColor(x, y) == QColor(255, 0, 255);
    }
    QVERIFY(plotted);

    // The online button stops the trace with message 500.
    m_rig->button(QStringLiteral("onlineButton"))->click();
    QVERIFY(m_rig->op.wasShown(500) && !chart.model().running && !traceMenu()->isChecked());
    QCOMPARE(m_rig->op.panels.value(3), msg(91));

    // Online again, a new trace, and the adapter pulled: offline with the trace stopped.
    goOnline();
    traceMenu()->trigger();
    QVERIFY(chart.model().running);
    chart.setSampleInterval(40);
    const QString secondLog = QDir::fromNativeSeparators(text("logFileLabel"));
    QTRY_VERIFY_WITH_TIMEOUT(lineCount(secondLog) >= 4, 10000);
    auto *pvBox = m_rig->window->findChild<QLabel *>("pvLegend");
    const QRect liveBox = pvBox->geometry();
    m_rig->op.shown.clear();
    m_rig->sim->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->shared().online, 20000);
    // Samples taken after the loss hold no value read before it; the boxes are muted.
    QVERIFY2(linesOf(secondLog).constLast().endsWith(R"("----","----","----",)"),
             qPrintable(linesOf(secondLog).constLast()));
    QVERIFY(!pvBox->property("live").toBool());
    // Muted in place: nothing on the page moves.
    QCOMPARE(pvBox->geometry(), liveBox);
    QVERIFY(!chart.model().running && !traceMenu()->isChecked());
    QCOMPARE(m_rig->op.panels.value(2), QString());
    QCOMPARE(m_rig->op.panels.value(3), msg(91));
    QCOMPARE(text("runStateLabel"), msg(91));
    QVERIFY(m_rig->op.wasShown(274) && !m_rig->op.wasShown(500));
    m_rig->window.reset();
}

void TestTraceE2e::controlsTakeClicksWhereDrawn_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << int(Language::English);
    QTest::newRow("Japanese") << int(Language::Japanese);
}

void TestTraceE2e::controlsTakeClicksWhereDrawn()
{
    QFETCH(int, language);
    m_rig = std::make_unique<WindowRig>(WindowRig::Folder::AlsoProgram);
    MessageTable::instance().setLanguage(Language(language));
    // A Japanese desktop's font, whose lines are higher than the Latin fonts'.
    const QFont desktopFont = QApplication::font();
    if (language == int(Language::Japanese))
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    QDir(m_rig->dir.path()).mkdir(QStringLiteral("Logging"));
    // A second output: the MV2 row comes with the first reading and moves everything below it.
    SimulatedController::Options options;
    options.timeScale = 20;
    options.model.alarm2 = false;
    options.model.heaterBreak = 0;
    options.model.heatCool = true;
    QVERIFY(m_rig->startSimulator(options));
    m_rig->openWindow();
    MainWindow *window = m_rig->window.get();
    window->findChild<QTabWidget *>(QStringLiteral("mainTabs"))->setCurrentIndex(1);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(m_rig->linkVerified());
    goOnline();
    QTRY_VERIFY_WITH_TIMEOUT(window->findChild<QLabel *>("mv2Legend")->isVisible(), 10000);
    TrendChart &chart = window->chart();
    chart.setColourPicker([](const QColor &) { return std::nullopt; });
    chart.setScaleDialog(
        [](ScaleEntry::Mode, const QString &, qint16, qint16) { return std::nullopt; });

    // Each control in the order an operator may use them, clicked at the centre of where it is
    // drawn through the window, as the window system delivers a click. The trace selection adds
    // a frame below the others, scrolled into view as far as its confirm button.
    const QSize leastOnline = window->minimumSizeHint();
    const QStringList names = {
        "shortTimeBase",   "longTimeBase",    "changeCycle",         "changeYHigh",
        "changeYLow",      "changeDivisions", "channelSelectButton", "colorButton_0",
        "colorButton_1",   "colorButton_2",   "colorButton_3",       "channelButton_0",
        "channelButton_1", "channelButton_2", "channelButton_3",     "channelSelectDoneButton",
        "runButton",       "stopButton"};
    for (const QString &name : names) {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        auto *control = window->findChild<QAbstractButton *>(name);
        QVERIFY2(control != nullptr && control->isVisible() && control->isEnabled(),
                 qPrintable(name));
        // A column too high for the window scrolls: the operator brings the control into view.
        for (QWidget *w = control->parentWidget(); w != nullptr; w = w->parentWidget()) {
            if (auto *scroll = qobject_cast<QScrollArea *>(w))
                scroll->ensureWidgetVisible(control);
        }
        const QPoint centre = control->mapTo(window, drawnArea(control).center());
        QSignalSpy clicks(control, &QAbstractButton::clicked);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
        const QWidget *hit = window->childAt(centre);
        QVERIFY2(clicks.count() == 1,
                 qPrintable(name + QStringLiteral(" drawn at (%1, %2), the click reached %3")
                                       .arg(centre.x())
                                       .arg(centre.y())
                                       .arg(hit != nullptr ? hit->objectName() : QString())));
        if (name == QLatin1String("channelSelectButton")) {
            auto *confirm =
                window->findChild<QPushButton *>(QStringLiteral("channelSelectDoneButton"));
            QTRY_VERIFY(scrolledIntoView(confirm));
        }
    }
    QVERIFY(!chart.model().running);
    // A run leaves a log file's path on the page: a window at its least size would have grown.
    QVERIFY(!text("logFileLabel").isEmpty());
    QCOMPARE(window->minimumSizeHint(), leastOnline);
    m_rig->window.reset();
    QApplication::setFont(desktopFont);
}

QTEST_MAIN(TestTraceE2e)
#include "tst_trace_e2e.moc"
