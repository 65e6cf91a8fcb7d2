#include "base/MessageTable.h"
#include "chart/TrendLogWindow.h"
#include "chart/TrendLogWriter.h"
#include "chart/TrendPlot.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const TrendLogWindow::Colours Colours = {QColor(255, 0, 255), QColor(0, 192, 0), QColor(0, 0, 255),
                                         QColor(0, 0, 192)};

// Eleven samples one second apart from 10:00:00; PV is missing at sample 4.
void writeLog(const QString &path, int samples = 11)
{
    TrendLogWriter writer(path, {true, true, true, false});
    const QDateTime start(QDate(2026, 7, 4), QTime(10, 0, 0));
    for (int i = 0; i < samples; ++i) {
        const QString pv = i == 4 ? QStringLiteral("----") : QString::number(20.0 + i, 'f', 1);
        QCOMPARE(writer.write({start.addSecs(i), pv, "30.0", QString::number(10 * i) + ".0", ""}),
                 TrendLogWriter::Result::Written);
    }
}

// What the program appends while the run goes on: samples from..to-1, PV only.
void appendLines(const QString &path, int from, int to)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    const QDateTime start(QDate(2026, 7, 4), QTime(10, 0, 0));
    for (int i = from; i < to; ++i) {
        const QDateTime at = start.addSecs(i);
        file.write(
            QStringLiteral("\"%1\",\"%2\",\"25.0\",\"30.0\",\"50.0\",\r\n")
                .arg(TrendLogWriter::dateText(at.date()), TrendLogWriter::timeText(at.time()))
                .toUtf8());
    }
}

} // namespace

class TestTrendLogWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void cursorReadsSampleUnderMouse();
    void exportsVisiblePart();
    void refusesOtherFile();
    void reloadKeepsZoom();
};

void TestTrendLogWindow::cursorReadsSampleUnderMouse()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    writeLog(path);
    QString error;
    const auto viewer = TrendLogWindow::open(path, Colours, QString(), error);
    QVERIFY(viewer);
    viewer->resize(900, 500);
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    TrendPlot *plot = viewer->plot();

    // The traces span the plot's width: the first column with a sample is the first sample's.
    int left = 0;
    while (left < plot->width() && plot->sampleAt(left) < 0)
        ++left;
    int right = plot->width() - 1;
    while (right > left && plot->sampleAt(right) < 0)
        --right;
    QVERIFY(right - left > 300);
    const double spacing = (right - left) / 10.0;
    for (int i = 0; i <= 10; ++i) {
        const int at = left + qRound(i * spacing);
        QCOMPARE(plot->sampleAt(at), qsizetype(i));
        // Just short of half-way to the next sample is still this one.
        if (i < 10)
            QCOMPARE(plot->sampleAt(at + int(spacing / 2) - 1), qsizetype(i));
    }

    // The readout under the window names the sample's time and every channel's value.
    auto *readout = viewer->findChild<QLabel *>(QStringLiteral("readoutLabel"));
    QTest::mouseMove(plot, QPoint(left + qRound(4 * spacing), plot->height() / 2));
    QCOMPARE(plot->cursorSample(), qsizetype(4));
    QCOMPARE(readout->text(),
             QStringLiteral("2026-07-04 10:00:04    PV ----    SV 30.0    MV1 40.0"));
    QTest::mouseMove(plot, QPoint(left + qRound(7 * spacing), plot->height() / 2));
    QVERIFY(readout->text().contains(QLatin1String("PV 27.0")));
}

void TestTrendLogWindow::exportsVisiblePart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    writeLog(path);
    QString error;
    const auto viewer = TrendLogWindow::open(
        path, Colours, QStringLiteral("Port COM3, instrument number 7"), error);
    QVERIFY(viewer);
    QCOMPARE(viewer->header(), QStringLiteral("run.csv    2026-07-04 10:00:00 - 2026-07-04 "
                                              "10:00:10    Port COM3, instrument number 7"));

    const QString png = dir.filePath(QStringLiteral("run.png"));
    QVERIFY(viewer->exportPng(png, QSize(640, 360)).isNone());
    const QImage image(png);
    QCOMPARE(image.size(), QSize(640, 360));
    // Each channel's colour is drawn somewhere: the picture holds the traces, not a blank.
    for (const QColor &colour : {Colours[0], Colours[1], Colours[2]}) {
        bool found = false;
        for (int y = 0; y < image.height() && !found; ++y)
            for (int x = 0; x < image.width() && !found; ++x)
                found = image.pixelColor(x, y) == colour;
        QVERIFY2(found, qPrintable(colour.name()));
    }

    const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
    QVERIFY(viewer->exportPdf(pdf).isNone());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QVERIFY(file.size() > 1000);

    // A file that cannot be written leaves no picture behind.
    QVERIFY(!viewer->exportPng(dir.filePath(QStringLiteral("no/such/folder.png")), QSize(64, 64))
                 .isNone());
}

void TestTrendLogWindow::refusesOtherFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"Shopping\"\r\n\"Date\",\"Time\",\"Milk\",\r\n");
    file.close();
    QString error;
    QVERIFY(!TrendLogWindow::open(path, Colours, QString(), error));
    QCOMPARE(error,
             QStringLiteral("notes.csv is not a trend log of ZN Monitor and was not opened."));
}

void TestTrendLogWindow::reloadKeepsZoom()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    writeLog(path, 30);
    QString error;
    const auto viewer = TrendLogWindow::open(path, Colours, QString(), error);
    QVERIFY(viewer);
    const qint64 first = viewer->log().times.front();

    viewer->range().zoomTo(first + 5000, first + 20000);
    const qint64 start = viewer->range().start();
    const qint64 end = viewer->range().end();
    appendLines(path, 30, 60);
    viewer->reload();
    QCOMPARE(viewer->log().size(), 60);
    QCOMPARE(viewer->range().start(), start);
    QCOMPARE(viewer->range().end(), end);

    // The whole run follows the file as it grows.
    viewer->range().showWholeRun();
    appendLines(path, 60, 90);
    viewer->reload();
    QCOMPARE(viewer->range().end(), viewer->log().times.back());
}

QTEST_MAIN(TestTrendLogWindow)
#include "tst_trendlogwindow.moc"
