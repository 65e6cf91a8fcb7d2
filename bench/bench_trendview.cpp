// The trend log viewer's cost for logs of 10^4, 10^5, a week at 1 s (604,800) and 10^6 samples
// of PV, SV, MV1 and MV2: the time to open a log (read, fit the axes, first paint of a 1200 x 500
// window) and the median time to redraw the whole run and a one-hour zoom of it.
//
//   QT_QPA_PLATFORM=offscreen bench-trendview [redraws per figure, default 20]

#include "base/MessageTable.h"
#include "chart/TrendLogWindow.h"
#include "chart/TrendLogWriter.h"
#include "chart/TrendPlot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{

const TrendLogWindow::Colours Colours = {QColor(255, 0, 255), QColor(0, 192, 0), QColor(0, 0, 255),
                                         QColor(0, 0, 192)};

// A log as the program writes it, one sample a second, written in one go (the program's own
// writer opens the file for every line, which would take longer than what is measured).
bool writeLog(const QString &path, qsizetype samples)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\"Control data\"\r\n\"Date\",\"Time\",\"PV\",\"SV\",\"MV1\",\"MV2\",\r\n");
    const QDateTime start(QDate(2026, 7, 4), QTime(0, 0, 0));
    QDate day;
    QByteArray date;
    for (qsizetype i = 0; i < samples; ++i) {
        const QDateTime at = start.addSecs(i);
        if (at.date() != day) {
            day = at.date();
            date = TrendLogWriter::dateText(day).toUtf8();
        }
        const double pv = 200 + 20 * std::sin(double(i) / 600.0);
        const double mv = 50 + 40 * std::sin(double(i) / 300.0);
        file.write("\"" + date + "\",\"" + TrendLogWriter::timeText(at.time()).toUtf8() + "\",\"" +
                   QByteArray::number(pv, 'f', 1) + "\",\"200.0\",\"" +
                   QByteArray::number(mv, 'f', 1) + "\",\"" + QByteArray::number(mv / 2, 'f', 1) +
                   "\",\r\n");
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double redrawMs(const TrendLogWindow &viewer, int redraws)
{
    QImage image(1200, 500, QImage::Format_RGB32);
    std::vector<double> times;
    for (int i = 0; i < redraws; ++i) {
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&image);
        viewer.plot()->render(painter, image.rect(), QString());
        painter.end();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    MessageTable::instance().setLanguage(Language::English);
    const int redraws = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;

    std::printf("| samples | file MB | open ms | redraw whole run ms | redraw 1 h zoom ms |\n");
    std::printf("|---|---|---|---|---|\n");
    for (const qsizetype samples :
         {qsizetype(10'000), qsizetype(100'000), qsizetype(604'800), qsizetype(1'000'000)}) {
        const QString path = dir.filePath(QStringLiteral("log%1.csv").arg(samples));
        if (!writeLog(path, samples))
            return 1;
        QElapsedTimer timer;
        timer.start();
        QString error;
        const auto viewer = TrendLogWindow::open(path, Colours, QString(), error);
        if (!viewer || viewer->log().size() != samples) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        viewer->resize(1200, 500);
        viewer->grab();
        const double openMs = double(timer.nsecsElapsed()) / 1e6;

        const double wholeMs = redrawMs(*viewer, redraws);
        const qint64 middle = viewer->log().times[samples / 2];
        viewer->range().zoomTo(middle, middle + 3'600'000);
        const double zoomMs = redrawMs(*viewer, redraws);
        std::printf("| %lld | %.1f | %.0f | %.1f | %.1f |\n", static_cast<long long>(samples),
                    double(QFile(path).size()) / 1e6, openMs, wholeMs, zoomMs);
        std::fflush(stdout);
    }
    return 0;
}
