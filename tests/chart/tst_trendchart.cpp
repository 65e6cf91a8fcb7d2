#include "base/MessageTable.h"
#include "base/SessionState.h"
#include "chart/ChartCanvas.h"
#include "chart/TrendChart.h"
#include "display/MainDisplayModel.h"
#include "tests/support/ContextRig.h"
#include "tests/support/FakeOperator.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <sys/stat.h>

// The chart control offscreen, as the operator sees it: labels, and the geometry of grid and
// samples on the rendered canvas, which is sized so that one pixel is 10 (or 5) canvas units.
// Runs go fast through sampleIntervalMs.
class TestTrendChart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_chart.reset(); }
    void scalesOnTheCanvas_data();
    void scalesOnTheCanvas();
    void traceHeightSpansYLowToYHigh_data();
    void traceHeightSpansYLowToYHigh();
    void valueFeedRule_data();
    void valueFeedRule();
    void refusalsAndLongRunToThePlotEnd();
    void shortBaseStandsSamplesApart();
    void selectionColourAndScalesAreFiled();
    void samplesAfterALossLogNoOldValue();
    void logFaultsLetTheTraceRunOn();
    void timeBaseChangeClearsTheCurve_data();
    void timeBaseChangeClearsTheCurve();
    void settingsThatCannotBeSavedAreSaid();

private:
    template <typename T> T *child(const QString &name) { return m_chart->findChild<T *>(name); }
    QString text(const QString &name) { return child<QLabel>(name)->text(); }
    QColor pixel(int x, int y) { return m_chart->canvas().image().pixelColor(x, y); }
    void makeChart(QSize canvas = QSize(900, 380));
    QStringList logLines(const QString &name = QStringLiteral("2026_7_4_9_5_3.csv"));
    // A trace of PV, SV and MV1 started with these values; no timer tick comes between the
    // samples the test takes.
    void startSlowTrace();
    QList<QMessageBox *> visibleNotices();

    std::unique_ptr<QTemporaryDir> m_dir;
    SessionState m_shared;
    FakeOperator m_op;
    ContextRig m_context{m_shared, m_op};
    QAction m_traceMenu;
    std::unique_ptr<TrendChart> m_chart;
};

namespace
{
const QColor Grey(192, 192, 192);
const QColor PvColour(255, 0, 255);
const QColor Mv1Colour(255, 0, 0);
} // namespace

void TestTrendChart::init()
{
    MessageTable::instance().setLanguage(Language::English);
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkdir(QStringLiteral("Logging"));
    m_shared = SessionState();
    m_shared.online = true;
    m_op = FakeOperator();
    m_traceMenu.setCheckable(true);
    m_traceMenu.setChecked(false);
    makeChart();
}

void TestTrendChart::makeChart(QSize canvas)
{
    m_chart = std::make_unique<TrendChart>(m_context, m_dir->path());
    m_chart->setTraceMenu(&m_traceMenu);
    m_chart->setClock([] { return QDateTime(QDate(2026, 7, 4), QTime(9, 5, 3)); });
    m_chart->prepareChannelFiles();
    m_chart->canvas().setFixedSize(canvas);
    m_chart->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
}

QStringList TestTrendChart::logLines(const QString &name)
{
    QFile file(m_dir->filePath(QStringLiteral("Logging/") + name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last CR LF
    return lines;
}

void TestTrendChart::scalesOnTheCanvas_data()
{
    QTest::addColumn<QString>("high");
    QTest::addColumn<QString>("divisions");
    QTest::addColumn<bool>("longBase");
    QTest::addColumn<QStringList>("yLabels");
    QTest::addColumn<QStringList>("timeLabels"); // elements 0, 1 and 10
    QTest::addColumn<QList<int>>("gridRows");

    QTest::newRow("400 / 0, 4 divisions, long base")
        << "400"
        << "4" << true << QStringList{"400", "200", "0"} << QStringList{"0", "75", "750"}
        << QList<int>{95, 190, 285};
    QTest::newRow("401 / 0, short base") << "401"
                                         << "4" << false << QStringList{"401", "200.5", "0"}
                                         << QStringList{"0", "5", "50"} << QList<int>{95, 190, 285};
    QTest::newRow("3 divisions") << "400"
                                 << "3" << true << QStringList{"400", "200", "0"}
                                 << QStringList{"0", "75", "750"} << QList<int>{126, 253};
}

void TestTrendChart::scalesOnTheCanvas()
{
    QFETCH(QString, high);
    QFETCH(QString, divisions);
    QFETCH(bool, longBase);
    QFETCH(QStringList, yLabels);
    QFETCH(QStringList, timeLabels);
    QFETCH(QList<int>, gridRows);

    m_chart->setXScaleTime(QStringLiteral("5"));
    if (longBase)
        m_chart->setXScaleLong(true);
    else
        m_chart->setXScaleShort(true);
    m_chart->setYScaleDivision(divisions);
    m_chart->setYScaleHigh(high);
    m_chart->setYScaleLow(QStringLiteral("0"));

    QCOMPARE((QStringList{text("yScaleLabel_0"), text("yScaleLabel_1"), text("yScaleLabel_2")}),
             yLabels);
    QCOMPARE((QStringList{text("xScaleLabel_0"), text("xScaleLabel_1"), text("xScaleLabel_10")}),
             timeLabels);
    QCOMPARE(m_chart->sampleIntervalMs(), 5000);

    // Horizontal lines only where the divisions put them (x = 45 is clear of vertical lines).
    for (int row = 5; row < 375; ++row)
        QCOMPARE(pixel(45, row) == Grey, gridRows.contains(row));
    for (int column : {90, 450, 810})
        QCOMPARE(pixel(column, 50), Grey);
    QCOMPARE(pixel(45, 379), QColor(Qt::black)); // the X axis at 3792
    QCOMPARE(pixel(899, 50), QColor(Qt::black)); // the Y axis at 8992
    QCOMPARE(pixel(45, 50), QColor(Qt::white));
}

// A 380-pixel canvas holds the 3800 units from Y high down to Y low: a value three quarters of the
// way up the scale sits a quarter of the way down the canvas, whatever Y low is.
void TestTrendChart::traceHeightSpansYLowToYHigh_data()
{
    QTest::addColumn<QString>("high");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("pv");
    QTest::addColumn<int>("row");

    QTest::newRow("0 to 400") << "400"
                              << "0"
                              << "300" << 95;
    QTest::newRow("200 to 400") << "400"
                                << "200"
                                << "350" << 95;
    QTest::newRow("-100 to 100") << "100"
                                 << "-100"
                                 << "50" << 95;
    QTest::newRow("half way, 100 to 300") << "300"
                                          << "100"
                                          << "200" << 190;
}

void TestTrendChart::traceHeightSpansYLowToYHigh()
{
    QFETCH(QString, high);
    QFETCH(QString, low);
    QFETCH(QString, pv);
    QFETCH(int, row);

    m_chart->setYScaleHigh(high);
    m_chart->setYScaleLow(low);
    ChartCaptions captions;
    captions.pv0 = pv;
    m_chart->feed(captions);
    m_chart->setValuesLive(true);
    child<QPushButton>("runButton")->click();
    child<QPushButton>("stopButton")->click();

    QList<int> pvRows;
    for (int y = 0; y < 380; ++y)
        if (pixel(0, y) == PvColour)
            pvRows << y;
    QVERIFY2(!pvRows.isEmpty(), "no PV drawn at the start of the run");
    QVERIFY2(pvRows.first() >= row - 1 && pvRows.last() <= row + 1,
             qPrintable(QStringLiteral("PV drawn at rows %1 to %2, not at %3")
                            .arg(pvRows.first())
                            .arg(pvRows.last())
                            .arg(row)));
}

void TestTrendChart::valueFeedRule_data()
{
    QTest::addColumn<QString>("fed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("plotted");

    QTest::newRow("a value") << "25.0"
                             << "25.0"
                             << "25.0";
    QTest::newRow("over range") << "----U1371"
                                << "----"
                                << "400";
    QTest::newRow("under range") << "----D-200"
                                 << "----"
                                 << "0";
    QTest::newRow("no value keeps the last") << "---- 25.0"
                                             << "----"
                                             << "12.5";
}

void TestTrendChart::valueFeedRule()
{
    QFETCH(QString, fed);
    QFETCH(QString, shown);
    QFETCH(QString, plotted);

    ChartCaptions captions;
    captions.pv0 = QStringLiteral("12.5");
    m_chart->feed(captions);
    captions.pv0 = fed;
    m_chart->feed(captions);
    QCOMPARE(text("pvLegend"), shown);
    QCOMPARE(m_chart->valueCaption(Pv), shown);
    QCOMPARE(m_chart->model().current[Pv], plotted);
    // Without a second output the MV2 value, its name and its selection button stay hidden.
    QVERIFY(!child<QLabel>("mv2Legend")->isVisible() &&
            !child<QPushButton>("channelButton_3")->isVisible());
    m_shared.monitorValues[7] = 0x40;
    m_chart->feed(captions);
    QVERIFY(child<QLabel>("mv2Legend")->isVisible());
}

void TestTrendChart::refusalsAndLongRunToThePlotEnd()
{
    m_shared.online = false;
    child<QPushButton>("runButton")->click();
    QCOMPARE(m_op.messages(), QList<QList<int>>{{159}});
    m_shared.online = true;

    // No channel selected: 714, and the Trace menu's check mark goes back.
    child<QPushButton>("channelSelectButton")->click();
    for (const char *name :
         {"channelButton_0", "channelButton_1", "channelButton_2", "channelButton_3"})
        child<QPushButton>(name)->click();
    for (int hidden = Sv2; hidden <= Sv4; ++hidden)
        m_chart->toggleChannel(hidden);
    QVERIFY(!child<QPushButton>("colorButton_0")->isEnabled());
    child<QPushButton>("runButton")->click();
    QVERIFY(m_op.wasShown(714) && !m_traceMenu.isChecked() && !m_chart->model().running);

    // PV and MV1: PV above Y high runs along the top, MV1 below Y low along the X axis.
    child<QPushButton>("channelButton_0")->click();
    child<QPushButton>("channelButton_2")->click();
    child<QPushButton>("channelSelectDoneButton")->click();
    ChartCaptions captions;
    captions.pv0 = QStringLiteral("----U1371");
    captions.mv1 = QStringLiteral("-10.0");
    m_chart->feed(captions);
    child<QPushButton>("runButton")->click();
    QVERIFY(m_traceMenu.isChecked());
    QCOMPARE(text("runStateLabel"), QStringLiteral("Trace run"));
    QCOMPARE(m_op.panels.value(2), QStringLiteral("Logging"));
    QCOMPARE(m_op.panels.value(3), QStringLiteral("Trace run"));
    for (const char *name : {"xScaleGroup", "yScaleGroup"})
        QVERIFY(!child<QGroupBox>(name)->isEnabled());
    QVERIFY(!child<QPushButton>("runButton")->isEnabled() &&
            !child<QPushButton>("channelSelectButton")->isEnabled());
    QCOMPARE(pixel(0, 0), PvColour);
    QCOMPARE(pixel(0, 379), Mv1Colour);
    QCOMPARE(text("logFileLabel"),
             QDir::toNativeSeparators(m_dir->filePath("Logging/2026_7_4_9_5_3.csv")));
    QStringList lines = logLines();
    QCOMPARE(lines.mid(0, 2),
             (QStringList{"\"Control data\"", "\"Date\",\"Time\",\"PV\",\"MV1\","}));
    QVERIFY(lines.value(2).endsWith("\"----\",\"-10.0\","));

    // The long base fills the width with 9000 samples; the tick at X = 9000 logs nothing and ends
    // the run with "Plot end".
    captions.pv0 = QStringLiteral("200.0");
    m_chart->feed(captions);
    m_chart->setSampleInterval(0);
    QTRY_VERIFY_WITH_TIMEOUT(m_op.wasShown(333), 120000);
    QCOMPARE(logLines().size(), 2 + 9000);
    QCOMPARE(pixel(890, 190), PvColour); // x = 8900, 200 of 400
    QCOMPARE(pixel(45, 379), Mv1Colour);
    QVERIFY(!m_traceMenu.isChecked() && !m_chart->model().running);
    QVERIFY(child<QPushButton>("runButton")->isEnabled() &&
            !child<QPushButton>("stopButton")->isEnabled());
    QCOMPARE(m_op.panels.value(2), QString());
    QCOMPARE(m_op.panels.value(3), QStringLiteral("Trace standby"));
    QCOMPARE(m_op.messages().last(), QList<int>{333});
}

void TestTrendChart::shortBaseStandsSamplesApart()
{
    makeChart(QSize(1800, 760)); // 5 units a pixel: short-base samples 3 pixels apart
    child<QRadioButton>("shortTimeBase")->click();
    QCOMPARE(text("xScaleLabel_10"), QStringLiteral("50"));
    ChartCaptions captions;
    captions.pv0 = QStringLiteral("250.0");
    m_chart->feed(captions);
    child<QPushButton>("runButton")->click();
    m_chart->setSampleInterval(0);
    QTRY_VERIFY_WITH_TIMEOUT(m_op.wasShown(333), 60000);
    QCOMPARE(logLines().size(), 2 + 600);
    for (int column : {0, 3, 6, 1797}) // x = 0, 15, 30, 8985
        QCOMPARE(pixel(column, 285), PvColour);
    for (int column : {1, 2, 4, 5, 1799})
        QCOMPARE(pixel(column, 285), QColor(Qt::white));
}

void TestTrendChart::selectionColourAndScalesAreFiled()
{
    m_chart->setColourPicker([](const QColor &) { return QColor(0, 128, 255); });
    child<QPushButton>("channelSelectButton")->click();
    child<QPushButton>("colorButton_0")->click();
    QCOMPARE(m_shared.traceColors[Pv], 0xFF8000);
    child<QPushButton>("channelButton_1")->click(); // SV off
    child<QPushButton>("channelSelectDoneButton")->click();

    // The scale dialog as the operator types into it: 60 s cycle, then Y high 1000.
    const auto typeInto = [this](const char *button, const QString &digits) {
        QTimer::singleShot(0, this, [digits] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            for (const QChar digit : digits)
                dialog->findChild<QPushButton *>(QStringLiteral("digitKey_") + digit)->click();
            dialog->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        });
        child<QPushButton>(button)->click();
    };
    typeInto("changeCycle", QStringLiteral("60"));
    QCOMPARE(m_chart->sampleIntervalMs(), 60000);
    QCOMPARE(text("xScaleLabel_1"), QStringLiteral("900")); // 15 x 60 s on the long base
    typeInto("changeYHigh", QStringLiteral("1000"));
    QCOMPARE(text("yScaleLabel_0"), QStringLiteral("1000"));

    // A run stopped by the operator files each channel's selection; a restart finds it again.
    m_shared.monitorValues[7] = 0x40;
    child<QPushButton>("runButton")->click();
    child<QPushButton>("stopButton")->click();
    QVERIFY(!m_traceMenu.isChecked());
    QCOMPARE(text("runStateLabel"), QStringLiteral("Trace standby"));
    SessionState restarted;
    m_shared = restarted;
    makeChart();
    QCOMPARE(m_chart->model().flags, (std::array<qint16, 7>{1, 0, 1, 1, 1, 1, 1}));
    QCOMPARE(m_shared.traceColors[Pv], 0xFF8000);
    QCOMPARE(m_shared.chartCycleSeconds, 60);
    QCOMPARE(m_shared.chartScaleHigh, 1000);
    QCOMPARE(text("cycleValue"), QStringLiteral("60"));
}

void TestTrendChart::startSlowTrace()
{
    m_chart->setXScaleTime(QStringLiteral("60"));
    ChartCaptions captions;
    captions.pv0 = QStringLiteral("25.0");
    captions.sv0 = QStringLiteral("30.0");
    captions.mv1 = QStringLiteral("45.5");
    m_chart->feed(captions);
    m_chart->setValuesLive(true);
    child<QPushButton>("runButton")->click();
    QVERIFY(m_chart->model().running);
}

QList<QMessageBox *> TestTrendChart::visibleNotices()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QMessageBox *> shown;
    for (QMessageBox *box : m_chart->findChildren<QMessageBox *>())
        if (box->isVisible())
            shown << box;
    return shown;
}

// Ticks of failed rotations log "----" and draw nothing: the last values read are no sample of
// the time that followed.
void TestTrendChart::samplesAfterALossLogNoOldValue()
{
    m_chart->setXScaleShort(true);
    startSlowTrace();
    m_chart->onChartTick();
    const QImage drawn = m_chart->canvas().image();
    m_shared.commErrorFlag = true;
    for (int tick = 0; tick < 3; ++tick)
        m_chart->onChartTick();
    // The 10-second refresh has cleared the flag; the monitor reads still go unanswered.
    m_shared.commErrorFlag = false;
    m_shared.monitorReadFailed = true;
    m_chart->onChartTick();
    m_shared.monitorReadFailed = false;
    m_shared.online = false;
    m_chart->onChartTick();
    const QString stamp = QStringLiteral("\"2026/07/04\",\"09:05:03\",");
    const QString read = stamp + QStringLiteral("\"25.0\",\"30.0\",\"45.5\",");
    const QString notRead = stamp + QStringLiteral("\"----\",\"----\",\"----\",");
    QCOMPARE(logLines().mid(2), (QStringList{read, read} + QStringList(5, notRead)));
    QVERIFY(m_chart->canvas().image() == drawn);
}

void TestTrendChart::logFaultsLetTheTraceRunOn()
{
    // A file where the logging folder should be: no line can be written.
    const QString folder = m_dir->filePath(QStringLiteral("Logging"));
    const auto breakFolder = [&folder] {
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    };
    breakFolder();
    startSlowTrace();
    m_chart->onChartTick();
    QList<QMessageBox *> notices = visibleNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY(!notices.first()->isModal() && notices.first()->windowModality() == Qt::NonModal);
    QVERIFY(notices.first()->text().contains(QStringLiteral("2026_7_4_9_5_3.csv")));
    QVERIFY(m_op.shown.isEmpty());
    QCOMPARE(m_op.panels.value(2), QStringLiteral("Logging: 2 line(s) lost"));
    QVERIFY(m_chart->model().running);

    // Closed by the operator, the notice stays away while the fault lasts.
    notices.first()->close();
    m_chart->onChartTick();
    QVERIFY(visibleNotices().isEmpty());
    QCOMPARE(m_op.panels.value(2), QStringLiteral("Logging: 3 line(s) lost"));

    // Writable again: the run's file begins with the next sample; a new fault is told again.
    QVERIFY(QFile::remove(folder) && QDir().mkdir(folder));
    m_chart->onChartTick();
    QCOMPARE(logLines().size(), 3);
    breakFolder();
    m_chart->onChartTick();
    QCOMPARE(visibleNotices().size(), 1);
    QCOMPARE(m_op.panels.value(2), QStringLiteral("Logging: 4 line(s) lost"));
    QVERIFY(m_op.shown.isEmpty() && m_chart->model().running);
}

void TestTrendChart::timeBaseChangeClearsTheCurve_data()
{
    QTest::addColumn<bool>("secondRun");
    QTest::newRow("time base") << false;
    QTest::newRow("run in the same second") << true;
}

void TestTrendChart::timeBaseChangeClearsTheCurve()
{
    QFETCH(bool, secondRun);
    startSlowTrace();
    child<QPushButton>("stopButton")->click();
    const auto pvDrawnAtStart = [this] {
        for (int y = 0; y < 380; ++y)
            if (pixel(0, y) == PvColour)
                return true;
        return false;
    };
    QVERIFY(pvDrawnAtStart());
    if (secondRun) {
        // Started in the same second as the first: a file of its own.
        child<QPushButton>("runButton")->click();
        child<QPushButton>("stopButton")->click();
        QCOMPARE(logLines().size(), 3);
        QCOMPARE(logLines(QStringLiteral("2026_7_4_9_5_3_2.csv")).size(), 3);
        QVERIFY(text("logFileLabel").endsWith(QStringLiteral("2026_7_4_9_5_3_2.csv")));
        return;
    }
    // The curve was drawn against the old time labels.
    child<QRadioButton>("shortTimeBase")->click();
    QCOMPARE(text("xScaleLabel_10"), QStringLiteral("600"));
    QVERIFY(!pvDrawnAtStart());
}

void TestTrendChart::settingsThatCannotBeSavedAreSaid()
{
    // A FIFO as a settings file: start-up neither waits on it nor replaces it.
    const QString fifo = m_dir->filePath(QStringLiteral("ZN8P3.DAT"));
    QVERIFY(QFile::remove(fifo));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    m_op = FakeOperator();
    makeChart();
    QVERIFY(m_op.panels.value(4).contains(QStringLiteral("ZN8P3.DAT")));
    m_op.panels.clear();
    child<QRadioButton>("shortTimeBase")->click();
    QCOMPARE(m_op.panels.value(4),
             QStringLiteral("Chart settings could not be saved to %1 (not a regular file); the "
                            "change holds only until the program ends.")
                 .arg(QDir::toNativeSeparators(fifo)));
    QVERIFY(!QFileInfo(fifo).isFile());
}

QTEST_MAIN(TestTrendChart)
#include "tst_trendchart.moc"
