#pragma once

#include <QCache>
#include <QPixmap>
#include <QStyledItemDelegate>

// Paints a cell of the line traffic list as one line of text on its row's colour, cut with "..."
// where the column is too narrow, with its edges of the grid. The list repaints every row shown
// on every tick while it follows the line, between two requests, though most rows were on screen
// at the tick before and many cells repeat what rows before them said (port, station, item,
// verdict): a cell is drawn once into a picture kept for the next paint, which only copies it.
class TrafficRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // The style's size with room for the grid's line the cell draws.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // Some two screens of cells, in kB.
    static constexpr int CachedKb = 16 * 1024;
    mutable QCache<QString, QPixmap> m_cells{CachedKb};
    mutable QFont m_font;
};
