#pragma once

#include <QFileSystemWatcher>
#include <QWidget>

#include <memory>

namespace Ui
{
class EventLogWindow;
}

// Online > Event log: the latest events of the month's event log, newest first, with a filter by
// kind of event. It follows the file while the program appends to it.
class EventLogWindow : public QWidget
{
    Q_OBJECT

public:
    // The most events listed; older ones stay in the file.
    static constexpr int Latest = 500;

    explicit EventLogWindow(QString path, QWidget *parent = nullptr);
    // Shows a window over the file that closes by itself.
    static void open(const QString &path, QWidget *parent);
    ~EventLogWindow() override;

    // Reads the file again and lists what the filter lets through.
    void refresh();

private:
    std::unique_ptr<Ui::EventLogWindow> m_ui;
    QString m_path;
    QFileSystemWatcher m_watcher;
};
