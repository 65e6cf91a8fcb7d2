#include "TrendLogWindow.h"

#include "ui_TrendLogWindow.h"

#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "base/SessionState.h"
#include "base/WholeFileWriter.h"
#include "chart/TrendPlot.h"
#include "display/WindowPlacement.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace
{

constexpr int NotWrittenMessage = 1154;

QColor colourOf(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int channelIndex(const QString &name)
{
    static const QStringList names = {QStringLiteral("PV"), QStringLiteral("SV"),
                                      QStringLiteral("MV1"), QStringLiteral("MV2")};
    return int(names.indexOf(name));
}

// A menu caption without its access key: "Open trend log(&T)..." -> "Open trend log...".
QString withoutAccessKey(QString caption)
{
    return caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
}

QString clockText(qint64 ms)
{
    return TrendLog::clockTime(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

std::unique_ptr<TrendLogWindow> TrendLogWindow::open(const QString &path, const Colours &colours,
                                                     const QString &origin, QString &error,
                                                     QWidget *parent)
{
    std::unique_ptr<TrendLogWindow> viewer(new TrendLogWindow(path, colours, origin, parent));
    const QString name = QFileInfo(path).fileName();
    switch (viewer->m_reader.read()) {
    case TrendLogReader::Status::Read:
        break;
    case TrendLogReader::Status::NotTrendLog:
        error = msg(1003).arg(name);
        return nullptr;
    case TrendLogReader::Status::CannotOpen:
        error = msg(1004).arg(name);
        return nullptr;
    }
    viewer->showLog();
    viewer->m_watcher.addPath(path);
    return viewer;
}

void TrendLogWindow::chooseAndOpen(QWidget *owner, const SessionState &shared,
                                   const QString &currentLog)
{
    const QString path = QFileDialog::getOpenFileName(owner, withoutAccessKey(msg(1000)),
                                                      ProgramFolder::logging(), msg(1002));
    if (path.isEmpty())
        return;
    Colours colours;
    for (int c = 0; c < int(colours.size()); ++c)
        colours[c] = colourOf(shared.traceColors[c]);
    const bool current = !currentLog.isEmpty() && QFileInfo(currentLog).canonicalFilePath() ==
                                                      QFileInfo(path).canonicalFilePath();
    const QString origin =
        current ? msg(1012).arg(shared.portName).arg(shared.stationAddress.toInt()) : QString();
    QString error;
    std::unique_ptr<TrendLogWindow> viewer = open(path, colours, origin, error, owner);
    if (!viewer) {
        QMessageBox::warning(owner, msg(1), error);
        return;
    }
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    showOver(*viewer.release(), owner);
}

TrendLogWindow::TrendLogWindow(const QString &path, const Colours &colours, QString origin,
                               QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::TrendLogWindow>()), m_reader(path),
      m_colours(colours), m_origin(std::move(origin))
{
    m_ui->setupUi(this);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - ") + msg(1001) +
                   QStringLiteral(" - ") + msg(1));
    m_ui->wholeLogButton->setText(msg(1005));
    m_ui->pngButton->setText(msg(1006));
    m_ui->pdfButton->setText(msg(1007));
    m_ui->readoutLabel->setText(msg(1014));
    // A screen reader names the plot after the log it shows; the readout beside it reads the
    // sample under the cursor.
    m_ui->plot->setAccessibleName(msg(1001) + QStringLiteral(": ") + QFileInfo(path).fileName());
    m_ui->plot->setAccessibleDescription(msg(1014));
    connect(m_ui->wholeLogButton, &QPushButton::clicked, this, [this] {
        m_range.showWholeRun();
        m_ui->plot->refresh();
    });
    connect(m_ui->pngButton, &QPushButton::clicked, this, [this] { askExport(false); });
    connect(m_ui->pdfButton, &QPushButton::clicked, this, [this] { askExport(true); });
    connect(m_ui->plot, &TrendPlot::cursorMoved, this, &TrendLogWindow::showReadout);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &TrendLogWindow::reload);
}

TrendLogWindow::~TrendLogWindow() = default;

TrendPlot *TrendLogWindow::plot() const
{
    return m_ui->plot;
}

QString TrendLogWindow::header() const
{
    QStringList parts = {QFileInfo(m_reader.path()).fileName()};
    if (!log().isEmpty())
        parts << clockText(log().times.front()) + QStringLiteral(" - ") +
                     clockText(log().times.back());
    if (!m_origin.isEmpty())
        parts << m_origin;
    return parts.join(QStringLiteral("    "));
}

void TrendLogWindow::showLog()
{
    m_range.setRun(log().isEmpty() ? 0 : log().times.front(),
                   log().isEmpty() ? 0 : log().times.back());
    std::vector<QColor> channelColours;
    for (const TrendLog::Channel &channel : log().channels)
        channelColours.push_back(m_colours[channelIndex(channel.name)]);
    m_ui->plot->setLog(log(), m_range, channelColours);
    showCounts();
}

void TrendLogWindow::reload()
{
    // A file replaced by a new run drops out of the watch; it is the same name that is meant.
    if (!m_watcher.files().contains(m_reader.path()))
        m_watcher.addPath(m_reader.path());
    QStringList before;
    for (const TrendLog::Channel &channel : log().channels)
        before << channel.name;
    if (m_reader.readMore() < 0) {
        m_ui->samplesLabel->setText(msg(1017));
        return;
    }
    QStringList after;
    for (const TrendLog::Channel &channel : log().channels)
        after << channel.name;
    // A new run under the same name may carry other channels, and so other colours.
    if (after != before) {
        showLog();
        return;
    }
    m_range.setRun(log().isEmpty() ? 0 : log().times.front(),
                   log().isEmpty() ? 0 : log().times.back());
    m_ui->plot->refresh();
    showCounts();
}

void TrendLogWindow::showCounts()
{
    QString text = msg(1013).arg(log().size());
    if (m_reader.skippedLines() > 0)
        text += QStringLiteral("    ") + msg(1011).arg(m_reader.skippedLines());
    m_ui->samplesLabel->setText(text);
}

void TrendLogWindow::showReadout(qsizetype sample)
{
    if (sample < 0) {
        m_ui->readoutLabel->setText(msg(1014));
        return;
    }
    QStringList parts = {clockText(log().times[sample])};
    for (int c = 0; c < int(log().channels.size()); ++c)
        parts << log().channels[c].name + QStringLiteral(" ") + log().valueText(c, sample);
    m_ui->readoutLabel->setText(parts.join(QStringLiteral("    ")));
}

void TrendLogWindow::askExport(bool pdf)
{
    const QFileInfo source(m_reader.path());
    const QString suggested = source.absolutePath() + QLatin1Char('/') + source.completeBaseName() +
                              (pdf ? QStringLiteral(".pdf") : QStringLiteral(".png"));
    const QString path = QFileDialog::getSaveFileName(
        this, withoutAccessKey(msg(pdf ? 1007 : 1006)), suggested, msg(pdf ? 1016 : 1008));
    if (path.isEmpty())
        return;
    const FileFault fault = pdf ? exportPdf(path) : exportPng(path, m_ui->plot->size());
    if (!fault.isNone())
        QMessageBox::warning(this, msg(1), msg(NotWrittenMessage).arg(fault.text()));
}

FileFault TrendLogWindow::exportPng(const QString &path, const QSize &size) const
{
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setFont(font());
        m_ui->plot->render(painter, image.rect(), header());
    }
    WholeFileWriter file(path);
    if (!file.open())
        return file.fault();
    if (!image.save(&file.device(), "PNG") && file.fault().isNone())
        return FileFault(path, FileFault::Reason::Other, QStringLiteral("PNG encoder failed"));
    file.commit();
    return file.fault();
}

FileFault TrendLogWindow::exportPdf(const QString &path) const
{
    WholeFileWriter file(path);
    if (!file.open())
        return file.fault();
    {
        QPdfWriter writer(&file.device());
        writer.setTitle(header());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(150);
        QPainter painter(&writer);
        if (!painter.isActive())
            return FileFault(path, FileFault::Reason::Other, QStringLiteral("PDF writer failed"));
        // Drawn at the window's pixel density, then scaled to the page, so that text and lines
        // keep the proportions seen on the screen.
        const QRect page = painter.viewport();
        const double scale = double(writer.resolution()) / 96.0;
        painter.scale(scale, scale);
        painter.setFont(font());
        m_ui->plot->render(
            painter, QRect(0, 0, int(page.width() / scale), int(page.height() / scale)), header());
    }
    file.commit();
    return file.fault();
}
