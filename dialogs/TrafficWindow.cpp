#include "TrafficWindow.h"

#include "ui_TrafficWindow.h"

#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "base/WholeFileWriter.h"
#include "comm/TrafficLog.h"
#include "display/TrafficRowDelegate.h"
#include "display/WindowPlacement.h"
#include "polling/TrafficCsv.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QScrollBar>

#include <algorithm>
#include <array>

namespace
{
constexpr int TitleMessage = 1437;
constexpr int AllMessage = 1438;
constexpr int FailedOnlyMessage = 1439;
constexpr int PauseMessage = 1440;
constexpr int CountersMessage = 1441;
constexpr int ResetMessage = 1448;
constexpr int SaveMessage = 1449;
constexpr int CsvFilterMessage = 1450;
constexpr int ShownMessage = 1451;
constexpr int PausedMessage = 1452;
constexpr int SavedMessage = 1453;
constexpr int NotWrittenMessage = 1154;
constexpr int CloseMessage = 916;
constexpr int VerdictCount = int(ReplyVerdict::PortLost) + 1;
// Counter columns: station, requests, good, no reply, checksum, exceptions, late, other faults,
// mean and worst response.
constexpr std::array<int, 10> CounterHeadings = {1425, 1442, 1400, 1401, 1402,
                                                 1443, 1444, 1445, 1446, 1447};
// Widest a bytes column opens at, in characters: a longer frame is cut at the edge (its whole
// text stays in the file and the copy).
constexpr int BytesColumnChars = 40;
// The most exchanges taken in on one tick.
constexpr qsizetype MaxBatch = 2000;

QString withoutEllipsis(QString text)
{
    return text.remove(QStringLiteral("..."));
}

// Items sorted by their number where they are numbers ("2" before "10"), else by text.
bool before(const QString &a, const QString &b)
{
    bool aNumber = false, bNumber = false;
    const int aValue = a.toInt(&aNumber), bValue = b.toInt(&bNumber);
    return aNumber && bNumber && aValue != bValue ? aValue < bValue : a < b;
}
} // namespace

TrafficWindow::TrafficWindow(TrafficLog &log, const SessionState &shared, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(log), m_ui(std::make_unique<Ui::TrafficWindow>()),
      m_model(shared, log.capacity())
{
    m_ui->setupUi(this);
    setCaptions();
    QTableView *table = m_ui->exchanges;
    table->setModel(&m_filter);
    table->setItemDelegate(new TrafficRowDelegate(table));
    // The delegate draws the grid with its cells, at a fraction of the cost of the list's lines.
    table->setShowGrid(false);
    table->verticalHeader()->hide();
    // Rows of one height need no measuring: a list of 20,000 scrolls as fast as one of 20.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setAccessibleName(msg(TitleMessage));
    table->installEventFilter(this);

    QTableWidget *counters = m_ui->counters;
    counters->setColumnCount(int(CounterHeadings.size()));
    QStringList headings;
    for (const int message : CounterHeadings)
        headings << msg(message);
    counters->setHorizontalHeaderLabels(headings);
    counters->verticalHeader()->hide();
    counters->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    counters->verticalHeader()->setDefaultSectionSize(
        table->verticalHeader()->defaultSectionSize());
    // Columns fitted to their contents when a cell changes (showCounters): a column that fits
    // itself would measure them all again on every cell set.
    counters->horizontalHeader()->setMinimumSectionSize(fontMetrics().averageCharWidth() * 8);
    counters->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    // Room for four stations before it scrolls.
    counters->setMinimumHeight(counters->horizontalHeader()->sizeHint().height() +
                               4 * counters->verticalHeader()->defaultSectionSize() +
                               2 * counters->frameWidth());
    counters->setAccessibleName(msg(CountersMessage));

    for (QComboBox *filter : {m_ui->verdictFilter, m_ui->stationFilter, m_ui->itemFilter})
        connect(filter, &QComboBox::currentIndexChanged, this, &TrafficWindow::applyFilter);
    connect(m_ui->pauseBox, &QCheckBox::toggled, this, [this] {
        takeNew();
        showStatus();
    });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TrafficWindow::askSave);
    connect(m_ui->resetButton, &QPushButton::clicked, &m_log, &TrafficLog::resetCounters);
    connect(&m_log, &TrafficLog::countersReset, this, [this] {
        m_countersStale = true;
        showCounters();
    });
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    m_tick.setInterval(TickMs);
    connect(&m_tick, &QTimer::timeout, this, &TrafficWindow::takeNew);
    showStatus();
}

TrafficWindow::~TrafficWindow() = default;

void TrafficWindow::setCaptions()
{
    setWindowTitle(msg(TitleMessage) + QStringLiteral(" - ") + msg(1));
    m_ui->verdictCaption->setText(TrafficTableModel::heading(TrafficTableModel::Verdict));
    m_ui->stationCaption->setText(TrafficTableModel::heading(TrafficTableModel::Station));
    m_ui->itemCaption->setText(TrafficTableModel::heading(TrafficTableModel::Caption));
    m_ui->pauseBox->setText(msg(PauseMessage));
    m_ui->saveButton->setText(msg(SaveMessage));
    m_ui->countersFrame->setTitle(msg(CountersMessage));
    m_ui->resetButton->setText(msg(ResetMessage));
    m_ui->closeButton->setText(msg(CloseMessage));
    fillVerdictChoices();
    m_ui->stationFilter->addItem(msg(AllMessage), QString());
    m_ui->itemFilter->addItem(msg(AllMessage), TrafficFilter::AnyItem);
}

void TrafficWindow::fillVerdictChoices()
{
    QComboBox *verdicts = m_ui->verdictFilter;
    verdicts->addItem(msg(AllMessage), TrafficFilter::AnyVerdict);
    verdicts->addItem(msg(FailedOnlyMessage), TrafficFilter::FailedOnly);
    for (int verdict = 0; verdict < VerdictCount; ++verdict)
        verdicts->addItem(TrafficTableModel::verdictName(ReplyVerdict(verdict)), verdict);
}

void TrafficWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    takeNew();
    m_tick.start();
}

void TrafficWindow::hideEvent(QHideEvent *event)
{
    m_tick.stop();
    QWidget::hideEvent(event);
}

bool TrafficWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->exchanges && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TrafficWindow::atEnd() const
{
    const QScrollBar *bar = m_ui->exchanges->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void TrafficWindow::takeNew()
{
    if (!m_ui->pauseBox->isChecked() && m_log.lastSerial() != m_model.lastSerial()) {
        QTableView *table = m_ui->exchanges;
        const bool follow = atEnd();
        const QModelIndex top = m_filter.mapToSource(table->indexAt(QPoint(0, 0)));
        const quint64 topSerial = top.isValid() ? m_model.record(top.row()).serial : 0;
        const quint64 after = m_model.lastSerial();
        QList<TrafficRecord> records = m_log.since(after);
        // Catching up with a full log is spread over a few ticks, so that opening the window
        // holds a running transfer up by no more than one short batch.
        if (records.size() > MaxBatch)
            records.resize(MaxBatch);
        m_model.append(records);
        addChoices(after);
        if (!m_columnsSized && m_model.rowCount() > 0) {
            table->resizeColumnsToContents();
            const int widest = fontMetrics().averageCharWidth() * BytesColumnChars;
            for (const int column : {TrafficTableModel::Request, TrafficTableModel::Reply})
                table->setColumnWidth(column, std::min(table->columnWidth(column), widest));
            m_columnsSized = true;
        }
        if (follow) {
            table->scrollToBottom();
        } else if (const int row = m_model.rowOf(topSerial); row >= 0) {
            // The rows dropped off the front would pull the list up under the operator's eyes: the
            // row at the top stays at the top.
            const QModelIndex shown = m_filter.mapFromSource(m_model.index(row, 0));
            if (shown.isValid())
                table->verticalScrollBar()->setValue(shown.row());
        }
    }
    if (m_countedSerial != m_log.lastSerial() && ++m_ticksSinceCounted >= CounterTicks)
        m_countersStale = true;
    // The foot line's counts change with every tick too: they follow the counters.
    if (m_countersStale) {
        showCounters();
        showStatus();
    }
}

void TrafficWindow::addChoices(quint64 afterSerial)
{
    for (int row = m_model.rowCount() - 1; row >= 0 && m_model.record(row).serial > afterSerial;
         --row) {
        const QString station = m_model.record(row).instrument();
        if (!m_stations.contains(station)) {
            m_stations.insert(station);
            QComboBox *stations = m_ui->stationFilter;
            int at = 1;
            while (at < stations->count() && before(stations->itemData(at).toString(), station))
                ++at;
            stations->insertItem(at, station, station);
        }
        const ExchangeMeaning &meaning = m_model.meaning(row);
        if (meaning.code >= 0 && !m_items.contains(meaning.code)) {
            m_items.insert(meaning.code);
            QComboBox *items = m_ui->itemFilter;
            int at = 1;
            while (at < items->count() && items->itemData(at).toInt() < meaning.code)
                ++at;
            items->insertItem(at, QStringLiteral("%1 %2").arg(meaning.code).arg(meaning.caption),
                              meaning.code);
        }
    }
}

void TrafficWindow::applyFilter()
{
    const bool follow = atEnd();
    m_filter.setFilter(m_ui->verdictFilter->currentData().toInt(),
                       m_ui->stationFilter->currentData().toString(),
                       m_ui->itemFilter->currentData().toInt());
    if (follow)
        m_ui->exchanges->scrollToBottom();
    showStatus();
}

void TrafficWindow::showCounters()
{
    if (!m_countersStale)
        return;
    m_countersStale = false;
    m_ticksSinceCounted = 0;
    m_countedSerial = m_log.lastSerial();
    const QMap<QString, TrafficCounters> &counters = m_log.counters();
    QStringList stations = counters.keys();
    std::sort(stations.begin(), stations.end(), before);
    QTableWidget *table = m_ui->counters;
    table->setRowCount(int(stations.size()));
    QSet<int> widen;
    for (int row = 0; row < int(stations.size()); ++row) {
        const TrafficCounters &c = counters[stations[row]];
        const QStringList cells = {
            stations[row],
            QString::number(c.requests),
            QString::number(c.good),
            QString::number(c.noReply),
            QString::number(c.checksum),
            QString::number(c.exceptions),
            QString::number(c.late),
            QString::number(c.otherFaults),
            c.good == c.silentGood ? QString() : QString::number(c.meanResponseMs(), 'f', 1),
            c.good == c.silentGood ? QString() : QString::number(c.worstResponseMs)};
        for (int column = 0; column < int(cells.size()); ++column) {
            QTableWidgetItem *item = table->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                   : Qt::AlignRight | Qt::AlignVCenter);
                table->setItem(row, column, item);
            }
            if (item->text() != cells[column]) {
                item->setText(cells[column]);
                widen.insert(column);
            }
        }
    }
    for (const int column : widen)
        table->resizeColumnToContents(column);
}

void TrafficWindow::showStatus()
{
    QString text = m_ui->pauseBox->isChecked()
                       ? msg(PausedMessage).arg(m_log.lastSerial() - m_model.lastSerial())
                       : msg(ShownMessage)
                             .arg(m_filter.rowCount())
                             .arg(m_model.rowCount())
                             .arg(QLocale().toString(m_log.capacity()));
    if (!m_savedNote.isEmpty())
        text += QStringLiteral("  ") + m_savedNote;
    // A long path never widens the window: the label takes the width it is given, its tool tip
    // the whole text.
    m_ui->statusLabel->setText(text);
    m_ui->statusLabel->setToolTip(text);
}

QString TrafficWindow::rowsText(const QList<int> &rows) const
{
    QStringList fields;
    for (int column = 0; column < TrafficTableModel::ColumnCount; ++column)
        fields << TrafficTableModel::heading(column);
    QString text = fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const int row : rows) {
        fields.clear();
        for (int column = 0; column < TrafficTableModel::ColumnCount; ++column)
            fields << m_model.text(row, column, true);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

FileFault TrafficWindow::saveCsv(const QString &path) const
{
    // The format znctl --frames writes, with the meaning each row was listed with.
    QByteArray bytes = TrafficCsv::header();
    for (int row = 0; row < m_filter.rowCount(); ++row) {
        const int at = m_filter.mapToSource(m_filter.index(row, 0)).row();
        bytes += TrafficCsv::line(m_model.record(at), &m_model.meaning(at));
    }
    return WholeFileWriter::writeAll(path, bytes);
}

void TrafficWindow::copySelection() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_ui->exchanges->selectionModel()->selectedRows())
        rows << m_filter.mapToSource(index).row();
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    QGuiApplication::clipboard()->setText(rowsText(rows));
}

void TrafficWindow::askSave()
{
    const QString suggested = QDir(ProgramFolder::logging())
                                  .filePath(QDateTime::currentDateTime().toString(
                                      QStringLiteral("'line-traffic-'yyyy-MM-dd_HHmmss'.csv'")));
    // The file dialog asks before it replaces a file of that name.
    const QString path = QFileDialog::getSaveFileName(this, withoutEllipsis(msg(SaveMessage)),
                                                      suggested, msg(CsvFilterMessage));
    if (path.isEmpty())
        return;
    const FileFault fault = saveCsv(path);
    if (!fault.isNone()) {
        QMessageBox::warning(this, msg(1), msg(NotWrittenMessage).arg(fault.text()));
        return;
    }
    m_savedNote = msg(SavedMessage).arg(m_filter.rowCount()).arg(QDir::toNativeSeparators(path));
    showStatus();
}
