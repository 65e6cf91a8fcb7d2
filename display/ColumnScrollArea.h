#pragma once

#include <QPointer>
#include <QScrollArea>

// Holds a column of panels that grows and shrinks as panels appear (manual output buttons, the
// transfer progress, a frame of a new model, the trace selection): the column scrolls up and
// down inside the room it has instead of asking the window for more. It never scrolls sideways:
// its minimum width follows the column's, with the vertical scroll bar's width kept free.
class ColumnScrollArea : public QScrollArea
{
public:
    enum class Height {
        // As low as a scroll area can be: for pages that are long by nature.
        Any,
        // At least as high as the column was when its window was first shown (polished), so that
        // what it shows then never scrolls away at the window's minimum size; panels added later
        // scroll instead.
        AsFirstShown
    };

    // Takes column over as the area's widget; the area is named after it ("<name>_scroll").
    ColumnScrollArea(QWidget *column, Height height, QWidget *parent = nullptr);

    // Scrolls child of the column into view, now and again once a panel that has just appeared
    // has been laid out (the child's place is known only then).
    void reveal(QWidget *child);

    // The most height an AsFirstShown area asks for (never less than a scroll area needs), for a
    // screen too low for the column as first shown: it scrolls instead. QWIDGETSIZE_MAX: no cap.
    void setHeightCap(int cap);
    Height heightRule() const { return m_height; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int scrollBarWidth() const;
    // What the column's layout needs, or the minimum set on the column where that is more.
    QSize columnMinimum() const;

    Height m_height;
    int m_firstHeight = -1; // the column's minimum height when first shown, -1 before
    int m_heightCap = QWIDGETSIZE_MAX;
    QPointer<QWidget> m_reveal; // to scroll into view after the next layout
};
