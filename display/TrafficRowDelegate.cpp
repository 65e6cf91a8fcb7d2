#include "TrafficRowDelegate.h"

#include <QPainter>

void TrafficRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected)
        painter->fillRect(option.rect, option.palette.highlight());
    else if (background.isValid())
        painter->fillRect(option.rect, background.value<QBrush>());
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(selected               ? option.palette.highlightedText().color()
                    : foreground.isValid() ? foreground.value<QBrush>().color()
                                           : option.palette.text().color());
    const int margin = option.fontMetrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
    const QRect room = option.rect.adjusted(margin, 0, -margin, 0);
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const int flags = (alignment.isValid() ? alignment.toInt() : int(Qt::AlignLeft)) |
                      Qt::AlignVCenter | Qt::TextSingleLine;
    const QString text = index.data().toString();
    painter->drawText(room, flags,
                      option.fontMetrics.horizontalAdvance(text) > room.width()
                          ? option.fontMetrics.elidedText(text, Qt::ElideRight, room.width())
                          : text);
}
