#include "TrafficRowDelegate.h"

#include <QApplication>
#include <QPainter>

void TrafficRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant background = index.data(Qt::BackgroundRole);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    const QColor fill = selected               ? option.palette.highlight().color()
                        : background.isValid() ? background.value<QBrush>().color()
                                               : option.palette.base().color();
    const QColor pen = selected               ? option.palette.highlightedText().color()
                       : foreground.isValid() ? foreground.value<QBrush>().color()
                                              : option.palette.text().color();
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const bool right = alignment.isValid() && (alignment.toInt() & Qt::AlignRight);
    const QString text = index.data().toString();
    const QRect &cell = option.rect;
    if (option.font != m_font) {
        m_cells.clear();
        m_font = option.font;
    }
    // What the picture depends on, as characters ahead of the text: building it is paid for on
    // every cell of every paint.
    QString key;
    key.reserve(text.size() + 7);
    key.append(QChar(char16_t(cell.width())))
        .append(QChar(char16_t(cell.height())))
        .append(QChar(char16_t(fill.rgba() >> 16)))
        .append(QChar(char16_t(fill.rgba())))
        .append(QChar(char16_t(pen.rgba() >> 16)))
        .append(QChar(char16_t(pen.rgba())))
        .append(QChar(char16_t(right)))
        .append(text);
    if (const QPixmap *drawn = m_cells.object(key)) {
        painter->drawPixmap(cell.topLeft(), *drawn);
        return;
    }

    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap picture(cell.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(fill);
    QPainter onPicture(&picture);
    // The grid: the cell's right and bottom edges.
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    const QColor grid =
        QRgb(style->styleHint(QStyle::SH_Table_GridLineColor, &option, option.widget));
    onPicture.fillRect(QRect(cell.width() - 1, 0, 1, cell.height()), grid);
    onPicture.fillRect(QRect(0, cell.height() - 1, cell.width(), 1), grid);
    const int margin = option.fontMetrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
    const QRect room(margin, 0, cell.width() - 2 * margin - 1, cell.height() - 1);
    onPicture.setFont(option.font);
    onPicture.setPen(pen);
    onPicture.drawText(room, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                       option.fontMetrics.elidedText(text, Qt::ElideRight, room.width()));
    onPicture.end();
    painter->drawPixmap(cell.topLeft(), picture);
    const int kb = int(picture.width() * picture.height() * picture.depth() / 8 / 1024) + 1;
    m_cells.insert(key, new QPixmap(picture), kb);
}

QSize TrafficRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize(1, 1);
}
