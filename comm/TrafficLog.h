#pragma once

#include "comm/TrafficRecord.h"

#include <QList>
#include <QMap>
#include <QObject>

#include <vector>

// The last exchanges of the run in a ring of fixed size, so that a week online costs no more
// memory than an hour, and per-station counters that an operator can reset. Written and read on
// the thread that drives the line; readers poll since() rather than follow every record, so that
// recording stays cheap while a trace or a transfer runs.
class TrafficLog : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultCapacity = 20000;
    explicit TrafficLog(int capacity = DefaultCapacity, QObject *parent = nullptr);

    // Keeps the record (its serial is set here), dropping the oldest when the ring is full.
    void record(TrafficRecord record);
    // The kept records with a serial above afterSerial, oldest first.
    QList<TrafficRecord> since(quint64 afterSerial) const;
    quint64 lastSerial() const { return m_lastSerial; }
    int size() const { return int(m_ring.size()); }
    int capacity() const { return m_capacity; }

    // Per instrument number as the operator knows it ("01", TrafficRecord::instrument()), since
    // the last reset; records without one (bytes read before the first request) are not counted.
    const QMap<QString, TrafficCounters> &counters() const { return m_counters; }
    void resetCounters();

signals:
    void recorded();
    void countersReset();

private:
    int m_capacity;
    std::vector<TrafficRecord> m_ring;
    std::size_t m_next = 0; // where the next record goes once the ring is full
    quint64 m_lastSerial = 0;
    QMap<QString, TrafficCounters> m_counters;
};
