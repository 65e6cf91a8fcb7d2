#pragma once

#include <QStyledItemDelegate>

// Paints a cell of the line traffic list as one line of text on its row's colour, cut with "..."
// where the column is too narrow. The style's own item painting lays each cell out as rich text,
// twice the cost; the list repaints every tick while it follows the line, between two requests.
class TrafficRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
