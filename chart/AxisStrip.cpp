#include "AxisStrip.h"

#include <QLabel>

AxisStrip::AxisStrip(Qt::Orientation orientation, const QList<QLabel *> &labels, QWidget *parent)
    : QWidget(parent), m_orientation(orientation), m_labels(labels)
{
    for (QLabel *label : m_labels) {
        label->setParent(this);
        label->setAlignment(orientation == Qt::Horizontal ? Qt::AlignCenter
                                                          : Qt::AlignRight | Qt::AlignVCenter);
    }
    // The end labels sit against the ends of the strip, under or beside the chart's edges.
    if (orientation == Qt::Horizontal && m_labels.size() > 1) {
        m_labels.first()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_labels.last()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

QSize AxisStrip::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return m_orientation == Qt::Horizontal
               ? QSize(100, metrics.height() + 2)
               : QSize(metrics.horizontalAdvance(QStringLiteral("-20000.5")) + 4, 100);
}

void AxisStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

void AxisStrip::place()
{
    const int last = int(m_labels.size()) - 1;
    const int length = m_orientation == Qt::Horizontal ? width() : height();
    for (int i = 0; i <= last; ++i) {
        QLabel *label = m_labels[i];
        // A fixed size, so that new texts need no new places.
        const int along = m_orientation == Qt::Horizontal
                              ? qMin(64, last > 0 ? length / last : length)
                              : fontMetrics().height() + 2;
        const int centre = last > 0 ? length * i / last : 0;
        const int start = qBound(0, centre - along / 2, qMax(0, length - along));
        if (m_orientation == Qt::Horizontal)
            label->setGeometry(start, 0, along, height());
        else
            label->setGeometry(0, start, width() - 2, along);
    }
}
