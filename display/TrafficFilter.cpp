#include "TrafficFilter.h"

TrafficFilter::TrafficFilter(TrafficTableModel &source, QObject *parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    // Rows stay in the order they came; inserted rows are filtered as they arrive.
    setDynamicSortFilter(true);
    setSourceModel(&source);
}

void TrafficFilter::setFilter(int verdict, const QString &station, int item)
{
    m_verdict = verdict;
    m_station = station;
    m_item = item;
    invalidateFilter();
}

bool TrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const TrafficRecord &record = m_source.record(sourceRow);
    if (m_verdict == FailedOnly ? !TrafficTableModel::failed(record)
                                : m_verdict != AnyVerdict && int(record.verdict) != m_verdict)
        return false;
    if (!m_station.isEmpty() && record.instrument() != m_station)
        return false;
    return m_item == AnyItem || m_source.meaning(sourceRow).code == m_item;
}
