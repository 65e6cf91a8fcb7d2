#include "TrendPlot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QWheelEvent>

#include <cmath>

namespace
{
// One wheel notch (120 eighths of a degree) zooms by this factor.
constexpr double NotchZoom = 0.8;
} // namespace

TrendPlot::TrendPlot(QWidget *parent)
    : QWidget(parent), m_band(new QRubberBand(QRubberBand::Rectangle, this))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    setCursor(Qt::CrossCursor);
}

TrendPlot::~TrendPlot() = default;

void TrendPlot::setLog(const TrendLog &log, TrendRange &range, std::vector<QColor> colours)
{
    m_log = &log;
    m_range = &range;
    m_painter = std::make_unique<TrendPainter>(log, range, std::move(colours));
    m_cursor = -1;
    update();
}

void TrendPlot::refresh()
{
    if (m_painter)
        m_painter->fitAxes();
    if (m_log && m_cursor >= m_log->size())
        m_cursor = -1;
    update();
}

QRect TrendPlot::plot() const
{
    return m_painter ? m_painter->plotArea(rect(), fontMetrics(), false) : rect();
}

qsizetype TrendPlot::sampleAt(int x) const
{
    if (!m_painter || m_log->isEmpty())
        return -1;
    const QRect area = plot();
    if (x < area.left() || x > area.right())
        return -1;
    const qsizetype sample = m_log->nearestSample(m_painter->timeAt(x, area));
    const qint64 t = m_log->times[sample];
    // A sample outside the view is not under the mouse.
    return t < m_range->start() || t > m_range->end() ? -1 : sample;
}

void TrendPlot::render(QPainter &painter, const QRect &rect, const QString &header) const
{
    if (m_painter)
        m_painter->paint(painter, rect, header, -1);
}

void TrendPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_painter)
        m_painter->paint(painter, rect(), QString(), m_cursor);
    else
        painter.fillRect(rect(), Qt::white);
}

void TrendPlot::moveCursor(qsizetype sample)
{
    if (sample == m_cursor)
        return;
    m_cursor = sample;
    update();
    emit cursorMoved(sample);
}

void TrendPlot::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_dragFrom && m_zoomDrag) {
        const QRect area = plot();
        const int from = std::clamp(m_dragFrom->x(), area.left(), area.right());
        const int to = std::clamp(at.x(), area.left(), area.right());
        m_band->setGeometry(QRect(QPoint(std::min(from, to), area.top()),
                                  QPoint(std::max(from, to), area.bottom())));
    } else if (m_dragFrom && m_painter) {
        const QRect area = plot();
        const qint64 grabbed = m_dragStart + (m_painter->timeAt(m_dragFrom->x(), area) -
                                              m_painter->timeAt(at.x(), area));
        m_range->pan(grabbed - m_range->start());
        emit rangeChanged();
        update();
    }
    moveCursor(sampleAt(at.x()));
}

void TrendPlot::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_painter)
        return;
    const QPoint at = event->position().toPoint();
    const QRect area = plot();
    if (at.x() < area.left() || at.x() > area.right())
        return;
    m_dragFrom = at;
    m_dragStart = m_range->start();
    m_zoomDrag = at.y() > area.bottom();
    if (m_zoomDrag) {
        m_band->setGeometry(QRect(at.x(), area.top(), 1, area.height()));
        m_band->show();
    }
}

void TrendPlot::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragFrom)
        return;
    if (m_zoomDrag) {
        m_band->hide();
        const QRect area = plot();
        const int to = event->position().toPoint().x();
        // A click without a drag is no zoom.
        if (std::abs(to - m_dragFrom->x()) > 2) {
            m_range->zoomTo(m_painter->timeAt(m_dragFrom->x(), area), m_painter->timeAt(to, area));
            emit rangeChanged();
        }
    }
    m_dragFrom.reset();
    update();
}

void TrendPlot::wheelEvent(QWheelEvent *event)
{
    if (!m_painter || event->angleDelta().y() == 0)
        return;
    const double notches = event->angleDelta().y() / 120.0;
    const qint64 anchor = m_painter->timeAt(event->position().x(), plot());
    m_range->zoom(std::pow(NotchZoom, notches), anchor);
    emit rangeChanged();
    moveCursor(sampleAt(event->position().toPoint().x()));
    update();
}

void TrendPlot::leaveEvent(QEvent *)
{
    moveCursor(-1);
}
