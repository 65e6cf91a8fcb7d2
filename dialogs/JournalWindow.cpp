#include "JournalWindow.h"

#include "ui_JournalWindow.h"

#include "base/MessageTable.h"
#include "display/WindowPlacement.h"
#include "transfer/JournalFile.h"
#include "transfer/WriteJournal.h"
#include "transfer/WriteOutcome.h"

#include <QDateTime>
#include <QDir>
#include <QHeaderView>

namespace
{

constexpr int TitleMessage = 901;
constexpr int FileMessage = 917;
constexpr int RefreshMessage = 915;
constexpr int CloseMessage = 916;
constexpr int KeysOperatedMessage = 918;
// Headings 902 to 909, each over the file's column it shows.
const QList<std::pair<int, JournalFile::Column>> Columns = {
    {902, JournalFile::At},      {903, JournalFile::Port},   {904, JournalFile::Instrument},
    {905, JournalFile::Item},    {906, JournalFile::Before}, {907, JournalFile::Sent},
    {908, JournalFile::Outcome}, {909, JournalFile::Source},
};

int outcomeMessage(WriteOutcome::Kind kind)
{
    switch (kind) {
    case WriteOutcome::Kind::Taken:
        return 910;
    case WriteOutcome::Kind::Refused:
        return 911;
    case WriteOutcome::Kind::NoReply:
        return 912;
    case WriteOutcome::Kind::ReadBackDifferent:
        break;
    }
    return 913;
}

// The outcome in the language in use, with its detail: "Refused (keys operated)".
QString outcomeText(const QStringList &entry)
{
    const std::optional<WriteOutcome::Kind> kind =
        WriteOutcome::fromKeyword(entry.at(JournalFile::Outcome));
    QString text = entry.at(JournalFile::Outcome);
    if (kind)
        text = msg(outcomeMessage(*kind));
    QString detail = entry.at(JournalFile::Detail);
    if (detail == QLatin1String("keys operated"))
        detail = msg(KeysOperatedMessage);
    return detail.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, detail);
}

// Local date and time to the second, as the operator reads a clock.
QString timeText(const QString &iso)
{
    const QDateTime at = QDateTime::fromString(iso, Qt::ISODate);
    return at.isValid() ? at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : iso;
}

} // namespace

JournalWindow::JournalWindow(const WriteJournal &journal, QWidget *parent)
    : QWidget(parent, Qt::Window), m_journal(journal), m_ui(std::make_unique<Ui::JournalWindow>())
{
    m_ui->setupUi(this);
    setWindowTitle(msg(TitleMessage) + QStringLiteral(" - ") + msg(1));
    m_ui->pathCaption->setText(msg(FileMessage));
    m_ui->refreshButton->setText(msg(RefreshMessage));
    m_ui->closeButton->setText(msg(CloseMessage));
    QStringList headings;
    for (const auto &[message, column] : Columns)
        headings << msg(message);
    m_ui->entries->setHeaderLabels(headings);
    m_ui->entries->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_ui->refreshButton, &QPushButton::clicked, this, &JournalWindow::refresh);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
}

JournalWindow::~JournalWindow() = default;

void JournalWindow::showLatest()
{
    refresh();
    showOver(*this, parentWidget());
}

void JournalWindow::refresh()
{
    const QDate today = m_today.isValid() ? m_today : QDate::currentDate();
    const QString path = m_journal.pathFor(today);
    m_ui->pathValue->setText(QDir::toNativeSeparators(path));
    QList<QStringList> entries = JournalFile::latest(path, MaxEntries);
    if (entries.size() < MaxEntries)
        entries += JournalFile::latest(m_journal.pathFor(today.addMonths(-1)),
                                       MaxEntries - int(entries.size()));

    m_ui->entries->clear();
    QList<QTreeWidgetItem *> rows;
    for (const QStringList &entry : entries) {
        QStringList cells;
        for (const auto &[message, column] : Columns) {
            if (column == JournalFile::At)
                cells << timeText(entry.at(column));
            else if (column == JournalFile::Outcome)
                cells << outcomeText(entry);
            else
                cells << entry.at(column);
        }
        rows << new QTreeWidgetItem(cells);
    }
    m_ui->entries->addTopLevelItems(rows);
}
