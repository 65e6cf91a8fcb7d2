#pragma once

#include <QList>
#include <QWidget>

class QLabel;

// A strip beside the chart canvas that holds scale labels at fixed places along its length:
// label i of n centred at i / (n - 1) of the way, the first and last kept inside the strip.
class AxisStrip : public QWidget
{
    Q_OBJECT

public:
    AxisStrip(Qt::Orientation orientation, const QList<QLabel *> &labels,
              QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();

    Qt::Orientation m_orientation;
    QList<QLabel *> m_labels;
};
