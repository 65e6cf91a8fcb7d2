#pragma once

#include "display/TrafficTableModel.h"

#include <QSortFilterProxyModel>

// The rows of the line traffic window that the operator's filter lets through: by verdict (all,
// the failed ones, or one verdict), by station and by item code.
class TrafficFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // Verdict choices besides the verdicts themselves.
    static constexpr int AnyVerdict = -1;
    static constexpr int FailedOnly = -2;
    static constexpr int AnyItem = -2;

    explicit TrafficFilter(TrafficTableModel &source, QObject *parent = nullptr);

    // verdict: AnyVerdict, FailedOnly or an int(ReplyVerdict); station: empty for every station;
    // item: AnyItem, -1 for the exchanges without an item, else the item code.
    void setFilter(int verdict, const QString &station, int item);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    const TrafficTableModel &m_source;
    int m_verdict = AnyVerdict;
    QString m_station;
    int m_item = AnyItem;
};
