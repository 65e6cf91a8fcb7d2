#pragma once

#include "base/FileFault.h"
#include "display/TrafficFilter.h"
#include "display/TrafficTableModel.h"

#include <QSet>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui
{
class TrafficWindow;
}
class TrafficLog;
struct SessionState;

// Communication > Line traffic: the exchanges of the traffic log, newest last, with their bytes,
// timing, verdict and meaning, a filter, a pause and the per-station counters. A window of its own
// beside the main window (not modal). While shown it takes what the log recorded in one batch per
// tick, never per exchange, so that the line does not wait for the table; hidden, it costs
// nothing.
class TrafficWindow : public QWidget
{
    Q_OBJECT

public:
    // How often the window takes the new exchanges in, in ms.
    static constexpr int TickMs = 500;
    // Ticks between two updates of the counters: they change with every exchange, and once a
    // second is enough to read them, at half the cost of a tick.
    static constexpr int CounterTicks = 1000 / TickMs;

    TrafficWindow(TrafficLog &log, const SessionState &shared, QWidget *parent = nullptr);
    ~TrafficWindow() override;

    // Takes in what the log recorded since the last tick (unless paused); once a second, updates
    // the counters and the foot line.
    // The list follows the line while it is scrolled to its end and stays where it is otherwise.
    void takeNew();
    // The listed rows (as the filter shows them) as a CSV file in the format of znctl --frames
    // (TrafficCsv), written whole.
    FileFault saveCsv(const QString &path) const;
    // The selected rows, tab-separated with a heading line, onto the clipboard.
    void copySelection() const;

    TrafficTableModel &model() { return m_model; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // Ctrl+C on the list copies whole rows, not the one cell Qt's list would.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setCaptions();
    void fillVerdictChoices();
    // The stations and items of the rows after afterSerial join the filter's choices.
    void addChoices(quint64 afterSerial);
    void applyFilter();
    void showCounters();
    void showStatus();
    void askSave();
    // The rows as listed, tab-separated under the headings.
    QString rowsText(const QList<int> &rows) const;
    bool atEnd() const;

    TrafficLog &m_log;
    std::unique_ptr<Ui::TrafficWindow> m_ui;
    TrafficTableModel m_model;
    TrafficFilter m_filter{m_model};
    QTimer m_tick;
    quint64 m_countedSerial = 0;
    int m_ticksSinceCounted = 0;
    bool m_countersStale = true;
    bool m_columnsSized = false;
    QSet<QString> m_stations;
    QSet<int> m_items;
    QString m_savedNote;
};
