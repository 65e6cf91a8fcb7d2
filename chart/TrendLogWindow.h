#pragma once

#include "base/FileFault.h"
#include "chart/TrendLogReader.h"
#include "chart/TrendView.h"

#include <QColor>
#include <QFileSystemWatcher>
#include <QWidget>

#include <array>
#include <memory>

namespace Ui
{
class TrendLogWindow;
}
struct SessionState;

// A window of its own over one trend log: the traces in the chart's colours, a cursor that reads
// every channel at the sample under the mouse, zoom and pan, and export of the visible part as
// PNG or PDF. It follows the file while the program (or another) appends to it; the view stays
// where the operator put it.
class TrendLogWindow : public QWidget
{
    Q_OBJECT

public:
    // Colours of PV, SV, MV1 and MV2, in that order.
    using Colours = std::array<QColor, 4>;

    // Reads the log and makes its window (not yet shown); nothing, with the message to show in
    // error, when the file cannot be read or is not a trend log. origin: the port and instrument
    // number when known (empty otherwise), for the header line of exports.
    static std::unique_ptr<TrendLogWindow> open(const QString &path, const Colours &colours,
                                                const QString &origin, QString &error,
                                                QWidget *parent = nullptr);

    // File > Open trend log: asks for a log in the "Logging" folder and shows it, or a message.
    // The port and instrument number are known when the log chosen is the one the running (or
    // last) trace writes, named by currentLog.
    static void chooseAndOpen(QWidget *owner, const SessionState &shared,
                              const QString &currentLog);

    ~TrendLogWindow() override;

    const TrendLog &log() const { return m_reader.log(); }
    TrendRange &range() { return m_range; }
    class TrendPlot *plot() const;
    // "2026_7_4_9_5_3.csv  2026-07-04 09:05:03 - 2026-07-04 10:12:40  Port COM1, instrument
    // number 1".
    QString header() const;

    // Takes what was appended to the file since the last read.
    void reload();
    // The visible part, with the header line, as a PNG image of size pixels or as a one-page
    // landscape PDF, written whole or not at all (WholeFileWriter): why the file was not written
    // (the previous file stays), none when it was.
    FileFault exportPng(const QString &path, const QSize &size) const;
    FileFault exportPdf(const QString &path) const;

private:
    TrendLogWindow(const QString &path, const Colours &colours, QString origin, QWidget *parent);
    // Shows the log as read (again), with the colours of its channels.
    void showLog();
    void showCounts();
    void showReadout(qsizetype sample);
    void askExport(bool pdf);

    std::unique_ptr<Ui::TrendLogWindow> m_ui;
    TrendLogReader m_reader;
    TrendRange m_range;
    Colours m_colours;
    QString m_origin;
    QFileSystemWatcher m_watcher;
};
