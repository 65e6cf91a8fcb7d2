#pragma once

#include "chart/ChartModel.h"

#include <QImage>
#include <QWidget>

#include <vector>

// The chart's drawing surface (plotArea): a white canvas with a user scale of 9000 x 3800 units,
// Y downwards. Everything is painted once onto a backing image, so that a sample costs the same
// however many came before it; a paint event copies the damaged part of the image, and a resize
// paints the kept drawing list onto an image of the new size.
class ChartCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit ChartCanvas(QWidget *parent = nullptr);

    void clear();
    // The horizontal grid lines at the given heights, the nine vertical ones and both axes.
    void drawScale(const QList<int> &gridY);
    // Each stroke in its colour (0x00BBGGRR).
    void drawStroke(const ChartStroke &stroke, qint32 colour);

    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Op {
        bool grid;
        int gridIndex; // into m_grids
        ChartStroke stroke;
        qint32 colour;
    };
    void paintOp(QPainter &painter, const Op &op);
    void begin(QPainter &painter);
    QRect deviceRect(const QRectF &canvasRect) const;

    QImage m_image;
    std::vector<QList<int>> m_grids;
    std::vector<Op> m_ops; // everything drawn since the last clear, in order
};
