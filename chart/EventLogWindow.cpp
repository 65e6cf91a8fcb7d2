#include "EventLogWindow.h"

#include "ui_EventLogWindow.h"

#include "base/MessageTable.h"
#include "chart/EventLog.h"
#include "display/WindowPlacement.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>

#include <algorithm>

EventLogWindow::EventLogWindow(QString path, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::EventLogWindow>()),
      m_path(std::move(path))
{
    m_ui->setupUi(this);
    QString title = msg(1034).remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    setWindowTitle(title.remove(QStringLiteral("...")) + QStringLiteral(" - ") + msg(1));
    m_ui->kindCaption->setText(msg(1317));
    m_ui->kindFilter->addItem(msg(1035), -1);
    for (int k = 0; k < EventLog::KindCount; ++k)
        m_ui->kindFilter->addItem(EventLog::caption(EventLog::Kind(k)), k);
    m_ui->fileLabel->setText(QDir::toNativeSeparators(m_path));
    m_ui->tblEvents->setColumnCount(7);
    m_ui->tblEvents->setHorizontalHeaderLabels({msg(558), msg(1036), msg(1037), msg(268),
                                                QStringLiteral("PV"), QStringLiteral("SV"),
                                                QStringLiteral("MV1")});
    m_ui->tblEvents->verticalHeader()->hide();
    m_ui->tblEvents->horizontalHeader()->setStretchLastSection(true);
    connect(m_ui->kindFilter, &QComboBox::currentIndexChanged, this, &EventLogWindow::refresh);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &EventLogWindow::refresh);
    refresh();
}

EventLogWindow::~EventLogWindow() = default;

void EventLogWindow::open(const QString &path, QWidget *parent)
{
    auto *window = new EventLogWindow(path, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    showOver(*window, parent);
}

void EventLogWindow::refresh()
{
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
    const int kind = m_ui->kindFilter->currentData().toInt();
    std::vector<EventLog::Event> events = EventLog::latest(m_path, Latest);
    if (kind >= 0)
        events.erase(
            std::remove_if(events.begin(), events.end(),
                           [kind](const EventLog::Event &e) { return int(e.kind) != kind; }),
            events.end());
    m_ui->tblEvents->setRowCount(int(events.size()));
    for (int row = 0; row < int(events.size()); ++row) {
        const EventLog::Event &e = events[std::size_t(row)];
        const QStringList cells = {e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                   EventLog::caption(e.kind),
                                   e.port,
                                   QString::number(e.instrument),
                                   e.pv,
                                   e.sv,
                                   e.mv1};
        for (int column = 0; column < cells.size(); ++column)
            m_ui->tblEvents->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_ui->tblEvents->resizeColumnsToContents();
}
