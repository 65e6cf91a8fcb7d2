#include "ColumnScrollArea.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QStyle>

ColumnScrollArea::ColumnScrollArea(QWidget *column, Height height, QWidget *parent)
    : QScrollArea(parent), m_height(height)
{
    setObjectName(column->objectName() + QStringLiteral("_scroll"));
    setFrameShape(QFrame::NoFrame);
    // Only a frame for what it holds: with the focus it would swallow Tab without a mark to show
    // where the focus is.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidget(column);
    // The page's own background shows through, as it did before the column scrolled.
    viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);
    column->installEventFilter(this);
}

int ColumnScrollArea::scrollBarWidth() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
}

QSize ColumnScrollArea::columnMinimum() const
{
    return widget()->minimumSizeHint().expandedTo(widget()->minimumSize());
}

QSize ColumnScrollArea::minimumSizeHint() const
{
    const int least = QScrollArea::minimumSizeHint().height();
    const int height = m_height == Height::Any ? least
                       : m_firstHeight >= 0    ? m_firstHeight
                                               : columnMinimum().height();
    return {columnMinimum().width() + scrollBarWidth(), qMax(least, qMin(height, m_heightCap))};
}

void ColumnScrollArea::setHeightCap(int cap)
{
    if (cap == m_heightCap)
        return;
    m_heightCap = cap;
    updateGeometry();
}

QSize ColumnScrollArea::sizeHint() const
{
    return widget()->sizeHint().expandedTo(columnMinimum()) + QSize(scrollBarWidth(), 0);
}

void ColumnScrollArea::reveal(QWidget *child)
{
    m_reveal = child;
    ensureWidgetVisible(child);
}

bool ColumnScrollArea::event(QEvent *event)
{
    // The window polishes every widget, shown page or not, when it is first shown.
    if (event->type() == QEvent::Polish && m_firstHeight < 0)
        m_firstHeight = columnMinimum().height();
    const bool handled = QScrollArea::event(event);
    // The column has its new size now, and its rows their places.
    if (event->type() == QEvent::LayoutRequest && m_reveal) {
        ensureWidgetVisible(m_reveal);
        m_reveal.clear();
    }
    return handled;
}

bool ColumnScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    // The column's own relayout does not reach the scroll area: without this the column keeps
    // its old height when a panel appears, and its rows are drawn on top of each other until the
    // window is resized. The area takes the column's new size after the column has laid out.
    if (watched == widget() && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    }
    return QScrollArea::eventFilter(watched, event);
}
