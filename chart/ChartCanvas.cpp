#include "ChartCanvas.h"

#include <QPaintEvent>
#include <QPainter>

namespace
{
QColor colourOf(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
} // namespace

ChartCanvas::ChartCanvas(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("plotArea"));
    setAttribute(Qt::WA_StaticContents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(300, 150);
    m_image = QImage(size(), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void ChartCanvas::begin(QPainter &painter)
{
    painter.begin(&m_image);
    painter.setViewport(m_image.rect());
    painter.setWindow(0, 0, ChartModel::Width, ChartModel::Height);
}

QRect ChartCanvas::deviceRect(const QRectF &canvasRect) const
{
    const double sx = double(m_image.width()) / ChartModel::Width;
    const double sy = double(m_image.height()) / ChartModel::Height;
    return QRectF(canvasRect.x() * sx, canvasRect.y() * sy, canvasRect.width() * sx,
                  canvasRect.height() * sy)
        .toAlignedRect()
        .adjusted(-2, -2, 2, 2);
}

void ChartCanvas::clear()
{
    m_ops.clear();
    m_grids.clear();
    m_image.fill(Qt::white);
    update();
}

void ChartCanvas::drawScale(const QList<int> &gridY)
{
    m_grids.push_back(gridY);
    m_ops.push_back({true, int(m_grids.size()) - 1, {}, 0});
    QPainter painter;
    begin(painter);
    paintOp(painter, m_ops.back());
    update();
}

void ChartCanvas::drawStroke(const ChartStroke &stroke, qint32 colour)
{
    m_ops.push_back({false, 0, stroke, colour});
    QPainter painter;
    begin(painter);
    paintOp(painter, m_ops.back());
    const double top = qMin(stroke.y0, stroke.y);
    update(deviceRect(QRectF(stroke.x, top, 1, qAbs(stroke.y - stroke.y0) + 1)));
}

void ChartCanvas::paintOp(QPainter &painter, const Op &op)
{
    if (!op.grid) {
        const ChartStroke &s = op.stroke;
        painter.setPen(QPen(colourOf(op.colour), 0));
        painter.drawPoint(QPointF(s.x, s.y));
        painter.drawLine(QPointF(s.x, s.y0), QPointF(s.x, s.y));
        return;
    }
    painter.setPen(QPen(colourOf(ChartModel::GridColour), 0));
    for (int y : m_grids[op.gridIndex])
        painter.drawLine(0, y, ChartModel::Width, y);
    for (int x = ChartModel::VerticalStep; x < ChartModel::Width; x += ChartModel::VerticalStep)
        painter.drawLine(x, 0, x, 4000);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(0, ChartModel::AxisY, ChartModel::Width, ChartModel::AxisY);
    painter.drawLine(ChartModel::AxisX, 0, ChartModel::AxisX, 4000);
}

void ChartCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
}

void ChartCanvas::resizeEvent(QResizeEvent *event)
{
    m_image = QImage(event->size(), QImage::Format_RGB32);
    m_image.fill(Qt::white);
    QPainter painter;
    begin(painter);
    for (const Op &op : m_ops)
        paintOp(painter, op);
    painter.end();
    QWidget::resizeEvent(event);
}
