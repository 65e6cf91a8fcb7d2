#pragma once

#include "chart/TrendPainter.h"

#include <QWidget>

#include <memory>
#include <optional>

class QRubberBand;

// The viewer's drawing area: paints the log through TrendPainter and takes the mouse. The cursor
// follows the mouse; the wheel zooms around the time under the mouse; a drag along the time axis
// (below the traces) zooms to the part dragged over; a drag on the traces pans.
class TrendPlot : public QWidget
{
    Q_OBJECT

public:
    explicit TrendPlot(QWidget *parent = nullptr);
    ~TrendPlot() override;

    // The log and the view to draw (both owned by the caller and kept alive while shown).
    void setLog(const TrendLog &log, TrendRange &range, std::vector<QColor> colours);
    // After the log grew or the view was changed from outside.
    void refresh();

    // The sample shown by the cursor at x (widget coordinates); -1 when there is none.
    qsizetype sampleAt(int x) const;
    qsizetype cursorSample() const { return m_cursor; }

    // The picture of the current view at size, with the header line, for export.
    void render(QPainter &painter, const QRect &rect, const QString &header) const;

signals:
    void cursorMoved(qsizetype sample);
    void rangeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QRect plot() const;
    void moveCursor(qsizetype sample);

    const TrendLog *m_log = nullptr;
    TrendRange *m_range = nullptr;
    std::unique_ptr<TrendPainter> m_painter;
    qsizetype m_cursor = -1;
    // A drag in progress: from where, and whether it zooms (time axis) or pans (traces).
    std::optional<QPoint> m_dragFrom;
    qint64 m_dragStart = 0;
    bool m_zoomDrag = false;
    QRubberBand *m_band = nullptr;
};
