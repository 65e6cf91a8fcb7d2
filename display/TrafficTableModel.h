#pragma once

#include "base/SessionState.h"
#include "comm/TrafficRecord.h"
#include "polling/TrafficMeaning.h"

#include <QAbstractTableModel>
#include <QList>

#include <deque>

// The exchanges the line traffic window lists, oldest first: one row per record with its meaning
// as the session's state gave it when the record was taken in, at most capacity rows (the oldest go
// first, as in the traffic log itself, a twentieth of the capacity at a time).
class TrafficTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        Time,
        Port,
        Speed,
        Station,
        Protocol,
        Request,
        Reply,
        ResponseMs,
        Verdict,
        Access,
        ItemCode,
        Caption,
        Value,
        ColumnCount
    };

    TrafficTableModel(const SessionState &shared, int capacity, QObject *parent = nullptr);

    // Takes records (oldest first, serials above lastSerial()) as one insertion, after removing
    // the oldest rows that would exceed the capacity (at least a twentieth of it) in one removal.
    void append(const QList<TrafficRecord> &records);
    // The serial of the newest row; 0 before the first.
    quint64 lastSerial() const { return m_lastSerial; }
    // The row holding serial, -1 when it is not (or no longer) kept.
    int rowOf(quint64 serial) const;
    const TrafficRecord &record(int row) const { return m_rows[std::size_t(row)].record; }
    const ExchangeMeaning &meaning(int row) const { return m_rows[std::size_t(row)].meaning; }

    // A cell as listed; the time with its date when full (for a file or the clipboard).
    QString text(int row, int column, bool full = false) const;
    static QString heading(int column);
    // "Good", "No reply", ..., "Exception 02: register not available", with "(noise before the
    // reply)" where noise came first; failed exchanges start with a mark that needs no colour.
    static QString verdictText(const TrafficRecord &record);
    static QString verdictName(ReplyVerdict verdict);
    static QString protocolName(FrameMode mode);
    // Bytes as hex; for the text framings the text they spell ("<CR>" for controls), then the hex.
    static QString bytesText(const QByteArray &bytes, FrameMode mode);
    static bool failed(const TrafficRecord &record)
    {
        return record.verdict != ReplyVerdict::Ok && !record.silenceMeant();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row {
        TrafficRecord record;
        ExchangeMeaning meaning;
    };

    const SessionState &m_shared;
    int m_capacity;
    std::deque<Row> m_rows;
    quint64 m_lastSerial = 0;
};
