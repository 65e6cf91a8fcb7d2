#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

#include <memory>

namespace Ui
{
class JournalWindow;
}
class WriteJournal;

// File > Write journal: the latest entries of the write journal, newest first, with the path of
// this month's file. A window of its own beside the main window (not modal), read again on
// Refresh and each time it is opened.
class JournalWindow : public QWidget
{
    Q_OBJECT

public:
    // Entries shown at most: this month's, then last month's when this month has fewer.
    static constexpr int MaxEntries = 500;

    JournalWindow(const WriteJournal &journal, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // Reads the journal again and brings the window to the front.
    void showLatest();
    void refresh();

    // The day whose month counts as this month; tests set a fixed one.
    void setToday(const QDate &today) { m_today = today; }

private:
    const WriteJournal &m_journal;
    std::unique_ptr<Ui::JournalWindow> m_ui;
    QDate m_today;
};
