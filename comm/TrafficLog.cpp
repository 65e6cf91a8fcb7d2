#include "comm/TrafficLog.h"

#include "comm/InstrumentNumber.h"

#include <algorithm>

QString TrafficRecord::instrument() const
{
    bool ok = false;
    int number = 0;
    switch (mode) {
    case FrameMode::ModbusAscii:
    case FrameMode::ModbusRtu:
        number = station.toInt(&ok, 16);
        break;
    case FrameMode::Ravtocol:
        number = station.toInt(&ok, 10);
        break;
    case FrameMode::Vendor:
        // The number plus 32, one character.
        ok = station.size() == 1;
        number = ok ? station.at(0).unicode() - 32 : 0;
        break;
    }
    ok = ok && number >= InstrumentNumber::First && number <= InstrumentNumber::Last;
    return ok ? InstrumentNumber::text(number) : station;
}

bool TrafficRecord::silenceMeant() const
{
    return mode == FrameMode::Vendor && verdict == ReplyVerdict::NoReply &&
           command == QLatin1String("P") && address == QLatin1String("0000") &&
           data == QLatin1String("0000");
}

void TrafficCounters::add(const TrafficRecord &record)
{
    if (record.request.isEmpty() && !record.reply.isEmpty()) {
        ++late;
        return;
    }
    ++requests;
    if (record.silenceMeant()) {
        ++good;
        ++silentGood;
        return;
    }
    switch (record.verdict) {
    case ReplyVerdict::Ok:
        ++good;
        totalResponseMs += std::max(0, record.responseMs);
        worstResponseMs = std::max(worstResponseMs, record.responseMs);
        break;
    case ReplyVerdict::NoReply:
        ++noReply;
        break;
    case ReplyVerdict::Checksum:
        ++checksum;
        break;
    case ReplyVerdict::Exception:
        ++exceptions;
        break;
    case ReplyVerdict::LateReplyDropped:
        ++late;
        break;
    case ReplyVerdict::WrongStation:
    case ReplyVerdict::WrongFunction:
    case ReplyVerdict::WrongLength:
    case ReplyVerdict::Noise:
    case ReplyVerdict::PortLost:
        ++otherFaults;
        break;
    }
}

TrafficLog::TrafficLog(int capacity, QObject *parent)
    : QObject(parent), m_capacity(std::max(1, capacity))
{
    m_ring.reserve(std::size_t(m_capacity));
}

void TrafficLog::record(TrafficRecord record)
{
    record.serial = ++m_lastSerial;
    // Bytes read before the first request belong to no instrument: they are listed, not counted.
    if (const QString instrument = record.instrument(); !instrument.isEmpty())
        m_counters[instrument].add(record);
    if (m_ring.size() < std::size_t(m_capacity)) {
        m_ring.push_back(std::move(record));
    } else {
        m_ring[m_next] = std::move(record);
        m_next = (m_next + 1) % m_ring.size();
    }
    emit recorded();
}

QList<TrafficRecord> TrafficLog::since(quint64 afterSerial) const
{
    QList<TrafficRecord> records;
    const std::size_t count = m_ring.size();
    const quint64 firstKept = m_lastSerial - count + 1;
    const quint64 from = std::max(afterSerial + 1, firstKept);
    if (count == 0 || from > m_lastSerial)
        return records;
    records.reserve(qsizetype(m_lastSerial - from + 1));
    // The oldest kept record sits at m_next once the ring has wrapped, at 0 before.
    const std::size_t oldest = count < std::size_t(m_capacity) ? 0 : m_next;
    for (quint64 serial = from; serial <= m_lastSerial; ++serial)
        records.append(m_ring[(oldest + std::size_t(serial - firstKept)) % count]);
    return records;
}

void TrafficLog::resetCounters()
{
    m_counters.clear();
    emit countersReset();
}
